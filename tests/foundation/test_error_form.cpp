// The error report: what a trapped error puts in the window, and the ways on
// from there (save, mail, print, continue, exit, close).
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Printer.h"
#include "QFN_Error_Handler.h"
#include "QFN_error_form.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbTrap.h"

#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

const std::string kTitle = "Tidewick_HDMI, photo-finish for canoe heats";

class ErrorForm : public ::testing::Test {
protected:
    void SetUp() override {
        QFN_error_form().Unload();
        g_Compiled = true;
        g_Program_Title = kTitle;
        g_Program_Version = "4.0.172";
        g_Computer_Name = "RACEPC";
        g_AppData_Folder = test_env::make_dir("appdata");
        Install_Error_Trap();
        forms::Install_Event_Pump();
        forms::Install_Font_Substitutes();
        test_env::dialogs().clear();
    }
    void TearDown() override {
        forms::set_desktop_hook({});
        forms::set_end_hook({});
        unsetenv("TIDEWICK_PRINTER_PDF");
    }
    // A procedure of the program whose body fails.
    static void failing_procedure(int32_t number, const std::string& description,
                                  const std::string& extra = {}) {
        vb::Trap(
            "Command_go_Click of Form Form_Tidewick_Full_Startup", [&] { vb::Raise(number, description); },
            extra);
    }
    static std::string report() { return QFN_error_form().err_lbl.Text(); }
};

std::string escape_re(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

std::string expected_report(const std::string& number, const std::string& description,
                            const std::string& mode, const std::string& extra = {}) {
    return "Location of error: Command_go_Click of Form Form_Tidewick_Full_Startup line: 0\n"
           "error description: " +
           number + ", " + description + "\n" + kTitle + " Program version 4.0.172 rm" + mode +
           " Compile date: 2016-03-02 11:57\n"
           "Extra information: " +
           extra +
           "\n"
           "program name: " +
           kTitle + " Caption = \n";
}

TEST_F(ErrorForm, TrappedErrorFillsTheReportExactly) {
    failing_procedure(11, "Division by zero");
    auto& f = QFN_error_form();
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(report(), expected_report("11", "Division by zero", "-1"));
    EXPECT_EQ(f.Caption(), kTitle + " error");
    EXPECT_EQ(f.Label1.Caption(), kTitle + " error report");
    EXPECT_TRUE(reinterpret_cast<QMainWindow*>(f.hWnd())->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(test_env::dialogs().shown.empty()) << "the report is the window, no message box";

    // A second report replaces the text and keeps the operator's comments.
    f.Text_error_comments.Text("typed after the first");
    // A COM result code passes whole as a 32-bit number.
    failing_procedure(static_cast<int32_t>(0x80040154u), "Class not registered", "capture object");
    EXPECT_EQ(report(), expected_report("-2147221164", "Class not registered", "-1", "capture object"));
    EXPECT_EQ(f.Text_error_comments.Text(), "typed after the first");
}

TEST_F(ErrorForm, ModeNumberIsTheFlagAsANumber) {
    // In the development mode errors are not trapped; a direct report shows rm0.
    g_Compiled = false;
    EXPECT_THROW(failing_procedure(5, "Invalid procedure call or argument"), vb::VbError);
    EXPECT_FALSE(QFN_error_form().IsLoaded());
    QFN_Error_Handler("Overflow", 6, 120, "Command_go_Click of Form Form_Tidewick_Full_Startup", "");
    EXPECT_NE(report().find(" line: 120\n"), std::string::npos);
    EXPECT_NE(report().find(" Program version 4.0.172 rm0 Compile date: "), std::string::npos);
}

TEST_F(ErrorForm, TwoSavesAppendTwoBlocksClosedByAsterisks) {
    failing_procedure(53, "File not found");
    auto& f = QFN_error_form();
    f.Text_error_comments.Text("lane 3 & lane 4");
    f.Cmd_save_log.Value(true);
    f.Cmd_save_log.Value(true);
    const std::string path = g_AppData_Folder + "/Tidewick_errlog.txt";
    const std::string log = test_env::read_file(path);
    const std::string block_re = "Saved  at: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\n\n" +
                                 escape_re(kTitle) +
                                 " version 4\\.0\\.172 rm-1 Compile date: 2016-03-02 11:57\n"
                                 " Computer: RACEPC\n\n" +
                                 escape_re(report()) + "\nlane 3 & lane 4\n\\*{44}\n";
    EXPECT_TRUE(std::regex_match(log, std::regex(block_re + block_re))) << log;
    const auto prompts = test_env::dialogs().prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0], "Error info appended to file: " + path);

    // Before the initialisation the log still lands in the application-data folder.
    g_AppData_Folder.clear();
    EXPECT_EQ(QFN_error_form::Error_Log_Path(),
              std::string(std::getenv("XDG_DATA_HOME")) + "/Tidewick_errlog.txt");
}

TEST_F(ErrorForm, UnwritableLogSaysLogError) {
    failing_procedure(53, "File not found");
    g_AppData_Folder = test_env::root() + "/no/such/folder";
    QFN_error_form().Cmd_save_log.Value(true);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Log error"});
    EXPECT_TRUE(QFN_error_form().Visible());
}

TEST_F(ErrorForm, MailLinkRoundTripsThroughAMailClientsDecoder) {
    if (!test_env::have_tool("python3")) GTEST_SKIP() << "python3 missing";
    std::vector<std::string> opened;
    forms::set_desktop_hook([&opened](const std::string& link) {
        opened.push_back(link);
        return true;
    });
    failing_procedure(13, "Type mismatch in \"A&B #1\" at 50%", "x=1&y=2#frag");
    auto& f = QFN_error_form();
    f.Text_error_comments.Text("first line & more\nsecond # line 100%\nthird");
    f.Cmd_mailto.Value(true);
    ASSERT_EQ(opened.size(), 1u);
    const std::string link = opened[0];
    EXPECT_EQ(link.rfind("mailto:support@tidewick.example?Subject=", 0), 0u) << link;
    EXPECT_EQ(link.find_first_of(" \n\r#"), std::string::npos)
        << "nothing unencoded that ends or splits the link";

    // Python's URL parser, as a mail client reads the link: subject and body
    // come back whole, line breaks as CR LF.
    const std::string file = test_env::make_dir("mail") + "/link.txt";
    test_env::write_file(file, link);
    const std::string script =
        "import sys, urllib.parse as u\n"
        "s = u.urlsplit(open(sys.argv[1]).read())\n"
        "q = u.parse_qs(s.query, keep_blank_values=True, strict_parsing=True)\n"
        "sys.stdout.write(s.scheme + '|' + s.path + '|' + q['Subject'][0] + '|' + q['Body'][0])\n";
    test_env::write_file(file + ".py", script);
    std::string out;
    ASSERT_EQ(test_env::run("python3 " + file + ".py " + file, &out), 0) << out;
    out = std::regex_replace(out, std::regex("\r\n"), "\n");
    const std::string head = "mailto|support@tidewick.example| " + kTitle + " error|Gen.at: ";
    ASSERT_EQ(out.rfind(head, 0), 0u) << out;
    const std::string tail =
        "//\n " + kTitle + " Program version 4.0.172 rm-1 Compile date: 2016-03-02 11:57//\n" +
        " Computer: RACEPC//\n" + "  " + report() + "//" + "  " + f.Text_error_comments.Text();
    EXPECT_EQ(out.substr(head.size() + 19), tail);
}

TEST_F(ErrorForm, PrintedReportReadsBackFromThePdf) {
    if (!test_env::have_tool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    const std::string pdf = test_env::make_dir("print") + "/error_report.pdf";
    setenv("TIDEWICK_PRINTER_PDF", pdf.c_str(), 1);
    failing_procedure(9, "Subscript out of range");
    auto& f = QFN_error_form();
    f.Text_error_comments.Text("Operator comment: lane 2");
    f.Cmd_print_error.Value(true);
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_FALSE(f.ProgressBar1.Visible()) << "the progress bar runs once and hides";
    EXPECT_EQ(f.ProgressBar1.Value(), 100);
    std::string text;
    ASSERT_EQ(test_env::run("pdftotext -layout " + pdf + " -", &text), 0);
    // Lines too long for the page go on on the next line: compare the words.
    const auto words = [](const std::string& t) { return std::regex_replace(t, std::regex("\\s+"), " "); };
    text = words(text);
    for (const std::string& line :
         {kTitle + " error report", kTitle + " version 4.0.172 rm-1 Compile date: 2016-03-02 11:57",
          std::string(" Computer: RACEPC"),
          std::string("Location of error: Command_go_Click of Form Form_Tidewick_Full_Startup line: 0"),
          std::string("error description: 9, Subscript out of range"), std::string("Extra information:"),
          "program name: " + kTitle + " Caption =", std::string("Operator comment: lane 2"),
          std::string("What to do with this error report?"),
          std::string("To help fix the error, please report it by using any of the methods listed below!"),
          std::string("2 E-mail to:"), std::string("support@tidewick.example")})
        EXPECT_NE(text.find(words(line.substr(line[0] == ' ' ? 1 : 0))), std::string::npos)
            << line << "\n---\n"
            << text;
    EXPECT_NE(text.find("Printed at: "), std::string::npos);
}

TEST_F(ErrorForm, NoPrinterSaysSo) {
    unsetenv("TIDEWICK_PRINTER_PDF");
    if (forms::Printers_Count() > 0) GTEST_SKIP() << "this machine has a printer";
    failing_procedure(9, "Subscript out of range");
    QFN_error_form().Cmd_print_error.Value(true);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No printer availible"});
}

TEST_F(ErrorForm, ExitProgramEndsAtOnceWithoutTheExitProcedure) {
    int32_t ended = -1;
    forms::set_end_hook([&ended](int32_t code) { ended = code; });
    failing_procedure(6, "Overflow");
    const std::string event_log = g_AppData_Folder + "/Tidewick_eventlog.txt";
    std::filesystem::remove(event_log);
    const bool exiting_before = g_Exiting;
    QFN_error_form().Cmd_exit.Value(true);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(test_env::dialogs().shown.empty()) << "no exit question";
    EXPECT_FALSE(std::filesystem::exists(event_log)) << "no event-log line";
    EXPECT_EQ(g_Exiting, exiting_before) << "the exit procedure did not run";
}

TEST_F(ErrorForm, ContinueHidesAndTheCloseBoxStartsAfresh) {
    failing_procedure(6, "Overflow");
    auto& f = QFN_error_form();
    f.Text_error_comments.Text("kept while loaded");
    f.Cmd_continue.Value(true);
    EXPECT_TRUE(f.IsLoaded());
    EXPECT_FALSE(f.Visible());
    failing_procedure(7, "Out of memory");
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Text_error_comments.Text(), "kept while loaded");
    reinterpret_cast<QMainWindow*>(f.hWnd())->close();
    QApplication::processEvents();
    EXPECT_FALSE(f.IsLoaded());
    failing_procedure(6, "Overflow");
    EXPECT_EQ(f.Text_error_comments.Text(), "") << "a closed window comes back new";
}

// An error while the operator holds the mouse or keyboard in a window (a
// slider dragged): the report takes them, and on Continue the window that was
// in use has the focus again.
TEST_F(ErrorForm, TheReportLeavesNoGrabAndContinueGivesTheFocusBack) {
    class Frm_opener : public forms::Form {
    public:
        Frm_opener() : Form("Frm_opener") {}
    } opener;
    opener.Show();
    auto* window = reinterpret_cast<QMainWindow*>(opener.hWnd());
    QTRY_VERIFY(window->isActiveWindow());
    window->grabMouse();
    window->grabKeyboard();
    failing_procedure(6, "Overflow");
    auto& f = QFN_error_form();
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    QTRY_VERIFY(reinterpret_cast<QMainWindow*>(f.hWnd())->isActiveWindow());
    f.Cmd_continue.Value(true);
    QTRY_VERIFY(window->isActiveWindow());
    opener.Unload();
}

TEST_F(ErrorForm, ScreenshotOfTheWindow) {
    failing_procedure(static_cast<int32_t>(0x80040154u), "Class not registered", "VideoCap5");
    auto& f = QFN_error_form();
    f.Text_error_comments.Text("The capture stopped when the start signal came.");
    QApplication::processEvents();
    const std::string png = test_env::output_dir() + "/QFN_error_form.png";
    ASSERT_TRUE(f.Grab().SavePng(png));
    const forms::Picture p = forms::LoadPicture(png);
    EXPECT_GE(p.Width(), 600);
    EXPECT_GE(p.Height(), 450);
}

} // namespace
