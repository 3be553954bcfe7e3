// The goal-line colour analysis of the replay window: the colour range
// along the goal line of the field shown sets the trigger thresholds, and a
// boat crossing the line shows as pixels outside them. Each lane owns the
// band of the goal line between its mark and the one before it; the first
// band to collect three firing pixels names the lane. Also the writing of
// the field shown as a JPEG file, which the frame-range export uses.
#include "Frm_kanot_2.h"

#include "Class_line.h"
#include "Dialogs.h"
#include "Form_Auto_detect.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_lane_results.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int32_t kHueBar = 0xFF0000, kSatBar = 0x00FFFF, kLumBar = 0xFFFF00;
constexpr int32_t kFiredRed = 0x0000FF, kFiredGreen = 0x00FF00;
constexpr int32_t kInvalidPixel = -1; // a point outside the field

// The open file's goal line, when it is one the analysis can walk by y: set,
// not horizontal and of some length. Otherwise nothing, and the analysis
// leaves everything as it is (an unset line would divide by zero).
std::optional<Class_line> usable_goal_line() {
    if (!Replay_File_Open()) return std::nullopt;
    int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Replay_Video_File().Get_Goalline(x1, y1, x2, y2);
    if (y1 == y2) return std::nullopt;
    Class_line line;
    line.Start_Point(x1, y1);
    line.End_Point(x2, y2);
    if (line.Length() == 0) return std::nullopt;
    return line;
}

int16_t mark_y(int32_t position) {
    return vb::CInt(static_cast<double>(Lane_Collection().Item(position).Y()));
}

int32_t nearest(double v) {
    return static_cast<int32_t>(std::nearbyint(v));
}

} // namespace

void Frm_kanot_2::Calculate_Goal_HSL() {
    std::optional<Class_line> line = usable_goal_line();
    if (!line || Lane_Collection().Count() == 0) return;
    const int16_t last = mark_y(Lane_Collection().Count());
    cls_VideoFile_handler& vf = Replay_Video_File();
    std::array<int32_t, 3> max{0, 0, 0}, min{999, 999, 999};
    std::array<int64_t, 3> sum{0, 0, 0};
    int32_t count = 0;
    for (int32_t y = Extra_Line_Y; y <= last; ++y) {
        const int16_t x = line->X_Coord_by_Y(static_cast<int16_t>(y));
        const int32_t colour = vf.Get_Field_Pixel(x, static_cast<int16_t>(y));
        if (colour == kInvalidPixel) continue;
        std::array<int32_t, 3> hsl{};
        RGB_to_HSL(colour, hsl[0], hsl[1], hsl[2]);
        for (size_t i = 0; i < 3; ++i) {
            sum[i] += hsl[i];
            max[i] = std::max(max[i], hsl[i]);
            min[i] = std::min(min[i], hsl[i]);
        }
        ++count;
    }
    // An empty range has no colours to average: the thresholds stay.
    if (count == 0) return;
    for (size_t i = 0; i < 3; ++i)
        Goal_HSL_Avg[i] = nearest(static_cast<double>(sum[i]) / count);
    Goal_HSL_Max = max;
    Goal_HSL_Min = min;
    Form_Auto_detect().Show_Goal_Range(Goal_HSL_Max.data(), Goal_HSL_Min.data(), Goal_HSL_Avg.data());
}

void Frm_kanot_2::Draw_Goal_HSL() {
    std::optional<Class_line> line = usable_goal_line();
    if (!line) return;
    class Form_Auto_detect& detect = Form_Auto_detect();
    cls_VideoFile_handler& vf = Replay_Video_File();
    const double w = Picture_large.ScaleWidth();
    Picture_large.DrawWidth(2);
    const int16_t length = line->Length();
    for (int16_t i = 1; i <= length; ++i) {
        const int16_t x = line->X_coord(i), y = line->Y_coord(i);
        bool fired = false;
        detect.Test_pixel_for_Trigger(vf.Get_Field_Pixel(x, y), fired);
        Picture_large.Line(w, y, w - nearest(detect.Hue / 5.0), y, detect.Trigger_Hue ? kFiredRed : kHueBar);
        Picture_large.Line(w - 60, y, w - 60 - detect.Saturation, y,
                           detect.Trigger_Sat ? kFiredGreen : kSatBar);
        Picture_large.Line(w - 120, y, w - 120 - detect.Lightness, y,
                           detect.Trigger_Lum ? kFiredRed : kLumBar);
    }
    Picture_large.DrawWidth(1);
    const double h = Picture_large.ScaleHeight();
    const struct {
        double x;
        int32_t colour;
    } markers[] = {{w - Goal_HSL_Min[0] / 5.0, vb::vbWhite},   {w - Goal_HSL_Max[0] / 5.0, vb::vbYellow},
                   {w - 60.0 - Goal_HSL_Min[1], vb::vbWhite},  {w - 60.0 - Goal_HSL_Max[1], vb::vbYellow},
                   {w - 120.0 - Goal_HSL_Min[2], vb::vbWhite}, {w - 120.0 - Goal_HSL_Max[2], vb::vbYellow}};
    for (const auto& m : markers)
        Picture_large.Line(m.x, 0, m.x, h, static_cast<uint32_t>(m.colour));
    Picture_large.Refresh();
}

void Frm_kanot_2::item_Test_Line_Click() {
    vb::Trap("item_Test_Line_Click of Form frm_kanot_2", [this] {
        std::optional<Class_line> line = usable_goal_line();
        if (!line) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        const int16_t length = line->Length();
        for (int32_t i = 1; i <= length; i += 10)
            vf.Let_Field_Pixel(line->X_coord(static_cast<int16_t>(i)), line->Y_coord(static_cast<int16_t>(i)),
                               vb::vbYellow);
        vf.Draw_Current_Field(Picture_large);
        for (int16_t i = 1; i <= length; ++i) {
            int32_t h = 0, s = 0, l = 0;
            RGB_to_HSL(vf.Get_Field_Pixel(line->X_coord(i), line->Y_coord(i)), h, s, l);
        }
        Picture_large.Refresh();
    });
}

void Frm_kanot_2::Setup_Lanes_Auto_Detect() {
    const int32_t n = Lane_Collection().Count();
    // Without lane marks this raises, for the menu command to report.
    const int16_t first_y = mark_y(1);
    Detect_Band_Count = static_cast<int16_t>(n);
    Detect_Bands.assign(static_cast<size_t>(n) + 1, Detect_Band{});
    for (int32_t k = n; k >= 2; --k) {
        Detect_Bands[static_cast<size_t>(k)].to_y = mark_y(k);
        Detect_Bands[static_cast<size_t>(k)].from_y = mark_y(k - 1);
    }
    Detect_Bands[1].to_y = first_y;
    Detect_Bands[1].from_y = Extra_Line_Y;
}

void Frm_kanot_2::Test_Auto_Lanes() {
    std::optional<Class_line> line = usable_goal_line();
    if (!line) return;
    Auto_Tested_Field = Slider_play.Value();
    cls_VideoFile_handler& vf = Replay_Video_File();
    class Form_Auto_detect& detect = Form_Auto_detect();
    const int32_t n = std::min<int32_t>(Detect_Band_Count, static_cast<int32_t>(Detect_Bands.size()) - 1);
    for (int32_t k = 1; k <= n; ++k) {
        Detect_Band& band = Detect_Bands[static_cast<size_t>(k)];
        // A lane found ends the detection: later bands are not looked at.
        if (band.hits >= 3) return;
        for (int32_t y = band.from_y; y <= band.to_y; ++y) {
            const int16_t x = line->X_Coord_by_Y(static_cast<int16_t>(y));
            bool fired = false;
            detect.Test_pixel_for_Trigger(vf.Get_Field_Pixel(x, static_cast<int16_t>(y)), fired);
            if (!fired) continue;
            if (++band.hits == 3) {
                forms::MsgBox("Trigger on lane " + vb::CStr(k), forms::vbOKOnly);
                break;
            }
        }
    }
}

void Frm_kanot_2::Auto_Detect() {
    if (!Replay_File_Open()) return;
    const int32_t fields = Replay_Video_File().Num_fields();
    for (int32_t i = 1; i <= fields; ++i) {
        Slider_play.Value(i);
        Auto_Tested_Field = 0;
        Slider_play_Scroll();
        vb::DoEvents();
        if (First_Key_Down() > 0) return;
        // The field counts once, also when drawing it ran the test already.
        if (Auto_Tested_Field != i) Test_Auto_Lanes();
    }
}

void Frm_kanot_2::Slider_Scroll_Analysis() {
    if (Form_Auto_detect().Check_draw_HSL.Value() == 1) {
        Draw_Goal_HSL();
        Test_Pixel(Last_Mouse_X, Last_Mouse_Y);
    }
    if (item_auto_for_frame.Checked()) Test_Auto_Lanes();
}

bool Frm_kanot_2::Save_Jpeg(const std::string& path) {
    if (!Replay_File_Open()) return false;
    cDIBSection& field = Replay_Video_File().Shown_Field_Bitmap();
    if (field.Width() <= 0 || field.Height() <= 0) return false;
    std::vector<uint8_t> jpeg(static_cast<size_t>(field.Width()) * field.Height() * 3 + 65536);
    int32_t size = static_cast<int32_t>(jpeg.size());
    try {
        if (!Save_JPG_To_Buffer(field, jpeg.data(), size, 90) || size <= 0) return false;
    } catch (const vb::VbError&) {
        return false;
    }
    // Whole or not at all: a failed write leaves no broken picture.
    std::string error;
    return win::WriteFileWhole(path, std::string(reinterpret_cast<const char*>(jpeg.data()), size), error);
}
