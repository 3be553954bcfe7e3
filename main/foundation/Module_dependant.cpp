#include "Module_dependant.h"

#include "Dialogs.h"
#include "WinSystem.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

bool FileExists(const std::string& path) {
    try {
        std::error_code ec;
        return std::filesystem::is_regular_file(path, ec);
    } catch (...) {
        forms::MsgBox("FileExists error! ");
        return false;
    }
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool Is_In_IDE() {
    const char* v = std::getenv("TIDEWICK_DEVELOPMENT");
    return v && std::strcmp(v, "1") == 0;
}

std::string Get_System_Directory() { return win::GetSystemDirectory(); }
std::string Get_Computer_Name() { return win::GetComputerName(); }

std::string Bool_to_String(bool value) { return value ? "True" : "False"; }
bool String_to_Bool(const std::string& text) { return text == "True"; }
