// The capture window as the operator drives it, over the real capture library
// with the synthetic camera: heat slots, new heat files, capture start and end
// with the Capture button held, abort and finish; every heat file written is
// checked by the independent byte-layout checker.
#include "Capture_Rig.h"
#include "Capture_Window_Fixture.h"
#include "Cls_XML_header.h"
#include "FolderBrowser.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Form_capture_multi_file.h"
#include "Frm_fullscreen.h"
#include "Frm_kanot_2.h"
#include "Frm_results.h"
#include "KeyState.h"
#include "Lane_Collection.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "PictureBox.h"
#include "Program_Wiring.h"
#include "Services.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"
#include "frmAbout.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

using capture_test::check_qf3;
using capture_test::Checked;
using capture_test::pump_until;
using capture_test::widget_of;

void click(const forms::WidgetControl& c, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(widget_of(c), Qt::LeftButton, mods, QPoint(4, 4));
}
void type_into(forms::TextBox& box, const std::string& text) {
    QTest::mouseClick(widget_of(box), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    QTest::keyClick(widget_of(box), Qt::Key_End);
    QTest::keyClicks(widget_of(box), QString::fromStdString(text));
}

class CaptureWindow : public capture_test::Capture_Window_Test {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        Set_Up_Capture_Window("capwin-");
        win::clear_keys();
    }
    void TearDown() override {
        if (Frm_fullscreen().IsLoaded()) Frm_fullscreen().Unload();
        Close_Capture_Window();
        forms::set_folder_browse_hook({});
        win::set_clock(nullptr);
        CaptureTest::TearDown();
    }

    // Shown and activated as the start-up window leaves it: the camera runs.
    // Every frame moves the fake clock on by 20 ms, as a 50 Hz camera does.
    void Open_Window() {
        W().Show();
        ASSERT_NO_FATAL_FAILURE(Start_Camera());
        ASSERT_TRUE(pump_until([&] { return Frames() >= 3; }));
    }
    // What the operator does for a new heat: heat ID typed, "New file" clicked.
    std::string New_File(int16_t slot, const std::string& heat_id) {
        type_into(W().Text_Heat_ID(slot), heat_id);
        click(W().Command_newFile(slot));
        return W().Label_filename(slot).Caption();
    }
    void Start_Heat(int16_t slot) { capture_rig::Stamp_Heat_Start(W(), slot); }
    // The program's wiring, and the replay window loaded hidden, as the
    // start-up window's load does; its load runs the program's initialisation,
    // which looks for the settings file in the data folder: the test's own
    // stays in use.
    static void Load_Replay_Window() {
        Wire_Program();
        const std::string ini = g_Ini_File_Path;
        Frm_kanot_2().Visible(false);
        g_Ini_File_Path = ini;
    }
    // The Capture button held down for n frames, then let go.
    int32_t Capture_For(int32_t n) {
        QTest::mousePress(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        EXPECT_TRUE(W().Capturing());
        EXPECT_TRUE(pump_until([&] { return W().Num_Written() >= n; }));
        const int32_t written = W().Num_Written();
        QTest::mouseRelease(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        EXPECT_FALSE(W().Capturing());
        return written;
    }
};

TEST_F(CaptureWindow, HeatCapturedInTwoSegmentsHoldsEveryFrameInOrder) {
    Open_Window();
    Frames_Pass(130); // long enough to measure the frame rate
    const std::string file = New_File(0, "12");
    ASSERT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(W().Heat_File_Initiated(0));
    Start_Heat(0);
    const int32_t n = Capture_For(12);
    Frames_Pass(5); // frames between the segments are not appended
    const int32_t m = Capture_For(9);

    const Checked c = check_qf3(file, "--frames " + std::to_string(n + m) + " --segments 2");
    EXPECT_EQ(c.status, 0) << c.out;
    EXPECT_NE(c.out.find("records=" + std::to_string(n + m)), std::string::npos) << c.out;

    cls_VideoFile_handler reader;
    ASSERT_TRUE(reader.Open_File(file));
    EXPECT_EQ(reader.Heat_ID(1), "12");
    EXPECT_EQ(reader.Event_name(), "Cup");
    EXPECT_EQ(reader.Header().RGB_X(), 440);
    EXPECT_FALSE(reader.Header().RGB_interlaced()) << "50 frames per second";
    EXPECT_GT(reader.Start_PC_Mill_time(1), 0);
    reader.Close_File();
    EXPECT_EQ(W().Label_file_size(0).Caption().substr(0, 2), "2/");
}

TEST_F(CaptureWindow, NothingOnAnotherSlotDisturbsARunningCapture) {
    Open_Window();
    const std::string a = New_File(0, "1");
    Start_Heat(0);
    QTest::mousePress(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ASSERT_TRUE(pump_until([&] { return W().Num_Written() >= 5; }));

    // While heat 1 is captured the operator prepares heat 2 in slot B: a new
    // file, its start, and the capture switch thrown for it as well.
    const std::string b = New_File(1, "2");
    ASSERT_TRUE(FileExists(b));
    EXPECT_NE(a, b);
    Start_Heat(1);
    W().Handle_Capture_Start(1);
    EXPECT_EQ(W().Capturing_Slot(), 0) << "a second start is ignored";
    ASSERT_TRUE(pump_until([&] { return W().Num_Written() >= 10; }));
    // Slot B is active now; letting go of the button still ends slot A's capture.
    EXPECT_EQ(W().Active_Heat(), 1);
    QTest::mouseRelease(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    const int32_t written = W().Num_Written();

    Checked c = check_qf3(a, "--frames " + std::to_string(written) + " --segments 1");
    EXPECT_EQ(c.status, 0) << c.out;
    c = check_qf3(b, "--frames 0");
    EXPECT_EQ(c.status, 0) << c.out;
}

TEST_F(CaptureWindow, NothingIsAppendedWhileTheReplayWindowIsShown) {
    Load_Replay_Window();
    class Frm_kanot_2& replay = Frm_kanot_2();
    Open_Window();
    const std::string file = New_File(0, "R");
    Start_Heat(0);
    QTest::mousePress(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ASSERT_TRUE(pump_until([&] { return W().Num_Written() >= 3; }));
    replay.Show();
    const int32_t before = W().Num_Written();
    Frames_Pass(8);
    EXPECT_EQ(W().Num_Written(), before);
    replay.Hide();
    Frames_Pass(4);
    EXPECT_GT(W().Num_Written(), before);
    QTest::mouseRelease(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    const Checked c = check_qf3(file, "--frames " + std::to_string(W().Num_Written()));
    EXPECT_EQ(c.status, 0) << c.out;
    replay.Unload();
}

TEST_F(CaptureWindow, EndingTheProgramOrLeavingForReplayEndsTheCaptureFirst) {
    Load_Replay_Window();
    Open_Window();
    struct Case {
        const char* what;
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"exit", [] { W().Terminate_obj_Capture_HDMI(); }},
        {"View recording", [] { W().item_view_recording.Trigger(); }},
        {"View last Finished heat", [] { W().item_view_last.Trigger(); }},
        {"Pause camera", [] { W().item_stop_camera.Trigger(); }},
    };
    int16_t heat = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        if (!W().obj_Capture_HDMI() || !W().obj_Capture_HDMI()->Running()) {
            W().Start_Camera();
            if (!W().obj_Capture_HDMI()) {
                W().Set_Source_and_Property();
                W().Start_Camera();
                auto window_event = W().obj_Capture_HDMI()->HDMIreceived;
                W().obj_Capture_HDMI()->HDMIreceived = [this, window_event] {
                    window_event();
                    clock.advance(20);
                };
            }
            Frames_Pass(3);
        }
        const std::string file = New_File(0, "E" + std::to_string(++heat));
        Start_Heat(0);
        QTest::mousePress(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        ASSERT_TRUE(pump_until([&] { return W().Num_Written() >= 6; }));
        k.leave();
        EXPECT_FALSE(W().Capturing());
        EXPECT_FALSE(g_Capture_Running && std::string(k.what) != "exit");
        const Checked c = check_qf3(file, "--frames " + std::to_string(W().Num_Written()) + " --segments 1");
        EXPECT_EQ(c.status, 0) << c.out;
        QTest::mouseRelease(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        click(W().Command_Finish(0));
        // Back from the replay window to the capture window for the next case.
        if (Frm_kanot_2().Visible()) {
            // Only "View last Finished heat" steps the capture window aside.
            EXPECT_EQ(W().Visible(), std::string(k.what) != "View last Finished heat");
            Frm_kanot_2().Close_File();
            Frm_results().Unload();
            Frm_kanot_2().Unload();
            W().Show();
        }
    }
}

// The exit question during a capture, answered both ways on the program's
// wiring: Cancel leaves the camera running and its frames coming, OK stops
// the camera, unloads the window and ends the process.
TEST_F(CaptureWindow, ExitCancelKeepsTheCameraRunningAndOkStopsIt) {
    Load_Replay_Window();
    Open_Window();
    g_Compiled = true;
    g_Capture_Running = true;
    std::vector<int32_t> ended;
    forms::set_end_hook([&ended](int32_t code) { ended.push_back(code); });
    test_env::dialogs().clear();
    test_env::dialogs().answer_msg(forms::vbCancel);
    Tidewick_exit();
    EXPECT_EQ(test_env::dialogs().prompts(),
              std::vector<std::string>{"Exiting Tidewick_HDMI, are you sure?"});
    EXPECT_TRUE(g_Capture_Running);
    ASSERT_NE(W().obj_Capture_HDMI(), nullptr);
    EXPECT_TRUE(W().obj_Capture_HDMI()->Running());
    Frames_Pass(3);
    EXPECT_TRUE(ended.empty());

    test_env::dialogs().answer_msg(forms::vbOK);
    Tidewick_exit();
    EXPECT_EQ(ended, std::vector<int32_t>{0});
    EXPECT_FALSE(g_Capture_Running);
    EXPECT_TRUE(W().obj_Capture_HDMI() == nullptr || !W().obj_Capture_HDMI()->Running());
    EXPECT_FALSE(W().IsLoaded());
    forms::set_end_hook({});
    g_Exiting = false;
}

// What the preview set up (lanes, goal line, options) and the start-up
// window's benchmark report go into every new heat's header, so that the
// replay window opens the heat with its goal line and lane marks.
TEST_F(CaptureWindow, NewHeatFileCarriesThePreviewsLanesGoalLineAndOptions) {
    W().Show();
    struct Options {
        bool lane_zero, show_goal, flipped, show_lanes;
        int16_t lanes;
    };
    const Options cases[] = {{false, true, false, true, 6}, {true, false, true, false, 3}};
    Lane_Collection().Clear();
    for (int i = 1; i <= 16; ++i) {
        auto lane = std::make_shared<Cls_lane>();
        lane->Lane_number(static_cast<int16_t>(i));
        lane->Lane_pos_X(100 + i);
        lane->Lane_pos_Y(40 * i);
        Lane_Collection().Add(lane);
    }
    const int32_t goal[4] = {220, 30, 230, 1000};
    std::copy(std::begin(goal), std::end(goal), g_Live_Goal_Points);
    Form_Tidewick_Full_Startup().JPEG_Bench_Report = "JPG compression benchmark at: now\r\n---Report end---";
    int16_t slot = 0;
    for (const Options& o : cases) {
        SCOPED_TRACE(o.lanes);
        g_Opt_Lane_Zero = o.lane_zero;
        g_Opt_Show_Goalline = o.show_goal;
        g_Opt_Flip_Lanes = o.flipped;
        g_Opt_Show_Lanes = o.show_lanes;
        g_Preview_Lane_Num = o.lanes;
        const std::string file = New_File(slot, "L" + std::to_string(o.lanes));
        ++slot;
        cls_VideoFile_handler vf;
        ASSERT_TRUE(vf.Open_File(file));
        EXPECT_EQ(vf.Start_Lane_Zero(), o.lane_zero);
        EXPECT_EQ(vf.Show_goalline(), o.show_goal);
        EXPECT_EQ(vf.Lanes_flipped(), o.flipped);
        EXPECT_EQ(vf.Lanes_Visible(), o.show_lanes);
        EXPECT_EQ(vf.Lane_count(), o.lanes);
        EXPECT_TRUE(vf.Lanes_locked());
        int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        vf.Get_Goalline(x1, y1, x2, y2);
        EXPECT_EQ((std::vector<int16_t>{x1, y1, x2, y2}), (std::vector<int16_t>{220, 30, 230, 1000}));
        for (int16_t i = 1; i <= o.lanes; ++i) {
            EXPECT_EQ(vf.LaneX(i), 100 + i) << "lane " << i;
            EXPECT_EQ(vf.LaneY(i), 40 * i) << "lane " << i;
        }
        EXPECT_EQ(vf.File_comment1(), "JPG compression benchmark at: now\r\n---Report end---");
        const Checked c = check_qf3(file, "--frames 0");
        EXPECT_EQ(c.status, 0) << c.out;
    }
    Form_Tidewick_Full_Startup().JPEG_Bench_Report.clear();
}

TEST_F(CaptureWindow, NewFileNamesTheHeatAndRefusesWhatWouldLoseAFile) {
    // 9 December 2026, 09:05:07 local time.
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 9, t.tm_hour = 9, t.tm_min = 5, t.tm_sec = 7, t.tm_isdst = -1;
    clock.set_wall(std::chrono::system_clock::from_time_t(std::mktime(&t)));
    Write_Ini("Canoe", "event_name", "Cup: 10-K1,men", g_Ini_File_Path);
    W().Show();
    const std::string stamp = " 2026_12_09 09_05_07";

    EXPECT_EQ(New_File(0, "12,b-3"), folder + "/Cup_ 10_K1_menHeat12_b_3" + stamp + ".qf3");
    EXPECT_TRUE(FileExists(W().Label_filename(0).Caption()));
    EXPECT_TRUE(W().Heat_File_Initiated(0));
    EXPECT_EQ(W().Label_start_time(0).Caption(), " 00:00,00");

    // A heat identifier with a separator stays inside the capture folder.
    EXPECT_EQ(New_File(1, "a/b"), folder + "/Cup_ 10_K1_menHeata_b" + stamp + ".qf3");

    // The same name within the same second: the file there is kept.
    std::ofstream(folder + "/Cup_ 10_K1_menHeat7" + stamp + ".qf3") << "keep";
    EXPECT_EQ(New_File(2, "7"), folder + "/Cup_ 10_K1_menHeat7" + stamp + "_2.qf3");
    EXPECT_EQ(test_env::read_file(folder + "/Cup_ 10_K1_menHeat7" + stamp + ".qf3"), "keep");

    struct Refusal {
        const char* what;
        std::function<void()> prepare;
        int16_t slot;
        std::string message;
    };
    click(W().Command_Finish(0));
    EXPECT_FALSE(W().Heat_File_Initiated(0));
    const std::string first = folder + "/Cup_ 10_K1_menHeat12_b_3" + stamp + ".qf3";
    EXPECT_EQ(Read_Ini("Canoe", "last_captured_file", g_Ini_File_Path, ""), first);
    EXPECT_EQ(W().Label_filename(0).Caption(), first + " finished");
    // After Finish the slot takes a new file; the finished one stays as it is.
    click(W().Command_newFile(0));
    EXPECT_TRUE(W().Heat_File_Initiated(0));
    EXPECT_EQ(W().Label_filename(0).Caption(), folder + "/Cup_ 10_K1_menHeat12_b_3" + stamp + "_2.qf3");

    const Refusal refusals[] = {
        {"second new file", [] {}, 0,
         "File already initated. Click Finish If you want to initiate a new file!"},
        {"no heat ID",
         [] {
             click(W().Command_Finish(0));
             W().Text_Heat_ID(0).Text("");
         },
         0, "No Heat ID given!"},
        {"no folder", [this] { fs::remove_all(folder); }, 1, "Can't find Capture Folder!"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        r.prepare();
        test_env::dialogs().clear();
        const std::string before = W().Label_filename(r.slot).Caption();
        click(W().Command_newFile(r.slot));
        EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{r.message});
        EXPECT_EQ(W().Label_filename(r.slot).Caption(), before);
    }
}

TEST_F(CaptureWindow, CaptureStartEndAndAbortRefuseWhatIsNotThere) {
    Open_Window();
    struct Case {
        const char* what;
        std::function<void()> act;
        std::string message;
    };
    const Case cases[] = {
        {"capture without a file", [] { W().Handle_Capture_Start(0); }, "No file initiated!"},
        {"capture end without a file", [] { W().Handle_Capture_End(0); },
         "Errror, Handle_Capture_End, file not initiated!"},
        {"abort of a heat not started", [] { W().Handle_Abort(0); }, "Heat not started!"},
        {"capture of a heat not started",
         [this] {
             New_File(0, "9");
             W().Handle_Capture_Start(0);
         },
         "Heat not started!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test_env::dialogs().clear();
        c.act();
        EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{c.message});
        EXPECT_FALSE(W().Capturing());
    }

    // Abort: Cancel keeps the start; OK clears it in the window and the file.
    Start_Heat(0);
    test_env::dialogs().clear();
    test_env::dialogs().answer_msg(forms::vbCancel);
    click(W().Command_abort(0));
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt, "Aborting heat 9 , are you sure?");
    EXPECT_EQ(test_env::dialogs().shown[0].title, "Tidewick Aborting Heat");
    EXPECT_EQ(test_env::dialogs().shown[0].buttons, forms::vbOKCancel + forms::vbDefaultButton2);
    EXPECT_NE(W().Heat_Start_Mill(0), 0);
    test_env::dialogs().answer_msg(forms::vbOK);
    click(W().Command_abort(0));
    EXPECT_EQ(W().Heat_Start_Mill(0), 0);
    EXPECT_EQ(W().Label_start_time(0).Caption(), "Aborted");
    cls_VideoFile_handler reader;
    ASSERT_TRUE(reader.Open_File(W().Label_filename(0).Caption()));
    EXPECT_EQ(reader.Start_PC_Mill_time(1), 0);
    EXPECT_EQ(reader.Start_local_Mill_Time(1), 0);
    reader.Close_File();

    // Escape held while frames arrive aborts the heat that takes the start.
    Start_Heat(0);
    test_env::dialogs().clear();
    test_env::dialogs().answer_msg(forms::vbOK);
    win::set_key_down(27, true);
    Frames_Pass(1);
    win::set_key_down(27, false);
    EXPECT_EQ(W().Heat_Start_Mill(0), 0);
}

// Escape asks once per press: held over many frames, and read again while
// the question is up, it asks no more; let go and pressed again, it asks again.
TEST_F(CaptureWindow, EscapeAsksItsQuestionOncePerPress) {
    Open_Window();
    test_env::dialogs().clear();
    const auto escape_held_for = [&](int32_t frames) {
        for (int32_t i = 0; i < frames; ++i) {
            // Held: the display server says so at every frame, whatever the
            // box did with the key's events.
            win::set_key_down(27, true);
            Frames_Pass(1);
        }
        win::set_key_down(27, false);
    };
    escape_held_for(6);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Heat not started!"});
    Frames_Pass(2);
    escape_held_for(3);
    EXPECT_EQ(test_env::dialogs().prompts(),
              (std::vector<std::string>{"Heat not started!", "Heat not started!"}));
}

TEST_F(CaptureWindow, SlotsBecomeActiveByTheMouseAndShowIt) {
    W().Show();
    EXPECT_EQ(W().Frame_capture(1).Caption(), "Heat B");
    EXPECT_EQ(W().Label_file_size(2).Caption(), "0 MB");
    EXPECT_EQ(W().Active_Heat(), 0);
    EXPECT_EQ(W().Frame_capture(0).BackColor(), 0x0080C0FFu);

    QTest::mousePress(widget_of(W().Lbl_heat_ID(2)), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(W().Active_Heat(), 2);
    EXPECT_EQ(W().Active_Heat_Start(), 2);
    EXPECT_EQ(W().Label_active_capture(2).BackColor(), 0x0080C0FFu);
    EXPECT_EQ(W().Label_active_start(2).BackColor(), 0x000000FFu);
    EXPECT_NE(W().Frame_capture(0).BackColor(), 0x0080C0FFu);

    // The start input goes to another slot only with Ctrl held.
    click(W().Label_active_start(1));
    EXPECT_EQ(W().Active_Heat_Start(), 2);
    win::set_key_down(17, true);
    click(W().Label_active_start(1), Qt::ControlModifier);
    win::set_key_down(17, false);
    EXPECT_EQ(W().Active_Heat_Start(), 1);
    EXPECT_EQ(W().Active_Heat(), 2);
    EXPECT_EQ(W().Label_active_start(1).BackColor(), 0x000000FFu);
    EXPECT_THROW(W().Heat_Start_Mill(3), vb::VbError);
}

TEST_F(CaptureWindow, LoadAndActivationFollowTheStoredSettings) {
    // Normal mode: no debug or specials menu; no folder stored.
    g_Compiled = true;
    Write_Ini("Canoe", "save_folder1", "", g_Ini_File_Path);
    W().Show();
    EXPECT_FALSE(W().menu_debug.Visible());
    EXPECT_FALSE(W().menu_specials.Visible());
    EXPECT_EQ(W().Lbl_capture_folder.Caption(), "NoFolder");
    EXPECT_EQ(W().Text_Event_name.Text(), "Cup");

    // The folder chosen in the browse dialog is shown and stored; a cancel keeps it.
    forms::set_folder_browse_hook([this](const std::string&) { return folder; });
    click(W().Lbl_capture_folder);
    EXPECT_EQ(W().Lbl_capture_folder.Caption(), folder);
    forms::set_folder_browse_hook([](const std::string&) { return std::string(); });
    click(W().Lbl_capture_folder);
    EXPECT_EQ(Read_Ini("Canoe", "save_folder1", g_Ini_File_Path, ""), folder);

    // The event name is stored when its box loses the focus.
    type_into(W().Text_Event_name, "X");
    QFocusEvent focus_out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget_of(W().Text_Event_name), &focus_out);
    EXPECT_EQ(Read_Ini("Canoe", "event_name", g_Ini_File_Path, ""), "CupX");
    EXPECT_EQ(g_Event_Name, "CupX");
    W().Unload();
    g_Compiled = false;

    // No source chosen yet: activation starts no camera.
    Write_Ini("capturesettings", "videoproperty", "-1", g_Ini_File_Path);
    W().Show();
    Activate();
    EXPECT_EQ(W().obj_Capture_HDMI(), nullptr);
    EXPECT_TRUE(W().menu_debug.Visible());
    test_env::dialogs().clear();
    W().item_HDMI_performance.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No active HDMI source!"});
    EXPECT_FALSE(W().item_HDMI_performance.Checked());

    // With a source: the camera starts; a later activation leaves the running
    // camera and its size target alone unless the settings changed.
    Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
    Activate();
    ASSERT_NE(W().obj_Capture_HDMI(), nullptr);
    cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
    ASSERT_TRUE(pump_until([&] { return cap.HDMI_events() >= 3; }));
    cap.Lock_Max_Direct_Compressed_size();
    const int32_t target = cap.JPG_Compression_Threshold();
    ASSERT_GT(target, 0);
    Activate();
    EXPECT_EQ(cap.JPG_Compression_Threshold(), target);
    g_Capture_Crop_Width = 600;
    Activate();
    EXPECT_EQ(cap.JPG_Compression_Threshold(), 0) << "a new crop learns again";
    EXPECT_EQ(cap.Cropped_DIB().Width(), 600);

    // A rotated crop lies in the centre of the 1920 x 1080 picture.
    g_Rotated_Crop = true;
    g_Capture_Crop_Width = 440;
    W().Set_OBJ_Capture_Crop();
    EXPECT_EQ(g_Crop_Offset_X, 740);
    EXPECT_EQ(g_Crop_Offset_Y, 0);
}

// The live preview draws and drags marks only with the show flags on: the
// capture window's load switches them on.
TEST_F(CaptureWindow, LoadSwitchesTheMarksAndGoalLineOn) {
    g_Show_Lanes = g_Show_Goalline = false;
    W().Show();
    EXPECT_TRUE(g_Show_Lanes);
    EXPECT_TRUE(g_Show_Goalline);
}

// "View last Finished heat": the replay and results windows come up with the
// heat just finished, the capture window steps aside. Help > About answers.
TEST_F(CaptureWindow, ViewLastFinishedHeatOpensItInTheReplayWindow) {
    Load_Replay_Window();
    Open_Window();
    const std::string file = New_File(0, "V1");
    Start_Heat(0);
    const int32_t written = Capture_For(6);
    click(W().Command_Finish(0));
    W().item_view_last.Trigger();
    auto& replay = Frm_kanot_2();
    EXPECT_TRUE(replay.Visible());
    EXPECT_TRUE(Frm_results().Visible());
    EXPECT_FALSE(W().Visible());
    EXPECT_FALSE(g_Capture_Running);
    EXPECT_EQ(Replay_Video_File().File_name(), file)
        << ::testing::PrintToString(test_env::dialogs().prompts());
    EXPECT_EQ(replay.Label_heatID.Caption(), "V1");
    EXPECT_EQ(Frm_results().Lbl_heat.Caption(), "V1") << "the results window beside it shows the heat";
    EXPECT_EQ(Frm_results().lbl_event_name.Caption(), "Cup");
    EXPECT_EQ(Replay_Video_File().Num_fields(), 2 * written);
    test_env::screenshot(replay, "capture_view_last_replay");
    replay.Close_File();
    Frm_results().Unload();
    replay.Unload();

    W().Show();
    W().item_about.Trigger();
    EXPECT_TRUE(frmAbout().Visible());
    frmAbout().Unload();
}

TEST_F(CaptureWindow, ScreenshotWithTheLivePreviewRunning) {
    // The live preview window the program's wiring connects.
    Wire_Program();
    class Frm_fullscreen& preview = Frm_fullscreen();
    Open_Window();
    New_File(0, "3");
    Start_Heat(0);
    click(W().Frame_capture(0));
    W().item_preview.Trigger();
    EXPECT_TRUE(preview.Visible());
    QTest::mousePress(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    Frames_Pass(10);
    const std::string out = test_env::output_dir();
    EXPECT_TRUE(W().Grab().SavePng(out + "/capture_window.png"));
    EXPECT_TRUE(preview.Grab().SavePng(out + "/capture_preview.png"));
    // The preview shows the camera's picture: not the empty box.
    EXPECT_NE(preview.Picture_preview.Point(110, 270), preview.Picture_preview.Point(5, 5));
    QTest::mouseRelease(widget_of(W().Command_Capture), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    // New file hides the preview.
    New_File(1, "4");
    EXPECT_FALSE(preview.Visible());
    EXPECT_FALSE(W().item_preview.Checked());
}

} // namespace
