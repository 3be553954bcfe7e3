#include "Module_canoe.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "QFN_Error_Handler.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinSystem.h"

#ifndef TIDEWICK_VERSION
#define TIDEWICK_VERSION "0.0.0"
#endif

namespace {
bool initialized = false;
}

void Reset_Initialization_Guard() {
    initialized = false;
}

void Install_Error_Trap() {
    vb::SetTrappingEnabled([] { return g_Compiled; });
    vb::SetErrorHandler([](const vb::VbError& err, const std::string& location, const std::string& extra) {
        QFN_Error_Handler(err.description(), err.number(), err.line(), location, extra);
    });
}

void Test_Compiled() {
    vb::TrapAlways([] { g_Compiled = !Is_In_IDE(); }, [](const vb::VbError&) {});
    Trace_String("Test_Compiled end");
}

void Tidewick_Initialization() {
    Trace_String("Tidewick_Initialization, begin");
    Test_Compiled();
    if (initialized) return;
    vb::Trap("Tidewick_Initialization of Module Module_canoe", [] {
        g_AppData_Folder = Get_Local_AppData_Folder();
        g_Tidewick = true;
        g_Golfing = false;
        g_Program_Title = "Tidewick_HDMI, photo-finish for canoe heats";
        g_Program_Version = TIDEWICK_VERSION;
        g_Computer_Name = Get_Computer_Name();
        Send_Trace("g_Computer_Name = " + g_Computer_Name, "m_Manufacturer_Model = " + m_Manufacturer_Model);
        g_System_Directory = Get_System_Directory();
        Send_Trace("g_System_Directory = " + g_System_Directory);
        g_Ini_File_Path = g_AppData_Folder + win::kPathSep + "Tidewick_HDMI" + ".ini";
        if (!FileExists(g_Ini_File_Path)) forms::MsgBox("Tidewick_HDMI.ini not found");
        g_Saved_App_Title = forms::app_title();
        g_Timing_Correction = vb::CLng(Read_Ini("Settings", "timingcorrection", g_Ini_File_Path, "0"));
        m_saved_Friendly_name = Read_Ini("capturesettings", "friendlyname", g_Ini_File_Path, "noname");
        m_saved_Video_prop_num = Read_Ini("capturesettings", "videoproperty", g_Ini_File_Path, "-1");
        Write_Event_Log(std::string(" Tidewick started,  Version: ") + g_Program_Version +
                        " Compiled at: " + kCompile_Date + (g_Compiled ? "" : " IDE"));
        Write_Event_Log(" Computer = " + g_Computer_Name + " OS = " + g_OS_Name + g_CPU_Info +
                        " bitness: os = " + g_OS_Bitness + " CPU = " + g_CPU_Bitness);
        initialized = true;
        Trace_String("Tidewick_Initialization, end");
    });
}
