// The start every test of the replay window shares.
#pragma once

#include "Frm_kanot_2.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
#include "QtServices.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The replay window unloaded, the program initialised once per process (so
// that the window's own call of it finds it done), the windows wired as the
// program wires them, the clock and the event pump installed, and a folder named after the test with an empty
// settings file in it. Returns the folder.
inline std::string Set_Up_Replay_Test(win::Clock& clock) {
    Wire_Program();
    static const bool initialised = [] {
        Tidewick_Initialization();
        return true;
    }();
    (void)initialised;
    // Unloaded after the initialisation, which loads it to set its timing method.
    Frm_kanot_2().Unload();
    win::set_clock(&clock);
    forms::Install_Event_Pump();
    const std::string dir =
        test_env::make_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    g_AppData_Folder = dir;
    g_Ini_File_Path = dir + "/Tidewick_HDMI.ini";
    test_env::write_file(g_Ini_File_Path, "");
    return dir;
}

// A heat file opened in the replay window, as File > Open does.
inline void Open_In_Replay_Window(std::string path) {
    Frm_kanot_2().Handle_Open_File(path);
}

// Run-time errors trapped as in the built program and collected, as
// "location | description", in place of the error report window.
inline void Collect_Error_Reports(std::vector<std::string>& reports) {
    g_Compiled = true;
    reports.clear();
    vb::SetTrappingEnabled([] { return true; });
    vb::SetErrorHandler([&reports](const vb::VbError& e, const std::string& location, const std::string&) {
        reports.push_back(location + " | " + e.description());
    });
}
