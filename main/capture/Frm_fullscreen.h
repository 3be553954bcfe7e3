#pragma once
// The live preview: the cropped camera picture, as tall as the screen
// allows, with the lane marks and the goal line over it. Here the operator
// drags the marks and the goal line's two ends, chooses how many lanes are
// shown and whether the first is lane 0 or lane 1, switches marks and line
// on and off, and saves it all to the settings, from which the capture and
// replay sides read it again.
//
// The capture window shows and hides it and paints the live frames into
// Picture_preview; the window itself never touches the camera. Lane marks,
// goal line and options are the program-wide overlay state and outlive it.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"
#include "UpDown.h"

#include <cstdint>

// The drag under way in the live preview, written by its mouse handlers.
inline int16_t g_Drag_Lane = -1;   // lane number of the mark being dragged, -1 for none
inline int32_t g_Drag_Start_X = 0; // the mouse-down point in frame pixels
inline int32_t g_Drag_Start_Y = 0;
inline float g_Drag_Lane_X0 = 0; // where the dragged mark was at mouse-down
inline float g_Drag_Lane_Y0 = 0;
inline int32_t g_Drag_Goal_Start[4] = {0, 0, 0, 0}; // the live goal line at mouse-down
// The window's inner height in pixels when as tall as the screen; 0 until measured.
inline int16_t g_Max_Preview_Height = 0;

class Frm_fullscreen : public forms::Form {
public:
    Frm_fullscreen();

    forms::Frame Frame_options{this, "Frame_options"};
    forms::CommandButton Command_menu{this, "Command_menu"};
    forms::CommandButton Command_close{this, "Command_close"};
    forms::Frame Frame_ln_start{this, "Frame_ln_start"};
    forms::ControlArray<forms::OptionButton> Option_first_lane{this, "Option_first_lane"};
    forms::Frame Frm_lanes{this, "Frm_lanes"};
    forms::UpDown UpDown_Lanes{this, "UpDown_Lanes"};
    forms::Label Lbl_num_lanes{this, "Lbl_num_lanes"};
    forms::CheckBox Chk_Flip_Lanemarks{this, "Chk_Flip_Lanemarks"};
    forms::CheckBox Chk_Show_Goalline{this, "Chk_Show_Goalline"};
    forms::CheckBox Chk_Show_lanemarks{this, "Chk_Show_lanemarks"};
    forms::CheckBox Chk_rotate{this, "Chk_rotate"};
    forms::CommandButton Cmd_save_options{this, "Cmd_save_options"};
    forms::PictureBox Picture_preview{this, "Picture_preview"};
    forms::Label Lbl_lanes_locked{this, "Lbl_lanes_locked"};

    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_full_preview{this, "item_full_preview", &menu_form, "Full preview"};
    forms::Menu item_reset_positions{this, "item_reset_positions", &menu_form, "Reset lane positions"};
    forms::Menu item_reset_goal_line{this, "item_reset_goal_line", &menu_form, "Reset Goal line"};
    forms::Menu item_zoom{this, "item_zoom", &menu_form, "Zoom"};
    forms::Menu item_close{this, "item_close", &menu_form, "Close "};
    forms::Menu item_maximize{this, "item_maximize", &menu_form, "Maximize"};
    forms::Menu menu_crop{this, "menu_crop", nullptr, "Crop size"};
    forms::ControlArray<forms::Menu> item_crop{this, "item_crop"};
    forms::Menu menu_settings{this, "menu_settings", nullptr, "Settings"};
    forms::Menu item_event_name{this, "item_event_name", &menu_settings, "Give event name"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_sizes{this, "item_sizes", &menu_debug, "Sizes"};
    forms::Menu item_picture_sizes{this, "item_picture_sizes", &menu_debug, "Picture_sizes"};

    // Lets pending window events run.
    void Handle_events();
    void Save_Options();
    void Form_MaxHeight();
    void Set_Preview_Size();
    // The crop entries have no behaviour of their own.
    void Set_Display_Crop(int16_t x, int16_t y);
    void Set_Num_lanes(int16_t n);
    void Draw_Zoomed(float x, float y);
    void Preview_Refresh();
    void Set_Options();
    // The overlay over the frame just painted into the picture.
    void Preview_Graphics();
    void Save_GoalLine();
    void Save_Lanes();
    void Reset_lane_Positions();
    void Reset_Goal_line();

    // Displayed pixels per frame pixel, 1 or less.
    float Display_Factor() const { return m_Display_Factor; }
    bool Positions_Changed() const { return m_Positions_Changed; }

    // Makes this window the capture window's live preview: shown and hidden
    // by its "Video preview" entry, painted with its frames.
    void Connect_Capture_Window();

protected:
    void Design() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
    void Form_Unload(int32_t& Cancel) override;

private:
    void Picture_preview_MouseDown(int32_t Button, float X, float Y);
    void Picture_preview_MouseMove(int32_t Button, float X, float Y);
    void Picture_preview_MouseUp();
    void Option_first_lane_Click(int16_t index);
    void UpDown_Lanes_MouseUp();
    void Chk_Show_lanemarks_Click();
    void Chk_Flip_Lanemarks_Click();
    void Chk_Show_Goalline_Click();
    void Chk_rotate_Click();
    void Cmd_save_options_Click();
    void item_full_preview_Click();
    void item_close_Click();
    void item_reset_positions_Click();
    void item_reset_goal_line_Click();
    void item_sizes_Click();
    void item_picture_sizes_Click();
    void menu_form_Click();
    void Uncheck_Capture_Preview();
    void Place_Options();

    bool m_Positions_Changed = false;
    float m_Display_Factor = 1;
    bool m_Activated = false;
};

class Frm_fullscreen& Frm_fullscreen();
