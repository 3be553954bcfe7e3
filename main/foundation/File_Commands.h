#pragma once
// The association of the program's ".qf2" video files with the program.
#include <string>

// Registers the file type under HKEY_CLASSES_ROOT (extension, type key with
// description, icon and open command) and, for the desktop, a MIME type and
// an application entry in the user's data folder. A key or value that can't
// be written shows its message box. True only when every entry was written.
bool Register_File_Type(std::string& extension, std::string& exe_path, std::string& type_key,
                        std::string& type_description, std::string& icon_path);

// Associates ".qf2" with this program and tells the operator so, once every
// entry has been written.
void Associate_File_Extension();

// The desktop's MIME type of files with the extension (".qf2" -> "application/x-tidewick-qf2").
std::string Desktop_Mime_Type(const std::string& extension);
