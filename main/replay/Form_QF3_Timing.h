#pragma once
// The timing report of a heat: the histogram of its capture intervals with
// the file's and the capturing computer's data, which the replay window's
// timing analysis fills and shows. The window copies its picture to the
// clipboard, prints it, and closes.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"

class Form_QF3_Timing : public forms::Form {
public:
    Form_QF3_Timing();

    forms::PictureBox Picture_timing{this, "Picture_timing"};
    forms::Frame Frame_filedata{this, "Frame_filedata"};
    forms::Label Label_filename{this, "Label_filename"};
    forms::Label Label_File_info{this, "Label_File_info"};
    forms::Label Label_Capture_iNFO{this, "Label_Capture_iNFO"};
    forms::Frame Frame_writing_computer{this, "Frame_writing_computer"};
    forms::Label Label_CPU_info{this, "Label_CPU_info"};
    forms::Label Label_bitness{this, "Label_bitness"};
    forms::Label Label_printdata{this, "Label_printdata"};
    // Holds the picture that is printed; never shown.
    forms::PictureBox Picture2{this, "Picture2"};
    forms::CommandButton Command_Clipboard{this, "Command_Clipboard"};
    forms::CommandButton Command_Print{this, "Command_Print"};
    forms::CommandButton Command_HIde_Form{this, "Command_HIde_Form"};

    // The window's picture to the clipboard.
    void Command_Clipboard_Click();
    void Command_Print_Click() { Command_Print_Form_Click(); }
    // The window's picture printed at the page's top-left corner.
    void Command_Print_Form_Click();
    // Closes the window; the next analysis makes it afresh.
    void Command_HIde_Form_Click();

protected:
    void Design() override;
};

// The one instance of the window.
class Form_QF3_Timing& Form_QF3_Timing();
