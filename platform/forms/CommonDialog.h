#pragma once
// The common dialog control: open and save file dialogs through the dialog
// service. Cancel leaves FileName as it was and, with CancelError, raises
// run-time error 32755 "Cancel was selected.".
#include "Controls.h"
#include "Dialogs.h"

#include <string>

namespace forms {

class CommonDialog : public Control {
public:
    using Control::Control;
    std::string DialogTitle;
    // "Text|*.ext" pairs joined by "|".
    std::string Filter;
    std::string InitDir;
    std::string FileName;
    std::string DefaultExt;
    bool CancelError = false;

    // Shows the dialog; true when a file was chosen (FileName holds it).
    bool ShowOpen();
    bool ShowSave();

protected:
    void create(QWidget*) override {}
    void release() override {}

private:
    bool show(bool save);
};

} // namespace forms
