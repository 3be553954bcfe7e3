#pragma once
// The settings file: the only access to it. Callers pass g_Ini_File_Path
// itself, so a read that runs the initialisation sees the path it sets.
#include <cstdint>
#include <string>

// The value stored under section/key; the default when it is missing or
// empty, "N/A" when the default is empty too.
std::string Read_Ini(const std::string& section, const std::string& key, const std::string& path,
                     const std::string& def);

// Writes one value; returns the profile call's result (1 on success). A
// failure is shown in its own message box. A value holding a line break is
// refused as a failed write.
int16_t Write_Ini(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& path);

// Keeps a window's position under "windowpos"; nothing is stored for a
// window far off the only screen (a minimised one).
void Store_Form_Pos(const std::string& name, int32_t left, int32_t top, int32_t width, int32_t height);

// Restores a stored position, kept on the screen. Width and height are set
// only when stored; a stored text of fewer than two fields changes nothing.
void Get_Form_Pos(const std::string& name, int32_t& left, int32_t& top, int32_t& width, int32_t& height);
