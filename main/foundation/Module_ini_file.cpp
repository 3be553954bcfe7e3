#include "Module_ini_file.h"

#include "Dialogs.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Profile.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinSystem.h"

#include <cstring>

std::string Read_Ini(const std::string& section, const std::string& key, const std::string& path,
                     const std::string& def) {
    std::string result;
    vb::TrapAlways(
        [&] {
            if (path.empty()) Tidewick_Initialization();
            if (path.empty()) {
                forms::MsgBox("Ini_file_path is empty!");
                result.clear();
                return;
            }
            std::string buffer;
            profile::GetPrivateProfileStringA(section, key, "", buffer, 512, path);
            if (buffer.empty())
                result = def.empty() ? "N/A" : def;
            else
                result = buffer;
        },
        [](const vb::VbError&) {});
    return result;
}

int16_t Write_Ini(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& path) {
    int16_t result = 0;
    vb::TrapAlways(
        [&] {
            result = static_cast<int16_t>(profile::WritePrivateProfileStringA(section, key, value, path));
            if (result != 1) {
                const int32_t err = win::GetLastError();
                forms::MsgBox("Writing to INI file failed! Path = " + path + "\n" +
                                  " Error = " + std::to_string(err) + " " + std::strerror(err),
                              forms::vbCritical, " QFN Error");
            }
        },
        [](const vb::VbError&) {});
    return result;
}

void Store_Form_Pos(const std::string& name, int32_t left, int32_t top, int32_t width, int32_t height) {
    vb::TrapAlways(
        [&] {
            if ((left >= -150 && top >= -150) || g_Monitor_Count != 1) {
                Write_Ini("windowpos", name,
                          std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) +
                              "," + std::to_string(height),
                          g_Ini_File_Path);
            }
        },
        [](const vb::VbError&) { forms::MsgBox("Store_Form_Pos error"); });
}

void Get_Form_Pos(const std::string& name, int32_t& left, int32_t& top, int32_t& width, int32_t& height) {
    auto body = [&] {
        const auto fields = vb::Split(Read_Ini("windowpos", name, g_Ini_File_Path, "0,0"), ",");
        if (fields.size() < 2) vb::Raise(vb::errSubscriptOutOfRange);
        // Positions are read as 32-bit values: a window left on a second
        // monitor lies beyond the 16-bit range in twips.
        int32_t l = vb::CLng(fields[0]);
        int32_t t = vb::CLng(fields[1]);
        int32_t w = fields.size() > 2 ? vb::CLng(fields[2]) : width;
        int32_t h = fields.size() > 3 ? vb::CLng(fields[3]) : height;
        if (l < -150) l = 0;
        if (t < -150) t = 0;
        if (l > forms::Screen_Width()) l = 0;
        if (t > forms::Screen_Height()) t = 0;
        left = l;
        top = t;
        width = w;
        height = h;
    };
    if (!vb::TrappingEnabled()) {
        body();
        return;
    }
    vb::TrapAlways(body, [](const vb::VbError&) { forms::MsgBox("Get_Form_Pos error "); });
}
