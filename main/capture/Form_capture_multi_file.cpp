// The capture window's shell: controls and layout, load and activation, the
// camera, the event name, the capture folder and the menus.
#include "Form_capture_multi_file.h"

#include "Dialogs.h"
#include "FolderBrowser.h"
#include "Form_HDMI_performance.h"
#include "Form_Tidewick_HDMI_debug.h"
#include "Form_select_Video.h"
#include "Frm_kanot_2.h"
#include "Frm_results.h"
#include "Module_Tidewick.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_diagnostics.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "PhidgetInterfaceKit.h"
#include "PlayPOP.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <cmath>

class Form_capture_multi_file& Form_capture_multi_file() {
    return forms::Instance<class Form_capture_multi_file>();
}

Form_capture_multi_file::Form_capture_multi_file() : Form("Form_capture_multi_file") {
    for (auto& f : obj_File_Handler)
        f = std::make_unique<cls_VideoFile_handler>();
    for (int16_t i = 0; i < kSlots; ++i) {
        Frame_capture.Add(i);
        Command_newFile.Add(i);
        Command_start.Add(i);
        Command_abort.Add(i);
        Command_Finish.Add(i);
        Text_Heat_ID.Add(i, false);
        Label_filename.Add(i);
        Label_file_size.Add(i);
        Label_start_time.Add(i);
        Label_heat_time.Add(i);
        Lbl_heat_ID.Add(i);
        Lbl_file_size.Add(i);
        Lbl_elapsed_time.Add(i);
        Lbl_start_time.Add(i);
        Lbl_file_name.Add(i);
        Frame_active.Add(i);
        Label_active_start.Add(i);
        Label_active_capture.Add(i);
        Wire_Slot_Events(i);
    }
    Frame_toggle.Add(0);
    Frame_toggle.Add(1);

    Command_Capture.MouseDown = [this](int32_t button, int32_t, float, float) {
        if (button == forms::vbLeftButton) Command_Capture_MouseDown();
    };
    Command_Capture.MouseUp = [this](int32_t button, int32_t, float, float) {
        if (button == forms::vbLeftButton) Command_Capture_MouseUp();
    };
    Lbl_capture_folder.Click = [this] { Lbl_capture_folder_Click(); };
    Timer1.OnTimer = [this] { Update_PC_Time(); };

    item_preview.Click = [this] { item_preview_Click(); };
    item_select_video.Click = [] { Form_select_Video().Show(forms::vbModeless); };
    item_test_control_box.Click = [this] { item_test_control_box_Click(); };
    item_view_recording.Click = [this] { item_view_recording_Click(); };
    item_view_last.Click = [this] { item_view_last_Click(); };
    item_restart_camera.Click = [this] { Start_Camera(); };
    item_exit.Click = [this] { item_exit_Click(); };
    item_HDMI_performance.Click = [this] { item_HDMI_performance_Click(); };
    item_CPU_Usage.Click = [this] { item_CPU_Usage_Click(); };
    item_vantor_test.Click = [] {};
    item_stop_camera.Click = [this] { item_stop_camera_Click(); };
    item_timing_correction.Click = [this] { item_timing_correction_Click(); };
    item_about.Click = [this] { item_about_Click(); };
    item_measured_fps.Click = [this] { item_measured_fps_Click(); };
    Item_pausecam.Click = [this] { Item_pausecam_Click(); };
    item_direct_compress.Click = [this] { item_direct_compress_Click(); };
    item_direct_write_compressed.Click = [] {};
    item_direct_compress_results.Click = [this] { item_direct_compress_results_Click(); };
    item_debug_form.Click = [this] { item_debug_form_Click(); };
    item_my_size.Click = [this] { item_my_size_Click(); };
    item_playpop.Click = [this] { item_playpop_Click(); };
    menu_form.Click = [this] { menu_Click(); };
}

Form_capture_multi_file::~Form_capture_multi_file() = default;

void Form_capture_multi_file::Design() {
    Caption("Tidewick Capture multi-file");
    Move(600, 600, 13440, 10080);
    const int32_t slot_width = 4200;
    for (int16_t i = 0; i < kSlots; ++i) {
        forms::Frame& f = Frame_capture(i);
        f.Move(120 + i * (slot_width + 120), 120, slot_width, 4860);
        struct Row {
            forms::Label& caption;
            const char* text;
            int32_t top;
        };
        const Row rows[] = {{Lbl_heat_ID(i), "Heat ID", 300},
                            {Lbl_file_name(i), "File name", 720},
                            {Lbl_file_size(i), "File size", 1700},
                            {Lbl_start_time(i), "Start time", 2060},
                            {Lbl_elapsed_time(i), "Elapsed time", 2420}};
        for (const Row& r : rows) {
            r.caption.Container(f);
            r.caption.Caption(r.text);
            r.caption.Move(120, r.top, 1260, 300);
        }
        Text_Heat_ID(i).Container(f);
        Text_Heat_ID(i).Move(1440, 260, 2640, 360);
        Text_Heat_ID(i).ToolTipText("Enter Heat ID");
        Label_filename(i).Container(f);
        Label_filename(i).Move(120, 1000, 3960, 660);
        Label_filename(i).WordWrap(true);
        Label_filename(i).ToolTipText("The generated file name for this heat");
        Label_file_size(i).Container(f);
        Label_file_size(i).Move(1440, 1700, 2640, 300);
        Label_file_size(i).ToolTipText("Indicates captured file size");
        Label_start_time(i).Container(f);
        Label_start_time(i).Move(1440, 2060, 2640, 300);
        Label_start_time(i).ToolTipText("Heat start time");
        Label_heat_time(i).Container(f);
        Label_heat_time(i).Move(1440, 2420, 2640, 360);
        Label_heat_time(i).FontBold(true);
        Label_heat_time(i).ToolTipText("Elapsed heat time");
        Frame_active(i).Container(f);
        Frame_active(i).Caption("Active");
        Frame_active(i).Move(120, 2860, 3960, 700);
        Label_active_start(i).Container(Frame_active(i));
        Label_active_start(i).Caption("Start");
        Label_active_start(i).Alignment(2);
        Label_active_start(i).Move(120, 280, 1800, 300);
        Label_active_start(i).ToolTipText("When red, signifies file active for start pulse");
        Label_active_capture(i).Container(Frame_active(i));
        Label_active_capture(i).Caption("Capture");
        Label_active_capture(i).Alignment(2);
        Label_active_capture(i).Move(2040, 280, 1800, 300);
        Label_active_capture(i).ToolTipText("When orange, signifies file is active for video capture");
        struct Button {
            forms::CommandButton& button;
            const char *caption, *tip;
            int32_t left, top;
        };
        const Button buttons[] = {
            {Command_newFile(i), "New file", "Initiate a new file for this heat", 120, 3700},
            {Command_start(i), "Start", "Manual start for this heat", 2160, 3700},
            {Command_abort(i), "Abort", "Manual abort for this heat", 120, 4240},
            {Command_Finish(i), "Finish", "Indicate this heat finished", 2160, 4240}};
        for (const Button& b : buttons) {
            b.button.Container(f);
            b.button.Caption(b.caption);
            b.button.ToolTipText(b.tip);
            b.button.Move(b.left, b.top, 1920, 460);
        }
    }

    Command_Capture.Caption("Capture");
    Command_Capture.FontBold(true);
    Command_Capture.FontSize(14);
    Command_Capture.Move(120, 5100, 4200, 1000);

    Frame_camera_monitor.Caption("Camera monitor");
    Frame_camera_monitor.Move(4440, 5100, 2400, 1380);
    Picture_HDMI_arm.Container(Frame_camera_monitor);
    Picture_HDMI_arm.Move(120, 280, 960, 960);
    Picture_HDMI_arm.ScaleMode(forms::vbPixels);
    Label_num_written.Container(Frame_camera_monitor);
    Label_num_written.Move(1200, 600, 1100, 300);
    Label_num_written.Visible(false);

    Frame_PC_time.Caption("PC time");
    Frame_PC_time.Move(6960, 5100, 1800, 760);
    Label_PC_Time.Container(Frame_PC_time);
    Label_PC_Time.Move(120, 300, 1560, 360);
    Label_PC_Time.FontBold(true);
    Label_PC_Time.FontSize(12);

    Frame_event_name.Caption("Event name");
    Frame_event_name.Move(8880, 5100, 4320, 760);
    Text_Event_name.Container(Frame_event_name);
    Text_Event_name.Move(120, 280, 4080, 360);
    Text_Event_name.LostFocus = [this] { save_event(); };

    Frame1.Caption("Capture folder");
    Frame1.Move(4440, 6600, 8760, 760);
    Lbl_capture_folder.Container(Frame1);
    Lbl_capture_folder.Move(120, 300, 8520, 360);
    Lbl_capture_folder.ToolTipText("Where to store captured files");

    Frame_Control_box.Caption("Control Box validation");
    Frame_Control_box.Move(120, 7500, 13080, 1620);
    Label_cb_version.Container(Frame_Control_box);
    Label_cb_version.Caption("Tidewick Control Box ");
    Label_cb_version.Move(120, 300, 3600, 300);
    Label_attached.Container(Frame_Control_box);
    Label_attached.Caption("Box attached");
    Label_attached.Move(120, 660, 3600, 300);
    Label_serial.Container(Frame_Control_box);
    Label_serial.Move(120, 1020, 3600, 300);
    Label_remote.Container(Frame_Control_box);
    Label_remote.Caption("Remote");
    Label_remote.Alignment(2);
    Label_remote.Move(3840, 300, 1200, 360);
    for (int16_t t = 0; t < 2; ++t) {
        Frame_toggle(t).Container(Frame_Control_box);
        Frame_toggle(t).Move(5280 + t * 1440, 240, 1320, 1200);
    }
    Picture_LED.Container(Frame_Control_box);
    Picture_LED.Move(8400, 300, 960, 960);
    Picture_LED.ScaleMode(forms::vbPixels);
    Frame_Control_box.Visible(false);

    Timer1.Interval(5000);
    Design_Control_Box();
}

void Form_capture_multi_file::Wire_Slot_Events(int16_t i) {
    auto activate = [this, i](int32_t, int32_t, float, float) { Set_Active_heat(i); };
    for (forms::WidgetControl* c : std::initializer_list<forms::WidgetControl*>{
             &Command_newFile.Element(i), &Command_start.Element(i), &Command_abort.Element(i),
             &Frame_capture.Element(i), &Label_file_size.Element(i), &Label_heat_time.Element(i),
             &Label_start_time.Element(i), &Lbl_elapsed_time.Element(i), &Lbl_file_size.Element(i),
             &Lbl_heat_ID.Element(i), &Lbl_start_time.Element(i), &Text_Heat_ID.Element(i),
             &Command_Finish.Element(i), &Lbl_file_name.Element(i)})
        c->MouseDown = activate;
    Label_active_capture.Element(i).Click = [this, i] { Set_Active_heat(i); };
    Label_filename.Element(i).Click = [this, i] { Set_Active_heat(i); };
    Label_active_start.Element(i).Click = [this, i] {
        if (Ctrl_Is_Down()) Set_Active_Heat_start(i);
    };
    Command_newFile.Element(i).Click = [this, i] { Command_newFile_Click(i); };
    Command_abort.Element(i).Click = [this, i] {
        Send_Trace("Command_abort_Click Index = ", i);
        Handle_Abort(i);
    };
    Command_Finish.Element(i).Click = [this, i] { Command_Finish_Click(i); };
}

// ---- Load, activation, closing ----------------------------------------------

void Form_capture_multi_file::Form_Load() {
    vb::Trap("Form_Load of Form Form_capture_multi_file", [&] {
        menu_debug.Visible(!g_Compiled);
        if (g_Exiting) return;
        Remove_Close_Menu(hWnd());
        Send_Trace("Before Set obj_Phidget = New PhidgetInterfaceKit");
        obj_phidget = phidget::PhidgetInterfaceKit::Create();
        obj_phidget->Open(0);
        Send_Trace("After obj_Phidget.Open");
        int32_t left = 0, top = 0, width = 0, height = 0;
        Get_Form_Pos(Name(), left, top, width, height);
        Left(left);
        Top(top);
        Load_capture_folder();
        // The slots start empty: their file names went with the last unload.
        End_Running_Capture();
        for (auto& f : obj_File_Handler)
            f = std::make_unique<cls_VideoFile_handler>();
        m_Heat_File_Initiated.fill(false);
        m_Heat_Start_Mill.fill(0);
        // The live preview draws and drags its marks and goal line only with these on.
        g_Show_Goalline = true;
        g_Show_Lanes = true;
        Arrange_Frames();
        Load_Event_name();
        Update_PC_Time();
        m_Load_Time = win::timeGetTime();
        // A fresh box object, so that its attach follows the load time.
        Open_Control_Box();
        Enable_Commands(true);
        if (g_Compiled) menu_specials.Visible(false);
        Set_Active_heat(0);
    });
}

Form_capture_multi_file::Camera_Settings Form_capture_multi_file::Wanted_Camera() const {
    return {Read_Ini("capturesettings", "friendlyname", g_Ini_File_Path, "noname"),
            Read_Ini("capturesettings", "videoproperty", g_Ini_File_Path, "-1"), g_Capture_Crop_Width,
            g_Capture_Crop_Height, m_Capture_Rotate};
}

bool Form_capture_multi_file::Camera_Settings_Changed() const {
    return !m_Capture || !m_Capture->Running() || !m_Camera_Started || !(Wanted_Camera() == m_Camera);
}

void Form_capture_multi_file::Form_Activate() {
    vb::Trap("Form_Activate of Form Form_capture_multi_file", [&] {
        const Camera_Settings wanted = Wanted_Camera();
        if (vb::Val(wanted.format) < 0) return;
        // Every activation of the original chose the source again and reset
        // the compression's size target, also in the middle of a heat; a
        // running camera with unchanged settings is left alone.
        if (!Camera_Settings_Changed()) return;
        Set_Source_and_Property();
        if (m_Capture && m_Capture->SourcePropFound()) {
            Start_Camera();
        } else {
            Send_Trace("*obj_Capture_HDMI.SourcePropFound = False");
        }
    });
}

void Form_capture_multi_file::Form_QueryUnload(int32_t&, int32_t) {
    Timer1.Enabled(false);
    Store_Form_Pos(Name(), Left(), Top(), 0, 0);
}

// ---- Camera -----------------------------------------------------------------

void Form_capture_multi_file::Stop_Capture() {
    vb::Trap("Stop_Capture of Form Form_capture_multi_file", [&] {
        if (m_Capture) m_Capture->Stop_Capture();
    });
}

void Form_capture_multi_file::Set_Capture_Rotate(int16_t rotate) {
    m_Capture_Rotate = rotate;
}

void Form_capture_multi_file::Terminate_obj_Capture_HDMI() {
    Send_Trace("*Terminate_obj_Capture_HDMI, begin");
    // The program is ending: a heat being captured gets its header first.
    End_Running_Capture();
    if (!m_Capture) return;
    vb::Trap("Terminate_obj_Capture_HDMI of Form Form_capture_multi_file", [&] {
        m_Capture->Stop_Capture();
        m_Capture->UnAdvise();
    });
    m_Stamp_Board.store(nullptr);
    m_Capture.reset();
    m_Camera_Started = false;
    Send_Trace("*Terminate_obj_Capture_HDMI, end");
}

void Form_capture_multi_file::Set_Source_and_Property() {
    vb::Trap("Set_Source_and_Property of Form Form_capture_multi_file", [&] {
        if (!m_Capture) {
            m_Capture = std::make_unique<cls_Capture_HDMI>();
            m_Capture->ID_string("obj_Capture_HDMI");
        }
        if (m_Capture->Set_Source_from_Saved())
            Set_OBJ_Capture_Crop();
        else
            Form_select_Video().Show(forms::vbModeless);
    });
}

void Form_capture_multi_file::Set_OBJ_Capture_Crop() {
    vb::Trap("Set_OBJ_Capture_Crop of Form Form_capture_multi_file", [&] {
        if (!m_Capture) {
            m_Capture = std::make_unique<cls_Capture_HDMI>();
            m_Capture->ID_string("obj_Capture_HDMI");
        }
        m_Capture->HDMIreceived = [this] { HDMI_event(); };
        m_Capture->Capture_Rotate_RGB(m_Capture_Rotate != 0);
        m_Capture->set_HDMI_Crop(g_Capture_Crop_Width, g_Capture_Crop_Height);
        m_Capture->Do_CROP(true);
        if (g_Rotated_Crop) {
            g_Crop_Offset_X = vb::CInt((1920.0 - g_Capture_Crop_Width) / 2);
            g_Crop_Offset_Y = vb::CInt((1080.0 - g_Capture_Crop_Height) / 2);
        }
    });
}

void Form_capture_multi_file::Start_Camera() {
    vb::Trap("Start_Camera of Form Form_capture_multi_file", [&] {
        Start_Capture();
        g_Capture_Running = true;
        m_Camera = Wanted_Camera();
        m_Camera_Started = m_Capture && m_Capture->Running();
        Send_Trace("*Form_capture_multi_file Start_Camera, end");
    });
}

// ---- Event name, slots, folder ------------------------------------------------

void Form_capture_multi_file::Load_Event_name() {
    vb::Trap("Load_Event_name of Form Form_capture_multi_file", [&] {
        Text_Event_name.Text(Read_Ini("Canoe", "event_name", g_Ini_File_Path, "NOEVENT"));
        g_Event_Name = Text_Event_name.Text();
    });
}

void Form_capture_multi_file::Arrange_Frames() {
    vb::Trap("Arrange_Frames of Form Form_capture_multi_file", [&] {
        for (int16_t i = static_cast<int16_t>(Frame_capture.LBound()); i <= Frame_capture.UBound(); ++i) {
            Frame_capture(i).Caption("Heat " + std::string(1, static_cast<char>(65 + i)));
            Update_File_Size(i);
        }
    });
}

void Form_capture_multi_file::Load_capture_folder() {
    vb::Trap("Load_capture_folder of Form Form_capture_multi_file", [&] {
        const std::string folder = Read_Ini("canoe", "save_folder1", g_Ini_File_Path, "");
        if (folder == "N/A") {
            Lbl_capture_folder.Caption("NoFolder");
        } else {
            Lbl_capture_folder.Caption(folder);
            g_Save_Folder = folder;
        }
    });
}

void Form_capture_multi_file::Lbl_capture_folder_Click() {
    vb::Trap("Lbl_capture_folder_Click of Form Form_capture_multi_file", [&] {
        const std::string folder = forms::Browse_For_Folder(hWnd(), "Capture folder", g_Save_Folder);
        if (folder.empty()) return;
        g_Save_Folder = folder;
        Write_Ini("Canoe", "save_folder1", folder, g_Ini_File_Path);
        Load_capture_folder();
    });
}

void Form_capture_multi_file::Enable_Commands(bool enabled) {
    vb::Trap("Enable_Commands of Form Form_capture_multi_file", [&] {
        Command_newFile.ForEach([&](int32_t, forms::CommandButton& b) { b.Enabled(enabled); });
        Command_Capture.Enabled(enabled);
    });
}

bool Form_capture_multi_file::Window_Visible(const std::string& name) const {
    for (forms::Form* f : forms::Forms())
        if (f->Name() == name) return f->Visible();
    return false;
}

// ---- Preview and performance window -------------------------------------------

void Form_capture_multi_file::Set_Preview_Window(forms::Form* window, forms::PictureBox* picture) {
    m_Preview_Window = window;
    m_Preview_Picture = picture;
}

void Form_capture_multi_file::do_Preview() {
    vb::Trap("do_Preview of Form Form_capture_multi_file", [&] {
        if (item_preview.Checked()) {
            if (m_Preview_Window) {
                m_Preview_Window->Show();
                m_Preview_Window->Top(0);
                if (m_Preview_Hooks.Shown) m_Preview_Hooks.Shown();
            }
            m_Live_Preview_Shown = true;
        } else {
            m_Live_Preview_Shown = false;
            if (m_Preview_Window) m_Preview_Window->Hide();
            Preview_Hidden();
        }
    });
}

void Form_capture_multi_file::Hide_HDMI_performance() {
    item_HDMI_performance.Checked(false);
    for (forms::Form* f : forms::Forms())
        if (f->Name() == "Form_HDMI_performance") f->Hide();
}

// ---- Menus --------------------------------------------------------------------

void Form_capture_multi_file::menu_Click() {
    // The debug menu is shown and hidden by a click on the bar with Alt held.
    if (!Alt_Is_Down()) return;
    menu_debug.Visible(!menu_debug.Visible());
}

void Form_capture_multi_file::item_preview_Click() {
    item_preview.Checked(!item_preview.Checked());
    if (item_preview.Checked()) {
        do_Preview();
    } else {
        m_Live_Preview_Shown = false;
        if (m_Preview_Window) m_Preview_Window->Hide();
        Preview_Hidden();
    }
}

void Form_capture_multi_file::item_test_control_box_Click() {
    item_test_control_box.Checked(!item_test_control_box.Checked());
    Frame_Control_box.Visible(item_test_control_box.Checked());
    if (item_test_control_box.Checked()) Display_Control_Box();
}

void Form_capture_multi_file::Stop_Captures_For_Replay() {
    // A heat being captured is ended (its header written) before the camera
    // stops; the original stopped the camera and left the file's header
    // without the frames of the running capture.
    End_Running_Capture();
    Stop_Captures_And_Flush();
}

void Form_capture_multi_file::item_view_recording_Click() {
    vb::Trap("item_view_recording_Click of Form Form_capture_multi_file", [&] {
        Stop_Captures_For_Replay();
        Call_Connected(g_Windows.Frm_kanot_2).Show();
    });
}

void Form_capture_multi_file::item_view_last_Click() {
    vb::Trap("item_view_last_Click of Form Form_capture_multi_file", [&] {
        Send_Trace("*FCMF item_view_last_Click, m_Appending = ", "False");
        Stop_Captures_For_Replay();
        Frm_kanot_2().Show();
        Frm_results().Show();
        Hide();
        Frm_kanot_2().Open_last_File();
    });
}

void Form_capture_multi_file::item_exit_Click() {
    Tidewick_exit();
    Send_Trace("******After calling Tidewick_Exit");
}

void Form_capture_multi_file::item_HDMI_performance_Click() {
    vb::Trap("item_HDMI_performance_Click of Form Form_capture_multi_file", [&] {
        if (!m_Capture || m_Capture->HDMI_10_mill() == 0) {
            forms::MsgBox("No active HDMI source!");
            return;
        }
        item_HDMI_performance.Checked(!item_HDMI_performance.Checked());
        if (!item_HDMI_performance.Checked()) {
            Form_HDMI_performance().Unload();
            return;
        }
        class Form_HDMI_performance& perf = Form_HDMI_performance();
        perf.Show_Properties(m_Capture->Current_FriendlyName() + " / " + m_Capture->Current_PropertyString());
        perf.Reset_Counters();
        perf.Show();
        const double fps = 1000.0 / (m_Capture->HDMI_10_mill() / 10.0);
        perf.HDMI_Dimensions(m_Capture->HDMI_Sample_Dimensions() + ", " +
                             vb::CStr(static_cast<int32_t>(fps)) + " fps");
        Set_TopMost(perf.hWnd());
    });
}

void Form_capture_multi_file::item_CPU_Usage_Click() {
    vb::Trap("item_CPU_Usage_Click of Form Form_capture_multi_file",
             [&] { forms::MsgBox("CPU Usage = " + vb::CStr(Get_CPU_Usage()) + "%"); });
}

void Form_capture_multi_file::item_stop_camera_Click() {
    vb::Trap("item_stop_camera_Click of Form Form_capture_multi_file", [&] { Stop_Captures_For_Replay(); });
}

void Form_capture_multi_file::item_timing_correction_Click() {
    vb::Trap("item_timing_correction_Click of Form Form_capture_multi_file", [&] {
        const auto answer = forms::InputBoxEx("Enter new timing correction", "Tidewick timing",
                                              vb::CStr(g_Timing_Correction));
        // Cancel keeps the present correction.
        if (!answer) return;
        g_Timing_Correction = vb::CLng(vb::Val(*answer));
        Write_Ini("Settings", "timingcorrection", vb::CStr(g_Timing_Correction), g_Ini_File_Path);
    });
}

void Form_capture_multi_file::item_about_Click() {
    Do_about();
}

void Form_capture_multi_file::item_measured_fps_Click() {
    vb::Trap("item_measured_fps_Click of Form Form_capture_multi_file",
             [&] { forms::MsgBox(vb::CStr(m_Capture ? m_Capture->Measured_fps() : 0.0f)); });
}

void Form_capture_multi_file::Item_pausecam_Click() {
    vb::Trap("Item_pausecam_Click of Form Form_capture_multi_file", [&] {
        Item_pausecam.Checked(!Item_pausecam.Checked());
        if (!m_Capture) return;
        if (Item_pausecam.Checked())
            m_Capture->Pause_Capture();
        else
            m_Capture->UnPause_Capture();
    });
}

void Form_capture_multi_file::item_direct_compress_Click() {
    item_direct_compress.Checked(!item_direct_compress.Checked());
    if (m_Capture) m_Capture->Direct_Compress(item_direct_compress.Checked());
}

void Form_capture_multi_file::item_direct_compress_results_Click() {
    vb::Trap("item_direct_compress_results_Click of Form Form_capture_multi_file", [&] {
        const int32_t num = m_Capture ? m_Capture->Direct_Compressed_Num() : 0;
        const int32_t max = m_Capture ? m_Capture->Max_Direct_Compressed_size() : 0;
        forms::MsgBox("Number Direct Compress = " + vb::CStr(num) + "\r\n" +
                      "Max Direct compress size = " + vb::CStr(max));
    });
}

void Form_capture_multi_file::item_debug_form_Click() {
    vb::Trap("item_debug_form_Click of Form Form_capture_multi_file", [&] {
        item_debug_form.Checked(!item_debug_form.Checked());
        Form_Tidewick_HDMI_debug().Visible(item_debug_form.Checked());
        if (item_debug_form.Checked()) Set_TopMost(Form_Tidewick_HDMI_debug().hWnd());
    });
}

void Form_capture_multi_file::item_my_size_Click() {
    vb::Trap("item_my_size_Click of Form Form_capture_multi_file", [&] {
        const int32_t tx = forms::Screen_TwipsPerPixelX(), ty = forms::Screen_TwipsPerPixelY();
        forms::MsgBox("My size is: " + vb::CStr(Width() / tx) + "*" + vb::CStr(Height() / ty) +
                      "Screen.TwipsPerPixelX = " + vb::CStr(tx) + " Screen.TwipsPerPixelY = " + vb::CStr(ty) +
                      "Screen.Width = " + vb::CStr(forms::Screen_Width()) +
                      " Screen.Height = " + vb::CStr(forms::Screen_Height()));
    });
}

void Form_capture_multi_file::item_playpop_Click() {
    PlayPOP();
}
