// The replay window's road from a file name, or the operator's choice in the
// open box, to a window that shows field 1 of the heat with its lanes, heat
// data and ranked results; and the way back to an empty window.
#include "Frm_kanot_2.h"

#include "Cls_lane.h"
#include "Dialogs.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

#include <cmath>
#include <memory>
#include <sstream>

void Frm_kanot_2::Handle_Open_File(std::string& file_name) {
    vb::Trap("item_open_Click of Form frm_kanot_2", [&] {
        Send_Trace("*Handle_Open_File, filename = " + file_name);
        Close_File();
        // The zoom goes off here and now: its menu command would find the
        // file already closed and leave the box on.
        if (item_Zoom.Checked()) {
            item_Zoom.Checked(false);
            Zoom_On = false;
        }
        Clear_Picture(Picture_large);
        Clear_Results();
        Picture_large.Refresh();

        if (!file_name.empty()) {
            File_Name_Field = file_name;
        } else {
            forms::FileDialogRequest request;
            request.initial_folder = Read_Ini("Canoe", "last_dir", g_Ini_File_Path, "");
            request.title = "Open";
            request.filter = "Tidewick Files (*.qf3)|*.qf3";
            File_Name_Field = forms::FileDialog(request).value_or("");
            Send_Trace("*FK2 CommonDialog, filename = " + File_Name_Field);
        }
        if (File_Name_Field.empty()) return;
        if (!FileExists(File_Name_Field)) {
            forms::MsgBox("File does not exist!", forms::vbOKOnly);
            File_Name_Field.clear();
            return;
        }
        Write_Ini("Canoe", "last_dir", ParsePath(File_Name_Field, 16), g_Ini_File_Path);

        Open_multi_file(File_Name_Field);
        cls_VideoFile_handler& vf = Replay_Video_File();
        if (vf.File_num() > 0 && vf.Num_Frames() == 0) {
            vf.Close_File();
            Clear_file_Data();
            // Laid out as after any open: the header has sized the picture.
            Form_Resize();
            forms::MsgBox(File_Name_Field + "\n" + "No video frames in this file!", forms::vbOKOnly);
            File_Name_Field.clear();
            Update_Form_Caption();
            return;
        }
        if (!vf.File_open()) {
            // A step drawn while the refused file was briefly open leaves nothing behind.
            Clear_file_Data();
            File_Name_Field.clear();
            Update_Form_Caption();
            return;
        }

        g_Program_Mode = 10;
        const int16_t lanes = vf.Lane_count();
        if (lanes > 0) g_Num_Lanes_Shown = lanes;
        Load_Lanes_from_File();
        Read_Extra_line();
        Overlay_Changed = true;
        Delta_Reference_Mill = 0;
        Set_Focus();
        Rotated_Field = vf.RGB_Rotated();
        g_Show_Goalline = vf.Show_goalline();
        Chk_Show_Goalline.Value(g_Show_Goalline ? 1 : 0);
        g_Flip_Lanes = vf.Lanes_flipped();
        Chk_Flip_Lanemarks.Value(g_Flip_Lanes ? 1 : 0);
        g_Show_Lanes = vf.Lanes_Visible();
        Chk_Show_lanemarks.Value(g_Show_Lanes ? 1 : 0);
        Label_heatID.Caption(vf.Heat_ID(1));
        Label_heatID.ToolTipText(vf.File_name());
        Label_start_time.Caption(Display_Time_Of_Day(vf.Start_local_Mill_Time(1)));
        Call_Connected(Results_Window.Heat_Start_Time, vf.Start_local_Mill_Time(1));

        Complete_Result_Array();
        Call_Connected(Results_Window.Display_Original_Start_Time);
        Set_Captions();

        Clear_Graphics();
        New_Graphics();
        Slider_play.Value(1);
        Slider_play_Scroll();
        Call_Connected(Results_Window.GoTo_Field, 0);
        Calculate_Goal_HSL();
        Lbl_delta_time_Click();

        if (item_use_size.Checked()) {
            const std::string pos = Read_Ini("settings", "lastformpos", g_Ini_File_Path, "N/A");
            if (pos != "N/A") {
                std::vector<double> v;
                std::stringstream in(pos);
                for (std::string part; std::getline(in, part, ',');)
                    v.push_back(vb::Val(part));
                // Fewer than three numbers is an error of the open, as the
                // original's array access made it.
                if (v.size() < 3) vb::Raise(vb::errSubscriptOutOfRange);
                Top(std::floor(v[0]));
                Left(std::floor(v[1]));
                Height(std::floor(v[2]));
            }
        }
        Form_Resize();
        // A cut heat opens with the frames it holds; the operator is told once.
        const int32_t stated = vf.QF3_Num_Frames();
        if (vf.Num_Frames() < stated)
            forms::MsgBox(File_Name_Field + "\n" + "This heat file is cut short: it holds " +
                              vb::CStr(vf.Num_Frames()) + " of " + vb::CStr(stated) + " frames.",
                          forms::vbOKOnly);
    });
}

void Frm_kanot_2::Open_multi_file(std::string& file_name) {
    if (file_name.empty()) return;
    vb::Trap("Open_multi_file of Form frm_kanot_2", [&] {
        cls_VideoFile_handler& vf = Replay_Video_File();
        vf.Close_File();
        for (int32_t& p : g_Goal_Line_Points)
            p = 0;
        // Each step hands the object the picture to draw on; the window has
        // no drawing surface of its own to give it here.
        vf.File_name(file_name);
        // The window shows damaged frames itself; a damaged or foreign file
        // gets one plain message here, never the error report as well.
        vf.Note_Damage_Quietly(true);
        std::string reason;
        if (!vf.Open_Heat_File(reason)) {
            forms::MsgBox(reason.empty() ? "Not a valid Tidewick file!" : reason, forms::vbOKOnly);
            return;
        }
        if (!vf.File_open()) return;
        if (!vf.is_Tidewick()) {
            vf.Close_File();
            forms::MsgBox("Not a valid Tidewick file!", forms::vbOKOnly);
            return;
        }
        int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        vf.Get_Goalline(x1, y1, x2, y2);
        // Only a line with all four values zero is "not set": a line from the
        // top or the left edge has a zero among them and is still a line.
        if (x1 != 0 || y1 != 0 || x2 != 0 || y2 != 0) {
            g_Goal_Line_Points[0] = x1;
            g_Goal_Line_Points[1] = y1;
            g_Goal_Line_Points[2] = x2;
            g_Goal_Line_Points[3] = y2;
        }
        g_Frame_Width = vf.Width();
        g_Frame_Height = vf.Height();
        if (!vf.RGB_Rotated()) {
            g_Display_Width = g_Frame_Width;
            g_Display_Height = g_Frame_Height;
        } else {
            g_Display_Width = g_Frame_Height;
            g_Display_Height = g_Frame_Width;
        }
        Create_obj_Graphics();
        Slider_play.Min(1);
        Set_Picture_Size();
        // The slider reaches the whole records the file holds, never the
        // header's count past them: a field there would show no frame of its own.
        const int32_t fields = vf.Num_fields();
        if (fields > Slider_play.Min()) Slider_play.Max(2 * vf.Num_Frames());
        Slider_play.Value(Slider_play.Min());
        Lbl_Frame_size.Caption(vb::CStr(g_Display_Width) + "*" + vb::CStr(g_Display_Height) +
                               (vf.RGB_Rotated() ? "R" : ""));
        Set_Focus();
        Update_Form_Caption();
        const double mib = static_cast<double>(vf.File_size()) / 1048576.0;
        Lbl_filesize.Caption(vb::CStr(vf.Segments_Num()) + "/" + vb::FormatNumber(mib, "0.0") + " MB");
        Overlay_Changed = true;
    });
}

void Frm_kanot_2::Load_Lanes_from_File() {
    cls_VideoFile_handler& vf = Replay_Video_File();
    const int16_t n = vf.Lane_count();
    Lane_Mark_Collection& marks = Lane_Collection();
    marks.Clear();
    for (int16_t i = 1; i <= n; ++i) {
        auto lane = std::make_shared<Cls_lane>();
        lane->Lane_number(i);
        lane->Lane_pos_X(i * 15);
        lane->Lane_pos_Y(i * 20);
        marks.Add(lane);
    }
    const int16_t first = vf.Start_lane();
    for (int16_t i = 1; i <= n; ++i) {
        Cls_lane& lane = marks.Item(i);
        lane.Lane_number(static_cast<int16_t>(first + i - 1));
        lane.Lane_pos_X(vf.LaneX(i));
        lane.Lane_pos_Y(vf.LaneY(i));
    }
}

void Frm_kanot_2::Clear_Results() {
    vb::Trap("Clear_results of Form frm_kanot_2", [this] {
        for (size_t i = 0; i < Results_Shown.rank.size(); ++i) {
            Results_Shown.rank[i].clear();
            Results_Shown.lane[i].clear();
            Results_Shown.time[i].clear();
            Results_Shown.delta[i].clear();
            Results_Shown.heat.clear();
        }
        Results_Shown.capture_time.clear();
        Call_Connected(Results_Window.Show_Results);
    });
}

void Frm_kanot_2::Close_File() {
    vb::Trap("Close_file of Form frm_kanot_2", [this] {
        if (!Replay_File_Open()) return;
        cls_VideoFile_handler& vf = Replay_Video_File();
        vf.Close_File();
        vf.File_name("");
        Slider_play.Value(Slider_play.Min());
        File_Name_Field.clear();
        Update_Form_Caption();
        Clear_All_Results();
        // The results window lets the closed heat go with it.
        if (Results_Window.Clear_Results) Results_Window.Clear_Results();
        if (Results_Window.Clear_Heat_Data) Results_Window.Clear_Heat_Data();
        Clear_file_Data();
        Set_Captions();
        ::Load_Lanes_and_Goalline();
    });
}

void Frm_kanot_2::Clear_file_Data() {
    vb::Trap("Clear_file_Data of Form frm_kanot_2", [this] {
        Clear_Picture(Picture_large);
        Picture_large.Refresh();
        // The heat's name and start go with it: a refused file after it must
        // not seem to be that heat.
        for (forms::Label* l : {&Lbl_Frame_size, &Lbl_filesize, &Lbl_elapsed_time, &Lbl_delta_time,
                                &Lbl_frameno, &Label_heatID, &Label_start_time})
            l->Caption("");
        Label_heatID.ToolTipText("");
        vb::DoEvents();
    });
}

void Frm_kanot_2::Set_Picture_Size() {
    if (g_Frame_Width == 0) {
        g_Frame_Width = g_Display_Crop_Width;
        g_Frame_Height = g_Display_Crop_Height;
    }
    if (g_Max_Picture_Height == 0) return;
    if (g_Display_Height <= g_Max_Picture_Height) {
        Picture_large.Width(g_Display_Width + 4);
        Picture_large.Height(g_Display_Height + 4);
        Zoom_Factor = 1.0f;
        Resize_By_Code = true;
        const double tpp = forms::Screen_TwipsPerPixelY();
        const double allowance = Height() / tpp - ScaleHeight();
        Height((Get_Bottom_Edge(Picture_large) + allowance) * tpp);
    } else {
        Resize_By_Code = true;
        Height(forms::Screen_Height());
        vb::DoEvents();
        Picture_large.Height(ScaleHeight());
        Zoom_Factor = static_cast<float>(Picture_large.Height() / g_Display_Height);
        Picture_large.Width(g_Display_Width * Zoom_Factor);
    }
    Arrange_Frames();
}

void Frm_kanot_2::item_open_Click() {
    Send_Trace("*FK2 item_open_click");
    std::string none;
    Handle_Open_File(none);
}

void Frm_kanot_2::item_open_last_Click() {
    Send_Trace("*FK2 item_open_last_Click");
    if (g_Last_Captured_File != "N/A") {
        std::string name = g_Last_Captured_File;
        Handle_Open_File(name);
    } else {
        forms::MsgBox("Sorry, no last capture info stored!", forms::vbOKOnly);
    }
}

void Frm_kanot_2::Open_last_File() {
    Send_Trace("*Open_last_File");
    std::string name = g_Last_Captured_File;
    Handle_Open_File(name);
}
