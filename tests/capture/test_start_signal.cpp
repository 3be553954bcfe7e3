// The start signal as the start system and the operator give it: the control
// box stand-in wired to the capture window, the synthetic camera delivering
// frames only when the test pumps them, and the fake clock moving 20 ms a
// frame. The start written into each heat file is read back by the
// independent byte-layout checker.
#include "Capture_Rig.h"
#include "Capture_Window_Fixture.h"
#include "Cls_XML_header.h"
#include "Form_HDMI_performance.h"
#include "Form_capture_multi_file.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PhidgetInterfaceKit.h"
#include "TestEnv.h"
#include "WinClock.h"
#include "Windows.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using phidget::StandInBox;

namespace {

using capture_test::check_qf3;
using capture_test::Checked;
using capture_test::pump_until;
using capture_test::widget_of;

constexpr int32_t kSerial = 170042;

std::string event_log() {
    const std::string folder = g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder;
    return test_env::read_file(folder + "/Tidewick_eventlog.txt");
}

class StartSignal : public capture_test::Capture_Window_Test {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        Set_Up_Capture_Window("start-");
        StandInBox::Reset();
        StandInBox::Plug(kSerial);
    }
    void TearDown() override {
        Close_Capture_Window();
        StandInBox::Reset();
        phidget::DeliverEvents();
        win::set_clock(nullptr);
        CaptureTest::TearDown();
    }

    // Shown; the box attaches; the guard after load and attach has passed.
    void Show_Window() {
        W().Show();
        phidget::DeliverEvents();
        clock.advance(5000);
    }
    // As Show_Window, with the camera started; no frame has arrived yet.
    void Show_With_Camera() {
        Show_Window();
        Start_Camera();
    }
    // The wiring changes an input; the window hears of it.
    static void Input(int32_t index, bool state) {
        StandInBox::SetInput(index, state);
        phidget::DeliverEvents();
    }
    std::string New_File(int16_t slot, const std::string& heat_id) {
        if (W().Heat_File_Initiated(slot)) W().Command_Finish_Click(slot);
        W().Text_Heat_ID(slot).Text(heat_id);
        W().Command_newFile_Click(slot);
        return W().Label_filename(slot).Caption();
    }
};

TEST_F(StartSignal, InputsCountOnlyFrom5000msAfterLoadAndAttach) {
    W().Show();
    phidget::DeliverEvents();
    EXPECT_TRUE(g_Phidget_Attached);
    EXPECT_EQ(g_Phidget_Serial, std::to_string(kSerial));
    // The arming switch learns the start contact's rest level: a change that
    // counts leaves Invert_Start on, with the contact closed.
    struct Case {
        const char* what;
        uint32_t after;
        bool counts;
    };
    const Case cases[] = {{"4999 ms after load and attach", 4999, false}, {"5000 ms after", 1, true}};
    Input(0, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock.advance(c.after);
        Input(1, false);
        Input(1, true);
        EXPECT_EQ(W().Invert_Start(), c.counts);
    }
    // A box plugged in again starts the guard again.
    StandInBox::Unplug();
    phidget::DeliverEvents();
    EXPECT_FALSE(g_Phidget_Attached);
    EXPECT_EQ(g_Phidget_Serial, "");
    StandInBox::Plug(kSerial);
    phidget::DeliverEvents();
    Input(0, false);
    clock.advance(4999);
    Input(1, false);
    Input(1, true);
    EXPECT_TRUE(W().Invert_Start()) << "still the level learned before the attach";
    clock.advance(1);
    Input(1, false);
    Input(1, true);
    EXPECT_FALSE(W().Invert_Start());
}

TEST_F(StartSignal, ArmingDecidesWhichContactChangeStartsTheHeat) {
    Show_With_Camera();
    Frames_Pass(5);
    // Contact level before arming, arming on or off, then the contact's changes;
    // whether the heat starts, and when it did, which message a later change meets.
    struct Case {
        const char* what;
        bool rest;
        bool armed;
        std::vector<bool> changes;
        bool started;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"normally open, armed: closing starts", false, true, {true}, true, {}},
        {"normally closed, armed: opening starts", true, true, {false}, true, {}},
        {"normally closed: closing again starts nothing", true, true, {false, true}, true, {}},
        {"not armed: nothing starts", false, false, {true, false, true}, false, {}},
        {"a second pulse meets the started heat",
         false,
         true,
         {true, false, true},
         true,
         {"Heat A already started! (m1)"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        New_File(0, "T" + std::to_string(++n));
        Input(1, false);
        Input(0, c.rest);
        Input(1, c.armed);
        test_env::dialogs().clear();
        for (bool level : c.changes) {
            Input(0, level);
            EXPECT_EQ(StandInBox::Output(0), level) << "the lamp follows the contact";
            Frames_Pass(1);
        }
        EXPECT_EQ(W().Heat_Start_Mill(0) != 0, c.started);
        EXPECT_EQ(test_env::dialogs().prompts(), c.messages);
    }
}

TEST_F(StartSignal, StartStampIsTheLastFrameWrittenAndReadBack) {
    Show_With_Camera();
    Frames_Pass(40);
    const std::string file = New_File(0, "7");
    Input(0, false);
    Input(1, true);
    cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
    const int32_t mill = cap.last_Capture_mill(), events = cap.HDMI_events();
    const int32_t largest = cap.Max_Seen_Compressed_Size();
    Input(0, true);

    EXPECT_EQ(W().Heat_Start_Mill(0), mill);
    EXPECT_EQ(cap.JPG_Compression_Threshold(), vb::CLng(largest * 1.2)) << "the size target is locked";
    EXPECT_EQ(W().Command_start(0).Tag, "started");
    EXPECT_EQ(W().Label_filename(0).ForeColor(), 0x000000FFu);
    Checked c = check_qf3(file, "--frames 0 --start-pc " + std::to_string(mill) + " --start-events " +
                                    std::to_string(events));
    EXPECT_EQ(c.status, 0) << c.out;
    cls_VideoFile_handler reader;
    ASSERT_TRUE(reader.Open_File(file));
    const int32_t local = reader.Start_local_Mill_Time(1);
    EXPECT_EQ(reader.Header().RGB_Compressed_buffer_Size(), cap.JPG_Compression_Threshold());
    EXPECT_EQ(reader.Header().RGB_Comp_Threshold(), std::to_string(cap.JPG_Compression_Threshold()));
    EXPECT_EQ(reader.Header().RGB_Max_Seen_size(), std::to_string(largest));
    EXPECT_EQ(reader.Phidget_serial(), std::to_string(kSerial));
    reader.Close_File();
    EXPECT_NE(local, 0);
    EXPECT_EQ(W().Label_start_time(0).Caption(), Display_Mill_Time(local, false));

    // The read-back a second later: frames go on meanwhile, nothing waits
    // inside the start.
    EXPECT_TRUE(W().Timer_start_check.Enabled());
    EXPECT_EQ(W().Timer_start_check.Interval(), 1000);
    ASSERT_EQ(W().Pending_Start_Checks().size(), 1u);
    Frames_Pass(10);
    test_env::dialogs().clear();
    W().Timer_start_check.OnTimer();
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    EXPECT_FALSE(W().Timer_start_check.Enabled());
    EXPECT_TRUE(W().Pending_Start_Checks().empty());

    // The capture switch captures the started heat, from the stamp on.
    Input(5, true);
    EXPECT_TRUE(W().Capturing());
    Frames_Pass(12);
    Input(5, false);
    EXPECT_FALSE(W().Capturing());
    c = check_qf3(file, "--segments 1 --frames " + std::to_string(W().Num_Written()) + " --start-pc " +
                            std::to_string(mill) + " --start-local " + std::to_string(local));
    EXPECT_EQ(c.status, 0) << c.out;
    EXPECT_GE(W().Num_Written(), 12);
}

// The contact closes on the box's thread while the window thread is busy
// with a frame, and the window gets to the box's event only frames later:
// the heat still starts at the frame in work at the contact, the last one
// received before it.
TEST_F(StartSignal, AContactDuringAFrameStampsThatFrameHoweverLateTheWindowGetsToIt) {
    Show_With_Camera();
    Frames_Pass(40);
    const std::string file = New_File(0, "5");
    Input(0, false);
    Input(1, true);
    cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
    const auto frame = cap.HDMIreceived;
    int32_t contact_mill = 0, contact_events = 0;
    cap.HDMIreceived = [&] {
        frame();
        if (contact_events != 0) return;
        contact_mill = cap.last_Capture_mill();
        contact_events = cap.HDMI_events();
        std::thread box([] { StandInBox::SetInput(0, true); });
        box.join();
    };
    Frames_Pass(6);
    ASSERT_NE(contact_events, 0);
    EXPECT_EQ(W().Heat_Start_Mill(0), 0) << "the window has not got to the box's event yet";
    ASSERT_GT(cap.HDMI_events(), contact_events + 4);
    phidget::DeliverEvents();

    EXPECT_EQ(W().Heat_Start_Mill(0), contact_mill);
    EXPECT_EQ(W().Last_Start_Stamp().frame.events, contact_events);
    const Checked c = check_qf3(file, "--frames 0 --start-pc " + std::to_string(contact_mill) +
                                          " --start-events " + std::to_string(contact_events));
    EXPECT_EQ(c.status, 0) << c.out;
    cap.HDMIreceived = frame;
}

TEST_F(StartSignal, AStartThatDoesNotReadBackIsASeriousError) {
    Show_With_Camera();
    Frames_Pass(5);
    const std::string file = New_File(1, "8");
    QTest::mouseClick(widget_of(W().Command_start(1)), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ASSERT_NE(W().Heat_Start_Mill(1), 0);
    EXPECT_EQ(W().Active_Heat(), 1) << "the started slot becomes the active one";
    // Something else writes the header before the read-back.
    {
        cls_VideoFile_handler other;
        other.File_name(file);
        other.Open_RGB_File();
        other.Start_PC_mill(1, 12345);
        other.Write_QF3_header();
        other.Close_File();
    }
    test_env::dialogs().clear();
    W().Timer_start_check.OnTimer();
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt, "Start Time missing!\r\nPlease notify quillfen!");
    EXPECT_EQ(test_env::dialogs().shown[0].title, "Serious error!");
    EXPECT_NE(event_log().find("!!!Start time missing"), std::string::npos);

    // A heat aborted within the second has nothing to read back.
    const std::string again = New_File(2, "9");
    W().Command_start(2).Click();
    test_env::dialogs().clear();
    test_env::dialogs().answer_msg(forms::vbOK);
    W().Handle_Abort(2);
    test_env::dialogs().clear();
    W().Timer_start_check.OnTimer();
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    (void)again;
}

TEST_F(StartSignal, AStartBeforeTheFirstFrameKeepsTheCameraAndGivesAUsableSlot) {
    Show_Window();
    const std::string file = New_File(0, "1");
    Start_Camera();
    cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
    ASSERT_EQ(cap.HDMI_events(), 0);
    const int32_t now = static_cast<int32_t>(win::timeGetTime());
    W().Command_start(0).Click();
    EXPECT_EQ(W().Heat_Start_Mill(0), now) << "the PC clock stands in";
    EXPECT_TRUE(cap.Running());
    EXPECT_TRUE(g_Capture_Running);
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_NE(test_env::dialogs().prompts()[0].find("before the camera's first frame"), std::string::npos);
    EXPECT_NE(event_log().find("obj_Capture_HDMI.last_Capture_mill = 0, substituted!!"), std::string::npos);
    {
        cls_VideoFile_handler reader;
        ASSERT_TRUE(reader.Open_File(file));
        EXPECT_EQ(reader.Header().RGB_Compressed_buffer_Size(), 440 * 1080 * 3);
        reader.Close_File();
    }
    // Frames come, and the heat is captured into the slot it got.
    Frames_Pass(3);
    W().Handle_Capture_Start(0);
    Frames_Pass(6);
    W().Handle_Capture_End(0);
    const Checked c =
        check_qf3(file, "--frames " + std::to_string(W().Num_Written()) + " --slot " +
                            std::to_string(440 * 1080 * 3) + " --start-pc " + std::to_string(now));
    EXPECT_EQ(c.status, 0) << c.out;
    EXPECT_GE(W().Num_Written(), 6);
}

TEST_F(StartSignal, SecondStartsNeverStopTheCapture) {
    Show_With_Camera();
    // Timer values beyond 2^31 read as negative numbers: still a start.
    clock.advance(0x90000000u);
    Frames_Pass(40);
    ASSERT_LT(W().obj_Capture_HDMI()->last_Capture_mill(), 0);
    const std::string file = New_File(0, "5");
    Input(1, true);
    Input(0, true);
    const int32_t start = W().Heat_Start_Mill(0);
    ASSERT_LT(start, 0);
    Input(5, true);
    Frames_Pass(8);
    W().Update_Heat_Times();
    EXPECT_EQ(W().Label_heat_time(0).Caption(), Display_Mill_Time(9 * 20, false))
        << "the stamp's frame and 8 more";

    struct Case {
        const char* what;
        std::function<void()> act;
        std::string message;
    };
    const Case cases[] = {
        {"start pulse again", [] { Input(0, false), Input(0, true); }, "Heat A already started! (m1)"},
        {"start button", [] { Input(2, true), Input(2, false); }, "Heat A already started! (m1)"},
        {"the window forgot, the file did not",
         [] { W().Heat_Start_Mill(0) = 0, Input(2, true), Input(2, false); }, "Heat already started! (m2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test_env::dialogs().clear();
        c.act();
        EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(W().Capturing());
        EXPECT_TRUE(W().obj_Capture_HDMI()->Running());
        Frames_Pass(2);
    }
    Input(5, false);
    const Checked c = check_qf3(file, "--frames " + std::to_string(W().Num_Written()) + " --start-pc " +
                                          std::to_string(start));
    EXPECT_EQ(c.status, 0) << c.out;
}

TEST_F(StartSignal, BoxDisplayShowsTheWiringAndStartsNothing) {
    Show_With_Camera();
    Frames_Pass(3);
    New_File(0, "D");
    W().item_test_control_box.Trigger();
    ASSERT_TRUE(W().Frame_Control_box.Visible());
    EXPECT_EQ(W().Label_attached.Caption(), "Box attached");
    EXPECT_EQ(W().Label_serial.Caption(), "Serial: " + std::to_string(kSerial));

    Input(1, true);
    Input(0, true);
    Input(5, true);
    Input(3, true);
    EXPECT_EQ(W().Heat_Start_Mill(0), 0) << "inputs start nothing while the wiring is checked";
    EXPECT_FALSE(W().Capturing());
    EXPECT_EQ(W().Label_remote.BackColor(), 0x000000FFu);
    EXPECT_TRUE(W().Shape_on(0).Visible());
    EXPECT_FALSE(W().Shape_off(0).Visible());
    EXPECT_TRUE(W().Shape_on(1).Visible());
    EXPECT_EQ(W().Shape_Button(0).FillColor(), 0x0000FF00u);
    EXPECT_EQ(W().Shape_Button(1).FillColor(), 0x000000FFu);
    const int32_t cx = static_cast<int32_t>(W().Picture_LED.ScaleWidth() / 2);
    const int32_t cy = static_cast<int32_t>(W().Picture_LED.ScaleHeight() / 2);
    EXPECT_EQ(W().Picture_LED.Point(cx, cy), 0x0000FFFF) << "yellow with the contact closed";
    EXPECT_TRUE(StandInBox::Output(0));
    test_env::screenshot(W(), "capture_control_box");

    // The on-screen lamp held down lights the box's lamp; let go, it follows the contact.
    Input(0, false);
    EXPECT_EQ(W().Picture_LED.Point(cx, cy), 0x00646464);
    EXPECT_FALSE(StandInBox::Output(0));
    QTest::mousePress(widget_of(W().Picture_LED), Qt::LeftButton, Qt::NoModifier, QPoint(cx, cy));
    EXPECT_TRUE(StandInBox::Output(0));
    EXPECT_EQ(W().Picture_LED.Point(cx, cy), 0x0000FFFF);
    QTest::mouseRelease(widget_of(W().Picture_LED), Qt::LeftButton, Qt::NoModifier, QPoint(cx, cy));
    EXPECT_FALSE(StandInBox::Output(0));

    // Unplugged: the display says so and no output is set.
    StandInBox::Unplug();
    phidget::DeliverEvents();
    EXPECT_EQ(W().Label_attached.Caption(), "Box not attached");
    EXPECT_EQ(W().Label_serial.Caption(), "");
    W().Set_Phidget_State(0, true);
    EXPECT_FALSE(StandInBox::Output(0));

    // The display hidden again: the capture switch captures.
    StandInBox::Plug(kSerial);
    phidget::DeliverEvents();
    clock.advance(5000);
    W().item_test_control_box.Trigger();
    Input(2, true);
    EXPECT_NE(W().Heat_Start_Mill(0), 0);
    Input(5, false);
    Input(5, true);
    EXPECT_TRUE(W().Capturing());
    Input(5, false);
}

TEST_F(StartSignal, PerformanceWindowShowsTheFramesACaptureLost) {
    Show_With_Camera();
    // A 25 frames-per-second camera (40 ms a frame); once `dropping` is set,
    // every tenth frame comes 80 ms after the one before: one frame lost.
    bool dropping = false;
    cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
    auto fifty_hz = cap.HDMIreceived;
    cap.HDMIreceived = [&, fifty_hz] {
        fifty_hz();
        clock.advance(dropping && cap.HDMI_events() % 10 == 0 ? 60 : 20);
    };
    Frames_Pass(35);
    W().item_HDMI_performance.Trigger();
    ASSERT_TRUE(W().item_HDMI_performance.Checked());
    class Form_HDMI_performance& perf = Form_HDMI_performance();
    ASSERT_TRUE(perf.Visible());
    EXPECT_EQ(perf.Label_prop.Caption(), cap.Current_FriendlyName() + " / " + cap.Current_PropertyString());
    EXPECT_EQ(perf.Label_HDMI_dimensions.Caption(), "1920*1080, 25 fps");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(widget_of(perf.Label_prop)->window(), &activate);

    const std::string file = New_File(0, "P");
    Input(1, true);
    Input(0, true);
    Input(5, true);
    dropping = true;
    Frames_Pass(200);
    Input(5, false);
    const int32_t received = std::stoi(perf.Label_Frames_received.Caption());
    const int32_t calculated = std::stoi(perf.Label_frames_Calculated.Caption());
    EXPECT_GE(received, 200);
    EXPECT_EQ(std::stoi(perf.Label_frames_lost.Caption()), received - calculated);
    EXPECT_NEAR(received - calculated, -received / 10, 1) << "one frame in ten lost";
    const std::string shot = test_env::screenshot(perf, "hdmi_performance");
    EXPECT_TRUE(fs::exists(shot));
    const Checked c = check_qf3(file, "--frames " + std::to_string(W().Num_Written()));
    EXPECT_EQ(c.status, 0) << c.out;

    // Printed: the window's picture on one page.
    const std::string pdf = dir + "/performance.pdf";
    setenv("TIDEWICK_PRINTER_PDF", pdf.c_str(), 1);
    perf.Command_Print_Form.Click();
    unsetenv("TIDEWICK_PRINTER_PDF");
    EXPECT_GT(fs::exists(pdf) ? fs::file_size(pdf) : 0, 1000u);
    // Hidden from its own button; the menu item follows.
    perf.Command_Hide_Me.Click();
    EXPECT_FALSE(W().item_HDMI_performance.Checked());
    EXPECT_FALSE(perf.Visible());
}

} // namespace
