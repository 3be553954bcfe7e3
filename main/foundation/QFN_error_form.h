#pragma once
// The error report window: the report of the latest trapped error, the
// operator's comments (kept across reports), and the ways on from there:
// continue, end the program, mail, print or save the report.
#include "Controls.h"
#include "Form.h"

#include <string>

// Where the operator reports errors to.
inline constexpr const char* kSupport_Mail = "support@tidewick.example";
inline constexpr const char* kSupport_Postal_Address =
    "Tidewick Timing, 1 Harbour Road, Tidewick TW1 1AA, United Kingdom";
inline constexpr const char* kSupport_Phone = "+44 20 7946 0123 or +44 20 7946 0124";

class QFN_error_form : public forms::Form {
public:
    QFN_error_form();

    forms::Label Label1{this, "Label1"};
    forms::TextBox err_lbl{this, "err_lbl", true};
    forms::Frame Frame_Comments{this, "Frame_Comments"};
    forms::TextBox Text_error_comments{this, "Text_error_comments", true};
    forms::CommandButton Cmd_continue{this, "Cmd_continue"};
    forms::CommandButton Cmd_exit{this, "Cmd_exit"};
    forms::CommandButton Cmd_mailto{this, "Cmd_mailto"};
    forms::CommandButton Cmd_print_error{this, "Cmd_print_error"};
    // The window that had the focus when the report came; it gets it back
    // when the operator continues.
    forms::Form* Opener = nullptr;
    forms::CommandButton Cmd_save_log{this, "Cmd_save_log"};
    forms::ProgressBar ProgressBar1{this, "ProgressBar1"};

    // Sets the caption and the heading from the program title.
    void QFN_Error_Initialize();
    // Places a window above all windows that are not top-most.
    void MakeTopMost(forms::hwnd_t hwnd);
    // Lets pending window events run.
    void QFN_Error_Trap();
    // Appends the report to "Tidewick_errlog.txt" in the application-data folder.
    void Save_Error_Log();
    // The mail link "Send mail" opens: subject and body percent-encoded.
    std::string Mail_Link();
    // Full path of the error log.
    static std::string Error_Log_Path();
    // The build line of every report: title, the given word ("Program version"
    // or "version" with its blanks), version, " rm" and the mode number, compile date.
    static std::string Version_Line(const std::string& version_word);

    void Cmd_continue_Click();
    void Cmd_exit_Click();
    void Cmd_mailto_Click();
    void Cmd_print_error_Click();
    void Cmd_save_log_Click();

protected:
    void Design() override;
    void Form_Load() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
};

// The one instance of the window.
class QFN_error_form& QFN_error_form();
