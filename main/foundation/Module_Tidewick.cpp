#include "Module_Tidewick.h"

#include "Class_CPUInfo.h"
#include "ComCreate.h"
#include "Dialogs.h"
#include "IVideoCap.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Screen.h"
#include "SysInfo.h"
#include "VbConvert.h"
#include "VbTrap.h"

void Get_CPU_Info() {
    vb::Trap("Get_CPU_Info of Module Module_Tidewick", [] {
        const Class_CPUInfo cpu;
        std::string text = "CPU= " + std::to_string(cpu.ProcessorType());
        text += " " + std::to_string(cpu.NumberOrfProcessors()) + " core";
        const double ghz = vb::RoundHalfEven(cpu.GetCPUSpeed() / 1000.0 * 10.0) / 10.0;
        text += " " + vb::CStr(ghz) + "GHz";
        const std::string os = Get_OS_Name();
        g_CPU_Info = text;
        g_OS_Name = os;
    });
}

void Check_Bitness() {
    vb::Trap("Check_Bitness of Module Module_Tidewick", [] {
        // The query runs only while the settings lack the key; a stored value is trusted.
        auto cached = [](const char* key, std::string& target, std::string (*query)()) {
            const std::string stored = Read_Ini("Settings", key, g_Ini_File_Path, "N/A");
            if (stored != "N/A") {
                target = stored;
                return;
            }
            target = query();
            Write_Ini("Settings", key, target, g_Ini_File_Path);
        };
        cached("osbitness", g_OS_Bitness, Get_OS_Address_Width);
        cached("cpubitness", g_CPU_Bitness, Get_CPU_Data_Width);
    });
}

std::string Get_OS_Address_Width() {
    const auto cpus = sysinfo::Processors();
    return cpus.empty() ? std::string() : std::to_string(cpus.back().address_width);
}

std::string Get_CPU_Data_Width() {
    const auto cpus = sysinfo::Processors();
    return cpus.empty() ? std::string() : std::to_string(cpus.back().data_width);
}

std::string Get_OS_Name() {
    try {
        return sysinfo::OperatingSystemCaption();
    } catch (...) {
        return "Unknown OS";
    }
}

namespace {
std::string or_unknown(const std::string& s) {
    return s.empty() ? "Unknown" : s;
}
} // namespace

std::string Get_Manufacturer_Model() {
    return or_unknown(sysinfo::Manufacturer()) + "," + or_unknown(sysinfo::Model());
}

std::string Get_Manufacturer() {
    return sysinfo::Manufacturer();
}

int32_t Get_Monitor_Count() {
    return forms::Monitor_Count();
}

void Verify_OrvelCap5() {
    vb::Trap("Verify_OrvelCap5 of Module Module_Tidewick", [] {
        com::ComPtr<IVideoCap> cap;
        if (com::FAILED(com::CreateInstance(CLSID_VideoCap5, cap)))
            forms::MsgBox(
                "An important system file (OrvelCap5.dll) is missing in this Tidewick installation!",
                forms::vbOKOnly);
    });
}
