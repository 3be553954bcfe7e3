#include "QFN_error_form.h"

#include "Dialogs.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Printer.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "WinSystem.h"

#include <fstream>
#include <utility>

// "<title> version 4.0.172 rm-1 Compile date: 2016-03-02 11:57": the mode
// number is g_Compiled as a number.
std::string QFN_error_form::Version_Line(const std::string& version_word) {
    return g_Program_Title + version_word + g_Program_Version + " rm" + vb::CStr(vb::BoolNum(g_Compiled)) +
           " " + "Compile date: " + kCompile_Date;
}

class QFN_error_form& QFN_error_form() {
    return forms::Instance<class QFN_error_form>();
}

QFN_error_form::QFN_error_form() : Form("QFN_error_form") {
    Cmd_continue.Click = [this] { Cmd_continue_Click(); };
    Cmd_exit.Click = [this] { Cmd_exit_Click(); };
    Cmd_mailto.Click = [this] { Cmd_mailto_Click(); };
    Cmd_print_error.Click = [this] { Cmd_print_error_Click(); };
    Cmd_save_log.Click = [this] { Cmd_save_log_Click(); };
}

void QFN_error_form::Design() {
    Caption("Error report");
    Move(1200, 900, 10200, 7200);
    Label1.Caption("Error report");
    Label1.FontName("MS Sans Serif");
    Label1.FontSize(12);
    Label1.FontBold(true);
    Label1.Move(240, 120, 9600, 420);
    err_lbl.FontName("Courier New");
    err_lbl.FontSize(9);
    err_lbl.Move(240, 600, 9600, 3120);
    Frame_Comments.Caption("Enter comments here");
    Frame_Comments.Move(240, 3840, 9600, 1920);
    Text_error_comments.Move(120, 300, 9360, 1500);
    Text_error_comments.Container(Frame_Comments);
    const char* captions[] = {"Continue", "Exit program", "Send mail", "Print report", "Save in log file"};
    forms::CommandButton* buttons[] = {&Cmd_continue, &Cmd_exit, &Cmd_mailto, &Cmd_print_error,
                                       &Cmd_save_log};
    for (int i = 0; i < 5; ++i) {
        buttons[i]->Caption(captions[i]);
        buttons[i]->Move(240 + i * 1935, 5940, 1800, 495);
    }
    ProgressBar1.Move(240, 6600, 9600, 240);
    ProgressBar1.Visible(false);
}

void QFN_error_form::Form_Load() {
    QFN_Error_Initialize();
    MakeTopMost(hWnd());
}

void QFN_error_form::QFN_Error_Initialize() {
    Caption(g_Program_Title + " error");
    Label1.Caption(g_Program_Title + " error report");
}

void QFN_error_form::MakeTopMost(forms::hwnd_t hwnd) {
    if (forms::Form* f = forms::Form::FromHandle(hwnd)) f->TopMost(true);
}

void QFN_error_form::QFN_Error_Trap() {
    vb::DoEvents();
}

void QFN_error_form::Form_QueryUnload(int32_t&, int32_t) {
    Send_Trace("*QFN_error_form Form_QueryUnload,end");
}

void QFN_error_form::Cmd_continue_Click() {
    Hide();
    forms::Return_Focus(std::exchange(Opener, nullptr));
}

// At once, without the exit procedure: no event-log line, no question, no capture stop.
void QFN_error_form::Cmd_exit_Click() {
    forms::End_Process(0);
}

std::string QFN_error_form::Mail_Link() {
    const std::string body = "Gen.at: " + vb::GeneralDateNow() + "//" + "\n" + " " +
                             Version_Line(" Program version ") + "//" + "\n" +
                             " Computer: " + g_Computer_Name + "//" + "\n" + "  " + err_lbl.Text() + "//" +
                             "  " + Text_error_comments.Text();
    // Subject and body are percent-encoded, so "&", "#", "%" and line breaks
    // in the report reach the mail as they are.
    return std::string("mailto:") + kSupport_Mail +
           "?Subject=" + forms::Mail_Encode(" " + g_Program_Title + " error") +
           "&Body=" + forms::Mail_Encode(body);
}

void QFN_error_form::Cmd_mailto_Click() {
    forms::Desktop_Open(Mail_Link());
}

void QFN_error_form::Cmd_print_error_Click() {
    if (forms::Printers_Count() == 0) {
        forms::MsgBox("No printer availible");
        return;
    }
    try {
        forms::PrinterObject& P = forms::Printer();
        P.CurrentX(100);
        P.CurrentY(100);
        P.FontSize(24);
        P.Print(g_Program_Title + " error report" + "\n" + "\n");
        P.FontSize(12);
        P.Print("Printed at: " + vb::GeneralDateNow() + "\n");
        P.Print(Version_Line(" version "));
        P.Print(" Computer: " + g_Computer_Name);
        P.Print(err_lbl.Text());
        P.Print(Text_error_comments.Text());
        P.FontBold(true);
        P.Print("What to do with this error report?");
        P.FontBold(false);
        P.Print(std::string("\n") +
                "To help fix the error, please report it by using any of the methods listed below!");
        P.Print(std::string("1 Send by normal mail to: ") + kSupport_Postal_Address);
        P.Print(std::string("2 E-mail to:") + "\n" + kSupport_Mail);
        P.Print(std::string("3 Call ") + kSupport_Phone);
        P.EndDoc();
    } catch (...) {
        forms::Printer().KillDoc();
        forms::MsgBox("Printer error");
        return;
    }
    ProgressBar1.Min(1);
    ProgressBar1.Max(100);
    ProgressBar1.Visible(true);
    for (int32_t v = ProgressBar1.Min(); v <= ProgressBar1.Max(); ++v) {
        ProgressBar1.Value(v);
        vb::DoEvents();
        win::Sleep(5);
        if (!IsLoaded()) return;
    }
    ProgressBar1.Visible(false);
}

std::string QFN_error_form::Error_Log_Path() {
    // Before the initialisation has run the folder is still unknown; the log
    // then goes to the same folder the initialisation would choose, never to the root.
    const std::string folder = g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder;
    return folder + win::kPathSep + "Tidewick_errlog.txt";
}

void QFN_error_form::Save_Error_Log() {
    const std::string path = Error_Log_Path();
    {
        std::ofstream log(path, std::ios::binary | std::ios::app);
        if (!log) {
            forms::MsgBox("Log error");
            return;
        }
        log << "Saved  at: " << vb::GeneralDateNow() << "\n"
            << "\n";
        log << Version_Line(" version ") << "\n";
        log << " Computer: " << g_Computer_Name << "\n"
            << "\n";
        log << err_lbl.Text() << "\n";
        log << Text_error_comments.Text() << "\n";
        log << "********************************************"
            << "\n";
        log.flush();
        if (!log) {
            forms::MsgBox("Log error");
            return;
        }
    }
    forms::MsgBox("Error info appended to file: " + path);
}

void QFN_error_form::Cmd_save_log_Click() {
    Save_Error_Log();
}
