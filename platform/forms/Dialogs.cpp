#include "Dialogs.h"

#include "KeyState.h"

namespace forms {

namespace {

class HeadlessDialogs : public DialogService {
public:
    int32_t msg_box(const std::string&, int32_t buttons, const std::string&) override {
        return DefaultButtonResult(buttons);
    }
    std::optional<std::string> input_box(const std::string&, const std::string&,
                                         const std::string&) override {
        return std::nullopt;
    }
};

HeadlessDialogs headless;
DialogService* current = &headless;
std::string title;

// A box is a modal window: whatever keys were held when it came up are
// released into it, and those it took are released when it goes.
template <class F> auto as_modal(F&& show) {
    win::clear_keys();
    auto answer = show();
    win::clear_keys();
    return answer;
}

} // namespace

void set_dialog_service(DialogService* s) {
    current = s ? s : &headless;
}
DialogService& dialog_service() {
    return *current;
}
const std::string& app_title() {
    return title;
}
void set_app_title(const std::string& t) {
    title = t;
}

int32_t MsgBox(const std::string& prompt, int32_t buttons, const std::string& t) {
    return as_modal([&] { return current->msg_box(prompt, buttons, t.empty() ? title : t); });
}

std::string InputBox(const std::string& prompt, const std::string& t, const std::string& def) {
    return InputBoxEx(prompt, t, def).value_or(std::string());
}

std::optional<std::string> InputBoxEx(const std::string& prompt, const std::string& t,
                                      const std::string& def) {
    return as_modal([&] { return current->input_box(prompt, t.empty() ? title : t, def); });
}

int32_t DefaultButtonResult(int32_t buttons) {
    const int32_t set = buttons & 7;
    const int32_t which = (buttons & 0xF00) / 256; // 0, 1 or 2
    static const int32_t table[6][3] = {
        {vbOK, vbOK, vbOK},      {vbOK, vbCancel, vbCancel}, {vbAbort, vbRetry, vbIgnore},
        {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbNo},        {vbRetry, vbCancel, vbCancel},
    };
    if (set > 5) return vbOK;
    return table[set][which > 2 ? 0 : which];
}

int32_t ScriptedDialogs::msg_box(const std::string& prompt, int32_t buttons, const std::string& t) {
    shown.push_back(Shown{false, prompt, t, {}, buttons});
    if (msg_answers.empty()) return DefaultButtonResult(buttons);
    const int32_t r = msg_answers.front();
    msg_answers.pop_front();
    return r;
}

std::optional<std::string> ScriptedDialogs::input_box(const std::string& prompt, const std::string& t,
                                                      const std::string& def) {
    shown.push_back(Shown{true, prompt, t, def, 0});
    if (input_answers.empty()) return std::nullopt;
    auto r = input_answers.front();
    input_answers.pop_front();
    return r;
}

std::optional<std::string> ScriptedDialogs::file_dialog(const FileDialogRequest& request) {
    files_shown.push_back(request);
    if (file_answers.empty()) return std::nullopt;
    auto r = file_answers.front();
    file_answers.pop_front();
    return r;
}

std::optional<std::string> FileDialog(const FileDialogRequest& request) {
    return as_modal([&] { return current->file_dialog(request); });
}

std::vector<std::string> ScriptedDialogs::prompts() const {
    std::vector<std::string> p;
    for (const auto& s : shown)
        if (!s.input) p.push_back(s.prompt);
    return p;
}

} // namespace forms
