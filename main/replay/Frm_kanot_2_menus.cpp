// The replay window's menu commands: the "Form", "Settings", "Extras",
// "Debug" and "Specials" items that are neither opening, stepping nor lane
// results. Commands built with other parts of the window are called
// directly.
#include "Frm_kanot_2.h"

#include "Class_disk_mem_perf.h"
#include "Dialogs.h"
#include "FolderBrowser.h"
#include "Form_Auto_detect.h"
#include "Form_calibrate.h"
#include "Form_properties.h"
#include "Frm_export.h"
#include "Module_Tidewick.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

#include <cmath>

namespace {

// A command kept with another part of the window; nothing while it is missing.
// The location text of a command's error report.
std::string where(const char* procedure) {
    return std::string(procedure) + " of Form frm_kanot_2";
}

std::string join_lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& l : lines)
        text += (text.empty() ? "" : "\r\n") + l;
    return text;
}

// The local heat start "Set Local heat start" gives: 10:46:33.000.
constexpr int32_t kFixed_Local_Start_Mill = 38793000;

} // namespace

void Frm_kanot_2::Wire_Menu_Commands() {
    const struct {
        forms::Menu* item;
        void (Frm_kanot_2::*command)();
    } own[] = {
        {&item_close, &Frm_kanot_2::item_close_Click},
        {&item_Zoom, &Frm_kanot_2::item_Zoom_Click},
        {&item_video_capture, &Frm_kanot_2::item_video_capture_Click},
        {&item_use_size, &Frm_kanot_2::item_use_size_Click},
        {&item_display_sample_data, &Frm_kanot_2::item_display_sample_data_Click},
        {&item_file_properties, &Frm_kanot_2::item_file_properties_Click},
        {&item_check_timing, &Frm_kanot_2::item_check_timing_Click},
        {&item_auto_detect, &Frm_kanot_2::item_auto_detect_Click},
        {&item_misbehave, &Frm_kanot_2::item_misbehave_Click},
        {&item_misbehave_uncaptured, &Frm_kanot_2::item_misbehave_uncaptured_Click},
        {&item_take_height, &Frm_kanot_2::item_take_height_Click},
        {&item_auto_for_frame, &Frm_kanot_2::item_auto_for_frame_Click},
        {&item_run_auto_detect, &Frm_kanot_2::item_run_auto_detect_Click},
        {&item_setup_auto, &Frm_kanot_2::Setup_Lanes_Auto_Detect},
        {&item_computer_model, &Frm_kanot_2::item_computer_model_Click},
        {&item_display_jpeg_bench, &Frm_kanot_2::item_display_jpeg_bench_Click},
        {&item_display_HSL, &Frm_kanot_2::item_display_HSL_Click},
        {&item_Test_Line, &Frm_kanot_2::item_Test_Line_Click},
        {&item_Goal_HSL, &Frm_kanot_2::Calculate_Goal_HSL},
        {&item_dump_xml_header, &Frm_kanot_2::item_dump_xml_header_Click},
        {&item_sizes, &Frm_kanot_2::item_sizes_Click},
        {&item_test_trace, &Frm_kanot_2::item_test_trace_Click},
        {&item_taskbar, &Frm_kanot_2::item_taskbar_Click},
        {&item_display_positions, &Frm_kanot_2::item_display_positions_Click},
        {&item_export_form, &Frm_kanot_2::item_export_form_Click},
        {&item_update_event, &Frm_kanot_2::item_update_event_Click},
        {&item_show_frame, &Frm_kanot_2::item_show_frame_Click},
        {&item_hide_large_icture, &Frm_kanot_2::item_hide_large_icture_Click},
        {&item_disp_xy, &Frm_kanot_2::item_disp_xy_Click},
        {&item_step_forward, &Frm_kanot_2::item_step_forward_Click},
        {&item_clear_ranks, &Frm_kanot_2::item_clear_ranks_Click},
        {&item_browse_for_folder, &Frm_kanot_2::item_browse_for_folder_Click},
        {&itemLocalheatstart, &Frm_kanot_2::itemLocalheatstart_Click},
        {&item_heat_start, &Frm_kanot_2::item_heat_start_Click},
        {&item_calibrate, &Frm_kanot_2::item_calibrate_Click},
        {&item_Delete_File, &Frm_kanot_2::item_Delete_File_Click},
        {&item_disk_perf, &Frm_kanot_2::item_disk_perf_Click},
    };
    for (const auto& c : own)
        c.item->Click = [this, command = c.command] { (this->*command)(); };

    const struct {
        forms::Menu* item;
        void (Frm_kanot_2::*command)();
    } elsewhere[] = {
        {&item_play, &Frm_kanot_2::item_play_Click},
        {&item_select_logo_file, &Frm_kanot_2::item_select_logo_file_Click},
        {&item_timing_framecount, &Frm_kanot_2::item_timing_framecount_Click},
        {&item_timing_frametimestamp, &Frm_kanot_2::item_timing_frametimestamp_Click},
        {&item_timing_analyze, &Frm_kanot_2::Timing_Analyze},
        {&item_timing_method, &Frm_kanot_2::Timing_Method_Analyze},
        {&item_timing_increment_analyze, &Frm_kanot_2::Timing_Increment_analyze},
        {&item_run_intro, &Frm_kanot_2::item_run_intro_Click},
        {&item_rotated, &Frm_kanot_2::item_rotated_Click},
        {&item_play_deinterlaced, &Frm_kanot_2::item_play_deinterlaced_Click},
        {&item_rename_file, &Frm_kanot_2::item_rename_file_Click},
        {&item_refresh, &Frm_kanot_2::item_refresh_Click},
        {&item_rename_ini, &Frm_kanot_2::item_rename_ini_Click},
        {&item_printer_test, &Frm_kanot_2::item_printer_test_Click},
        {&item_save_lanes, &Frm_kanot_2::item_save_lanes_Click},
    };
    for (const auto& e : elsewhere)
        e.item->Click = [this, command = e.command] { (this->*command)(); };
    item_rot_true.Click = [this] { item_rot_true_Click(); };
    item_rot_false.Click = [this] { item_rot_false_Click(); };
    item_about.Click = [] { Do_about(); };
    // "Debug_Stop", "Assert False", "Timer test" and the Debug items without
    // a procedure of their own ("Load new result form" ...) do nothing.
}

// ---- Form ----

void Frm_kanot_2::item_close_Click() {
    vb::Trap(where("item_close_Click"), [this] {
        Close_File();
        Clear_Results();
        Call_Connected(Results_Window.Clear_Results);
        Call_Connected(Results_Window.Clear_Heat_Data);
        Update_Form_Caption();
        Clear_Picture(Picture_large);
    });
}

void Frm_kanot_2::item_Zoom_Click() {
    vb::Trap(where("item_Zoom_Click"), [this] {
        if (!Replay_File_Open()) return;
        item_Zoom.Checked(!item_Zoom.Checked());
        Zoom_On = item_Zoom.Checked();
        if (!Zoom_On) forms::Screen_MousePointer(forms::vbDefault);
        Slider_play_Scroll();
    });
}

void Frm_kanot_2::item_video_capture_Click() {
    Trace_String("item_video_capture_Click");
    item_close_Click();
    Hide();
    if (forms::Form* panel = results_panel()) panel->Hide();
    Call_Connected(g_Windows.Form_capture_multi_file).Show();
}

// ---- Settings ----

void Frm_kanot_2::item_use_size_Click() {
    item_use_size.Checked(!item_use_size.Checked());
    if (!item_use_size.Checked()) return;
    Write_Ini("Settings", "lastformpos", vb::CStr(Top()) + "," + vb::CStr(Left()) + "," + vb::CStr(Height()),
              g_Ini_File_Path);
}

// ---- Extras ----

void Frm_kanot_2::item_display_sample_data_Click() {
    item_display_sample_data.Checked(!item_display_sample_data.Checked());
    Slider_play_Scroll();
}

void Frm_kanot_2::item_file_properties_Click() {
    vb::Trap(where("item_file_properties_Click"), [] {
        if (!Replay_File_Open()) {
            forms::MsgBox("No file open!", forms::vbOKOnly);
            return;
        }
        cls_VideoFile_handler& vf = Replay_Video_File();
        class Form_properties& properties = Form_properties();
        properties.Label_filename.Caption(vf.File_name());
        properties.Text_properties.Text(vf.QF3_Properties());
        properties.Show();
        properties.Command_OK.SetFocus();
    });
}

void Frm_kanot_2::item_check_timing_Click() {
    item_check_timing.Checked(!item_check_timing.Checked());
}

void Frm_kanot_2::item_auto_detect_Click() {
    item_auto_detect.Checked(!item_auto_detect.Checked());
    if (item_auto_detect.Checked())
        Form_Auto_detect().Show();
    else if (Form_Auto_detect().IsLoaded())
        Form_Auto_detect().Hide();
    if (Replay_File_Open()) New_Graphics();
}

void Frm_kanot_2::item_misbehave_Click() {
    // Trapped in both modes: the operator goes on from the report.
    vb::TrapAlways([] { vb::Raise(vb::errDivisionByZero); },
                   [](const vb::VbError& e) { vb::ReportError(e, where("item_misbehave_Click")); });
}

void Frm_kanot_2::item_misbehave_uncaptured_Click() {
    // No trap of its own: the run-time error reaches the end of the event,
    // which shows it; the open file is not touched.
    vb::Raise(vb::errDivisionByZero);
}

void Frm_kanot_2::item_take_height_Click() {
    // The monitor is the primary screen: the window system offers no other
    // rectangle for a window here.
    const int32_t tpx = forms::Screen_TwipsPerPixelX(), tpy = forms::Screen_TwipsPerPixelY();
    const int32_t top = 0, left = 0, bottom = forms::Screen_Height() / tpy;
    forms::MsgBox(vb::CStr(top) + "," + vb::CStr(bottom) + "," + vb::CStr(bottom - top), forms::vbOKOnly);
    Move(static_cast<double>(left) * tpx, static_cast<double>(top) * tpy, Width(),
         static_cast<double>(bottom - top) * tpy);
}

// ---- Debug ----

void Frm_kanot_2::item_auto_for_frame_Click() {
    vb::Trap(where("item_auto_for_frame_Click"), [this] {
        item_auto_for_frame.Checked(!item_auto_for_frame.Checked());
        if (item_auto_for_frame.Checked()) Setup_Lanes_Auto_Detect();
    });
}

void Frm_kanot_2::item_computer_model_Click() {
    forms::MsgBox(
        join_lines({"Computer model : " + Get_Manufacturer_Model(), "OS_version_WMI : " + Get_OS_Name(),
                    "GetManufacturer : " + Get_Manufacturer()}),
        forms::vbOKOnly);
}

void Frm_kanot_2::item_display_jpeg_bench_Click() {
    vb::Trap(where("item_display_jpeg_bench_Click"),
             [] { forms::MsgBox(Replay_Video_File().File_comment1(), forms::vbOKOnly); });
}

void Frm_kanot_2::item_display_HSL_Click() {
    item_display_HSL.Checked(!item_display_HSL.Checked());
}

void Frm_kanot_2::item_dump_xml_header_Click() {
    vb::Trap(where("item_dump_xml_header_Click"), [] { Replay_Video_File().Dump_XML_Header(""); });
}

void Frm_kanot_2::item_sizes_Click() {
    const double tpy = forms::Screen_TwipsPerPixelY();
    const std::string height_px = vb::CStr(Height() / tpy);
    forms::MsgBox(
        join_lines({"Picture_large.ScaleWidth/Picture_large.ScaleHeight= " +
                        vb::CStr(Picture_large.ScaleWidth()) + "/" + vb::CStr(Picture_large.ScaleHeight()),
                    "Picture_large.Width/Picture_large.Height= " + vb::CStr(Picture_large.Width()) + "/" +
                        vb::CStr(Picture_large.Height()),
                    "Frm_kanot_2.ScaleHeight= " + vb::CStr(ScaleHeight()),
                    "Frm_kanot_2.Scalewidth= " + vb::CStr(ScaleWidth()), "Frm_kanot_2.height= " + height_px,
                    "Frm_kanot_2.Height / Screen.TwipsPerPixelY = " + height_px,
                    "Screen.Height / Screen.TwipsPerPixelY = " + vb::CStr(forms::Screen_Height() / tpy)}),
        forms::vbOKOnly);
}

void Frm_kanot_2::item_test_trace_Click() {
    Send_Trace("Test a trace ************");
}

void Frm_kanot_2::item_taskbar_Click() {
    vb::Trap(where("item_taskbar_Click"), [this] {
        item_taskbar.Checked(!item_taskbar.Checked());
        Show_Taskbar(item_taskbar.Checked() ? 1 : 0);
    });
}

void Frm_kanot_2::item_display_positions_Click() {
    Caption("me.top: " + vb::CStr(Top()) + " me.left: " + vb::CStr(Left()));
}

void Frm_kanot_2::item_export_form_Click() {
    vb::Trap(where("item_export_form_Click"), [this] {
        item_export_form.Checked(!item_export_form.Checked());
        class Frm_export& exporter = Frm_export();
        if (!item_export_form.Checked()) {
            if (exporter.IsLoaded()) exporter.Hide();
            return;
        }
        exporter.Show();
    });
}

void Frm_kanot_2::item_update_event_Click() {
    vb::Trap(where("item_update_event_Click"), [] {
        const std::string name = forms::InputBox("Give event name", forms::app_title(), "");
        Replay_Video_File().Event_name(name);
        if (Replay_File_Open()) Replay_Video_File().Write_XML_Header();
    });
}

void Frm_kanot_2::item_show_frame_Click() {
    vb::Trap(where("item_show_frame_Click"), [this] {
        int32_t frame = static_cast<int32_t>(std::nearbyint(Slider_play.Value() / 2.0));
        const int16_t stream = Show_Frame_Number;
        Replay_Video_File().Draw_Frame(frame, &Picture_large, false, stream, nullptr, false);
        P_Large_refresh();
    });
}

void Frm_kanot_2::item_hide_large_icture_Click() {
    Picture_large.Visible(!Picture_large.Visible());
}

void Frm_kanot_2::item_disp_xy_Click() {
    item_disp_xy.Checked(!item_disp_xy.Checked());
}

void Frm_kanot_2::item_step_forward_Click() {
    // The last field is as far as a step goes.
    if (Slider_play.Value() >= Slider_play.Max()) return;
    Slider_play.Value(Slider_play.Value() + 1);
    Slider_play_Scroll();
}

void Frm_kanot_2::item_clear_ranks_Click() {
    Clear_All_Results();
}

void Frm_kanot_2::item_browse_for_folder_Click() {
    vb::Trap(where("item_browse_for_folder_Click"), [this] {
        // The system folder stands for the shell's Windows folder.
        (void)forms::Browse_For_Folder(hWnd(), "Example", "/usr");
    });
}

// ---- Specials ----

void Frm_kanot_2::itemLocalheatstart_Click() {
    vb::Trap(where("itemLocalheatstart_Click"), [] {
        cls_VideoFile_handler& vf = Replay_Video_File();
        vf.Start_local_mill(1, kFixed_Local_Start_Mill);
        vf.Write_XML_Header();
    });
}

void Frm_kanot_2::item_heat_start_Click() {
    vb::Trap(where("item_heat_start_Click"), [] {
        cls_VideoFile_handler& vf = Replay_Video_File();
        vf.Start_PC_mill(1, vf.Old_HeatStart());
        vf.Write_XML_Header();
    });
}

void Frm_kanot_2::item_calibrate_Click() {
    Form_calibrate().Show();
}

void Frm_kanot_2::item_disk_perf_Click() {
    vb::Trap(where("item_disk_perf_Click"),
             [] { forms::MsgBox(Class_disk_mem_perf().DiskPerf(), forms::vbOKOnly); });
}
