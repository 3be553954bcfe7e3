// The operator's hand on the large picture: clicks on lane marks and the goal
// line, a lane mark dragged on a file whose marks are not locked, the zoom box
// that follows the mouse, the overlay check boxes beside the picture and the
// few picture commands of the menus.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Form_Auto_detect.h"
#include "Gdi.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "modAPIDraw.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int16_t kKey_F = 70;

// The standard text of a single-precision number: at most seven digits.
std::string Single_Text(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(v));
    return text;
}

} // namespace

void Frm_kanot_2::Connect_Picture_Play_Timing() {
    Picture_large.MouseDown = [this](int32_t b, int32_t s, float x, float y) {
        Picture_large_MouseDown(b, s, x, y);
    };
    Picture_large.MouseMove = [this](int32_t b, int32_t s, float x, float y) {
        Picture_large_MouseMove(b, s, x, y);
    };
    Picture_large.MouseUp = [this](int32_t b, int32_t s, float x, float y) {
        Picture_large_MouseUp(b, s, x, y);
    };
    Chk_Show_lanemarks.Click = [this] { Chk_Show_lanemarks_Click(); };
    Chk_Show_Goalline.Click = [this] { Chk_Show_Goalline_Click(); };
    Chk_invert_goalline.Click = [this] { Chk_invert_goalline_Click(); };
    // The box changes its value after the release of the mouse has been
    // told, so the redraw the release asks for waits for the box's Click.
    Chk_Flip_Lanemarks.Click = [this] { Redraw_After_Release(); };
    for (forms::CheckBox* box :
         {&Chk_Show_lanemarks, &Chk_Show_Goalline, &Chk_invert_goalline, &Chk_Flip_Lanemarks}) {
        box->MouseDown = [this](int32_t, int32_t, float, float) { Overlay_Release_Pending = false; };
        box->MouseUp = [this](int32_t, int32_t, float, float) { Overlay_Release_Pending = true; };
    }
    // The menu items of these commands reach them through the menu table.
    Cmd_play.Click = [this] { Cmd_play_Click(); };
}

// Picture units to frame pixels. The picture is the frame at Zoom_Factor,
// widened by the X-stretch chosen, so a click lands on the mark drawn under it
// whatever stretch is shown.
static float Frame_X(const class Frm_kanot_2& w, float x) {
    const float stretch = w.X_Stretch == 0.0f ? 1.0f : w.X_Stretch;
    return x / (w.Zoom_Factor * stretch);
}
static float Frame_Y(const class Frm_kanot_2& w, float y) {
    return y / w.Zoom_Factor;
}

void Frm_kanot_2::Picture_large_MouseDown(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Shift;
    vb::Trap("Picture_large_MouseDown of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        if (Button == forms::vbLeftButton && Zoom_On) {
            Zoom_X = X;
            Zoom_Y = Y;
            DO_RGB_Zoom();
            return;
        }
        Click_X = vb::CLng(X);
        Click_Y = vb::CLng(Y);
        Set_Focus();
        const float fx = Frame_X(*this, X);
        const float fy = Frame_Y(*this, Y);
        if (Escape_Is_Down()) {
            vf.Hdr_spare1(Single_Text(fx) + "," + Single_Text(fy));
            vf.Write_XML_Header();
            forms::Beep();
            New_Graphics();
            return;
        }
        Check_within_lanes(fx, fy);
        int16_t lane = g_Selected_Lane;
        if (vf.Lanes_locked()) {
            if (Key_Is_Down(kKey_F) && lane >= 0) {
                int32_t code = 0;
                bool plus = false;
                Attach_Time(lane, code, plus);
            }
            if (Button == forms::vbLeftButton && lane >= 0) {
                const int16_t place = Lane_To_Place(lane);
                if (place > 0) {
                    Go_to_Field(Go_to_Goal_field(place));
                    Slider_play_Scroll();
                    Set_Focus();
                    Print_Place_string(vb::CStr(place));
                }
            }
            if (Button == forms::vbRightButton && lane >= 0 && Replay_File_Open()) {
                Pict_lane_result.Visible(false);
                PopupMenu(menu_Result);
            }
            return;
        }
        if (Button == forms::vbLeftButton && lane >= 0) {
            // The mark the hit test found, by its place in the collection.
            Drag_Index = g_Selected_Lane_Index;
            const Cls_lane& mark = Lane_Collection().Item(Drag_Index);
            Drag_Start_X = static_cast<float>(mark.X());
            Drag_Start_Y = static_cast<float>(mark.Y());
            Drag_Lane = lane;
        }
    });
}

void Frm_kanot_2::Picture_large_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Shift;
    vb::Trap("Picture_large_MouseMove of Form frm_kanot_2", [&] {
        Last_Mouse_X = X;
        Last_Mouse_Y = Y;
        if (Form_Auto_detect().Visible()) Test_Pixel(X, Y);
        if (Button != 0 && Zoom_On) {
            forms::Screen_MouseIcon("MAGNIFY");
            forms::Screen_MousePointer(Within_Zoom(X, Y) ? forms::vbCustom : forms::vbDefault);
        }
        if ((Button & forms::vbLeftButton) == 0) return;
        if (Zoom_On) {
            Zoom_X = X;
            Zoom_Y = Y;
            DO_RGB_Zoom();
            return;
        }
        // A picked-up mark follows the mouse while the file lets its marks move.
        if (Drag_Lane < 0 || Drag_Index < 1 || !Replay_File_Open() || Replay_Video_File().Lanes_locked())
            return;
        if (Drag_Index > Lane_Collection().Count()) return;
        Cls_lane& mark = Lane_Collection().Item(Drag_Index);
        mark.Lane_pos_X(vb::CLng(Frame_X(*this, X)));
        mark.Lane_pos_Y(vb::CLng(Frame_Y(*this, Y)));
        New_Graphics();
    });
}

void Frm_kanot_2::Picture_large_MouseUp(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    vb::Trap("Picture_large_MouseUp of Form frm_kanot_2", [&] {
        Set_Focus();
        Drag_Lane = -1;
        Drag_Index = 0;
        if (!Zoom_On) {
            In_Selection_Box = false;
            g_Selected_Lane = -1;
        }
    });
}

void Frm_kanot_2::Chk_Show_lanemarks_Click() {
    g_Show_Lanes = Chk_Show_lanemarks.Value() != 0;
    Redraw_After_Release();
}

void Frm_kanot_2::Chk_Show_Goalline_Click() {
    g_Show_Goalline = Chk_Show_Goalline.Value() != 0;
    Redraw_After_Release();
}

void Frm_kanot_2::Chk_invert_goalline_Click() {
    g_Goalline_Inverted = Chk_invert_goalline.Value() != 0;
    SliderPlay_Focus();
    Redraw_After_Release();
}

void Frm_kanot_2::Redraw_After_Release() {
    if (!Overlay_Release_Pending) return;
    Overlay_Release_Pending = false;
    Chk_Overlay_MouseUp();
}

void Frm_kanot_2::Chk_Overlay_MouseUp() {
    vb::Trap("Chk_Show_lanemarks_MouseUp of Form frm_kanot_2", [&] {
        if (!Zoom_On) {
            New_Graphics();
        } else {
            Overlay_Changed = true;
            Refresh_picture();
        }
    });
}

void Frm_kanot_2::Chk_vertical_MouseUp() {
    New_Graphics();
    Set_Focus();
}

void Frm_kanot_2::P_Large_refresh() {
    Picture_large.Refresh();
}

void Frm_kanot_2::Refresh_picture() {
    vb::Trap("Refresh_picture of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        int32_t field = Slider_play.Value();
        vf.Draw_RGB_Field(field, Picture_large);
        if (Zoom_On) {
            // A 1:1 copy at the zoom point, as high as it is wide but never
            // past the picture's lower edge.
            const int32_t x0 = vb::CLng(Zoom_X), y0 = vb::CLng(Zoom_Y);
            const int32_t w = vb::CLng(Picture_large.ScaleWidth() * 0.2);
            const int32_t h = std::max(0, std::min(w, vb::CLng(Picture_large.ScaleHeight()) - y0));
            gdi::BitBlt(Picture_large.hDC(), x0, y0, w, h, vf.DEint_HDC(), vb::CLng(Frame_X(*this, Zoom_X)),
                        vb::CLng(Frame_Y(*this, Zoom_Y)), gdi::SRCCOPY);
        }
        P_Large_refresh();
    });
}

void Frm_kanot_2::DO_RGB_Zoom() {
    vb::Trap("DO_RGB_Zoom of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        const int16_t w = vb::CInt(Picture_large.ScaleWidth() * 0.5);
        const int16_t h = vb::CInt(w * 0.7);
        const int32_t x0 = vb::CLng(Zoom_X), y0 = vb::CLng(Zoom_Y);
        Zoom_Box_Left = static_cast<int16_t>(x0);
        Zoom_Box_Top = static_cast<int16_t>(y0);
        Zoom_Box_Width = w;
        Zoom_Box_Height = h;
        Slider_play_Scroll();
        const gdi::HDC picture = Picture_large.hDC();
        gdi::HDC source = nullptr;
        if (vf.RGB_Rotated()) {
            source = vf.Rotated_HDC();
        } else {
            source = vf.DEint_HDC();
            gdi::SetStretchBltMode(picture, gdi::HALFTONE);
        }
        const int32_t sx = vb::CLng(Frame_X(*this, static_cast<float>(x0)));
        const int32_t sy = vb::CLng(Frame_Y(*this, static_cast<float>(y0)));
        gdi::StretchBlt(picture, x0, y0, w, h, source, sx, sy, w / 2, h, gdi::SRCCOPY);
        cDIBSection& overlay = Overlay_DIB();
        if (overlay.Width() > 0)
            gdi::TransparentBlt(picture, x0, y0, w, h, overlay.hDC(), sx, sy, w / 2, h, g_Overlay_Key_Colour);
        Rectangle_With_Pen_Brush(picture, {x0, y0}, {x0 + w, y0 + h}, 0, 0, BS_NULL, gdi::PS_SOLID, 4,
                                 static_cast<int32_t>(gdi::RGB(255, 255, 16)));
        P_Large_refresh();
    });
}

void Frm_kanot_2::Test_Pixel(float x, float y) {
    vb::Trap("Test_Pixel of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) return;
        const int16_t px = vb::CInt(Frame_X(*this, x));
        const int16_t py = vb::CInt(Frame_Y(*this, y));
        const int32_t colour = Replay_Video_File().Get_Field_Pixel(px, py);
        // Published for the auto-detect window's Label_XY.
        Examined_X = px;
        Examined_Y = py;
        {
            auto& detect = Form_Auto_detect();
            detect.Pixel_to_HSL(colour);
            bool fired = false;
            detect.Test_pixel_for_Trigger(colour, fired);
        }
    });
}

void Frm_kanot_2::Save_Lanes() {
    vb::Trap("Save_Lanes of Form frm_kanot_2", [&] {
        if (!Replay_File_Open()) return;
        Lane_Mark_Collection& lanes = Lane_Collection();
        for (int32_t i = 1; i <= lanes.Count(); ++i)
            Replay_Video_File().File_Lane_Pos(static_cast<int16_t>(i), lanes.Item(i).X(), lanes.Item(i).Y());
    });
}

void Frm_kanot_2::Form_Activate() {
    vb::Trap("Form_Activate of Form frm_kanot_2", [&] {
        item_timing_calculation.Visible(!g_Compiled);
        // A heat opened during the load was laid out while the window was still
        // hidden, which hid the results panel: lay it out again now it shows.
        if (!g_Main_Window_Active) Form_Resize();
        if (g_Max_Picture_Height == 0) {
            Height(forms::Screen_Height());
            g_Max_Picture_Height = vb::CInt(ScaleHeight());
        }
        Set_Focus();
        g_Main_Window_Active = true;
    });
}

void Frm_kanot_2::item_refresh_Click() {
    P_Large_refresh();
}

void Frm_kanot_2::item_rot_true_Click() {
    Replay_Video_File().rotated(true);
}

void Frm_kanot_2::item_rot_false_Click() {
    Replay_Video_File().rotated(false);
}

void Frm_kanot_2::item_rotated_Click() {
    item_rotated.Checked(!item_rotated.Checked());
    Rotated_Field = item_rotated.Checked();
    Arrange_Layout(Rotated_Field);
}

void Frm_kanot_2::item_run_auto_detect_Click() {
    Auto_Detect();
}

void Frm_kanot_2::item_run_intro_Click() {
    Run_Intro();
}

void Frm_kanot_2::Pict_thumbnail_Click(int32_t index) {
    Show_Frame_Number = static_cast<int16_t>(index + 1);
    Slider_play_Scroll();
    Set_Focus();
}

void Frm_kanot_2::item_reset_goalline_Click() {
    const int32_t points[4] = {100, 100, 400, 400};
    std::copy(points, points + 4, g_Live_Goal_Points);
    bool refresh = true, marks_off = false;
    Draw_Graphics(refresh, marks_off);
}
