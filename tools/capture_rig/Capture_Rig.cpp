#include "Capture_Rig.h"

#include "Form_capture_multi_file.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Registry.h"
#include "Screen.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace capture_rig {

bool Register_Capture_Library(const std::string& registry_file) {
    registry::SetRegistryFilePath(registry_file);
    const std::string lib =
        std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
    // The library stays loaded: COM loads the same file for the object anyway.
    void* h = ::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return false;
    auto fn = reinterpret_cast<int32_t (*)()>(::dlsym(h, "DllRegisterServer"));
    return fn && fn() == 0;
}

std::filesystem::path Make_Home(const std::string& program) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / (program + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "heats");
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    setenv("TIDEWICK_SYNTHETIC_DEVICES", kSynthetic_Camera, 1);
    return home;
}

bool Set_Up_Capture(const std::filesystem::path& home, const std::string& event) {
    if (!Register_Capture_Library((home / "registry.txt").string())) return false;
    g_Tidewick = true;
    g_Ini_File_Path = (home / "Tidewick_HDMI.ini").string();
    Write_Ini("capturesettings", "friendlyname", "Synthetic HDMI", g_Ini_File_Path);
    Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
    Write_Ini("Canoe", "save_folder1", (home / "heats").string(), g_Ini_File_Path);
    Write_Ini("Canoe", "event_name", event, g_Ini_File_Path);
    g_Capture_Crop_Width = 440;
    g_Capture_Crop_Height = 1080;
    return true;
}

void Stamp_Heat_Start(class Form_capture_multi_file& window, int16_t slot) {
    window.Handle_Start_Event(slot);
}

} // namespace capture_rig
