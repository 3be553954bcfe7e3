#include "Frm_kanot_2.h"

#include "Cls_memory_status.h"
#include "Dialogs.h"
#include "Form_Auto_detect.h"
#include "Form_LCS_preview.h"
#include "Gdi.h"
#include "KeyState.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "QFN_error_form.h"
#include "Screen.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <fstream>

namespace {

constexpr uint32_t kGrey = 0x00808080; // RGB(128, 128, 128)

} // namespace

class Frm_kanot_2& Frm_kanot_2() {
    return forms::Instance<class Frm_kanot_2>();
}

Frm_kanot_2::Frm_kanot_2() : Form("Frm_kanot_2") {
    for (int32_t i = 0; i < 4; ++i) {
        item_Open_Newest.Add(i, &item_Open_Newest_Root, std::string("-")).Click = [this, i] {
            item_Open_Newest_Click(i);
        };
    }
    const char* stretches[] = {"1/1", "1/1,5", "1/2"};
    for (int32_t i = 0; i < 3; ++i) {
        Item_extension.Add(i, &Menu_x_extension, std::string(stretches[i])).Click = [this, i] {
            Item_extension_Click(i);
        };
    }
    menu_form.Click = [this] { menu_form_Click(); };
    item_open.Click = [this] { item_open_Click(); };
    item_open_last.Click = [this] { item_open_last_Click(); };
    item_ange_match.Click = [this] { Enter_Event_name(); };
    Slider_play.Scroll = [this] { Slider_play_Scroll(); };
    Slider_play.KeyDown = [this](int32_t& key, int32_t shift) { Slider_play_KeyDown(key, shift); };
    Lbl_delta_time.Click = [this] { Lbl_delta_time_Click(); };
    item_set_time.Click = [this] { item_set_time_Click(); };
    item_set_time_plus.Click = [this] { item_set_time_plus_Click(); };
    item_set_disq.Click = [this] { item_set_disq_Click(); };
    item_set_did_not_start.Click = [this] { item_set_did_not_start_Click(); };
    item_set_did_not_finish.Click = [this] { item_set_did_not_finish_Click(); };
    item_clear_lane.Click = [this] { item_clear_lane_Click(); };
    Pict_lane_result.MouseDown = [this](int32_t b, int32_t s, float x, float y) {
        Pict_lane_result_MouseDown(b, s, x, y);
    };
    item_set_event.Click = [this] { item_set_event_Click(); };
    item_set_event_name.Click = [this] { item_set_event_name_Click(); };
    item_set_heat_id.Click = [this] { item_set_heat_id_Click(); };
    item_set_lanenums.Click = [this] { item_set_lanenums_Click(); };
    item_Open_Newest_Root.Click = [this] { Update_Recent_Files(); };
    item_dock_results.Click = [this] { item_dock_results_Click(); };
    item_test_copy.Click = [this] { File_Copy(); };
    item_fullscreen.Click = [this] { item_fullscreen_Click(); };
    menu_help.Click = [this] { menu_help_Click(); };
    item_exit.Click = [] { Tidewick_exit(); };
    Timer_keyb_event.OnTimer = [this] { Timer_keyb_event_Timer(); };
    frm_File_data.MouseMove = [this](int32_t b, int32_t s, float x, float y) {
        frm_File_data_MouseMove(b, s, x, y);
    };
    Frm_Options.MouseMove = [this](int32_t b, int32_t s, float x, float y) {
        Frm_Options_MouseMove(b, s, x, y);
    };
    // The play panel keeps the arrow over it.
    Frm_play.MouseMove = [](int32_t, int32_t, float, float) { forms::Screen_MousePointer(forms::vbArrow); };
    Connect_Picture_Play_Timing();
    Wire_Menu_Commands();
}

void Frm_kanot_2::Design() {
    ScaleMode(forms::vbPixels);
    Caption("Tidewick Video Replay ");
    Move(0, 0, 12000, 13500);

    Picture_large.ScaleMode(forms::vbPixels);
    Picture_large.Move(0, 0, 404, 804);
    Pict_lane_result.ScaleMode(forms::vbPixels);
    Pict_lane_result.Move(4, 4, 160, 20);
    Pict_heat_time.ScaleMode(forms::vbPixels);
    Pict_heat_time.Visible(false);

    // Everything beside the picture sits in one column, which Arrange_Frames
    // moves as the picture grows; inside a frame positions are in twips.
    Frame_Controls.Move(414, 0, 300, 560);
    const struct {
        forms::Frame* frame;
        const char* caption;
        double top, height;
    } panels[] = {{&Frm_play, "Play", 120, 2100},
                  {&frm_File_data, "File data", 2340, 1700},
                  {&Frm_Options, "Options", 4160, 2300}};
    for (const auto& p : panels) {
        p.frame->Container(Frame_Controls);
        p.frame->Caption(p.caption);
        p.frame->Move(120, p.top, 4260, p.height);
    }
    Slider_play.Container(Frm_play);
    Slider_play.Move(20, 300, 4220, 350);
    Cmd_play.Container(Frm_play);
    Cmd_play.Caption("Play");
    Cmd_play.Move(120, 780, 1100, 400);
    const struct {
        forms::Label* label;
        forms::Frame* frame;
        double left, top, width;
    } labels[] = {{&Lbl_frameno, &Frm_play, 1340, 840, 2800},
                  {&Lbl_elapsed_time, &Frm_play, 120, 1380, 2000},
                  {&Lbl_delta_time, &Frm_play, 2200, 1380, 1940},
                  {&Label_heatID, &frm_File_data, 120, 300, 4020},
                  {&Label_start_time, &frm_File_data, 120, 640, 4020},
                  {&Lbl_Frame_size, &frm_File_data, 120, 980, 4020},
                  {&Lbl_filesize, &frm_File_data, 120, 1320, 4020}};
    for (const auto& l : labels) {
        l.label->Container(*l.frame);
        l.label->Move(l.left, l.top, l.width, 285);
    }
    const struct {
        forms::CheckBox* box;
        const char* caption;
        double top, height;
    } boxes[] = {{&Chk_Show_lanemarks, "Show lane markers", 300, 500},
                 {&Chk_Flip_Lanemarks, "Flip lane numbers", 860, 400},
                 {&Chk_Show_Goalline, "Show goal line", 1320, 400},
                 {&Chk_invert_goalline, "Invert goal line", 1780, 400}};
    for (const auto& b : boxes) {
        b.box->Container(Frm_Options);
        b.box->Caption(b.caption);
        b.box->Move(120, b.top, 4020, b.height);
    }
    Picture_logo.Container(Frame_Controls);
    Picture_logo.Move(120, 6465, 4260, 1500);
    // The intro's source picture, wide enough for the name at 128 points.
    Picture_intro_2.Move(0, 0, 900, 360);
    Picture_intro_2.Visible(false);
    Picture_intro.Visible(false);

    Item_extension(0).Checked(true);
    const struct {
        forms::Menu* item;
        const char* keys;
    } shortcuts[] = {{&item_open, "Ctrl+O"}, {&item_open_last, "Ctrl+L"}, {&item_close, "Ctrl+F4"},
                     {&item_Zoom, "Ctrl+Z"}, {&item_play, "Ctrl+P"},      {&item_video_capture, "Ctrl+K"},
                     {&item_exit, "Ctrl+X"}, {&item_about, "Ctrl+A"}};
    for (const auto& s : shortcuts)
        s.item->Shortcut(s.keys);
    Timer_keyb_event.Interval(60000);
    Timer_keyb_event.Enabled(true);
}

void Frm_kanot_2::Form_Load() {
    vb::Trap("Form_Load of Form frm_kanot_2", [this] {
        Send_Trace("Frm_kanot2 Form_Load start");
        if (g_Compiled) menu_Extras.Visible(false);
        if (g_Program_Title.empty()) Tidewick_Initialization();

        item_dock_results.Checked(
            String_to_Bool(Read_Ini("settings", "resultsdocked", g_Ini_File_Path, "true")));
        g_Display_Width = 400;
        g_Display_Height = 800;
        // The results panel starts docked, whatever the setting says.
        item_dock_results.Checked(true);

        Rotated_Field = true;
        Set_Picture_Size();
        Arrange_Layout(Rotated_Field);

        g_Load_Time_Mill = win::timeGetTime();
        Send_Trace("*Frm_Kanot, Form_load_2 start *");
        const auto& app = forms::App();
        Send_Trace(vb::CStr(app.Major) + "." + vb::CStr(app.Minor) + "." + vb::CStr(app.Revision));
        if (g_Exiting) {
            Send_Trace("*Frm_Kanot_2, Form_load start ending = true");
            return;
        }

        Update_Form_Caption();
        item_video_capture.Visible(true);

        Send_Trace("*before Check_Printer");
        ::Check_Printer();
        Send_Trace("*after Check_Printer");
        Send_Trace("*after Printers_Num");

        Tidewick_Initialization();
        menu_Result.Visible(false);

        g_Print_Left = 0.05f * static_cast<float>(g_Page_Width);
        g_Print_Top = 0.02f * static_cast<float>(g_Page_Height);
        g_Print_Right = 0.95f * static_cast<float>(g_Page_Width);
        g_Print_Bottom = 0.95f * static_cast<float>(g_Page_Height);
        Send_Trace("*before Load Form_LCS_preview");
        Form_LCS_preview().Load();
        Send_Trace("*after Load Form_LCS_preview");

        QFN_error_form().QFN_Error_Initialize();

        if (FileExists(g_Ini_File_Path)) {
            Send_Trace("INI file found");
        } else {
            Send_Trace("INI file not found");
            if (forms::MsgBox("INI file not found! Create? (No exits program)", forms::vbYesNo) ==
                forms::vbNo) {
                forms::End_Process(0);
                return;
            }
            std::ofstream created(g_Ini_File_Path, std::ios::binary | std::ios::app);
            if (!created) vb::Raise(vb::errPathFileAccess, "Path/File access error");
        }

        Move(0, 0, Width(), Height());

        g_Perf_Frequency = win::QueryPerformanceFrequency();
        g_Perf_Count = win::QueryPerformanceCounter();

        g_Frame_DIB = std::make_shared<cDIBSection>();
        g_Frame_DIB->Create(720, 568);
        g_Frame_DIB_Rotated = std::make_shared<cDIBSection>();
        g_Frame_DIB_Rotated->Create(568, 720);
        if (!g_Memory_Status) g_Memory_Status = std::make_shared<Cls_memory_status>();
        g_Memory_Status->get_phys();
        g_Overlay_Key_Colour = kGrey;
        Overlay_Changed = true;

        if (forms::App().PrevInstance()) {
            forms::MsgBox("An instance of this program already running...", forms::vbOKOnly);
            forms::End_Process(0);
            return;
        }

        const std::string clock_text = "-11.22.33";
        Pict_heat_time.Width(Pict_heat_time.TextWidth(clock_text));
        Pict_heat_time.Height(0.85 * Pict_heat_time.TextHeight(clock_text));

        Get_stored_length();
        const int32_t live_goal[4] = {100, 100, 505, 100};
        std::copy(live_goal, live_goal + 4, g_Live_Goal_Points);

        ::Load_Event_name();
        ::Load_Lanes_and_Goalline();
        Update_Form_Caption();

        menu_debug.Visible(!g_Compiled);
        Send_Trace("*Calling Arrange_Frames");

        g_Program_Version_Text =
            g_Program_Version +
            (g_Compiled ? std::string(".EXE") + " cd: " + kCompile_Date : std::string(" IDE"));

        menu_specials.Visible(!g_Compiled);

        ::Make_Print_Footer();
        Load_logo();

        Check_Screen_Height();
        Clear_Picture(Picture_large);

        // The window is closed through "Exit", never through its close box.
        Remove_Close_Menu(hWnd());

        Send_Trace("Command_dollar = " + forms::App().CommandLine);
        Command_Line_Field = forms::App().CommandLine;
        if (!Command_Line_Field.empty()) Start_Association();

        g_Last_Captured_File = Read_Ini("Canoe", "last_captured_file", g_Ini_File_Path, "");

        // Frm_play lies in a frame, so its width is in twips as the slider's.
        Slider_play.Move(20, Slider_play.Top(), Frm_play.Width() - 40, 350);

        Chk_Show_lanemarks.Caption("Show lane\nmarkers");
        // A heat opened from the command line above keeps its labels.
        if (!Replay_File_Open()) {
            Lbl_Frame_size.Caption("");
            Label_heatID.Caption("");
        }
        Send_Trace("*Frm_kanot, Frm_load end");
    });
}

forms::Form* Frm_kanot_2::results_panel() {
    return &Call_Connected(Results_Window.Panel);
}

void Frm_kanot_2::Form_Resize() {
    vb::Trap("form_resize of Form Frm_kanot_2", [this] {
        if (Resize_By_Code) {
            Resize_By_Code = false;
            return;
        }
        forms::Form* panel = results_panel();
        const int32_t state = WindowState();
        if (state == forms::vbMinimized) {
            if (panel && panel->Visible()) panel->Hide();
            if (g_Taskbar_Hidden) Show_Taskbar(1);
        }
        if (state == forms::vbNormal && panel) {
            // Showing a shown panel again would take the focus from this window.
            if (!panel->Visible()) panel->Show();
            if (item_dock_results.Checked()) {
                panel->Top(Top());
                panel->Left(Left() + Width() + 2 * g_Border_Width_X * forms::Screen_TwipsPerPixelX());
            }
        }
        if (!Visible() && panel) panel->Hide();

        const int32_t h = static_cast<int32_t>(ScaleHeight());
        Zoom_Factor =
            h < g_Display_Height ? static_cast<float>(h) / static_cast<float>(g_Display_Height) : 1.0f;
        Picture_large.Height(g_Display_Height * Zoom_Factor);
        if (X_Stretch == 0.0f) X_Stretch = 1.0f;
        Picture_large.Width(g_Display_Width * Zoom_Factor * X_Stretch);
        Arrange_Frames();

        if (Replay_File_Open()) {
            Slider_play_Scroll();
            print_scale();
        }
    });
}

void Frm_kanot_2::print_scale() {
    Picture_large.FontName("Microsoft Sans Serif");
    Picture_large.FontSize(48);
    Picture_large.ForeColor(vb::vbBlue);
    Picture_large.CurrentX(0.3 * Picture_large.ScaleWidth());
    Picture_large.CurrentY(0.9 * Picture_large.ScaleHeight());
    Picture_large.Print(vb::CStr(static_cast<int32_t>(Zoom_Factor * 100.0f)) + "%");
}

void Frm_kanot_2::Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
    (void)Cancel;
    (void)UnloadMode;
    vb::Trap("Form_QueryUnload of Form frm_kanot_2", [this] {
        Send_Trace("*Frm_kanot_2 Form_QueryUnload, begin");
        Timer_keyb_event.Enabled(false);
        if (auto* vf = Replay_Video_File_If_Any()) vf->Close_File();
        Store_Form_Pos(Name(), Left(), Top(), Width(), Height());
        Send_Trace("*Frm_kanot_2 Form_QueryUnload, end");
    });
}

void Frm_kanot_2::Form_Click() {
    SliderPlay_Focus();
}

void Frm_kanot_2::Form_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button;
    (void)Shift;
    if (item_disp_xy.Checked())
        Caption("X,Y = " + vb::CStr(X) + "," + vb::CStr(Y));
    else
        forms::Screen_MousePointer(forms::vbDefault);
}

void Frm_kanot_2::Form_MouseUp(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    Form_Resize();
}

void Frm_kanot_2::frm_File_data_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    forms::Screen_MousePointer(forms::vbDefault);
}

void Frm_kanot_2::Frm_Options_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    forms::Screen_MousePointer(forms::vbDefault);
}

void Frm_kanot_2::Update_Form_Caption() {
    vb::Trap("Update_Form_Caption of Form frm_kanot_2", [this] {
        std::string caption = "Tidewick Video Replay ";
        if (Replay_File_Open()) caption += ParsePath(Replay_Video_File().File_name(), 0);
        Caption(caption);
    });
}

void Frm_kanot_2::menu_form_Click() {
    if (!Alt_Is_Down()) return;
    menu_Extras.Visible(!menu_Extras.Visible());
    menu_debug.Visible(!menu_debug.Visible());
}
