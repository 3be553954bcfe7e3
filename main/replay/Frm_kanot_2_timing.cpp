// The timing method (which of a frame's two clocks gives its time) and the
// diagnostics with which the operator checks a captured heat before trusting
// it: both clocks agree, the time advances 20 ms a field, and the histogram
// of the capture intervals in the timing report window.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Form_QF3_Timing.h"
#include "Module_capture_intervals.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

namespace {

constexpr int32_t kPixels_Per_Mill = 4;

int32_t Round_Even(double v) {
    return static_cast<int32_t>(vb::RoundHalfEven(v));
}

// A dashed vertical line from (x, y1) up to (x, y2): 4 pixels drawn, 4 left.
void Dashed_Line(forms::PictureBox& picture, double x, int32_t y1, int32_t y2, uint32_t colour) {
    for (int32_t y = y1; y > y2; y -= 8)
        picture.Line(x, y, x, std::max(y - 4, y2), colour);
}

} // namespace

void Frm_kanot_2::Set_Timing_Framecount() {
    item_timing_framecount.Checked(true);
    item_timing_frametimestamp.Checked(false);
    Write_Ini("Settings", "timing", "framecount", g_Ini_File_Path);
}

void Frm_kanot_2::Set_Timing_Frametimestamp() {
    item_timing_framecount.Checked(false);
    item_timing_frametimestamp.Checked(true);
    Write_Ini("Settings", "timing", "frametimestamp", g_Ini_File_Path);
}

void Frm_kanot_2::Timing_Method_Analyze() {
    vb::Trap("Timing_Method_Analyze of Form frm_kanot_2", [&] {
        for (int32_t p = Slider_play.Min(); p <= Slider_play.Max(); p += 2) {
            Slider_play.Value(p);
            Slider_play_Scroll();
            if (Get_Elapsed_HDMI_events_mill() != Get_Elapsed_Rounded_mill()) {
                forms::MsgBox("Timing mis-match!", forms::vbOKOnly);
                return;
            }
        }
    });
}

void Frm_kanot_2::Timing_Increment_analyze() {
    vb::Trap("Timing_Increment_analyze of Form frm_kanot_2", [&] {
        int32_t previous = Frame_Mill;
        for (int32_t p = Slider_play.Min() + 1; p <= Slider_play.Max(); ++p) {
            Slider_play.Value(p);
            Slider_play_Scroll();
            if (Frame_Mill - previous != 20) forms::MsgBox("Timing increment error!", forms::vbOKOnly);
            previous = Frame_Mill;
        }
    });
}

void Frm_kanot_2::Timing_Analyze() {
    vb::Trap("Timing_Analyze of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) {
            forms::Beep();
            return;
        }
        cls_VideoFile_handler& vf = Replay_Video_File();
        const Capture_Interval_Table table = Count_Capture_Intervals(vf);
        const int32_t m = table.Largest();
        if (table.not_positive > 0 || table.unreadable > 0)
            Send_Trace("Timing_Analyze: intervals of 0 ms or less = ", table.not_positive,
                       " unreadable records = ", table.unreadable);

        class Form_QF3_Timing& report = Form_QF3_Timing();
        forms::PictureBox& picture = report.Picture_timing;
        // Each report shows one heat: the graph of an earlier one is cleared.
        picture.Cls();
        picture.DrawWidth(4);
        const int32_t H = Round_Even(picture.ScaleHeight());
        const int32_t W = Round_Even(picture.ScaleWidth());
        report.Show();
        picture.Line(0, H, W, H - 16, vb::vbWhite, 2);
        picture.DrawWidth(2);
        picture.Line(0, H - 18, W, H - 18, vb::vbBlack);
        picture.DrawWidth(4);
        for (int32_t k = 1; k <= Capture_Interval_Table::kLongest; ++k) {
            const int32_t c = table.count[k];
            if (c <= 0) continue;
            const int32_t h = Round_Even(static_cast<double>(c) / m * (H - 20));
            picture.Line(kPixels_Per_Mill * k, H - 20, kPixels_Per_Mill * k, H - 20 - h, vb::vbBlue);
        }
        picture.DrawWidth(1);
        const int32_t H2 = Round_Even(picture.ScaleHeight() / 2);
        picture.ForeColor(vb::vbRed);
        for (const int32_t ms : {20, 40, 80}) {
            Dashed_Line(picture, kPixels_Per_Mill * ms, H, H2, vb::vbRed);
            picture.CurrentX(kPixels_Per_Mill * ms);
            picture.CurrentY(0.9 * H);
            picture.Print(vb::CStr(ms));
        }
        picture.CurrentX(0);
        picture.CurrentY(0);
        picture.Print(vb::CStr(m));
        picture.Refresh();

        report.Label_filename.Caption(vf.File_name());
        report.Label_CPU_info.Caption(vf.Computer_name() + " " + vf.Computer_CPUInfo());
        report.Label_File_info.Caption(vb::CStr(vf.QF3_Num_Frames()) + " frames, " +
                                       Lbl_Frame_size.Caption() + " pixels");
        report.Label_Capture_iNFO.Caption(vf.Capture_Info());
        report.Label_bitness.Caption("CPU: " + vf.CPU_bitness() + " OS:" + vf.OS_bitness());
        report.Label_printdata.Caption("Report at: " + Get_Date_Time_String() + " by " + g_Program_Title +
                                       " " + g_Program_Version + "(" + kCompile_Date + ")");
    });
}

void Frm_kanot_2::Flag_Record(const std::string& text, uint32_t colour) {
    vb::Trap("Flag_Record of Form frm_kanot_2", [&] {
        Picture_large.Cls();
        P_Large_refresh();
        Picture_large.FontName("Arial");
        Picture_large.FontSize(72);
        Picture_large.CurrentX(5);
        Picture_large.CurrentY(20);
        Picture_large.ForeColor(colour);
        Picture_large.Print(text);
        P_Large_refresh();
    });
}
