#pragma once
// The capture window: three heat slots side by side, each with a heat file of
// its own, the camera (the capture object), the control box, the event name
// and the capture folder. Frames are appended to the capturing slot's file
// while the Capture button (or the box's capture switch) is held.
//
// Each slot keeps its own video file object, so that nothing done to one slot
// (a new file, a start, a finish) re-points or closes the file another slot is
// capturing into.
#include "Controls.h"
#include "Form.h"
#include "Frame_Stamp_Board.h"
#include "PictureBox.h"
#include "Shape.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class cls_Capture_HDMI;
class cls_VideoFile_handler;
namespace phidget {
class PhidgetInterfaceKit;
}

class Form_capture_multi_file : public forms::Form {
public:
    static constexpr int16_t kSlots = 3;

    Form_capture_multi_file();
    ~Form_capture_multi_file() override;

    // ---- Heat slots ----
    forms::ControlArray<forms::Frame> Frame_capture{this, "Frame_capture"};
    forms::ControlArray<forms::CommandButton> Command_newFile{this, "Command_newFile"};
    forms::ControlArray<forms::CommandButton> Command_start{this, "Command_start"};
    forms::ControlArray<forms::CommandButton> Command_abort{this, "Command_abort"};
    forms::ControlArray<forms::CommandButton> Command_Finish{this, "Command_Finish"};
    forms::ControlArray<forms::TextBox> Text_Heat_ID{this, "Text_Heat_ID"};
    forms::ControlArray<forms::Label> Label_filename{this, "Label_filename"};
    forms::ControlArray<forms::Label> Label_file_size{this, "Label_file_size"};
    forms::ControlArray<forms::Label> Label_start_time{this, "Label_start_time"};
    forms::ControlArray<forms::Label> Label_heat_time{this, "Label_heat_time"};
    forms::ControlArray<forms::Label> Lbl_heat_ID{this, "Lbl_heat_ID"};
    forms::ControlArray<forms::Label> Lbl_file_size{this, "Lbl_file_size"};
    forms::ControlArray<forms::Label> Lbl_elapsed_time{this, "Lbl_elapsed_time"};
    forms::ControlArray<forms::Label> Lbl_start_time{this, "Lbl_start_time"};
    forms::ControlArray<forms::Label> Lbl_file_name{this, "Lbl_file_name"};
    forms::ControlArray<forms::Frame> Frame_active{this, "Frame_active"};
    forms::ControlArray<forms::Label> Label_active_start{this, "Label_active_start"};
    forms::ControlArray<forms::Label> Label_active_capture{this, "Label_active_capture"};

    // ---- Window-wide controls ----
    forms::CommandButton Command_Capture{this, "Command_Capture"};
    forms::Frame Frame_Control_box{this, "Frame_Control_box"};
    forms::Label Label_cb_version{this, "Label_cb_version"};
    forms::Label Label_serial{this, "Label_serial"};
    forms::Label Label_attached{this, "Label_attached"};
    forms::Label Label_remote{this, "Label_remote"};
    forms::PictureBox Picture_LED{this, "Picture_LED"};
    forms::ControlArray<forms::Frame> Frame_toggle{this, "Frame_toggle"};
    forms::Frame Frame_PC_time{this, "Frame_PC_time"};
    forms::Label Label_PC_Time{this, "Label_PC_Time"};
    forms::Frame Frame_camera_monitor{this, "Frame_camera_monitor"};
    forms::PictureBox Picture_HDMI_arm{this, "Picture_HDMI_arm"};
    forms::Label Label_num_written{this, "Label_num_written"};
    forms::Frame Frame_event_name{this, "Frame_event_name"};
    forms::TextBox Text_Event_name{this, "Text_Event_name"};
    forms::Frame Frame1{this, "Frame1"};
    forms::Label Lbl_capture_folder{this, "Lbl_capture_folder"};
    forms::Timer Timer1{this, "Timer1"};
    // The control box display: the two toggle switches (arming, capture), the
    // two buttons and the lamp.
    forms::ControlArray<forms::Shape> Toggle_circle{this, "Toggle_circle"};
    forms::ControlArray<forms::Shape> Shape_on{this, "Shape_on"};
    forms::ControlArray<forms::Shape> Shape_off{this, "Shape_off"};
    forms::ControlArray<forms::Shape> Shape_Button{this, "Shape_Button"};
    // One shot, a second after a heat start: reads the start back from the file.
    forms::Timer Timer_start_check{this, "Timer_start_check"};

    // ---- Menus ----
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_preview{this, "item_preview", &menu_form, "Video preview"};
    forms::Menu item_test_control_box{this, "item_test_control_box", &menu_form, "Test Control Box"};
    forms::Menu item_view_recording{this, "item_view_recording", &menu_form, "View recording"};
    forms::Menu item_view_last{this, "item_view_last", &menu_form, "View last Finished heat"};
    forms::Menu item_restart_camera{this, "item_restart_camera", &menu_form, "Restart camera"};
    forms::Menu item_select_video{this, "item_select_video", &menu_form, "Select Video Source"};
    forms::Menu item_exit{this, "item_exit", &menu_form, "Exit"};
    forms::Menu menu_diagnostics{this, "menu_diagnostics", nullptr, "Diagnostics"};
    forms::Menu item_HDMI_performance{this, "item_HDMI_performance", &menu_diagnostics, "HDMI Performance"};
    forms::Menu item_CPU_Usage{this, "item_CPU_Usage", &menu_diagnostics, "CPU Usage"};
    forms::Menu menu_specials{this, "menu_specials", nullptr, "Specials"};
    forms::Menu item_vantor_test{this, "item_vantor_test", &menu_specials, "Vantor test"};
    forms::Menu item_stop_camera{this, "item_stop_camera", &menu_specials, "Pause camera"};
    forms::Menu item_timing_correction{this, "item_timing_correction", &menu_specials, "Timing correction"};
    forms::Menu menu_help{this, "menu_help", nullptr, "Help"};
    forms::Menu item_about{this, "item_about", &menu_help, "About"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_measured_fps{this, "item_measured_fps", &menu_debug, "Measured FPS"};
    forms::Menu Item_pausecam{this, "Item_pausecam", &menu_debug, "Pause camera"};
    forms::Menu item_direct_compress{this, "item_direct_compress", &menu_debug, "Direct Compress"};
    forms::Menu item_direct_write_compressed{this, "item_direct_write_compressed", &menu_debug,
                                             "Direct write compressed"};
    forms::Menu item_direct_compress_results{this, "item_direct_compress_results", &menu_debug,
                                             "Direct compress results"};
    forms::Menu item_debug_form{this, "item_debug_form", &menu_debug, "Debug_form"};
    forms::Menu item_my_size{this, "item_my_size", &menu_debug, "Show my size"};
    forms::Menu item_playpop{this, "item_playpop", &menu_debug, "Playpop"};

    // ---- Shell ----
    void Stop_Capture();
    void Set_Capture_Rotate(int16_t rotate);
    void Terminate_obj_Capture_HDMI();
    void Set_Source_and_Property();
    void Set_OBJ_Capture_Crop();
    void Start_Camera();
    void Load_Event_name();
    void Arrange_Frames();
    void Hide_HDMI_performance();
    void Load_capture_folder();
    void do_Preview();

    // ---- Heat capture ----
    void Set_Active_heat(int16_t slot);
    void Set_Active_Heat_start(int16_t slot);
    void HDMI_event();
    void Handle_Capture_Start(int16_t slot);
    void Handle_Capture_End(int16_t slot);
    void Handle_Abort(int16_t slot);
    void Update_Heat_Times();
    void Update_File_Size(int16_t slot);
    void Paint_Preview();
    void Hide_Video_preview();
    void Start_Capture();
    void Update_PC_Time();
    void save_event();

    // ---- Start signal and control box ----
    // stamp: the start as the box's contact took it, at the contact; without
    // one (the window's own Start button) it is taken now.
    void Handle_Start_Event(int16_t slot, const Frame_Stamp_Board::Start_Stamp* stamp = nullptr);
    void Handle_start_mouseup(int16_t slot);
    void obj_phidget_OnInputChange(int32_t Index, bool State,
                                   const Frame_Stamp_Board::Start_Stamp* stamp = nullptr);
    // Runs on the box's thread at the contact: reads the last frame's stamp.
    Frame_Stamp_Board::Start_Stamp Take_Start_Stamp() const;
    // The stamp of the last start handled (its heat's values, and when taken).
    const Frame_Stamp_Board::Start_Stamp& Last_Start_Stamp() const { return m_Last_Start_Stamp; }
    void obj_phidget_OnAttach();
    void obj_phidget_OnDetach();
    void Display_Control_Box();
    void Update_Control_Box_Led();
    void Set_Phidget_State(int32_t index, bool state);
    void Draw_LED();
    // Reads back the starts written in the last second (the one-shot timer).
    void Check_Start_Read_Back();
    bool Invert_Start() const { return m_Invert_Start; }
    bool LED_Pressed() const { return m_LED_Pressed; }
    // A start written and still to be read back from its heat file.
    struct Start_Check {
        int16_t slot = 0;
        std::string file;
        int32_t pc_mill = 0, local_mill = 0;
    };
    const std::vector<Start_Check>& Pending_Start_Checks() const { return m_Start_Checks; }

    // ---- Slot commands ----
    void Command_newFile_Click(int16_t slot);
    void Command_Finish_Click(int16_t slot);
    void Clear_Heat(int16_t slot);

    // Per-slot state; a slot number outside 0 to 2 raises error 9.
    int32_t& Heat_Start_Mill(int16_t slot);
    bool& Heat_File_Initiated(int16_t slot);
    // The slot's own heat file object.
    cls_VideoFile_handler& File_Handler(int16_t slot);
    int16_t Active_Heat() const { return m_Active_Heat; }
    int16_t Active_Heat_Start() const { return m_Active_Heat_Start; }
    bool Capturing() const { return m_Capturing; }
    // The slot whose file frames go to; -1 while no capture runs.
    int16_t Capturing_Slot() const { return m_Capturing ? m_Capturing_Slot : -1; }
    int32_t Num_Written() const { return m_Num_Written; }
    int32_t Max_JPG_Size() const { return m_Max_JPG_Size; }
    int32_t Min_JPG_Size() const { return m_Min_JPG_Size; }
    // The camera; nullptr until a crop is handed to it.
    cls_Capture_HDMI* obj_Capture_HDMI() const { return m_Capture.get(); }

    // The live preview: the window and the picture the frames are painted
    // into. The full-screen preview window registers itself here.
    void Set_Preview_Window(forms::Form* window, forms::PictureBox* picture);
    // What the preview window does when this window shows it (its size, its
    // own check mark, the overlay mode), when it hides it, and over each
    // frame painted into its picture (the lane marks and the goal line).
    struct Preview_Hooks {
        std::function<void()> Shown, Hidden, Painted;
    };
    void Set_Preview_Hooks(Preview_Hooks hooks) { m_Preview_Hooks = std::move(hooks); }

protected:
    void Design() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;

private:
    // The face of a button at rest, which the start and slot marks return to.
    static constexpr uint32_t kButton_Face = 0x00F0F0F0;
    void Wire_Slot_Events(int16_t slot);
    void Lbl_capture_folder_Click();
    void Command_Capture_MouseDown();
    void Command_Capture_MouseUp();
    void Enable_Commands(bool enabled);
    void Slot_Colours(int16_t slot, uint32_t colour);
    bool Window_Visible(const std::string& name) const;
    bool Camera_Settings_Changed() const;
    void End_Running_Capture();
    void Stop_Captures_For_Replay();
    void Write_New_Heat_File(int16_t slot, const std::string& file_name);
    static int16_t Checked_Slot(int16_t slot);
    void Design_Control_Box();
    // A fresh box object, wired to this window and opened.
    void Open_Control_Box();
    bool Box_Input(int32_t index) const;
    void Write_Start(int16_t slot, int32_t local_mill, int32_t capture_mill, int32_t events);

    void item_preview_Click();
    void item_test_control_box_Click();
    void item_view_recording_Click();
    void item_view_last_Click();
    void item_exit_Click();
    void item_HDMI_performance_Click();
    void item_CPU_Usage_Click();
    void item_stop_camera_Click();
    void item_timing_correction_Click();
    void item_about_Click();
    void item_measured_fps_Click();
    void Item_pausecam_Click();
    void item_direct_compress_Click();
    void item_direct_compress_results_Click();
    void item_debug_form_Click();
    void item_my_size_Click();
    void item_playpop_Click();
    void menu_Click();

    std::unique_ptr<cls_Capture_HDMI> m_Capture;
    std::shared_ptr<phidget::PhidgetInterfaceKit> obj_phidget;
    std::array<std::unique_ptr<cls_VideoFile_handler>, kSlots> obj_File_Handler;
    std::array<int32_t, kSlots> m_Heat_Start_Mill{};
    std::array<bool, kSlots> m_Heat_File_Initiated{};
    uint32_t m_Load_Time = 0;
    int16_t m_Active_Heat = 0;
    int16_t m_Active_Heat_Start = 0;
    int16_t m_Capture_Rotate = 0;
    bool m_Capturing = false;
    // Escape has asked its abort question and has not been let go since.
    bool m_Escape_Held = false;
    int16_t m_Capturing_Slot = 0;
    int32_t m_Max_JPG_Size = 0;
    int32_t m_Min_JPG_Size = 999999;
    int32_t m_Num_Written = 0;
    int32_t m_Frame_Counter = 0;
    int16_t m_Preview_Counter = 0;
    bool m_Live_Preview_Shown = false;
    forms::Form* m_Preview_Window = nullptr;
    forms::PictureBox* m_Preview_Picture = nullptr;
    uint32_t m_Box_Attach_Time = 0;
    bool m_Invert_Start = false;
    bool m_LED_Pressed = false;
    std::vector<Start_Check> m_Start_Checks;
    // The capture object's stamp board, for the box's thread to read at a
    // contact; set when the camera starts, cleared when the object goes.
    std::atomic<std::shared_ptr<const Frame_Stamp_Board>> m_Stamp_Board;
    Frame_Stamp_Board::Start_Stamp m_Last_Start_Stamp;
    Preview_Hooks m_Preview_Hooks;
    void Preview_Hidden() const {
        if (m_Preview_Hooks.Hidden) m_Preview_Hooks.Hidden();
    }

    // What the running camera was started with: activation restarts it only
    // when one of these changed.
    struct Camera_Settings {
        std::string source, format;
        int16_t crop_width = 0, crop_height = 0, rotate = 0;
        bool operator==(const Camera_Settings&) const = default;
    };
    Camera_Settings Wanted_Camera() const;
    Camera_Settings m_Camera;
    bool m_Camera_Started = false;
};

class Form_capture_multi_file& Form_capture_multi_file();
