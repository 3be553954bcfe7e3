#pragma once
// The replay and timing window: the program's main window, in which the
// operator opens a heat file, steps and plays it, sets lane marks and the
// goal line, attaches finish times and prints. It exists once and loads
// hidden at start; the start-up window's replay choice shows it.
//
// The window's procedures live in several files: this pair holds its state,
// controls, menus, load, resize and closing, Frm_kanot_2_shell.cpp the small
// shell procedures (command line, layout, recent files, focus, full screen,
// file copy). Procedures kept in files of their own elsewhere (the file
// opening and stepping, the lanes, the results panel, the printing) are
// reached through Connected.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"
#include "Program_Windows.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Frm_kanot_2 : public forms::Form {
public:
    Frm_kanot_2();

    // ---- Fields ----
    std::string File_Name_Field;    // path of the open file, empty when none
    std::string Command_Line_Field; // the program's command line, kept at load
    int32_t Frame_Mill = 0;         // frame time of the field shown, ms
    bool Frame_Time_Valid = false;  // the field shown is of a whole frame: its time may be attached
    int32_t Delta_Reference_Mill = 0;
    int16_t Timed_Count = 0;
    bool Rotated_Field = false;
    float Zoom_Factor = 1.0f; // screen pixels per frame pixel of the large picture
    float X_Stretch = 0.0f;   // horizontal stretch; 0 (nothing chosen yet) counts as 1
    bool Resize_By_Code = false;
    bool Overlay_Changed = false;
    // The zoom box on the large picture, in picture units.
    int16_t Zoom_Box_Left = 0, Zoom_Box_Top = 0, Zoom_Box_Width = 0, Zoom_Box_Height = 0;

    // ---- Controls ----
    forms::PictureBox Picture_large{this, "Picture_large"};
    forms::PictureBox Pict_lane_result{this, "Pict_lane_result"};
    forms::PictureBox Pict_heat_time{this, "Pict_heat_time"};
    forms::Frame Frame_Controls{this, "Frame_Controls"};
    forms::Frame Frm_play{this, "Frm_play"};
    forms::Slider Slider_play{this, "Slider_play"};
    forms::CommandButton Cmd_play{this, "Cmd_play"};
    forms::Label Lbl_frameno{this, "Lbl_frameno"};
    forms::Label Lbl_elapsed_time{this, "Lbl_elapsed_time"};
    forms::Label Lbl_delta_time{this, "Lbl_delta_time"};
    forms::Frame frm_File_data{this, "frm_File_data"};
    forms::Label Label_heatID{this, "Label_heatID"};
    forms::Label Label_start_time{this, "Label_start_time"};
    forms::Label Lbl_Frame_size{this, "Lbl_Frame_size"};
    forms::Label Lbl_filesize{this, "Lbl_filesize"};
    forms::Frame Frm_Options{this, "Frm_Options"};
    forms::CheckBox Chk_Show_lanemarks{this, "Chk_Show_lanemarks"};
    forms::CheckBox Chk_Flip_Lanemarks{this, "Chk_Flip_Lanemarks"};
    forms::CheckBox Chk_Show_Goalline{this, "Chk_Show_Goalline"};
    forms::CheckBox Chk_invert_goalline{this, "Chk_invert_goalline"};
    forms::PictureBox Picture_logo{this, "Picture_logo"};
    forms::Timer Timer_keyb_event{this, "Timer_keyb_event"};
    // The intro: the growing picture over the window and its hidden source,
    // made after the other controls so that it lies above them.
    forms::PictureBox Picture_intro{this, "Picture_intro"};
    forms::PictureBox Picture_intro_2{this, "Picture_intro_2"};

    // ---- Menus ----
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_open{this, "item_open", &menu_form, "Open File"};
    forms::Menu item_Open_Newest_Root{this, "item_Open_Newest_Root", &menu_form, "Open Newest File"};
    forms::ControlArray<forms::Menu> item_Open_Newest{this, "item_Open_Newest"};
    forms::Menu item_open_last{this, "item_open_last", &menu_form, "Open last Finished heat"};
    forms::Menu item_close{this, "item_close", &menu_form, "Close File"};
    forms::Menu item_Zoom{this, "item_Zoom", &menu_form, "Zoom"};
    forms::Menu Menu_x_extension{this, "Menu_x_extension", &menu_form, "X-Stretch"};
    forms::ControlArray<forms::Menu> Item_extension{this, "Item_extension"};
    forms::Menu item_play{this, "item_play", &menu_form, "Play"};
    forms::Menu item_video_capture{this, "item_video_capture", &menu_form, "Video Capture"};
    forms::Menu item_exit{this, "item_exit", &menu_form, "Exit"};

    forms::Menu menu_settings{this, "menu_settings", nullptr, "Settings"};
    forms::Menu item_ange_match{this, "item_ange_match", &menu_settings, "Give event name"};
    forms::Menu item_select_logo_file{this, "item_select_logo_file", &menu_settings, "Select Logo file"};
    forms::Menu item_timing_calculation{this, "item_timing_calculation", &menu_settings,
                                        "Timing calculation method"};
    forms::Menu item_timing_framecount{this, "item_timing_framecount", &item_timing_calculation,
                                       "Frame count"};
    forms::Menu item_timing_frametimestamp{this, "item_timing_frametimestamp", &item_timing_calculation,
                                           "Frame timestamp"};
    forms::Menu item_use_size{this, "item_use_size", &menu_settings, "Use this size/position"};
    forms::Menu item_dock_results{this, "item_dock_results", &menu_settings, "Dock Results form"};

    forms::Menu menu_diagnostics{this, "menu_diagnostics", nullptr, "Diagnostics"};
    forms::Menu item_timing_analyze{this, "item_timing_analyze", &menu_diagnostics, "File timing analyze"};

    forms::Menu menu_Extras{this, "menu_Extras", nullptr, "Extras"};
    forms::Menu item_display_sample_data{this, "item_display_sample_data", &menu_Extras,
                                         "Display sample data"};
    forms::Menu item_file_properties{this, "item_file_properties", &menu_Extras, "File properties"};
    forms::Menu item_check_timing{this, "item_check_timing", &menu_Extras, "Check_Timing"};
    forms::Menu item_auto_detect{this, "item_auto_detect", &menu_Extras, "Auto detect"};
    forms::Menu item_misbehave{this, "item_misbehave", &menu_Extras, "Misbehave (trapped)"};
    forms::Menu item_misbehave_uncaptured{this, "item_misbehave_uncaptured", &menu_Extras,
                                          "Misbehave (untrapped)"};
    forms::Menu item_take_height{this, "item_take_height", &menu_Extras, "Take max Height"};

    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_auto_for_frame{this, "item_auto_for_frame", &menu_debug, "Test Auto for frame"};
    forms::Menu item_run_auto_detect{this, "item_run_auto_detect", &menu_debug, "Auto Detect"};
    forms::Menu item_setup_auto{this, "item_setup_auto", &menu_debug, "Setup_auto"};
    forms::Menu item_computer_model{this, "item_computer_model", &menu_debug, "Computer_model"};
    forms::Menu item_display_jpeg_bench{this, "item_display_jpeg_bench", &menu_debug, "Display Jpeg Bench"};
    forms::Menu item_display_HSL{this, "item_display_HSL", &menu_debug, "Display HSL"};
    forms::Menu item_Test_Line{this, "item_Test_Line", &menu_debug, "Test_line"};
    forms::Menu item_Goal_HSL{this, "item_Goal_HSL", &menu_debug, "Goal_HSL"};
    forms::Menu item_timing_method{this, "item_timing_method", &menu_debug, "Timing_method_analyze"};
    forms::Menu item_timing_increment_analyze{this, "item_timing_increment_analyze", &menu_debug,
                                              "Timing Increment analyze"};
    forms::Menu item_dump_xml_header{this, "item_dump_xml_header", &menu_debug, "Dump_XML_header"};
    forms::Menu item_sizes{this, "item_sizes", &menu_debug, "Sizes"};
    forms::Menu item_run_intro{this, "item_run_intro", &menu_debug, "Run intro"};
    forms::Menu item_test_trace{this, "item_test_trace", &menu_debug, "Test tracing"};
    forms::Menu item_rotated{this, "item_rotated", &menu_debug, "Rotated"};
    forms::Menu item_load_new_result_form{this, "item_load_new_result_form", &menu_debug,
                                          "Load new result form"};
    forms::Menu item_test_direct_write{this, "item_test_direct_write", &menu_debug, "Test Direct write"};
    forms::Menu item_analyze_file{this, "item_analyze_file", &menu_debug, "Analyze file"};
    forms::Menu item_taskbar{this, "item_taskbar", &menu_debug, "Taskbar"};
    forms::Menu item_debug_stop{this, "item_debug_stop", &menu_debug, "Debug_Stop"};
    forms::Menu item_display_positions{this, "item_display_positions", &menu_debug, "Display positions"};
    forms::Menu item_test_copy{this, "item_test_copy", &menu_debug, "Test Copy"};
    forms::Menu item_export_form{this, "item_export_form", &menu_debug, "Export form"};
    forms::Menu item_test_xml{this, "item_test_xml", &menu_debug, "Test XML"};
    forms::Menu item_set_rotated{this, "item_set_rotated", &menu_debug, "Set rotated"};
    forms::Menu item_rot_true{this, "item_rot_true", &item_set_rotated, "True"};
    forms::Menu item_rot_false{this, "item_rot_false", &item_set_rotated, "False"};
    forms::Menu item_update_event{this, "item_update_event", &menu_debug, "Update event name"};
    forms::Menu item_play_deinterlaced{this, "item_play_deinterlaced", &menu_debug, "Play deinterlaced"};
    forms::Menu item_assert_false{this, "item_assert_false", &menu_debug, "Assert False"};
    forms::Menu item_show_frame{this, "item_show_frame", &menu_debug, "Show frame"};
    forms::Menu item_hide_large_icture{this, "item_hide_large_icture", &menu_debug, "Hide large_picture"};
    forms::Menu item_rename_file{this, "item_rename_file", &menu_debug, "Rename File"};
    forms::Menu item_plarge{this, "item_plarge", &menu_debug, "plarge"};
    forms::Menu item_disp_xy{this, "item_disp_xy", &menu_debug, "Display X,Y"};
    forms::Menu item_step_forward{this, "item_step_forward", &menu_debug, "Step forward"};
    forms::Menu item_read_lanemarks{this, "item_read_lanemarks", &menu_debug, "Read lanemarks"};
    forms::Menu item_clear_ranks{this, "item_clear_ranks", &menu_debug, "Clear ranks"};
    forms::Menu item_load_ranks{this, "item_load_ranks", &menu_debug, "Load ranks"};
    forms::Menu item_test_array{this, "item_test_array", &menu_debug, "Test array"};
    forms::Menu item_refresh{this, "item_refresh", &menu_debug, "Refresh"};
    forms::Menu item_fullscreen{this, "item_fullscreen", &menu_debug, "Fullscreen"};
    forms::Menu item_save_jpeg{this, "item_save_jpeg", &menu_debug, "Save JPEG"};
    forms::Menu item_browse_for_folder{this, "item_browse_for_folder", &menu_debug, "Browse for folder"};

    forms::Menu menu_help{this, "menu_help", nullptr, "Help"};
    forms::Menu item_about{this, "item_about", &menu_help, "About"};

    forms::Menu menu_specials{this, "menu_specials", nullptr, "Specials"};
    forms::Menu item_rename_ini{this, "item_rename_ini", &menu_specials, "Rename ini file"};
    forms::Menu item_printer_test{this, "item_printer_test", &menu_specials, "printer test"};
    forms::Menu item_set_lanenums{this, "item_set_lanenums", &menu_specials, "Set lanenums"};
    forms::Menu item_save_lanes{this, "item_save_lanes", &menu_specials, "Save lanes"};
    forms::Menu itemLocalheatstart{this, "itemLocalheatstart", &menu_specials, "Set Local heat start"};
    forms::Menu item_heat_start{this, "item_heat_start", &menu_specials, "Set Heat start"};
    forms::Menu item_set_heat_id{this, "item_set_heat_id", &menu_specials, "Set heat ID"};
    forms::Menu item_set_event{this, "item_set_event", &menu_specials, "Set event"};
    forms::Menu item_calibrate{this, "item_calibrate", &menu_specials, "Calibrate clock"};
    forms::Menu item_timer_test{this, "item_timer_test", &menu_specials, "Timer test"};
    forms::Menu item_set_event_name{this, "item_set_event_name", &menu_specials, "Set event name"};
    forms::Menu item_Delete_File{this, "item_Delete_File", &menu_specials, "Delete file"};
    forms::Menu item_disk_perf{this, "item_disk_perf", &menu_specials, "Disk performance"};

    // Never on the menu bar: the pop-up menu of the large picture.
    forms::Menu menu_Result{this, "menu_Result", nullptr, "Result"};
    forms::Menu item_set_time{this, "item_set_time", &menu_Result, "Set time"};
    forms::Menu item_set_disq{this, "item_set_disq", &menu_Result, "Disqualified"};
    forms::Menu item_set_did_not_finish{this, "item_set_did_not_finish", &menu_Result, "Did not finish"};
    forms::Menu item_set_did_not_start{this, "item_set_did_not_start", &menu_Result, "Did not start"};
    forms::Menu item_set_time_plus{this, "item_set_time_plus", &menu_Result, "Set time + 1/100"};
    forms::Menu item_clear_lane{this, "item_clear_lane", &menu_Result, "Clear this lane"};

    // ---- Window events (public: other procedures of the window run them) ----
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
    void Form_Click() override;
    void Form_MouseMove(int32_t Button, int32_t Shift, float X, float Y) override;
    void Form_MouseUp(int32_t Button, int32_t Shift, float X, float Y) override;
    void frm_File_data_MouseMove(int32_t Button, int32_t Shift, float X, float Y);
    void Frm_Options_MouseMove(int32_t Button, int32_t Shift, float X, float Y);
    // Kept for their callers; they do nothing.
    void Check_Screen_Height() {}
    void Check_commandline() {}
    void Uncheck_result_form() {}

    // Renews the caption: "Tidewick Video Replay " and the open file's name.
    void Update_Form_Caption();
    // Reveals or hides "Extras" and "Debug" on a click with Alt held.
    void menu_form_Click();

    // ---- Shell procedures ----
    // Opens the file the command line names, when it exists.
    void Start_Association();
    // Arranges the controls for the rotated or the upright picture.
    void Arrange_Layout(bool& rotated);
    void Arrange_Frames();
    // Fills "Open Newest File" with the newest heat files of the last folder.
    void Update_Recent_Files();
    void item_Open_Newest_Click(int32_t index);
    // True with a file open; otherwise says "No file open!".
    bool Check_File_Open();
    // Give the keyboard focus back to the play slider.
    void Set_Focus();
    void SliderPlay_Focus();
    // Whether the point lies strictly inside the zoom box.
    bool Within_Zoom(float& x, float& y);
    void Timer_keyb_event_Timer();
    // Copies the last captured heat file into the second folder of the list.
    void File_Copy();
    void menu_help_Click();
    void item_fullscreen_Click();
    void item_dock_results_Click();
    void Item_extension_Click(int32_t index);

    // ---- Overlay over the large picture (Frm_kanot_2_overlay.cpp) ----
    // The lane marks, the goal line and the extra line are drawn into one
    // overlay bitmap at the frame's size, then copied onto the picture with
    // the key colour let through, so redrawing the marks never touches the
    // frame itself.
    bool Playing = false;     // True while the play loop runs
    int16_t Extra_Line_X = 0; // the extra line's centre, frame pixels
    int16_t Extra_Line_Y = 0;
    float Waiting_Arm_Angle = 0; // kept between steps of Draw_waiting_arm
    // Rebuilds the overlay and copies it onto the picture; refreshes the
    // picture unless the play loop does (refresh False while playing).
    void Draw_Graphics(bool& refresh, bool& marks_off);
    // Copies the overlay onto the picture, stretched to its inner size.
    void Blit_Graphics();
    // The overlay drawn anew and refreshed: after an open and after a result changed.
    void New_Graphics();
    // Moves the slider to a field; a field outside the slider's range (0: no
    // goal field stored) leaves it where it is.
    void Go_to_Field(int32_t field);
    // Makes the overlay bitmap at the displayed frame size (none while 0).
    void Create_obj_Graphics();
    // The extra line from the header's spare field 1 ("x,y"); "0000" or a
    // damaged field leaves it where it was.
    void Read_Extra_line();
    void Draw_Extra_line();
    void Draw_waiting_arm(forms::PictureBox& picture);

    // The copy routine of File_Copy: source, destination; true on success.
    // Tests put a failing one in its place.
    std::function<bool(const std::string& from, const std::string& to)> Copy_File;

    // ==== Opening a heat, stepping through it, its results ====
    // Frm_kanot_2_open.cpp, Frm_kanot_2_step.cpp, Frm_kanot_2_results.cpp.

    // State of the step: the frame time's parts of the field shown, in
    // milliseconds or capture events; kept until the next step.
    int32_t Start_Mill = 0, Capture_Mill = 0, Elapsed_Mill = 0, Elapsed_Rounded_Mill = 0, Rounding_Mill = 0;
    int32_t Start_Events = 0, Capture_Events = 0, Elapsed_Events = 0, Events_Mill = 0;
    bool Scroll_Busy = false; // a step is being drawn; steps meanwhile are dropped
    bool Zoom_On = false;     // the zoom box is shown
    float Last_Mouse_X = 0, Last_Mouse_Y = 0;

    // What the results panel shows, as Fill_Results and Clear_Results leave
    // it: one row per ranked lane with a result (sixteen at most).
    struct Results_Texts {
        std::array<std::string, 16> rank, lane, time, delta;
        std::string capture_time, heat;
    } Results_Shown;

    // The results window lives in a library above this one: the program's
    // wiring (Wire_Program) connects these; one left unset raises run-time
    // error 91, as an unset object does.
    struct Results_Window_Calls {
        std::function<forms::Form&()> Panel;                     // the results window itself
        std::function<void()> Show_Results;                      // shows Results_Shown in its rows
        std::function<void()> Display_Compensate_Mill;           // shows the start-time correction
        std::function<void(int32_t start_mill)> Heat_Start_Time; // its original start time
        std::function<void()> Display_Original_Start_Time;
        std::function<void(int16_t row)> GoTo_Field;                // the goal field of place row + 1
        std::function<void(const std::string& name)> Event_Caption; // its event-name heading
        std::function<void()> Clear_Results;                        // empties its rows ("Close File")
        std::function<void()> Clear_Heat_Data; // empties its heat data and correction ("Close File")
    } Results_Window;
    // The event name on the results window's heading: the open file's, else
    // the program-wide one.
    void Set_Captions();
    // A click on the small lane-result picture acts as one at that point of
    // the large picture.
    void Pict_lane_result_MouseDown(int32_t Button, int32_t Shift, float X, float Y);

    // Closes what is open, opens the file (an empty name asks with the open
    // box), loads lanes, flags and results and shows field 1.
    void Handle_Open_File(std::string& file_name);
    // Opens the file in the video file object, checks it, sets sizes, the
    // slider's range and the size labels.
    void Open_multi_file(std::string& file_name);
    // Rebuilds the lane marks from the header.
    void Load_Lanes_from_File();
    // Empties the results panel.
    void Clear_Results();
    // Closes the open file and empties the window.
    void Close_File();
    // Empties the picture and the file labels.
    void Clear_file_Data();
    // Fits the large picture and the window to the frame size.
    void Set_Picture_Size();
    void item_open_Click();
    void item_open_last_Click();
    // Opens the last captured heat file (the capture window calls it).
    void Open_last_File();

    // Draws the field the slider names and renews the field and time labels.
    void Slider_play_Scroll();
    void Update_frm_label();
    // Frame_Mill of the field shown, by the timing method chosen.
    void Update_Frame_Time();
    // A frame whose record or picture is damaged: an empty picture that says
    // so, in place of whatever was shown before.
    void Show_Damaged_Frame();
    int32_t Get_Elapsed_HDMI_events_mill() const { return Events_Mill; }
    int32_t Get_Elapsed_Rounded_mill() const { return Elapsed_Rounded_Mill; }
    // Digits 1 to 9: attach the time to that lane; with Ctrl or Alt, jump.
    void Slider_play_KeyDown(int32_t KeyCode, int32_t Shift);

    // Stores the frame time (code 0, plus 10 ms with `plus`) or a result code
    // for the lane, writes the heat into the file and ranks it again.
    void Attach_Time(int16_t& lane, int32_t& code, bool& plus);
    // Reloads the results from the header, ranks and shows them.
    void Complete_Result_Array();
    void Load_All_Heats_Array_from_File(int16_t& heat);
    void Copy_Active_Heat();
    // Writes the ranking into the results panel and the lane marks.
    void Fill_Results();
    // The frame time shown becomes the delta label's reference.
    void Lbl_delta_time_Click();
    // Asks for the program-wide event name and stores it in the settings.
    void Enter_Event_name();
    void do_Heat_Start() {}
    // The "Result" menu: each acts on Selected_Lane.
    void item_set_time_Click();
    void item_set_time_plus_Click();
    void item_set_disq_Click();
    void item_set_did_not_start_Click();
    void item_set_did_not_finish_Click();
    void item_clear_lane_Click();
    // The "Specials" menu's heat data.
    void item_set_event_Click();
    void item_set_event_name_Click();
    void item_set_heat_id_Click();
    void item_set_lanenums_Click();
    // ==== end of opening, stepping and results ====

    // ==== The large picture, playing, the timing method ====
    // Frm_kanot_2_picture.cpp, Frm_kanot_2_play.cpp, Frm_kanot_2_timing.cpp.

    // Mouse state of the large picture. Drag_Index is the picked-up mark's
    // position in the lane collection, 0 for none.
    int16_t Drag_Lane = -1;
    int16_t Drag_Index = 0;
    float Drag_Start_X = 0, Drag_Start_Y = 0;
    bool In_Selection_Box = false;
    int32_t Click_X = 0, Click_Y = 0;
    float Zoom_X = 0, Zoom_Y = 0; // the zoom box's top-left corner, picture units
    int16_t Show_Frame_Number = 0;

    // Wires the events of the large picture, the check boxes, play and timing.
    void Connect_Picture_Play_Timing();
    void Picture_large_MouseDown(int32_t Button, int32_t Shift, float X, float Y);
    void Picture_large_MouseMove(int32_t Button, int32_t Shift, float X, float Y);
    void Picture_large_MouseUp(int32_t Button, int32_t Shift, float X, float Y);
    void Picture_large_Paint() {}
    void Chk_Show_lanemarks_Click();
    void Chk_Show_Goalline_Click();
    void Chk_invert_goalline_Click();
    // Releasing the mouse on an overlay check box redraws (keeping the zoom view).
    void Chk_Overlay_MouseUp();
    // The mouse was released on an overlay box: its Click then redraws.
    bool Overlay_Release_Pending = false;
    void Redraw_After_Release();
    void Chk_vertical_MouseUp();
    // Repaints the large picture now.
    void P_Large_refresh();
    // Draws the field again and, with the zoom on, a 1:1 copy at the zoom point.
    void Refresh_picture();
    // The magnifier: the frame around the zoom point at twice its width.
    void DO_RGB_Zoom();
    // Hands the colour under a picture point to the automatic detection.
    void Test_Pixel(float x, float y);
    void test_Auto_Boat() {}
    // Every lane mark's position into the file's header (not rewritten here).
    void Save_Lanes();
    void Form_Activate() override;
    void item_refresh_Click();
    void item_rot_true_Click();
    void item_rot_false_Click();
    void item_rotated_Click();
    void item_run_auto_detect_Click();
    void item_run_intro_Click();
    // The intro: the product name grows from the window's centre, then the
    // subtitle is written a character at a time; the window waits meanwhile.
    void Run_Intro();
    void Run_Intro_Loop();
    // The built-in picture "INTRO" drawn into Picture_intro_2.
    void Load_Intro_Picture();
    int32_t Intro_Centre_X = 0, Intro_Centre_Y = 0;
    void item_save_lanes_Click() {}
    void Picture_intro_Click() {}
    void Pict_thumbnail_Click(int32_t index);
    void item_reset_goalline_Click();

    // Plays the heat frame by frame at its nominal rate, from frame 1.
    void Cmd_play_Click();
    void item_play_Click() { Cmd_play_Click(); }
    // Shows every field in turn, as fast as they draw.
    void item_play_deinterlaced_Click();
    // Ends the play loop at its next frame (capture start, closing, another file).
    void Stop_Play() { Stop_Play_Requested = true; }
    bool Stop_Play_Requested = false;

    // The timing method: frame count or frame time stamp; stored in the settings.
    void Set_Timing_Framecount();
    void Set_Timing_Frametimestamp();
    // The field shown is shown again with its time by the new method.
    void item_timing_framecount_Click() {
        Set_Timing_Framecount();
        Slider_play_Scroll();
    }
    void item_timing_frametimestamp_Click() {
        Set_Timing_Frametimestamp();
        Slider_play_Scroll();
    }
    // Both clocks give the same time for every frame?
    void Timing_Method_Analyze();
    // Every field 20 ms after the one before?
    void Timing_Increment_analyze();
    // The histogram of the capture intervals in the timing report window.
    void Timing_Analyze();
    // Writes a large text over the picture.
    void Flag_Record(const std::string& text, uint32_t colour);
    // ==== end of the large picture, playing, the timing method ====
    // ==== Printing and the file commands ====
    // Frm_kanot_2_print.cpp, Frm_kanot_2_files.cpp; the page head, results
    // page and job end in Module_print.

    // Where the page head put the footer on the print target, twips.
    int32_t Footer_Position = 0;
    // Prints the field shown on one page under the page head: heat, field
    // number and the picture with its overlay, as large as the page allows.
    void PrintSingle();
    // The results window's three print commands; each needs an open file.
    void Handle_Print_Single();
    void Handle_Print_results();
    void Handle_Print_Series();
    // The finish frames of the ranked lanes, below the results table.
    void Print_Series_HD();
    // How many prints of width w (height h) with 5 % gaps fit across (down).
    int16_t Num_X_prints(int16_t w);
    int16_t Num_Y_prints(int16_t h);
    // The place number, large and white, in the picture's lower right corner.
    void Print_Place_string(const std::string& text);
    // "Lap: " and the lap over the picture; lap 0 draws nothing.
    void Overlay_Lap(int16_t lap);
    // The event logo from the settings into Picture_logo, fitted; none when
    // the file is missing.
    void Load_logo();
    // Lets the operator choose the event logo file.
    void item_select_logo_file_Click();
    // Prints "Testing A,B,C" and "Testing 1,2,3" under a long job name.
    void item_printer_test_Click();
    // Has no effect (kept for its caller, the load).
    void Get_stored_length() {}

    // Asks for a new name for the file and moves it there; the window closes
    // the heat first and shows it again under its new name. True when moved.
    bool rename_file(const std::string& name);
    // "Rename File": the open heat under a new name.
    void item_rename_file_Click();
    // "Rename ini file": the settings file's suffix "ini" becomes "inx".
    void item_rename_ini_Click();
    // "Delete file": asks, closes the heat and deletes its file.
    void item_Delete_File_Click();
    // ==== end of printing and the file commands ====
    // ==== Menu commands, goal-line colour analysis, frame saving ====
    // Frm_kanot_2_menus.cpp, Frm_kanot_2_detect.cpp.

    // The last point the pixel test examined, frame pixels; the auto-detect
    // window shows it.
    float Examined_X = 0, Examined_Y = 0;
    // Colour statistics along the goal line of the field shown, as the last
    // Calculate_Goal_HSL left them: hue, saturation, lightness.
    std::array<int32_t, 3> Goal_HSL_Avg{}, Goal_HSL_Max{}, Goal_HSL_Min{};
    // Detection bands along the goal line: index k (from 1) belongs to lane
    // mark k, from the mark before it (the extra line for the first) down to
    // it; index 0 is not used.
    struct Detect_Band {
        int16_t to_y = 0, from_y = 0, hits = 0;
    };
    std::vector<Detect_Band> Detect_Bands;
    int16_t Detect_Band_Count = 0;
    // The field Test_Auto_Lanes last tested; Auto_Detect tests a field only
    // when drawing it did not test it already.
    int32_t Auto_Tested_Field = 0;

    // Samples the goal line of the field shown and sets the trigger window's
    // thresholds. Does nothing without a usable goal line, lane marks or range.
    void Calculate_Goal_HSL();
    // The hue, saturation and lightness bars beside the goal line.
    void Draw_Goal_HSL();
    void item_Test_Line_Click();
    void Setup_Lanes_Auto_Detect();
    // Counts the firing pixels of each band in the field shown; the third of
    // a band says "Trigger on lane " and the band's number.
    void Test_Auto_Lanes();
    // Steps through every field testing the bands; any key stops it.
    void Auto_Detect();
    // What the slider's step runs after drawing the field, as the menu items
    // and the auto-detect window ask: the bars and the band test.
    void Slider_Scroll_Analysis();
    // Writes the field shown as a JPEG file; false when it could not.
    bool Save_Jpeg(const std::string& path);

    // Form
    void item_close_Click();
    void item_Zoom_Click();
    void item_video_capture_Click();
    // Settings
    void item_use_size_Click();
    // Extras
    void item_display_sample_data_Click();
    void item_file_properties_Click();
    void item_check_timing_Click();
    void item_auto_detect_Click();
    void item_misbehave_Click();
    void item_misbehave_uncaptured_Click();
    void item_take_height_Click();
    // Debug
    void item_auto_for_frame_Click();
    void item_computer_model_Click();
    void item_display_jpeg_bench_Click();
    void item_display_HSL_Click();
    void item_dump_xml_header_Click();
    void item_sizes_Click();
    void item_test_trace_Click();
    void item_taskbar_Click();
    void item_display_positions_Click();
    void item_export_form_Click();
    void item_update_event_Click();
    void item_show_frame_Click();
    void item_hide_large_icture_Click();
    void item_disp_xy_Click();
    void item_step_forward_Click();
    void item_clear_ranks_Click();
    void item_browse_for_folder_Click();
    // Specials
    void itemLocalheatstart_Click();
    void item_heat_start_Click();
    void item_calibrate_Click();
    void item_disk_perf_Click();
    // Sets every menu item's Click above once.
    void Wire_Menu_Commands();
    // ==== end of menu commands ====

protected:
    void Design() override;

private:
    // The results panel, when one is connected.
    forms::Form* results_panel();
    void print_scale();
    // The heat files the recent-files items show, by item index.
    std::vector<std::string> recent_files_;
};

// Moves the window to the screen's top-left corner at the screen's size and
// switches its title bar; a second call gives the title bar back. Always 0.
int16_t SetFormFullScreen(forms::Form& window);

class Frm_kanot_2& Frm_kanot_2();
