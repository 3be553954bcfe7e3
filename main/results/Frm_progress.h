#pragma once
// The progress window: a caption and a bar, shown while a long command
// (printing the file properties, the capture window's work) runs.
#include "Controls.h"
#include "Form.h"

#include <cstdint>
#include <string>

class Frm_progress : public forms::Form {
public:
    Frm_progress();

    forms::TextBox Text_caption{this, "Text_caption"};
    forms::ProgressBar ProgressBar1{this, "ProgressBar1"};

    // Shows the text at once.
    void Set_Caption(const std::string& text);
    // Moves the bar; a percent outside the bar's range changes nothing.
    void Set_Percent(int16_t percent);
    void Form_Resize() override;

protected:
    void Design() override;
};

class Frm_progress& Frm_progress();
