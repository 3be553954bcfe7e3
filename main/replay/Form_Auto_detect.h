#pragma once
// The trigger window of the goal-line colour analysis: the hue, saturation
// and lightness range sampled along the goal line, the thresholds derived
// from it (each adjustable with its up-down control), the switches of the
// three tests and the result of the last pixel tested. The replay window
// fills it (Calculate_Goal_HSL) and asks it about pixels.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"
#include "UpDown.h"

#include <cstdint>

class Form_Auto_detect : public forms::Form {
public:
    Form_Auto_detect();

    // Set by each test: which of the three tests fired.
    bool Trigger_Hue = false, Trigger_Sat = false, Trigger_Lum = false;
    // The colour of the last pixel tested.
    int32_t Hue = 0, Saturation = 0, Lightness = 0;

    forms::Frame Frame_hsl{this, "Frame_hsl"};
    forms::Frame Frame1{this, "Frame1"};
    forms::Frame Frame_Triggers{this, "Frame_Triggers"};
    // The thresholds: whole numbers in their captions, read by every test.
    forms::Label Label_hue_min{this, "Label_hue_min"};
    forms::Label Label_hue_max{this, "Label_hue_max"};
    forms::Label Label_Sat_min{this, "Label_Sat_min"};
    forms::Label Label_lum_min{this, "Label_lum_min"};
    forms::Label Label_lum_max{this, "Label_lum_max"};
    forms::UpDown UpDown_hue_min{this, "UpDown_hue_min"};
    forms::UpDown UpDown2{this, "UpDown2"}; // the hue maximum
    forms::UpDown UpDown_sat{this, "UpDown_sat"};
    forms::UpDown UpDown_lum_min{this, "UpDown_lum_min"};
    forms::UpDown UpDownLum_max{this, "UpDownLum_max"};
    // The sampled range, index 0 hue, 1 saturation, 2 lightness.
    forms::ControlArray<forms::Label> Label_max{this, "Label_max"};
    forms::ControlArray<forms::Label> Label_min{this, "Label_min"};
    forms::ControlArray<forms::Label> Label_avg{this, "Label_avg"};
    // Which tests run (value 1), same indexes.
    forms::ControlArray<forms::CheckBox> Check_use{this, "Check_use"};
    forms::Label Label_HUE{this, "Label_HUE"};
    forms::Label Label_SAT{this, "Label_SAT"};
    forms::Label Label_LUM{this, "Label_LUM"};
    forms::Label Label_Trigger{this, "Label_Trigger"}; // red when any test fired, green otherwise
    forms::PictureBox Picture_test{this, "Picture_test"};
    forms::ControlArray<forms::Label> Label_hsl{this, "Label_hsl"};
    forms::Label Label_XY{this, "Label_XY"};
    forms::CheckBox Check_draw_HSL{this, "Check_draw_HSL"};
    forms::CommandButton Command_start_Auto{this, "Command_start_Auto"};
    forms::CommandButton Command_Continue_Auto{this, "Command_Continue_Auto"};
    // Column and threshold headings.
    forms::ControlArray<forms::Label> Label_heading{this, "Label_heading"};

    // The colour (red in the low byte) as hue, saturation and lightness.
    void Pixel_to_HSL(int32_t colour);
    // Runs the tests that are switched on; `fired` is whether any fired.
    void Test_pixel_for_Trigger(int32_t colour, bool& fired);
    // Kept for its callers; it draws nothing.
    void Draw_HSL() {}
    // Shows a sampled range and sets the thresholds from it.
    void Show_Goal_Range(const int32_t max[3], const int32_t min[3], const int32_t avg[3]);

    void Check_draw_HSL_Click();
    void Form_Load() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;

protected:
    void Design() override;

private:
    // A threshold label and the up-down control that steps it.
    void set_threshold(forms::Label& label, forms::UpDown& updown, int32_t value);
};

class Form_Auto_detect& Form_Auto_detect();
