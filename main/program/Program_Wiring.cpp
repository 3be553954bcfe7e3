#include "Program_Wiring.h"

#include "Form_capture_multi_file.h"
#include "Form_select_Video.h"
#include "Frm_export.h"
#include "Frm_fullscreen.h"
#include "Frm_kanot_2.h"
#include "Frm_results.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Program_Windows.h"
#include "frmAbout.h"

namespace {

// The start-up, the exit and the capture window reach the replay, capture,
// source-selection and results windows through these.
void Wire_Foundation() {
    g_Windows.Frm_kanot_2 = []() -> forms::Form& { return Frm_kanot_2(); };
    g_Windows.Frm_kanot_2_hDC = [] { return Frm_kanot_2().Picture_large.hDC(); };
    g_Windows.Set_Timing_Frametimestamp = [] { Frm_kanot_2().Set_Timing_Frametimestamp(); };
    g_Windows.Set_Timing_Framecount = [] { Frm_kanot_2().Set_Timing_Framecount(); };
    g_Windows.Form_capture_multi_file = []() -> forms::Form& { return Form_capture_multi_file(); };
    g_Windows.Set_Capture_Rotate = [](bool r) { Form_capture_multi_file().Set_Capture_Rotate(r ? 1 : 0); };
    g_Windows.Set_OBJ_Capture_Crop = [] { Form_capture_multi_file().Set_OBJ_Capture_Crop(); };
    g_Windows.Terminate_obj_Capture_HDMI = [] { Form_capture_multi_file().Terminate_obj_Capture_HDMI(); };
    g_Windows.Stop_Capture = [] { Form_capture_multi_file().Stop_Capture(); };
    g_Windows.Form_select_Video = []() -> forms::Form& { return Form_select_Video(); };
    g_Windows.Set_Display_Crop = [](int16_t& x, int16_t& y) { Frm_fullscreen().Set_Display_Crop(x, y); };
    g_Windows.Frm_results = []() -> forms::Form& { return Frm_results(); };
    g_Windows.Enter_Event_name = [] { Frm_kanot_2().Enter_Event_name(); };
    // A Ctrl-click on the about box's company picture reveals the main window's "Specials".
    frmAbout().Show_Specials_Menu = [] { Frm_kanot_2().menu_specials.Visible(true); };
}

// The replay window's calls of the results window beside it.
void Wire_Replay_To_Results() {
    auto& replay = Frm_kanot_2();
    auto& calls = replay.Results_Window;
    calls.Panel = []() -> forms::Form& { return Frm_results(); };
    calls.Show_Results = [] { Frm_results().Show_Results(); };
    calls.Display_Compensate_Mill = [] { Frm_results().Display_Compensate_Mill(); };
    calls.Heat_Start_Time = [](int32_t start) { Frm_results().Heat_Start_Mill = start; };
    calls.Display_Original_Start_Time = [] { Frm_results().Display_Original_Start_Time(); };
    calls.GoTo_Field = [](int16_t row) { Frm_results().GoTo_Field(row); };
    calls.Event_Caption = [](const std::string& name) { Frm_results().lbl_event_name.Caption(name); };
    calls.Clear_Results = [] { Frm_results().Clear_Results(); };
    calls.Clear_Heat_Data = [] { Frm_results().Clear_Heat_Data(); };
    // The printed table is the one the results window shows; printing never
    // loads it (its load would choose the print target anew mid-page).
    Print_Rows_Source = [] {
        if (!Frm_results().IsLoaded()) return Replay_Result_Rows();
        std::vector<Print_Row> rows;
        for (auto& r : Frm_results().Rows_Shown())
            rows.push_back({r.place, r.lane, r.time, r.delta});
        return rows;
    };
}

// The window-free replay logic and the export window reach the replay window.
void Wire_Replay_Logic() {
    // Clearing all results ends in the replay window's reload and ranking.
    On_Complete_Result_Array = [] { Frm_kanot_2().Complete_Result_Array(); };
    auto& exporter = Frm_export().Connected;
    exporter.Slider_Value = [] { return Frm_kanot_2().Slider_play.Value(); };
    exporter.Show_Field = [](int32_t field) {
        auto& replay = Frm_kanot_2();
        replay.Slider_play.Value(field);
        replay.Slider_play_Scroll();
    };
    exporter.Save_Jpeg = [](const std::string& path) { return Frm_kanot_2().Save_Jpeg(path); };
    exporter.Set_Focus = [] { Frm_kanot_2().Set_Focus(); };
}

} // namespace

void Wire_Program() {
    Wire_Foundation();
    Wire_Replay_To_Results();
    Wire_Replay_Logic();
    Frm_fullscreen().Connect_Capture_Window();
}
