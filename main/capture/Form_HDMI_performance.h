#pragma once
// The capture performance window: a strip chart that scrolls one pixel per
// frame and draws the time since the previous frame as a bar, with guide
// lines at 40 and 80 ms, and counters of the frames received against those
// expected at 25 frames per second. The capture window feeds it while it is
// shown.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"

#include <cstdint>
#include <string>

class Form_HDMI_performance : public forms::Form {
public:
    Form_HDMI_performance();

    forms::PictureBox Picture_Scale{this, "Picture_Scale"};
    forms::PictureBox Picture_Delta_Scroll{this, "Picture_Delta_Scroll"};
    forms::PictureBox Picture_delta_scroll_lines{this, "Picture_delta_scroll_lines"};
    forms::Frame Frame_performance{this, "Frame_performance"};
    forms::Label Label_header{this, "Label_header"};
    forms::Label Label_Frames_received{this, "Label_Frames_received"};
    forms::Label Label_frames_Calculated{this, "Label_frames_Calculated"};
    forms::Label Label_frames_lost{this, "Label_frames_lost"};
    forms::Label Label_prop{this, "Label_prop"};
    forms::Label Label_HDMI_dimensions{this, "Label_HDMI_dimensions"};
    forms::Label Label_Windows_version{this, "Label_Windows_version"};
    forms::Label Lbl_PC_info{this, "Lbl_PC_info"};
    forms::CommandButton Command_Hide_Me{this, "Command_Hide_Me"};
    forms::CommandButton Command_copy_to_clipboard{this, "Command_copy_to_clipboard"};
    forms::CommandButton Command_Print_Form{this, "Command_Print_Form"};
    forms::PictureBox Picture2{this, "Picture2"};
    forms::Timer Timer_delta{this, "Timer_delta"};

    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_copy_to_clipboard{this, "item_copy_to_clipboard", &menu_form, "Copy to Clipboard"};
    forms::Menu item_print_form{this, "item_print_form", &menu_form, "Print Form"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_random_delta{this, "item_random_delta", &menu_debug, "Random delta"};

    // One frame: `mill` is the frame's computer time (not used), `delta` the
    // milliseconds since the previous frame.
    // lost: frames of the source counted lost just before this one (never
    // delivered, or overwritten before they were taken).
    void HDMI_event(int32_t mill, int16_t delta, int32_t lost = 0);
    void Plot_Delta(int16_t delta);
    void Reset_Counters();
    void Show_Properties(const std::string& text);
    void HDMI_Dimensions(const std::string& text);
    void Plot_Lines();
    void Draw_lines();

    int32_t Frames_Received() const { return m_Frames_Received; }
    int32_t Frames_Counted_Lost() const { return m_Frames_Counted_Lost; }

protected:
    void Design() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;

private:
    void Command_Print_Form_Click();
    void Command_copy_to_clipboard_Click();
    void item_random_delta_Click();
    void Guide_Lines(forms::PictureBox& picture);

    uint32_t m_Start_Time = 0;
    int32_t m_Frames_Received = 0;
    int32_t m_Frames_Counted_Lost = 0;
    int32_t m_Text_Width = 0, m_Text_Height = 0;
};

class Form_HDMI_performance& Form_HDMI_performance();
