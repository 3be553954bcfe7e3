#pragma once
// The file properties window: the open file's name and its information
// text, which the operator can print. The window that opens it fills both.
#include "Controls.h"
#include "Form.h"

class Form_properties : public forms::Form {
public:
    Form_properties();

    forms::Label Label_filename{this, "Label_filename"};
    forms::TextBox Text_properties{this, "Text_properties", true};
    forms::CommandButton Command_Print{this, "Command_Print"};
    forms::CommandButton Command_OK{this, "Command_OK"};

    // Prints a heading with the date and time, the file name and the text,
    // with the progress window showing how far it got.
    void Command_Print_Click();
    void Command_OK_Click();

protected:
    void Design() override;
};

class Form_properties& Form_properties();
