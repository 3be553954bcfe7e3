// Playing a heat: whole frames from the first to the last on the file's
// nominal schedule, the overlay laid over each, stopped by a key or a mouse
// button; and the diagnostic run through every field.
//
// The loop lets window events run between frames, so anything the operator
// can do meanwhile may happen under it: a second play, closing the window,
// opening another heat, a capture starting. The playing flag refuses the
// second play, and the loop ends at once when any of the others happened.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_VideoFile_handler.h"

namespace {

// Keys that leave the play running: F4, F5, Print Screen, Ctrl, keypad 6.
bool Stops_Play(int32_t key) {
    return key > 0 && key != 115 && key != 116 && key != 44 && key != 17 && key != 102;
}

} // namespace

void Frm_kanot_2::Cmd_play_Click() {
    if (Playing || g_Capture_Running || !Replay_File_Open()) return;
    cls_VideoFile_handler& vf = Replay_Video_File();
    const cls_VideoFile_handler* playing_object = &vf;
    const std::string playing_file = vf.File_name();
    Playing = true;
    Stop_Play_Requested = false;
    Cmd_play.Enabled(false);
    item_play.Enabled(false);

    enum class Way_Out { Played, Stopped, Gone } way = Way_Out::Played;
    try {
        const uint32_t t0 = Get_Time_Mill();
        const int32_t frames = vf.Num_Frames();
        const int32_t interval = vf.mill_per_frame();
        Lbl_elapsed_time.Caption("         ");
        // What ran meanwhile may have taken the window, the file or the
        // machine's attention away.
        const auto gone = [&] {
            return !IsLoaded() || Stop_Play_Requested || g_Capture_Running || !Replay_File_Open() ||
                   &Replay_Video_File() != playing_object || Replay_Video_File().File_name() != playing_file;
        };
        for (int32_t f = 1; f <= frames; ++f) {
            if (gone()) {
                way = Way_Out::Gone;
                break;
            }
            vf.Read_RGB_sample(f, true);
            vf.Draw_Current_RGB_frame(Picture_large);
            if (!vf.Frame_Damage().empty()) Show_Damaged_Frame();
            const int32_t previous_mill = Frame_Mill;
            Update_Frame_Time();
            // Frame times compared as numbers; the first frame has none
            // before it, and a damaged frame has none at all.
            if (item_check_timing.Checked() && f > 1 && Frame_Time_Valid && Frame_Mill <= previous_mill) {
                forms::Beep();
                break;
            }
            bool refresh = true, marks_off = false;
            Draw_Graphics(refresh, marks_off);
            P_Large_refresh();
            Slider_play.Value(2 * f);
            Update_frm_label();

            vb::DoEvents();
            if (gone()) {
                way = Way_Out::Gone;
                break;
            }
            if (Stops_Play(First_Key_Down())) {
                way = Way_Out::Stopped;
                break;
            }
            // The schedule is fixed at the start: a slow frame is made up by
            // shorter waits afterwards, never by skipping frames.
            const int64_t elapsed = static_cast<int64_t>(Get_Time_Mill() - t0);
            const int64_t wait = static_cast<int64_t>(interval) * f - elapsed;
            if (wait > 0) win::Sleep(static_cast<uint32_t>(wait));
        }
    } catch (const vb::VbError& e) {
        Playing = false;
        if (IsLoaded()) {
            Cmd_play.Enabled(true);
            item_play.Enabled(true);
        }
        forms::MsgBox("Error " + vb::CStr(e.number()) + " (" + e.description() +
                      ") in procedure Cmd_play_Click of Form Frm_hockey_playback");
        return;
    }
    Playing = false;
    Stop_Play_Requested = false;
    // A closed window is left closed: touching a control would load it again.
    if (!IsLoaded()) return;
    Cmd_play.Enabled(true);
    item_play.Enabled(true);
    if (way == Way_Out::Gone) return;
    if (way == Way_Out::Stopped) {
        Slider_play_Scroll();
        Set_Focus();
        return;
    }
    Set_Focus();
    Slider_play_Scroll();
}

void Frm_kanot_2::item_play_deinterlaced_Click() {
    vb::Trap("item_play_deinterlaced_Click of Form frm_kanot_2", [&] {
        if (Playing) return;
        for (int32_t v = Slider_play.Min(); v <= Slider_play.Max(); ++v) {
            Slider_play.Value(v);
            Slider_play_Scroll();
        }
    });
}
