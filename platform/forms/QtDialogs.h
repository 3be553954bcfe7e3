#pragma once
// Message and input boxes on Qt widgets, for the running program.
#include "Dialogs.h"

namespace forms {

class QtDialogs : public DialogService {
public:
    int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
};

} // namespace forms
