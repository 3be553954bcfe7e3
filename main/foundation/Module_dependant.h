#pragma once
// General helpers used all over the program.
#include <string>

// Whether a file of that path exists.
bool FileExists(const std::string& path);
// Whether a folder of that path exists.
bool FolderExists(const std::string& path);
// True only in the development mode: when TIDEWICK_DEVELOPMENT=1 is set.
bool Is_In_IDE();
std::string Get_System_Directory();
std::string Get_Computer_Name();
// "True" for True, otherwise "False".
std::string Bool_to_String(bool value);
// True only for exactly "True".
bool String_to_Bool(const std::string& text);
