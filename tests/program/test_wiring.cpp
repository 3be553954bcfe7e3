// The program's wiring: every connection between libraries that cannot link
// each other is made by the one wiring function, and a connection never made
// raises run-time error 91 rather than doing nothing.
#include "Program_Wiring.h"

#include "Frm_export.h"
#include "Frm_kanot_2.h"
#include "Module_canoe.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Module_qfn_Globals.h"
#include "Program_Windows.h"
#include "VbError.h"
#include "frmAbout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

int32_t error_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const vb::VbError& e) {
        return e.number();
    }
    return 0;
}

TEST(Wiring, AnUnsetConnectionRaisesObjectNotSet) {
    Program_Windows none;
    std::function<std::string(int)> unset_with_result;
    EXPECT_EQ(error_of([&] { Call_Connected(none.Stop_Capture); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { Call_Connected(none.Frm_kanot_2); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { Call_Connected(unset_with_result, 1); }), vb::errObjectNotSet);
    // A set one runs with its arguments and hands back its result.
    std::function<std::string(int)> set = [](int n) { return std::to_string(n * 2); };
    EXPECT_EQ(Call_Connected(set, 21), "42");
}

// Stopping every capture on the way out goes on past a capture step that
// fails or was never connected: the flag is cleared all the same.
TEST(Wiring, StopAllCapturesSkipsAFailingOrUnsetStep) {
    const Program_Windows wired = g_Windows;
    g_Windows.Stop_Capture = [] { vb::Raise(vb::errObjectNotSet); };
    g_Capture_Running = true;
    Stop_All_Captures();
    EXPECT_FALSE(g_Capture_Running);
    g_Windows.Stop_Capture = nullptr;
    g_Capture_Running = true;
    Stop_All_Captures();
    EXPECT_FALSE(g_Capture_Running);
    g_Windows = wired;
}

TEST(Wiring, TheWiringFunctionMakesEveryConnection) {
    Wire_Program();
    const auto& w = g_Windows;
    const std::vector<std::pair<const char*, bool>> made = {
        {"Frm_kanot_2", bool(w.Frm_kanot_2)},
        {"Frm_kanot_2_hDC", bool(w.Frm_kanot_2_hDC)},
        {"Set_Timing_Frametimestamp", bool(w.Set_Timing_Frametimestamp)},
        {"Set_Timing_Framecount", bool(w.Set_Timing_Framecount)},
        {"Form_capture_multi_file", bool(w.Form_capture_multi_file)},
        {"Set_Capture_Rotate", bool(w.Set_Capture_Rotate)},
        {"Set_OBJ_Capture_Crop", bool(w.Set_OBJ_Capture_Crop)},
        {"Terminate_obj_Capture_HDMI", bool(w.Terminate_obj_Capture_HDMI)},
        {"Stop_Capture", bool(w.Stop_Capture)},
        {"Form_select_Video", bool(w.Form_select_Video)},
        {"Set_Display_Crop", bool(w.Set_Display_Crop)},
        {"Frm_results", bool(w.Frm_results)},
        {"Enter_Event_name", bool(w.Enter_Event_name)},
        {"Results_Window.Panel", bool(Frm_kanot_2().Results_Window.Panel)},
        {"Results_Window.Show_Results", bool(Frm_kanot_2().Results_Window.Show_Results)},
        {"Results_Window.Display_Compensate_Mill",
         bool(Frm_kanot_2().Results_Window.Display_Compensate_Mill)},
        {"Results_Window.Heat_Start_Time", bool(Frm_kanot_2().Results_Window.Heat_Start_Time)},
        {"Results_Window.Display_Original_Start_Time",
         bool(Frm_kanot_2().Results_Window.Display_Original_Start_Time)},
        {"Results_Window.GoTo_Field", bool(Frm_kanot_2().Results_Window.GoTo_Field)},
        {"Results_Window.Event_Caption", bool(Frm_kanot_2().Results_Window.Event_Caption)},
        {"Results_Window.Clear_Results", bool(Frm_kanot_2().Results_Window.Clear_Results)},
        {"Results_Window.Clear_Heat_Data", bool(Frm_kanot_2().Results_Window.Clear_Heat_Data)},
        {"Print_Rows_Source", bool(Print_Rows_Source)},
        {"On_Complete_Result_Array", bool(On_Complete_Result_Array)},
        {"Frm_export.Slider_Value", bool(Frm_export().Connected.Slider_Value)},
        {"Frm_export.Show_Field", bool(Frm_export().Connected.Show_Field)},
        {"Frm_export.Save_Jpeg", bool(Frm_export().Connected.Save_Jpeg)},
        {"Frm_export.Set_Focus", bool(Frm_export().Connected.Set_Focus)},
        {"frmAbout.Show_Specials_Menu", bool(frmAbout().Show_Specials_Menu)},
    };
    for (const auto& [name, set] : made)
        EXPECT_TRUE(set) << name;
    // Wiring creates windows' instances but loads none.
    EXPECT_FALSE(Frm_kanot_2().IsLoaded());
    EXPECT_FALSE(Frm_export().IsLoaded());
}

} // namespace
