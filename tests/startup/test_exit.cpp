// The exit procedure, the capture stop and the Close command helpers: the
// question per mode, the waits, the unloading of every window (also those
// that load others or refuse to go) and the end of the process.
#include "Controls.h"
#include "Form.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "Program_Wiring.h"
#include "QFN_error_form.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "TraceListener.h"
#include "VbError.h"
#include "WinClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

namespace {

// A window of the program with a button, as every window has controls.
class Window : public forms::Form {
public:
    explicit Window(std::string name) : Form(std::move(name)) {}
    forms::CommandButton Command{this, "Command"};
    std::function<void(int32_t&)> on_query_unload;
    int query_unloads = 0;

protected:
    void Form_QueryUnload(int32_t& Cancel, int32_t) override {
        ++query_unloads;
        if (on_query_unload) on_query_unload(Cancel);
    }
};

Window& window(int i) {
    static Window* w[] = {new Window("Frm_one"), new Window("Frm_two"), new Window("Frm_three")};
    return *w[i];
}

class Exit : public ::testing::Test {
protected:
    void SetUp() override {
        g_AppData_Folder = test_env::make_dir(
            std::string("exit-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        g_Program_Title = "Tidewick_HDMI, photo-finish for canoe heats";
        g_Compiled = true;
        g_Exiting = g_Capture_Running = false;
        Install_Error_Trap();
        forms::Install_Event_Pump();
        win::set_clock(&clock);
        forms::set_end_hook([this](int32_t code) {
            ended.push_back(code);
            end_time = clock.time_get_time();
        });
        // The program's own wiring: the capture window it reaches has no
        // camera here (the capture window's tests exit during a capture).
        Wire_Program();
        for (int i = 0; i < 3; ++i) {
            window(i).on_query_unload = nullptr;
            window(i).query_unloads = 0;
            window(i).Show();
        }
        test_env::dialogs().clear();
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i)
            window(i).on_query_unload = nullptr;
        for (forms::Form* f : forms::Forms())
            f->Unload();
        forms::set_end_hook({});
        win::set_clock(nullptr);
        g_Exiting = false;
    }
    std::string event_log() const { return test_env::read_file(g_AppData_Folder + "/Tidewick_eventlog.txt"); }

    win::FakeClock clock{1000};
    std::vector<int32_t> ended;
    uint32_t end_time = 0;
};

TEST_F(Exit, CancelKeepsTheProgramAndItsCaptureRunningAndASecondExitAsksAgain) {
    g_Capture_Running = true;
    Tidewick_exit();
    const auto& shown = test_env::dialogs().shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].prompt, "Exiting Tidewick_HDMI, are you sure?");
    EXPECT_EQ(shown[0].buttons, forms::vbOKCancel | forms::vbDefaultButton2);
    EXPECT_EQ(shown[0].title, "Tidewick Exit");
    // The heat being captured goes on: nothing was stopped.
    EXPECT_FALSE(g_Exiting);
    EXPECT_TRUE(g_Capture_Running);
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(forms::Forms().size(), 3u);
    EXPECT_TRUE(std::regex_match(event_log(), std::regex(R"([0-9: -]+ Tidewick Exit\n)"))) << event_log();

    Tidewick_exit();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_FALSE(g_Exiting);
    EXPECT_TRUE(g_Capture_Running);
    EXPECT_TRUE(ended.empty());
}

TEST_F(Exit, OkUnloadsEveryWindowAndEndsTheProcessInItsOrder) {
    test_env::TraceListener viewer;
    Reset_Tracer();
    // Unloading the last window loads the first again, as a window's own
    // unload handling may: a second walk unloads it.
    window(2).on_query_unload = [](int32_t&) { window(0).Load(); };
    test_env::dialogs().answer_msg(forms::vbOK);
    Tidewick_exit();
    EXPECT_TRUE(forms::Forms().empty());
    EXPECT_EQ(window(0).query_unloads, 2);
    EXPECT_EQ(ended, std::vector<int32_t>{0});
    // No capture: only the last second (in steps of 3 ms).
    EXPECT_GE(end_time - 1000, 1000u);
    EXPECT_LT(end_time - 1000, 1003u);

    std::vector<std::string> traces;
    for (const std::string& line : viewer.received()) {
        const size_t at = line.rfind(": ");
        traces.push_back(line.substr(at + 2, line.size() - at - 3));
    }
    EXPECT_EQ(traces, (std::vector<std::string>{"*Tidewick_exit start", "*Terminate_obj_Capture_HDMI, begin",
                                                "*Tidewick_exit captures stopped", "*obj_Midi nothing",
                                                "*Start unloading forms", "*Tidewick_exit, after Do_sleep",
                                                "**Tidewick_exit end"}));
    Reset_Tracer();
}

TEST_F(Exit, RunningCaptureIsStoppedAndWaitedFor) {
    g_Capture_Running = true;
    test_env::dialogs().answer_msg(forms::vbOK);
    Tidewick_exit();
    EXPECT_FALSE(g_Capture_Running);
    // 50 waits of 30 ms, then the last second.
    EXPECT_GE(end_time - 1000, 2500u);
    EXPECT_LT(end_time - 1000, 2503u);
    EXPECT_EQ(ended.size(), 1u);
}

TEST_F(Exit, DevelopmentModeAsksNothing) {
    g_Compiled = false;
    Tidewick_exit();
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_EQ(ended.size(), 1u);
    EXPECT_TRUE(forms::Forms().empty());
}

TEST_F(Exit, TitleWithoutCommaGivesTwoBlanks) {
    g_Program_Title = "Tidewick";
    Tidewick_exit();
    EXPECT_EQ(test_env::dialogs().shown.at(0).prompt, "Exiting  are you sure?");
}

TEST_F(Exit, AWindowThatRefusesToUnloadDoesNotHoldTheProgram) {
    window(1).on_query_unload = [](int32_t& cancel) { cancel = 1; };
    g_Compiled = false;
    Tidewick_exit();
    EXPECT_EQ(window(1).query_unloads, kMax_Unload_Rounds);
    EXPECT_EQ(ended.size(), 1u);
    EXPECT_EQ(forms::Forms().size(), 1u);
}

TEST_F(Exit, ErrorWhileUnloadingIsReportedAndTheProgramStays) {
    window(1).on_query_unload = [](int32_t&) { vb::Raise(vb::errObjectNotSet); };
    test_env::dialogs().answer_msg(forms::vbOK);
    Tidewick_exit();
    EXPECT_TRUE(ended.empty());
    ASSERT_TRUE(QFN_error_form().IsLoaded());
    EXPECT_NE(QFN_error_form().err_lbl.Text().find("Location of error: Tidewick_exit of Module Module_canoe"),
              std::string::npos);
    window(1).on_query_unload = nullptr;
    QFN_error_form().Unload();
}

TEST_F(Exit, StopCapturesAndFlushWaitsASecond) {
    g_Capture_Running = true;
    const uint32_t before = clock.time_get_time();
    Stop_Captures_And_Flush();
    EXPECT_FALSE(g_Capture_Running);
    EXPECT_EQ(clock.time_get_time() - before, 1000u);
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(Exit, CloseCommandHelpers) {
    using Close = forms::Form::CloseCommand;
    Window& w = window(0);
    EXPECT_EQ(Enable_Close_Button(0, false), -1);
    struct Step {
        bool enable;
        Close after;
    } steps[] = {{true, Close::Present}, // nothing greyed: not found
                 {false, Close::Greyed},
                 {false, Close::Greyed}, // no longer found under its own identifier
                 {true, Close::Present},
                 {true, Close::Present}};
    for (const Step& s : steps) {
        EXPECT_EQ(Enable_Close_Button(w.hWnd(), s.enable), 0);
        EXPECT_EQ(w.CloseCommandState(), s.after);
    }
    Remove_Close_Item(w, 0);
    EXPECT_EQ(w.CloseCommandState(), Close::Removed);
    EXPECT_EQ(Enable_Close_Button(w.hWnd(), false), 0);
    EXPECT_EQ(w.CloseCommandState(), Close::Removed);
    Remove_Close_Item(w, 1); // the menu back to its default; nothing removed
    EXPECT_EQ(w.CloseCommandState(), Close::Present);
}

} // namespace
