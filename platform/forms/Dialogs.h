#pragma once
// Message boxes and input boxes. The program's main installs the Qt dialogs;
// a test main installs ScriptedDialogs, which answers from a script and keeps
// what was shown.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace forms {

enum MsgBoxStyle : int32_t {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int32_t {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

// What a common file dialog is asked to show.
struct FileDialogRequest {
    bool save = false; // a save dialog; otherwise an open dialog
    std::string title;
    // Pairs of description and pattern, all joined by "|":
    // "Tidewick Files (*.qf3)|*.qf3|All files|*.*"; patterns joined by ";".
    std::string filter;
    std::string initial_folder;
    std::string file_name;   // the name the dialog starts with
    std::string default_ext; // added to a name given without one (no dot)
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows a file dialog; the chosen path, or nullopt when cancelled.
    // A service without one cancels.
    virtual std::optional<std::string> file_dialog(const FileDialogRequest& request) {
        (void)request;
        return std::nullopt;
    }
    // Shows a message box; returns the button chosen (MsgBoxResult).
    virtual int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) = 0;
    // Shows an input box; nullopt when cancelled (an empty answer is "").
    virtual std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                                 const std::string& default_text) = 0;
};

// Installs the service (not owned); nullptr installs the headless default,
// which answers every box with its default button and cancels input boxes.
void set_dialog_service(DialogService* service);
DialogService& dialog_service();

// The application title that boxes without a title of their own show.
const std::string& app_title();
void set_app_title(const std::string& title);

int32_t MsgBox(const std::string& prompt, int32_t buttons = vbOKOnly, const std::string& title = {});
// The runtime's InputBox: Cancel gives the empty text.
std::string InputBox(const std::string& prompt, const std::string& title = {},
                     const std::string& default_text = {});
// Cancel told apart from an empty answer.
std::optional<std::string> InputBoxEx(const std::string& prompt, const std::string& title = {},
                                      const std::string& default_text = {});

// The button a box answers with when nobody presses one: its default button.
int32_t DefaultButtonResult(int32_t buttons);

// A dialog service for tests: answers queued replies in order (the default
// button or a cancelled input when the queue is empty) and records every box.
class ScriptedDialogs : public DialogService {
public:
    struct Shown {
        bool input = false;
        std::string prompt, title, default_text;
        int32_t buttons = 0;
    };
    int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;

    std::optional<std::string> file_dialog(const FileDialogRequest& request) override;

    void answer_msg(int32_t result) { msg_answers.push_back(result); }
    // The path the next file dialog returns; nullopt: its Cancel.
    void answer_file(std::optional<std::string> path) { file_answers.push_back(std::move(path)); }
    void answer_input(std::optional<std::string> text) { input_answers.push_back(std::move(text)); }
    void clear() {
        shown.clear();
        msg_answers.clear();
        input_answers.clear();
        files_shown.clear();
        file_answers.clear();
    }
    // Prompts of the message boxes shown, in order.
    std::vector<std::string> prompts() const;

    std::vector<Shown> shown;
    std::deque<int32_t> msg_answers;
    std::deque<std::optional<std::string>> input_answers;
    // File dialogs shown, in order; a dialog with no answer queued is cancelled.
    std::vector<FileDialogRequest> files_shown;
    std::deque<std::optional<std::string>> file_answers;
};

// The chosen file of a file dialog through the installed service.
std::optional<std::string> FileDialog(const FileDialogRequest& request);

} // namespace forms
