#pragma once
// The running compression statistics of a live capture, which the capture
// object writes into the value labels while the window is visible.
#include "Controls.h"
#include "Form.h"

class Form_Tidewick_HDMI_debug : public forms::Form {
public:
    Form_Tidewick_HDMI_debug();

    forms::Label Label{this, "Label"};
    forms::Label Label_max_dircomp_size{this, "Label_max_dircomp_size"};
    forms::Label Label1{this, "Label1"};
    forms::Label Label_min_dircomp_size{this, "Label_min_dircomp_size"};
    forms::Label Label2{this, "Label2"};
    forms::Label Label_num_direct_comp{this, "Label_num_direct_comp"};
    forms::Label Label3{this, "Label3"};
    forms::Label Label_Average_JPG_size{this, "Label_Average_JPG_size"};
    forms::Label Label4{this, "Label4"};
    forms::Label Label_fps{this, "Label_fps"};
    forms::Label Label_version{this, "Label_version"};
    forms::CommandButton Command_form_to_Clipboard{this, "Command_form_to_Clipboard"};

    void Command_form_to_Clipboard_Click();

protected:
    void Design() override;
    void Form_Load() override;
};

// The one instance of the window.
class Form_Tidewick_HDMI_debug& Form_Tidewick_HDMI_debug();
