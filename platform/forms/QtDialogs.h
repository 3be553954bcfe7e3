#pragma once
// Message, input and file dialogs on Qt widgets, for the running program.
#include "Dialogs.h"

namespace forms {

class QtDialogs : public DialogService {
public:
    int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
    std::optional<std::string> file_dialog(const FileDialogRequest& request) override;
};

// The filter list of a file dialog ("Text|*.ext|...") in Qt's form, one
// "Text (*.ext)" entry per pair.
std::string Qt_File_Filter(const std::string& filter);

} // namespace forms
