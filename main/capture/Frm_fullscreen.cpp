#include "Frm_fullscreen.h"

#include "Dialogs.h"
#include "Form_capture_multi_file.h"
#include "Gdi.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <cmath>
#include <string>

namespace {

constexpr int32_t kLane_Marks = 16;

// Inside the frame: what a dragged mark or goal-line end may move to.
bool Within_Frame(float x, float y) {
    const int32_t rx = vb::CLng(x), ry = vb::CLng(y);
    return ry > 0 && ry < g_Capture_Crop_Height && rx >= 1 && rx < g_Capture_Crop_Width;
}

std::string Three_Digits(int32_t v) {
    return vb::FormatNumber(v, "000");
}

} // namespace

class Frm_fullscreen& Frm_fullscreen() {
    return forms::Instance<class Frm_fullscreen>();
}

Frm_fullscreen::Frm_fullscreen() : Form("Frm_fullscreen") {
    for (int16_t i = 0; i < 2; ++i)
        Option_first_lane.Add(i).Click = [this, i] { Option_first_lane_Click(i); };
    const char* crops[] = {"332*756", "332*880", "440*1080", "594*1056", "Other", "Resize_Rotate"};
    for (int32_t i = 0; i < 6; ++i)
        item_crop.Add(i, &menu_crop, crops[i]);
    Picture_preview.MouseDown = [this](int32_t b, int32_t, float x, float y) {
        Picture_preview_MouseDown(b, x, y);
    };
    Picture_preview.MouseMove = [this](int32_t b, int32_t, float x, float y) {
        Picture_preview_MouseMove(b, x, y);
    };
    Picture_preview.MouseUp = [this](int32_t, int32_t, float, float) { Picture_preview_MouseUp(); };
    UpDown_Lanes.MouseUp = [this](int32_t, int32_t, float, float) { UpDown_Lanes_MouseUp(); };
    Chk_Show_lanemarks.Click = [this] { Chk_Show_lanemarks_Click(); };
    Chk_Flip_Lanemarks.Click = [this] { Chk_Flip_Lanemarks_Click(); };
    Chk_Show_Goalline.Click = [this] { Chk_Show_Goalline_Click(); };
    Chk_rotate.Click = [this] { Chk_rotate_Click(); };
    Cmd_save_options.Click = [this] { Cmd_save_options_Click(); };
    Command_close.Click = [this] { item_close_Click(); };
    Command_menu.Click = [this] { PopupMenu(menu_form); };
    menu_form.Click = [this] { menu_form_Click(); };
    item_full_preview.Click = [this] { item_full_preview_Click(); };
    item_reset_positions.Click = [this] { item_reset_positions_Click(); };
    item_reset_goal_line.Click = [this] { item_reset_goal_line_Click(); };
    item_zoom.Click = [this] { item_zoom.Checked(!item_zoom.Checked()); };
    item_close.Click = [this] { item_close_Click(); };
    item_maximize.Click = [this] { Form_MaxHeight(); };
    item_event_name.Click = [] { Call_Connected(g_Windows.Enter_Event_name); };
    item_sizes.Click = [this] { item_sizes_Click(); };
    item_picture_sizes.Click = [this] { item_picture_sizes_Click(); };
}

void Frm_fullscreen::Design() {
    Caption("Tidewick Live Preview");
    ScaleMode(forms::vbPixels);
    Move(0, 0, 800 * forms::kTwipsPerPixel, 600 * forms::kTwipsPerPixel);
    Picture_preview.ScaleMode(forms::vbPixels);
    Picture_preview.BackColor(0);
    Picture_preview.Move(0, 0, 440, 540);

    Frame_options.Caption("Options");
    Frame_options.Move(460, 0, 180, 420);
    // Inside a frame places are in twips, whatever the window's scale.
    const auto in_frame = [](forms::WidgetControl& c, forms::WidgetControl& frame, double left, double top,
                             double width, double height) {
        const double t = forms::kTwipsPerPixel;
        c.Container(frame);
        c.Move(left * t, top * t, width * t, height * t);
    };
    Command_menu.Caption("Form menu");
    in_frame(Command_menu, Frame_options, 10, 22, 160, 28);
    Command_close.Caption("Close");
    Command_close.ToolTipText("Closes this form");
    in_frame(Command_close, Frame_options, 10, 56, 160, 28);

    Frame_ln_start.Caption("First lane");
    Frame_ln_start.ToolTipText("Indicate number of the first lane");
    in_frame(Frame_ln_start, Frame_options, 10, 92, 160, 56);
    for (int16_t i = 0; i < 2; ++i) {
        Option_first_lane(i).Caption(i == 0 ? "Lane 0" : "Lane 1");
        in_frame(Option_first_lane(i), Frame_ln_start, 10 + 75 * i, 24, 70, 22);
    }

    Frm_lanes.Caption("Number of lanes");
    in_frame(Frm_lanes, Frame_options, 10, 154, 160, 60);
    in_frame(Lbl_num_lanes, Frm_lanes, 14, 28, 60, 22);
    in_frame(UpDown_Lanes, Frm_lanes, 90, 20, 20, 34);
    UpDown_Lanes.Min(1);
    UpDown_Lanes.Max(kLane_Marks);

    const struct {
        forms::CheckBox* box;
        const char* text;
    } checks[] = {{&Chk_Flip_Lanemarks, "Flip lane markers"},
                  {&Chk_Show_Goalline, "Show goalline"},
                  {&Chk_Show_lanemarks, "Show lane markers"},
                  {&Chk_rotate, "Rotate"}};
    int32_t top = 222;
    for (const auto& c : checks) {
        c.box->Caption(c.text);
        in_frame(*c.box, Frame_options, 10, top, 160, 24);
        top += 28;
    }
    Cmd_save_options.Caption("Save options");
    Cmd_save_options.ToolTipText("Saves options, lanes & goalline");
    in_frame(Cmd_save_options, Frame_options, 10, top + 6, 160, 30);

    Lbl_lanes_locked.Caption("Lanes locked!");
    Lbl_lanes_locked.ForeColor(gdi::RGB(255, 0, 0));
    Lbl_lanes_locked.Move(470, 430, 160, 22);
    Lbl_lanes_locked.Visible(false);
}

// ---- Load, sizes, closing -------------------------------------------------------

void Frm_fullscreen::Form_Load() {
    vb::Trap("Form_Load of Form Frm_fullscreen", [&] {
        Left(0);
        Top(0);
        Picture_preview.Move(0, 0);
        m_Positions_Changed = false;
        Set_Preview_Size();
        Load_Lanes_and_Goalline();
        Load_options();
        Set_Options();
        if (g_Preview_Lane_Num >= UpDown_Lanes.Min() && g_Preview_Lane_Num <= UpDown_Lanes.Max()) {
            UpDown_Lanes.Value(g_Preview_Lane_Num);
            Lbl_num_lanes.Caption(vb::CStr(g_Preview_Lane_Num));
        }
        UpDown_Lanes_MouseUp();
        g_Opt_Lane_Zero = String_to_Bool(Read_Ini("Canoe", "Lane_Zero", g_Ini_File_Path, "false"));
        const int16_t first = g_Opt_Lane_Zero ? 0 : 1;
        Option_first_lane(first).Value(true);
        Option_first_lane_Click(first);
        if (g_Compiled) menu_debug.Visible(false);
    });
}

void Frm_fullscreen::Form_Activate() {
    if (m_Activated) return;
    m_Activated = true;
    if (g_Max_Preview_Height == 0) Form_MaxHeight();
}

void Frm_fullscreen::Form_MaxHeight() {
    Height(forms::Screen_Height());
    g_Max_Preview_Height = vb::CInt(ScaleHeight());
}

void Frm_fullscreen::Set_Preview_Size() {
    vb::Trap("Set_Size of Form Frm_fullscreen", [&] {
        if (g_Max_Preview_Height == 0) Form_MaxHeight();
        Overlay_DIB().Create(g_Capture_Crop_Width, g_Capture_Crop_Height);
        const int32_t ty = forms::Screen_TwipsPerPixelY();
        if (g_Capture_Crop_Height <= g_Max_Preview_Height) {
            m_Display_Factor = 1;
            Picture_preview.Height(g_Capture_Crop_Height);
            Picture_preview.Width(g_Capture_Crop_Width);
            const int32_t frame_and_caption = vb::CLng(static_cast<double>(Height()) / ty - ScaleHeight());
            Height(vb::CLng((Picture_preview.Top() + Picture_preview.Height() + frame_and_caption) * ty));
        } else {
            Height(forms::Screen_Height());
            m_Display_Factor = static_cast<float>(ScaleHeight() / g_Capture_Crop_Height);
            Picture_preview.Height(g_Capture_Crop_Height * m_Display_Factor);
            Picture_preview.Width(g_Capture_Crop_Width * m_Display_Factor);
        }
        Frame_options.Left(Picture_preview.Left() + Picture_preview.Width() + 20);
        Width(vb::CLng((Frame_options.Left() + Frame_options.Width() + 20) * forms::Screen_TwipsPerPixelX()));
        // The window's new height lays the picture out again, as its resize does.
        Form_Resize();
    });
}

void Frm_fullscreen::Form_Resize() {
    if (!IsLoaded() || WindowState() == forms::vbMaximized || g_Capture_Crop_Height <= 0) return;
    vb::Trap("Form_Resize of Form Frm_fullscreen", [&] {
        const double h = ScaleHeight();
        m_Display_Factor = g_Capture_Crop_Height <= h ? 1.0f : static_cast<float>(h / g_Capture_Crop_Height);
        // The picture has no border: what shows the frame is exactly the crop
        // times the factor, and a mouse point divided by the factor lands on
        // the frame pixel under it.
        Picture_preview.Height(g_Capture_Crop_Height * m_Display_Factor);
        Picture_preview.Width(g_Capture_Crop_Width * m_Display_Factor);
        Place_Options();
        std::string caption =
            "Tidewick Live Preview " + vb::CStr(g_Capture_Crop_Width) + "*" + vb::CStr(g_Capture_Crop_Height);
        if (m_Display_Factor < 1)
            caption += " , displayed as: " + vb::CStr(vb::CLng(Picture_preview.ScaleWidth())) + "*" +
                       vb::CStr(vb::CLng(Picture_preview.ScaleHeight()));
        Caption(caption);
    });
}

void Frm_fullscreen::Place_Options() {
    Frame_options.Left(std::round(Picture_preview.Left() + Picture_preview.Width()) + 10);
    const double right = std::round(Frame_options.Left() + Frame_options.Width());
    Width(vb::CLng((right + 20) * forms::Screen_TwipsPerPixelX()));
}

void Frm_fullscreen::Form_QueryUnload(int32_t&, int32_t) {
    vb::Trap("Form_QueryUnload of Form Frm_fullscreen", [&] {
        if (!m_Positions_Changed) return;
        const int32_t answer = forms::MsgBox("Lanes or goal line has been moved. Save your changes?",
                                             forms::vbOKCancel, "Tidewick Settings");
        if (answer == forms::vbOK) {
            Cmd_save_options_Click();
            if (!g_Exiting) Uncheck_Capture_Preview();
            Send_Trace("*Frm_fullscreen Form_QueryUnload, end");
        } else {
            // Cancel discards the moves: the marks and the line the capture
            // window copies into the next heat file are the saved ones.
            Load_Lanes_and_Goalline();
        }
        m_Positions_Changed = false;
    });
}

void Frm_fullscreen::Form_Unload(int32_t&) {
    Uncheck_Capture_Preview();
    m_Activated = false;
}

void Frm_fullscreen::Uncheck_Capture_Preview() {
    // Only a loaded capture window has a check mark to clear; it also stops
    // painting frames into this window (asking a closed window whether it is
    // shown would load it again).
    if (Form_capture_multi_file().IsLoaded()) Form_capture_multi_file().Hide_Video_preview();
}

void Frm_fullscreen::Connect_Capture_Window() {
    Form_capture_multi_file().Set_Preview_Window(this, &Picture_preview);
    Form_capture_multi_file().Set_Preview_Hooks({[this] {
                                                     Set_Preview_Size();
                                                     Top(0);
                                                     item_full_preview.Checked(true);
                                                     g_Program_Mode = 1;
                                                 },
                                                 [] { g_Program_Mode = 0; }, [this] { Preview_Graphics(); }});
}

void Frm_fullscreen::item_close_Click() {
    Send_Trace("*Frm_Fullscreen item_close_click");
    item_full_preview.Checked(false);
    g_Program_Mode = 0;
    Unload();
}

void Frm_fullscreen::item_full_preview_Click() {
    vb::Trap("item_full_preview_Click of Form Frm_fullscreen", [&] {
        item_full_preview.Checked(!item_full_preview.Checked());
        if (!item_full_preview.Checked()) Unload();
    });
}

void Frm_fullscreen::menu_form_Click() {
    // The debug menu is shown and hidden by a click on the bar with Alt held.
    if (Alt_Is_Down()) menu_debug.Visible(!menu_debug.Visible());
}

// ---- Drawing --------------------------------------------------------------------

void Frm_fullscreen::Handle_events() {
    vb::DoEvents();
}

void Frm_fullscreen::Set_Display_Crop(int16_t, int16_t) {}

void Frm_fullscreen::Draw_Zoomed(float, float) {}

void Frm_fullscreen::Preview_Refresh() {
    Picture_preview.Refresh();
}

void Frm_fullscreen::Preview_Graphics() {
    vb::Trap("Draw_Graphics of Form Frm_kanot", [&] {
        Clear_Graphics();
        if (g_Opt_Show_Lanes) {
            g_Num_Lanes_Shown = g_Preview_Lane_Num;
            Draw_lanes(g_Opt_Flip_Lanes);
        }
        if (g_Opt_Show_Goalline) Draw_Goal_line();
        cDIBSection& overlay = Overlay_DIB();
        gdi::TransparentBlt(Picture_preview.hDC(), 0, 0, vb::CLng(Picture_preview.ScaleWidth()),
                            vb::CLng(Picture_preview.ScaleHeight()), overlay.hDC(), 0, 0, overlay.Width(),
                            overlay.Height(), g_Overlay_Key_Colour);
        Preview_Refresh();
    });
}

// ---- Options --------------------------------------------------------------------

void Frm_fullscreen::Set_Options() {
    vb::Trap("Set_Options of Form Frm_fullscreen", [&] {
        Chk_Show_lanemarks.Value(g_Opt_Show_Lanes ? 1 : 0);
        Chk_Flip_Lanemarks.Value(g_Opt_Flip_Lanes ? 1 : 0);
        Chk_Show_Goalline.Value(g_Opt_Show_Goalline ? 1 : 0);
        Chk_rotate.Value(g_Opt_Rotate ? 1 : 0);
    });
}

void Frm_fullscreen::Chk_Show_lanemarks_Click() {
    if (g_Options_Loading) return;
    g_Opt_Show_Lanes = Chk_Show_lanemarks.Value() != 0;
    Preview_Graphics();
}

void Frm_fullscreen::Chk_Flip_Lanemarks_Click() {
    if (g_Options_Loading) return;
    g_Opt_Flip_Lanes = Chk_Flip_Lanemarks.Value() != 0;
}

void Frm_fullscreen::Chk_Show_Goalline_Click() {
    if (g_Options_Loading) return;
    g_Opt_Show_Goalline = Chk_Show_Goalline.Value() != 0;
}

void Frm_fullscreen::Chk_rotate_Click() {
    if (g_Options_Loading) return;
    g_Opt_Rotate = Chk_rotate.Value() != 0;
    Save_Options();
    Set_Preview_Size();
}

void Frm_fullscreen::Save_Options() {
    vb::Trap("save_options of Form Frm_capture", [&] {
        if (g_Options_Loading) return;
        Write_Ini("Canoe", "ShowLanes", Bool_to_String(g_Opt_Show_Lanes), g_Ini_File_Path);
        Write_Ini("Canoe", "FlipLanes", Bool_to_String(g_Opt_Flip_Lanes), g_Ini_File_Path);
        Write_Ini("Canoe", "ShowGoalline", Bool_to_String(g_Opt_Show_Goalline), g_Ini_File_Path);
        Write_Ini("Canoe", "Rotate", Bool_to_String(g_Opt_Rotate), g_Ini_File_Path);
    });
}

void Frm_fullscreen::Cmd_save_options_Click() {
    Save_Options();
    Save_GoalLine();
    Save_Lanes();
    m_Positions_Changed = false;
}

void Frm_fullscreen::Save_GoalLine() {
    vb::Trap("Save_GoalLine of Form frm_kanot_2", [&] {
        const int32_t* p = g_Live_Goal_Points;
        Write_Ini("Canoe", "Goalline",
                  Three_Digits(p[0]) + "," + Three_Digits(p[1]) + "," + Three_Digits(p[2]) + "," +
                      Three_Digits(p[3]),
                  g_Ini_File_Path);
    });
}

void Frm_fullscreen::Save_Lanes() {
    vb::Trap("Save_Lanes of Form frm_kanot_2", [&] {
        if (Lane_Collection().Count() == 0) return;
        std::string s;
        for (const auto& lane : Lane_Collection())
            s += vb::FormatNumber(lane->X(), "0000") + vb::FormatNumber(lane->Y(), "0000");
        Write_Ini("Canoe", "Lanes", s, g_Ini_File_Path);
    });
}

// ---- Lanes ----------------------------------------------------------------------

void Frm_fullscreen::UpDown_Lanes_MouseUp() {
    vb::Trap("UpDown_Lanes_MouseUp of Form Frm_fullscreen", [&] {
        Set_Num_lanes(static_cast<int16_t>(UpDown_Lanes.Value()));
        UpDown_Lanes.Value(g_Preview_Lane_Num);
        Lbl_num_lanes.Caption(vb::CStr(g_Preview_Lane_Num));
        Preview_Graphics();
    });
}

void Frm_fullscreen::Set_Num_lanes(int16_t n) {
    vb::Trap("Set_Num_lanes of Form Frm_fullscreen", [&] {
        g_Preview_Lane_Num = n;
        Write_Ini("Canoe", "Lane_num", vb::CStr(n), g_Ini_File_Path);
        Preview_Graphics();
    });
}

void Frm_fullscreen::Option_first_lane_Click(int16_t index) {
    vb::Trap("Option_first_lane_Click of Form Frm_fullscreen", [&] {
        const bool zero = index == 0;
        Write_Ini("Canoe", "Lane_Zero", zero ? "True" : "False", g_Ini_File_Path);
        // The chosen numbering stands out in bold.
        Option_first_lane(0).FontBold(zero);
        Option_first_lane(1).FontBold(!zero);
        g_Opt_Lane_Zero = String_to_Bool(Read_Ini("Canoe", "Lane_Zero", g_Ini_File_Path, "1"));
        int16_t i = 0;
        for (const auto& lane : Lane_Collection()) {
            ++i;
            lane->Lane_number(static_cast<int16_t>(g_Opt_Lane_Zero ? i - 1 : i));
        }
        Preview_Graphics();
    });
}

void Frm_fullscreen::item_reset_positions_Click() {
    vb::Trap("item_reset_positions_Click of Form Frm_fullscreen", [&] {
        if (forms::MsgBox("This will reset all lane positions, are you sure?",
                          forms::vbOKCancel | forms::vbDefaultButton2, "Tidewick Exit") != forms::vbOK)
            return;
        Reset_lane_Positions();
    });
}

void Frm_fullscreen::Reset_lane_Positions() {
    vb::Trap("Reset_lane_Positions of Form Frm_fullscreen", [&] {
        int32_t i = 0;
        for (const auto& lane : Lane_Collection()) {
            ++i;
            lane->Lane_pos_X(20 * i + 10);
            lane->Lane_pos_Y(20 * i + 10);
        }
        Preview_Graphics();
        m_Positions_Changed = true;
    });
}

void Frm_fullscreen::item_reset_goal_line_Click() {
    vb::Trap("item_reset_goal_line_Click of Form Frm_fullscreen", [&] {
        if (forms::MsgBox("This will reset Goal line position, are you sure?",
                          forms::vbOKCancel | forms::vbDefaultButton2, "Tidewick Exit") != forms::vbOK)
            return;
        Reset_Goal_line();
    });
}

void Frm_fullscreen::Reset_Goal_line() {
    vb::Trap("Reset_Goal_line of Form Frm_fullscreen", [&] {
        // The goal line is kept in frame pixels: it goes to the middle of the
        // frame, whatever size the picture is displayed at. (Sized from the
        // displayed picture, a scaled-down preview put it left of the middle
        // and short of the frame's lower part.)
        const double w = g_Capture_Crop_Width, h = g_Capture_Crop_Height;
        g_Live_Goal_Points[0] = vb::CLng(w / 2);
        g_Live_Goal_Points[2] = g_Live_Goal_Points[0];
        g_Live_Goal_Points[1] = vb::CLng(h * 0.1);
        g_Live_Goal_Points[3] = vb::CLng(h * 0.9);
        m_Positions_Changed = true;
    });
}

// ---- Mouse ----------------------------------------------------------------------

void Frm_fullscreen::Picture_preview_MouseDown(int32_t Button, float X, float Y) {
    vb::Trap("Picture_large_MouseDown of Form Frm_kanot", [&] {
        const float x = X / m_Display_Factor, y = Y / m_Display_Factor;
        const bool locked = Replay_File_Open() && Replay_Video_File().Lanes_locked();
        g_Drag_Start_X = vb::CLng(x);
        g_Drag_Start_Y = vb::CLng(y);
        Check_within_lanes(x, y);
        const bool left_on_lane = Button == forms::vbLeftButton && g_Selected_Lane >= 0;
        if (left_on_lane && !locked) {
            const Cls_lane& lane = Lane_Collection().Item(g_Selected_Lane_Index);
            g_Drag_Lane_X0 = static_cast<float>(lane.X());
            g_Drag_Lane_Y0 = static_cast<float>(lane.Y());
            g_Drag_Lane = g_Selected_Lane;
        } else if (!left_on_lane) {
            for (int i = 0; i < 4; ++i)
                g_Drag_Goal_Start[i] = g_Live_Goal_Points[i];
            if (g_Opt_Show_Goalline) Check_Within_Selection_Boxes(x, y);
        }
    });
}

void Frm_fullscreen::Picture_preview_MouseMove(int32_t Button, float X, float Y) {
    if (Button == 0) return;
    vb::Trap("Picture_large_MouseMove of Form Frm_kanot", [&] {
        const float x = X / m_Display_Factor, y = Y / m_Display_Factor;
        if (g_Drag_Lane >= 0 && g_Selected_Lane >= 0) {
            const float new_x = g_Drag_Lane_X0 - (static_cast<float>(g_Drag_Start_X) - x);
            const float new_y = g_Drag_Lane_Y0 - (static_cast<float>(g_Drag_Start_Y) - y);
            if (Within_Frame(new_x, new_y) && g_Show_Lanes) {
                Cls_lane& lane = Lane_Collection().Item(g_Selected_Lane_Index);
                lane.Lane_pos_X(vb::CLng(new_x));
                lane.Lane_pos_Y(vb::CLng(new_y));
            }
            m_Positions_Changed = true;
        } else if (g_Selected_Box > 0 || g_Selected_Lane >= 0) {
            Lbl_lanes_locked.Visible(false);
            if (g_Program_Mode != 1 || !g_Opt_Show_Goalline || g_Selected_Box == 0) return;
            const int end = g_Selected_Box == 1 ? 0 : 2;
            const float new_x =
                static_cast<float>(g_Drag_Goal_Start[end]) - (static_cast<float>(g_Drag_Start_X) - x);
            const float new_y =
                static_cast<float>(g_Drag_Goal_Start[end + 1]) - (static_cast<float>(g_Drag_Start_Y) - y);
            if (Within_Frame(new_x, new_y)) {
                g_Live_Goal_Points[end] = vb::CLng(new_x);
                g_Live_Goal_Points[end + 1] = vb::CLng(new_y);
            }
            m_Positions_Changed = true;
        }
    });
}

void Frm_fullscreen::Picture_preview_MouseUp() {
    vb::Trap("Picture_large_MouseUp of Form Frm_kanot", [&] {
        Lbl_lanes_locked.Visible(false);
        g_Drag_Lane = -1;
        g_Selected_Lane_Index = 0;
        g_Selected_Box = 0;
        g_Selected_Lane = -1;
    });
}

// ---- Debug ----------------------------------------------------------------------

void Frm_fullscreen::item_sizes_Click() {
    vb::Trap("item_sizes_Click of Form Frm_fullscreen", [&] {
        forms::MsgBox(
            "Screen.Height/twips = " + vb::CStr(forms::Screen_Height() / forms::Screen_TwipsPerPixelY()) +
            "\r\nFrm_fullscreen.ScaleHeight = " + vb::CStr(ScaleHeight()) +
            "\r\nPicture_preview.ScaleHeight = " + vb::CStr(Picture_preview.ScaleHeight()));
    });
}

void Frm_fullscreen::item_picture_sizes_Click() {
    vb::Trap("item_picture_sizes_Click of Form Frm_fullscreen", [&] {
        forms::MsgBox("Picture_preview sizes = " + vb::CStr(Picture_preview.ScaleWidth()) + "*" +
                      vb::CStr(Picture_preview.ScaleHeight()) +
                      "\r\nform.scaleheight = " + vb::CStr(ScaleHeight()));
    });
}
