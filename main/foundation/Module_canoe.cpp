#include "Module_canoe.h"

#include "Dialogs.h"
#include "Ijl.h"
#include "Module_Tidewick.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "PhidgetInterfaceKit.h"
#include "PlayPOP.h"
#include "Program_Windows.h"
#include "QFN_Error_Handler.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "WinSystem.h"
#include "XmlDom.h"

#include <vector>

#ifndef TIDEWICK_VERSION
#define TIDEWICK_VERSION "0.0.0"
#endif

namespace {
bool initialized = false;

void ignore(const vb::VbError&) {}
} // namespace

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
    vb::TrapAlways([] { g_Compiled = !Is_In_IDE(); }, ignore);
    Trace_String("Test_Compiled end");
}

bool XML_Library_Works() {
    xmldom::DOMDocument60 doc;
    return doc.loadXML("<?xml version=\"1.0\"?><check>Tidewick</check>");
}

bool JPEG_Library_Works() {
    // One small frame encoded: the codec is there and answers.
    std::vector<uint8_t> frame(8 * 8 * 3, 128), jpeg(65536);
    ijl::JPEG_CORE_PROPERTIES p;
    if (ijl::ijlInit(&p) != ijl::IJL_OK) return false;
    p.DIBBytes = frame.data();
    p.DIBWidth = p.JPGWidth = 8;
    p.DIBHeight = -8;
    p.JPGHeight = 8;
    p.JPGBytes = jpeg.data();
    p.JPGSizeBytes = static_cast<int32_t>(jpeg.size());
    const bool written =
        ijl::ijlWrite(&p, ijl::IJL_JBUFF_WRITEWHOLEIMAGE) == ijl::IJL_OK && p.JPGSizeBytes > 0;
    return ijl::ijlFree(&p) == ijl::IJL_OK && written;
}

Library_Checks& Installed_Library_Checks() {
    static Library_Checks checks;
    return checks;
}

bool Verify_Phidgets() {
    Trace_String("Verify_Phidgets, begin");
    bool verified = false;
    vb::TrapAlways(
        [&] {
            g_Phidget_Check = phidget::PhidgetInterfaceKit::Create();
            const std::string version = g_Phidget_Check->LibraryVersion();
            if (g_Compiled && (version.find("Phidget COM Library 2.1.6") == std::string::npos ||
                               version.find("Phidget21 - Version 2.1.6") == std::string::npos)) {
                forms::MsgBox("Wrong Phidget versions found!\r\n" + version, forms::vbOKOnly);
                return;
            }
            verified = true;
            Trace_String("Verify_Phidgets, Verify_Phidgets = True");
        },
        [](const vb::VbError& e) {
            Trace_String("Phidgets error at line " + vb::CStr(e.line()) +
                         " Error number = " + vb::CStr(e.number()) + " " + e.description());
            Trace_String("Verify_Phidgets, Verify_Phidgets = False");
        });
    return verified;
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
        m_Manufacturer_Model = Get_Manufacturer_Model();
        Send_Trace("g_Computer_Name = " + g_Computer_Name, "m_Manufacturer_Model = " + m_Manufacturer_Model);
        g_System_Directory = Get_System_Directory();
        Send_Trace("g_System_Directory = " + g_System_Directory);
        g_Ini_File_Path = g_AppData_Folder + win::kPathSep + "Tidewick_HDMI" + ".ini";
        if (!Installed_Library_Checks().XML())
            forms::MsgBox("An important system file (msxml6.dll) is missing in this Windows installation!",
                          forms::vbOKOnly);
        if (!Installed_Library_Checks().JPEG())
            forms::MsgBox("An important system file (IJL11.DLL) is missing in this Tidewick installation!",
                          forms::vbOKOnly);
        Verify_OrvelCap5();
        if (!FileExists(g_Ini_File_Path)) forms::MsgBox("Tidewick_HDMI.ini not found");
        g_Saved_App_Title = forms::app_title();
        g_Timing_Correction = vb::CLng(Read_Ini("Settings", "timingcorrection", g_Ini_File_Path, "0"));
        const bool frame_time_stamp =
            Read_Ini("Settings", "timing", g_Ini_File_Path, "frametimestamp") == "frametimestamp";
        Call_Connected(frame_time_stamp ? g_Windows.Set_Timing_Frametimestamp
                                        : g_Windows.Set_Timing_Framecount);
        if (!Verify_Phidgets()) {
            forms::MsgBox("Phidget software error!", forms::vbOKOnly);
            forms::End_Process(0);
            return;
        }
        g_Monitor_Count = static_cast<int16_t>(Get_Monitor_Count());
        Check_Bitness();
        Get_CPU_Info();
        m_saved_Friendly_name = Read_Ini("capturesettings", "friendlyname", g_Ini_File_Path, "noname");
        m_saved_Video_prop_num = Read_Ini("capturesettings", "videoproperty", g_Ini_File_Path, "-1");
        Write_Event_Log(std::string(" Tidewick started,  Version: ") + g_Program_Version +
                        " Compiled at: " + kCompile_Date + (g_Compiled ? "" : " IDE"));
        Write_Event_Log(" Computer = " + g_Computer_Name + " OS = " + g_OS_Name + g_CPU_Info +
                        " bitness: os = " + g_OS_Bitness + " CPU = " + g_CPU_Bitness);
        if (g_Click_Sound.empty()) g_Click_Sound = Click_Sound_Resource();
        initialized = true;
        Trace_String("Tidewick_Initialization, end");
    });
}

void Stop_All_Captures() {
    vb::TrapAlways([] { Trace_String(" *Stop_all_captures"); }, ignore);
    g_Capture_Running = false;
    vb::TrapAlways([] { Call_Connected(g_Windows.Stop_Capture); }, ignore);
}

void Stop_Captures_And_Flush() {
    Stop_All_Captures();
    Flush_DV_events();
}

namespace {

// Unloading a window may load or unload others: walk the loaded windows
// again until none is left, but not for ever when one refuses to go.
void Unload_All_Forms() {
    for (int round = 0; round < kMax_Unload_Rounds; ++round) {
        const std::vector<forms::Form*> loaded = forms::Forms();
        if (loaded.empty()) return;
        for (forms::Form* window : loaded) {
            const std::string name = window->Name();
            if (!window->Unload()) Trace_String("*Tidewick_exit, " + name + " stays loaded");
        }
    }
    if (!forms::Forms().empty())
        Send_Trace("*Tidewick_exit, windows left loaded: ", static_cast<int32_t>(forms::Forms().size()));
}

} // namespace

void Tidewick_exit() {
    vb::Trap("Tidewick_exit of Module Module_canoe", [] {
        Write_Event_Log(" Tidewick Exit");
        Trace_String("*Tidewick_exit start");
        // The operator is asked before the camera goes: a cancelled exit must
        // leave a running capture recording, not a station without a camera.
        if (g_Compiled) {
            const size_t comma = g_Program_Title.find(',');
            const std::string name = comma == std::string::npos ? "" : g_Program_Title.substr(0, comma + 1);
            if (forms::MsgBox("Exiting " + name + " are you sure?",
                              forms::vbOKCancel | forms::vbDefaultButton2, "Tidewick Exit") != forms::vbOK)
                return;
        }
        g_Exiting = true;
        Call_Connected(g_Windows.Terminate_obj_Capture_HDMI);
        if (g_Capture_Running) {
            Trace_String("*Tidewick_exit Stop_All_Captures");
            Stop_All_Captures();
            for (int i = 0; i < 50; ++i) {
                win::Sleep(30);
                vb::DoEvents();
            }
        }
        Trace_String("*Tidewick_exit captures stopped");
        obj_Midi.reset();
        Trace_String("*obj_Midi nothing");
        Trace_String("*Start unloading forms");
        Unload_All_Forms();
        Do_Sleep(1000, true);
        Trace_String("*Tidewick_exit, after Do_sleep");
        if (g_Taskbar_Hidden) Show_Taskbar(1);
        Trace_String("**Tidewick_exit end");
        forms::End_Process(0);
    });
}
