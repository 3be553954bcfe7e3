// The finish results of the open heat in the replay window: attaching a
// frame time or a result code to a lane, writing the heat back into the
// file, reloading and ranking it, and showing the ranking; with the menu
// commands that edit the heat's data in the header.
#include "Frm_kanot_2.h"

#include "Cls_lane.h"
#include "Dialogs.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <optional>

namespace {

// Results from this value up show no time in the panel.
constexpr int32_t kShown_Time_Limit = 10000000;
// The lane positions a heat file holds (lane_x_0 .. lane_x_15); the lanes
// are read from position 1 on.
constexpr int32_t kLane_Positions = 16;

} // namespace

void Frm_kanot_2::Attach_Time(int16_t& lane, int32_t& code, bool& plus) {
    int32_t value = 0;
    std::string extra;
    auto body = [&] {
        // Nothing to attach to without a heat.
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        if (vf.Read_only()) {
            forms::MsgBox("File is read-only!", forms::vbOKOnly);
            return;
        }
        // A lane outside 0..15 (no lane selected) raises here, before anything is written.
        Lane_Result_Record& r = Lane_Result_Array[lane];
        if (r.result != 0 && r.result != Result_None) {
            if (forms::MsgBox("Override existing result?", forms::vbOKCancel) == forms::vbCancel) return;
        }
        value = Frame_Mill + (plus ? 10 : 0);
        const int32_t click = static_cast<int32_t>(win::timeGetTime());
        int32_t goal = 0;
        if (code >= Result_Disqualified) {
            value = code;
        } else {
            goal = vb::CLng(Lbl_frameno.Caption());
        }
        r.result = value;
        r.click_time = click;
        r.goal_field = goal;
        Update_File_from_Array();
        Complete_Result_Array();
        New_Graphics();
        if (Timed_Count == 1) Lbl_delta_time_Click();
        SliderPlay_Focus();
        Slider_play_Scroll();
    };
    if (!vb::TrappingEnabled()) {
        body();
        return;
    }
    try {
        body();
    } catch (...) {
        extra = "p_Active_Result = " + vb::CStr(value) + " Lane = " + vb::CStr(lane);
        vb::ReportError(vb::ToVbError(std::current_exception()), "Attach_Time of Form frm_kanot_2", extra);
    }
}

void Frm_kanot_2::Complete_Result_Array() {
    vb::Trap("laha of Form Frm_kanot_2", [this] {
        int16_t heat = 1;
        Load_All_Heats_Array_from_File(heat);
        Copy_Active_Heat();
        g_Start_Correction_Mill = Replay_Video_File().Heat_Start_Correction(1);
        Lane_Active_Heat_Array_Sort();
        Call_Connected(Results_Window.Display_Compensate_Mill);
        Clear_Results();
        Fill_Results();
        New_Graphics();
        Slider_play_Scroll();
    });
}

void Frm_kanot_2::Load_All_Heats_Array_from_File(int16_t& heat) {
    vb::Trap("Load_All_Heats_Array_from_File of Form Frm_kanot_2", [&] {
        cls_VideoFile_handler& vf = Replay_Video_File();
        for (int16_t lane = 0; lane <= 15; ++lane) {
            Lane_Result_Record& r = Lane_Result_Array[lane];
            r.lane = lane;
            const int32_t stored = vf.Heat_time(heat, lane);
            r.result = stored == 0 ? Result_None : stored;
            r.click_time = vf.Heat_Clicktime(heat, lane);
            r.goal_field = vf.Heat_Goalfield(heat, lane);
        }
    });
}

void Frm_kanot_2::Copy_Active_Heat() {
    vb::Trap("copy_active_heat of Form Frm_kanot_2", [] {
        for (int16_t lane = 0; lane <= 15; ++lane) {
            Lane_Active_Heat_Array[lane + 1] = Lane_Result_Array[lane];
            Lane_Active_Heat_Array[lane + 1].lane = lane;
        }
    });
}

void Frm_kanot_2::Fill_Results() {
    vb::Trap("fill_results of Form Frm_kanot_2", [this] {
        Timed_Count = 0;
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        const Lane_Mark_Collection& marks = Lane_Collection();
        for (int32_t i = 1; i <= marks.Count(); ++i)
            marks.Item(i).time(0);
        const int32_t correction = vf.Heat_Start_Correction(1);
        const int32_t first = Lane_Active_Heat_Array[Lane_Active_Heat_Array.LBound].result;
        size_t row = 0;
        for (int32_t p = Lane_Active_Heat_Array.LBound; p <= Lane_Active_Heat_Array.UBound; ++p) {
            const Lane_Result_Record& r = Lane_Active_Heat_Array[p];
            if (r.result >= Result_None) break;
            Results_Shown.rank[row] = vb::CStr(static_cast<int32_t>(row + 1));
            Results_Shown.lane[row] = vb::CStr(r.lane);
            if (r.result < kShown_Time_Limit) {
                Results_Shown.time[row] = Display_Mill_Time(r.result - correction, false);
                Results_Shown.delta[row] = "+" + Display_Mill_Time(r.result - first, true);
                ++Timed_Count;
            } else if (r.result == Result_Disqualified) {
                Results_Shown.time[row] = "DSQ";
            } else if (r.result == Result_Did_Not_Start) {
                Results_Shown.time[row] = "DNS";
            } else if (r.result == Result_Did_Not_Finish) {
                Results_Shown.time[row] = "DNF";
            }
            for (int32_t i = 1; i <= marks.Count(); ++i)
                if (marks.Item(i).Lane_number() == r.lane) marks.Item(i).time(r.result);
            ++row;
        }
        // The capture time of the frame shown, as the heat file stores it.
        Results_Shown.capture_time = vb::CStr(vf.QF3_Capture_mill());
        Results_Shown.heat = vf.Heat_ID(1);
        Call_Connected(Results_Window.Show_Results);
    });
}

void Frm_kanot_2::Set_Captions() {
    vb::Trap("Set_Captions of Form Frm_kanot_2", [this] {
        Call_Connected(Results_Window.Event_Caption,
                       Replay_File_Open() ? Replay_Video_File().Event_name() : g_Event_Name);
    });
}

void Frm_kanot_2::Pict_lane_result_MouseDown(int32_t Button, int32_t Shift, float X, float Y) {
    vb::Trap("Pict_lane_result_MouseDown of Form frm_kanot_2", [&] {
        // The small picture measures in pixels as the large one does; both
        // lie on the window, the large one at its top-left corner.
        const float x = X + static_cast<float>(Pict_lane_result.Left() - Picture_large.Left());
        const float y = Y + static_cast<float>(Pict_lane_result.Top() - Picture_large.Top());
        if (Picture_large.MouseDown) Picture_large.MouseDown(Button, Shift, x, y);
    });
}

void Frm_kanot_2::Lbl_delta_time_Click() {
    vb::Trap("Lbl_delta_time_Click of Form frm_kanot_2", [this] {
        if (!Replay_File_Open()) return;
        Delta_Reference_Mill = Frame_Mill;
        Update_Frame_Time();
    });
}

void Frm_kanot_2::Enter_Event_name() {
    vb::Trap("item_ange_match_Click of Form frm_kanot_2", [this] {
        const std::optional<std::string> answer =
            forms::InputBoxEx("Enter event name!", "Tidewick event name", g_Event_Name);
        // Cancel keeps the name the event had.
        if (!answer) return;
        g_Event_Name = *answer;
        Write_Ini("Canoe", "event_name", g_Event_Name, g_Ini_File_Path);
        Update_Form_Caption();
    });
}

// ---- The "Result" menu ----

namespace {

void attach_selected(class Frm_kanot_2& w, int32_t code, bool plus) {
    int16_t lane = g_Selected_Lane;
    w.Attach_Time(lane, code, plus);
}

} // namespace

void Frm_kanot_2::item_set_time_Click() {
    attach_selected(*this, 0, false);
}
void Frm_kanot_2::item_set_time_plus_Click() {
    attach_selected(*this, 0, true);
}
void Frm_kanot_2::item_set_disq_Click() {
    attach_selected(*this, Result_Disqualified, false);
}
void Frm_kanot_2::item_set_did_not_start_Click() {
    attach_selected(*this, Result_Did_Not_Start, false);
}
void Frm_kanot_2::item_set_did_not_finish_Click() {
    attach_selected(*this, Result_Did_Not_Finish, false);
}
void Frm_kanot_2::item_clear_lane_Click() {
    attach_selected(*this, Result_None, false);
}

// ---- The "Specials" menu: heat data in the header ----

namespace {

// The operator's answer; nullopt after Cancel, which changes nothing.
std::optional<std::string> ask(const std::string& prompt) {
    return forms::InputBoxEx(prompt, forms::app_title(), "");
}

} // namespace

void Frm_kanot_2::item_set_event_Click() {
    if (!Check_File_Open()) return;
    const auto answer = ask("Event");
    if (!answer) return;
    cls_VideoFile_handler& vf = Replay_Video_File();
    vf.Event_name(*answer);
    vf.Write_XML_Header();
}

void Frm_kanot_2::item_set_event_name_Click() {
    if (!Check_File_Open()) return;
    const auto answer = ask("Event name?");
    if (!answer) return;
    cls_VideoFile_handler& vf = Replay_Video_File();
    vf.Event_name(*answer);
    vf.Write_XML_Header();
}

void Frm_kanot_2::item_set_heat_id_Click() {
    if (!Check_File_Open()) return;
    const auto answer = ask("Give Heat ID!");
    if (!answer) return;
    cls_VideoFile_handler& vf = Replay_Video_File();
    vf.Heat_ID(1, *answer);
    vf.Write_XML_Header();
}

void Frm_kanot_2::item_set_lanenums_Click() {
    if (!Check_File_Open()) return;
    const auto answer = ask("Lane numbers");
    if (!answer) return;
    cls_VideoFile_handler& vf = Replay_Video_File();
    // The lanes are read from positions 1 to n and numbered from the first
    // lane on: both must stay within the file's positions and lane indices.
    const int32_t first = vf.Start_lane();
    const int32_t most = std::min(kLane_Positions - 1, 16 - first);
    int32_t count = -1;
    try {
        const double v = vb::Val(*answer);
        if (v == static_cast<int32_t>(v) && vb::CStr(static_cast<int32_t>(v)) == vb::Trim(*answer))
            count = static_cast<int32_t>(v);
    } catch (const vb::VbError&) {
    }
    if (count < 0 || count > most) {
        forms::MsgBox("Lane numbers: a whole number from 0 to " + vb::CStr(most) + ", please.",
                      forms::vbOKOnly);
        return;
    }
    vf.Lane_count(static_cast<int16_t>(count));
}
