// The replay window's overlay: lane marks, goal line and extra line drawn
// into the overlay bitmap and keyed over the large picture.
#include "Frm_kanot_2.h"

#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbString.h"
#include "VbTrap.h"
#include "Wexel_WuLines.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <cmath>
#include <optional>

namespace {

// "x,y" as two 16-bit numbers; nothing when the text is not exactly that.
std::optional<std::pair<int16_t, int16_t>> Parse_Extra_Line(const std::string& text) {
    const std::vector<std::string> parts = vb::Split(text, ",");
    if (parts.size() != 2 || !vb::IsNumeric(parts[0]) || !vb::IsNumeric(parts[1])) return std::nullopt;
    try {
        return std::make_pair(vb::CInt(parts[0]), vb::CInt(parts[1]));
    } catch (const vb::VbError&) {
        return std::nullopt; // beyond 16 bits
    }
}

} // namespace

void Frm_kanot_2::Draw_Graphics(bool& refresh, bool& marks_off) {
    vb::Trap("Draw_Graphics of Form Frm_kanot", [&] {
        Clear_Graphics();
        if (!marks_off) {
            Draw_Goal_line();
            if (Replay_Video_File().File_open()) Draw_lanes(Chk_Flip_Lanemarks.Value() == forms::vbChecked);
        }
        if (item_auto_detect.Checked()) Draw_Extra_line();
        Overlay_Changed = false;
        const int16_t laps = Replay_Video_File().Lap_Count();
        if (laps > 0) Overlay_Lap(laps);
        Blit_Graphics();
        if (!Playing) refresh = true;
        if (refresh) Picture_large.Refresh();
    });
}

void Frm_kanot_2::New_Graphics() {
    bool refresh = true, marks_off = false;
    Draw_Graphics(refresh, marks_off);
    // The field drawn again under the new overlay: a mark moved or switched
    // off leaves nothing behind.
    Slider_play_Scroll();
    Set_Focus();
}

void Frm_kanot_2::Go_to_Field(int32_t field) {
    if (field >= Slider_play.Min() && field <= Slider_play.Max()) Slider_play.Value(field);
}

void Frm_kanot_2::Blit_Graphics() {
    cDIBSection& overlay = Overlay_DIB();
    gdi::TransparentBlt(Picture_large.hDC(), 0, 0, vb::CLng(Picture_large.ScaleWidth()),
                        vb::CLng(Picture_large.ScaleHeight()), overlay.hDC(), 0, 0, overlay.Width(),
                        overlay.Height(), g_Overlay_Key_Colour);
}

void Frm_kanot_2::Create_obj_Graphics() {
    vb::Trap("Create_obj_Graphics of Form Frm_kanot", [] {
        if (g_Display_Width > 0) Overlay_DIB().Create(g_Display_Width, g_Display_Height);
    });
}

void Frm_kanot_2::Read_Extra_line() {
    // The field is the operator's; a damaged one must not stop the opening
    // of the heat, so it is passed over like an unset one.
    const auto point = Parse_Extra_Line(Replay_Video_File().Hdr_spare1());
    if (!point) return;
    Extra_Line_X = point->first;
    Extra_Line_Y = point->second;
}

void Frm_kanot_2::Draw_Extra_line() {
    Read_Extra_line();
    const int32_t x = Extra_Line_X;
    Draw_Wu_Line(Overlay_DIB().hDC(), WuPoint{vb::CInt(x - 20.0), Extra_Line_Y},
                 WuPoint{vb::CInt(x + 20.0), Extra_Line_Y}, Colour_Triple{0, 0, 255}, 2, false);
}

void Frm_kanot_2::Draw_waiting_arm(forms::PictureBox& picture) {
    vb::Trap("Draw_waiting_arm of Form Frm_kanot", [&] {
        Waiting_Arm_Angle += 1;
        if (Waiting_Arm_Angle > 360) Waiting_Arm_Angle = 0;
        const double a = Waiting_Arm_Angle / 6.28318;
        picture.Cls();
        const int32_t cx = vb::CLng(picture.ScaleWidth() / 2);
        const int32_t cy = vb::CLng(picture.ScaleHeight() / 2);
        picture.Line(cx * std::cos(a) + cx, cy * std::sin(a) + cy, cx, cy, 0xFF0000);
        picture.Refresh();
    });
}
