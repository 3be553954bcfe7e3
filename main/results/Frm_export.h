#pragma once
// The frame-range export window: the operator marks an in and an out point
// on the replay window's slider, then every field of the range is shown in
// turn and written as a JPEG file into a folder the operator chooses.
#include "Controls.h"
#include "Form.h"

#include <cstdint>
#include <functional>
#include <string>

class Frm_export : public forms::Form {
public:
    Frm_export();

    forms::Label Label1{this, "Label1"};
    forms::Label Lbl_inpoint{this, "Lbl_inpoint"};
    forms::Label Label2{this, "Label2"};
    forms::Label Lbl_outpoint{this, "Lbl_outpoint"};
    forms::CommandButton Cmd_export{this, "Cmd_export"};

    // The replay window's part, set by the replay window that shows this one.
    struct Connections {
        std::function<int32_t()> Slider_Value;                  // the field shown
        std::function<void(int32_t field)> Show_Field;          // sets the slider and draws that field
        std::function<bool(const std::string& path)> Save_Jpeg; // writes the field shown
        std::function<void()> Set_Focus;                        // focus back to the slider
    } Connected;

    void Lbl_inpoint_Click();
    void Lbl_outpoint_Click();
    void Cmd_export_Click();
    void Form_Load() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
    void Form_MouseMove(int32_t Button, int32_t Shift, float X, float Y) override;

protected:
    void Design() override;

private:
    void take_point(forms::Label& label);
};

class Frm_export& Frm_export();

// The file name of one exported field: "Heat", the heat number, "_", the
// number in at least four digits and ".jpg".
std::string Export_Frame_Name(const std::string& heat, int32_t number);
