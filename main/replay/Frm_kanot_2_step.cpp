// The one operation that shows a position of the heat: the slider's step
// draws the field, renews the field number and computes the field's frame
// time by the chosen timing method; and the slider's digit keys.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Form_Auto_detect.h"
#include "Module_dependant.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

#include <cmath>

namespace {

constexpr int32_t kFrame_Mill = 40; // a frame of a 25 frames-per-second camera
constexpr int32_t kField_Mill = 20; // from the first to the second field of a frame
constexpr uint32_t kBlueBox = 0x00FF0000;
constexpr uint32_t kDark_Grey = 0x00404040;

// Clears a flag on every way out, a trapped error included.
struct Clear_On_Exit {
    bool& flag;
    ~Clear_On_Exit() { flag = false; }
};

} // namespace

void Frm_kanot_2::Slider_play_Scroll() {
    vb::Trap("Slider_play_Scroll of Form frm_kanot_2", [this] {
        if (Slider_play.Value() == 0) {
            Slider_play.Value(1);
            Write_Event_Log("!!! Slider_play.value = 0" +
                            (Replay_File_Open() ? Replay_Video_File().File_name() : ""));
        }
        Slider_play.SmallChange(Ctrl_Is_Down() ? 4 : 1);
        if (Scroll_Busy || g_Capture_Running) return;
        if (!Replay_File_Open()) return;
        Scroll_Busy = true;
        // A step that failed never leaves later steps blocked.
        Clear_On_Exit done{Scroll_Busy};
        cls_VideoFile_handler& vf = Replay_Video_File();
        int32_t field = Slider_play.Value();
        vf.Draw_RGB_Field(field, Picture_large);
        if (!vf.Frame_Damage().empty()) Show_Damaged_Frame();
        if (item_display_sample_data.Checked() && vf.QF3_Compression_Quality() < 80) forms::Beep();
        Update_frm_label();
        Lbl_frameno.Refresh();
        Update_Frame_Time();
        Blit_Graphics();
        if (item_display_sample_data.Checked()) {
            auto t = [](int32_t ms) { return Display_Mill_Time(ms, false); };
            const int32_t start_events = vf.Start_HDMI_events(1);
            const int32_t field_mill = vf.QF3_Capture_mill() - vf.RGB_startmill() +
                                       (vf.QF3_Displayed_Field() == 2 ? kField_Mill : 0);
            const std::string lines[] = {
                "Creation date = " + vf.Creation_date(),
                "Last capture = " + t(vb::CLng(vb::Val(vf.Last_Capture_time()))),
                "Quality = " + vb::CStr(vf.QF3_Compression_Quality()),
                "JPG size = " + vb::CStr(vf.QF3_JPEG_Size()),
                "Start HDMI events = " + vb::CStr(start_events),
                "Start local = " + t(vf.Start_local_Mill_Time(1)),
                "Start mill = " + vb::CStr(Start_Mill),
                "Start mill-D = " + t(Start_Mill),
                "Capture local = " + t(vf.QF3_Capture_local()),
                "Capture mill = " + vb::CStr(Capture_Mill),
                "Capture mill-D = " + t(Capture_Mill),
                "Elpsd mill = " + vb::CStr(Elapsed_Mill),
                "Elpsd mill frm = " + t(Elapsed_Mill),
                "Elpsd mill rounded = " + vb::CStr(Elapsed_Rounded_Mill),
                "Elpsd rnd frm = " + t(Elapsed_Rounded_Mill),
                "Rounding mill = " + vb::CStr(Rounding_Mill),
                "Capture HDMI events = " + vb::CStr(vf.Capture_HDMI_events()),
                "Elapsed HDMI events = " + vb::CStr(vf.Capture_HDMI_events() - start_events),
                "HDMI events mill = " + vb::CStr(Events_Mill),
                "HDMI events mill_d = " + t(Events_Mill),
                "HDMI events diff = " + vb::CStr(Events_Mill - Elapsed_Mill),
                "Elpsd mill frm/field = " + t(field_mill),
                "Capture delta = " + vb::CStr(vf.QF3_Capture_Delta()),
                "HD Frame  = " + vb::CStr(vf.QF3_Displayed_Frame()),
                "HD Field  = " + vb::CStr(vf.QF3_Displayed_Field()),
            };
            std::string text;
            for (const std::string& l : lines)
                text += (text.empty() ? "" : "\r\n") + l;
            Picture_large.FontName("Times");
            Picture_large.FontSize(16);
            Picture_large.ForeColor(vb::vbYellow);
            const double w = std::round(Picture_large.TextWidth(text));
            const double h = std::round(Picture_large.TextHeight(text));
            const double y = 0.01 * Picture_large.ScaleHeight();
            Picture_large.Line(0, y, w, y + h, kBlueBox, 2);
            Picture_large.CurrentX(0);
            Picture_large.CurrentY(y);
            Picture_large.Print(text);
        }
        P_Large_refresh();
        if (Zoom_On) DO_RGB_Zoom();
        if (Form_Auto_detect().Check_draw_HSL.Value() == 1) {
            Draw_Goal_HSL();
            Test_Pixel(Last_Mouse_X, Last_Mouse_Y);
        }
        if (item_auto_for_frame.Checked()) Test_Auto_Lanes();
    });
}

void Frm_kanot_2::Update_frm_label() {
    Lbl_frameno.Caption(vb::FormatNumber(Slider_play.Value(), "0000"));
}

void Frm_kanot_2::Show_Damaged_Frame() {
    Picture_large.Cls();
    Picture_large.Line(0, 0, Picture_large.ScaleWidth(), Picture_large.ScaleHeight(), kDark_Grey, 2);
    Picture_large.FontName("Times");
    Picture_large.FontSize(16);
    Picture_large.ForeColor(vb::vbYellow);
    Picture_large.CurrentX(0.05 * Picture_large.ScaleWidth());
    Picture_large.CurrentY(0.45 * Picture_large.ScaleHeight());
    Picture_large.Print("Damaged frame");
}

void Frm_kanot_2::Update_Frame_Time() {
    cls_VideoFile_handler& vf = Replay_Video_File();
    // A damaged frame has no time of its own: none is shown, none attached.
    Frame_Time_Valid = vf.File_open() && vf.Frame_Damage().empty();
    if (vf.File_open() && !Frame_Time_Valid) {
        Lbl_elapsed_time.Caption("damaged");
        Lbl_delta_time.Caption("---");
        return;
    }
    Start_Events = vf.Start_HDMI_events(1);
    Capture_Events = vf.Capture_HDMI_events();
    Elapsed_Events = Capture_Events - Start_Events;
    Events_Mill = Elapsed_Events * kFrame_Mill;
    Start_Mill = vf.RGB_startmill();
    Capture_Mill = vf.QF3_Capture_mill();
    Elapsed_Mill = Capture_Mill - Start_Mill;
    // Halves to the even neighbour: 20 gives 0, 60 gives 80.
    Elapsed_Rounded_Mill =
        static_cast<int32_t>(std::nearbyint(static_cast<double>(Elapsed_Mill) / kFrame_Mill)) * kFrame_Mill;
    Rounding_Mill = Elapsed_Rounded_Mill - Elapsed_Mill;
    Frame_Mill = item_timing_framecount.Checked() ? Events_Mill : Elapsed_Rounded_Mill;
    if (vf.Field_To_Show() == 2) Frame_Mill += kField_Mill;
    Lbl_elapsed_time.Caption(Display_Mill_Time(Frame_Mill, false));
    const int32_t delta = Frame_Mill - Delta_Reference_Mill;
    Lbl_delta_time.Caption(delta >= 0 ? Display_Mill_Time(delta, false) : "---");
}

void Frm_kanot_2::Slider_play_KeyDown(int32_t KeyCode, int32_t Shift) {
    (void)Shift; // the modifiers are read from the key state, as they are held now
    vb::Trap("Slider_play_KeyDown of Form frm_kanot_2", [&] {
        // The arrow this key is about to make steps by what is held now, not
        // by what was held at the step before.
        Slider_play.SmallChange(Ctrl_Is_Down() ? 4 : 1);
        int16_t digit = 0;
        if (KeyCode >= 49 && KeyCode <= 57)
            digit = static_cast<int16_t>(KeyCode - 48);
        else if (KeyCode >= 97 && KeyCode <= 105)
            digit = static_cast<int16_t>(KeyCode - 96);
        else
            return;
        if (Alt_Is_Down() || Ctrl_Is_Down()) {
            // Alt: lane d's own goal field; Ctrl: the goal field of place d.
            // Goal field 0 (no time there) shows the first field.
            const int32_t goal = Go_to_Goal_field(Alt_Is_Down() ? Lane_To_Place(digit) : digit);
            Go_to_Field(goal > 0 ? goal : 1);
            Slider_play_Scroll();
            Set_Focus();
        } else {
            int32_t code = 0;
            bool plus = false;
            Attach_Time(digit, code, plus);
        }
    });
}
