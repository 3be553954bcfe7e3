// The replay window's main road, as the operator walks it: open a heat, step
// to a field and read its frame time, press a lane's digit, see the ranking;
// the results are in the heat file's header, read back by Python.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "Heat_Fixture.h"
#include "KeyState.h"
#include "Keys.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <QApplication>
#include <QMainWindow>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using test_env::process_events;

QSlider* slider() {
    auto* q = reinterpret_cast<QMainWindow*>(Frm_kanot_2().hWnd());
    return q->findChild<QSlider*>("Slider_play");
}

class ReplayRoad : public ::testing::Test {
protected:
    void SetUp() override {
        dir = Set_Up_Replay_Test(clock);
        forms::Install_Key_State_Feed();
        g_Compiled = true;
        unsetenv("TIDEWICK_DEVELOPMENT");
        reports.clear();
        vb::SetTrappingEnabled([] { return true; });
        vb::SetErrorHandler(
            [this](const vb::VbError&, const std::string& location, const std::string& extra) {
                reports.push_back(location + " | " + extra);
            });
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        win::clear_keys();
        Frm_kanot_2().Show();
        process_events();
    }
    void TearDown() override {
        Frm_kanot_2().Unload();
        Release_Replay_Video_File();
        win::set_clock(nullptr);
        win::clear_keys();
    }
    std::string make(const std::string& name, int32_t frames, int32_t width = 64, int32_t height = 48) {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name);
        recipe.width = width;
        recipe.height = height;
        return heat_fixture::Make_Small_Heat(recipe, frames);
    }
    void step_to(int32_t field) {
        Frm_kanot_2().Slider_play.Value(field);
        Frm_kanot_2().Slider_play_Scroll();
    }
    std::vector<std::string> rows(const std::array<std::string, 16>& column) {
        return {column.begin(), column.end()};
    }
    std::string stored_lanes(const std::string& path) {
        std::string out;
        EXPECT_EQ(test_env::run("python3 " + heat_fixture::Source_Dir() + "/tests/replay/lane_records.py '" +
                                    path + "' 2>&1",
                                &out),
                  0)
            << out;
        return out;
    }

    win::FakeClock clock{5000};
    std::vector<std::string> reports; // location | extra text of each trapped error
    std::string dir;
};

// ---- Opening ----

TEST_F(ReplayRoad, AHeatOpensAtFieldOneWithItsLabels) {
    const std::string path = make("Heat4_a.qf3", 5);
    auto& w = Frm_kanot_2();
    w.item_Zoom.Checked(true);
    w.Zoom_On = true;
    Open_In_Replay_Window(path);
    EXPECT_FALSE(w.item_Zoom.Checked()) << "opening turns the zoom off";
    EXPECT_FALSE(w.Zoom_On);
    EXPECT_EQ(w.File_Name_Field, path);
    EXPECT_EQ(g_Program_Mode, 10);
    EXPECT_EQ(w.Slider_play.Min(), 1);
    EXPECT_EQ(w.Slider_play.Max(), 10);
    EXPECT_EQ(w.Slider_play.Value(), 1);
    EXPECT_EQ(w.Lbl_frameno.Caption(), "0001");
    EXPECT_EQ(w.Label_heatID.Caption(), "Heat 1");
    EXPECT_EQ(w.Label_heatID.ToolTipText(), path);
    EXPECT_EQ(w.Label_start_time.Caption(), Display_Mill_Time(36000000, false).substr(0, 9));
    EXPECT_EQ(w.Lbl_Frame_size.Caption(), "64*48");
    EXPECT_EQ(w.Lbl_filesize.Caption(), "1/0.1 MB");
    EXPECT_EQ(w.Caption(), "Tidewick Video Replay Heat4_a.qf3");
    EXPECT_EQ(Read_Ini("Canoe", "last_dir", g_Ini_File_Path, ""), dir + "/");
    // The goal line runs from the top edge: a zero among its values still shows it.
    EXPECT_EQ(std::vector<int32_t>(g_Goal_Line_Points, g_Goal_Line_Points + 4),
              (std::vector<int32_t>{32, 0, 32, 47}));
    ASSERT_EQ(Lane_Collection().Count(), 9);
    EXPECT_EQ(Lane_Collection().Item(1).Lane_number(), Replay_Video_File().Start_lane());
    EXPECT_EQ(w.Lbl_elapsed_time.Caption(), Display_Mill_Time(40, false));
    EXPECT_EQ(w.Lbl_delta_time.Caption(), Display_Mill_Time(0, false)) << "the delta counts from field 1";
    // The picture shows the frame, not an empty box.
    const QImage img = w.Picture_large.Image().image();
    int coloured = 0;
    for (int y = 0; y < 48 && y < img.height(); ++y)
        for (int x = 0; x < 64 && x < img.width(); ++x)
            coloured += img.pixelColor(x, y) != img.pixelColor(0, 0);
    EXPECT_GT(coloured, 100);
    ASSERT_TRUE(w.Grab().SavePng(test_env::output_dir() + "/replay_window_open.png"));
}

TEST_F(ReplayRoad, AHeatOnTheCommandLineOpensDuringTheLoadAndKeepsItsLabels) {
    const std::string path = make("Heat4_a.qf3", 5);
    Frm_kanot_2().Unload();
    forms::App().CommandLine = "\"" + path + "\"";
    Frm_kanot_2().Load();
    forms::App().CommandLine.clear();
    EXPECT_TRUE(Replay_File_Open());
    EXPECT_EQ(Frm_kanot_2().Label_heatID.Caption(), "Heat 1");
    EXPECT_EQ(Frm_kanot_2().Lbl_Frame_size.Caption(), "64*48");
}

TEST_F(ReplayRoad, FailedOpensLeaveTheWindowEmpty) {
    const std::string good = make("Heat1_a.qf3", 3);
    const std::string garbage = dir + "/garbage.qf3";
    test_env::write_file(garbage, std::string(40000, 'x'));
    // A header and no sample: the heat start written, no capture run.
    const std::string empty = dir + "/Heat2_empty.qf3";
    {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(empty);
        cls_VideoFile_handler vf;
        ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
        make_heat::Heat_Start(vf, recipe);
    }
    const struct {
        std::string name, dialog_answer, message;
    } cases[] = {
        {dir + "/missing.qf3", "", "File does not exist!"},
        {empty, "", empty + "\nNo video frames in this file!"},
        {"", "", ""}, // the open box cancelled
        {garbage, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open_In_Replay_Window(good);
        ASSERT_TRUE(Replay_File_Open());
        Write_Ini("Canoe", "last_dir", "unchanged", g_Ini_File_Path);
        test_env::dialogs().clear();
        Open_In_Replay_Window(c.name);
        EXPECT_FALSE(Replay_File_Open());
        EXPECT_EQ(Frm_kanot_2().File_Name_Field, "");
        EXPECT_EQ(Frm_kanot_2().Lbl_frameno.Caption(), "");
        EXPECT_EQ(Frm_kanot_2().Caption(), "Tidewick Video Replay ");
        if (!c.message.empty()) {
            EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{c.message});
        }
        if (c.name.empty()) {
            EXPECT_EQ(Read_Ini("Canoe", "last_dir", g_Ini_File_Path, ""), "unchanged");
            ASSERT_FALSE(test_env::dialogs().files_shown.empty());
            EXPECT_EQ(test_env::dialogs().files_shown.back().title, "Open");
            EXPECT_EQ(test_env::dialogs().files_shown.back().filter, "Tidewick Files (*.qf3)|*.qf3");
            EXPECT_EQ(test_env::dialogs().files_shown.back().initial_folder, "unchanged");
        }
    }
}

TEST_F(ReplayRoad, TheOpenBoxOpensTheChosenHeatAndASecondReplacesTheFirst) {
    const std::string first = make("Heat1_a.qf3", 3);
    const std::string second = make("Heat2_a.qf3", 4, 48, 32);
    test_env::dialogs().answer_file(first);
    Frm_kanot_2().item_open.Click();
    EXPECT_EQ(Frm_kanot_2().File_Name_Field, first);
    Frm_kanot_2().Slider_play.SetFocus();
    QTest::keyClick(slider(), Qt::Key_2);
    Open_In_Replay_Window(second);
    EXPECT_EQ(Frm_kanot_2().Slider_play.Max(), 8);
    EXPECT_EQ(Frm_kanot_2().Lbl_Frame_size.Caption(), "48*32");
    EXPECT_EQ(Frm_kanot_2().Results_Shown.rank[0], "") << "the second heat has no results";
    EXPECT_EQ(stored_lanes(first).substr(0, 16), "0 999999999 0 0\n") << stored_lanes(first);
    EXPECT_NE(stored_lanes(first).find("\n2 40 5000 1\n"), std::string::npos) << "the first keeps its own";
}

// ---- Stepping ----

// A heat whose frames carry chosen time stamps (ms after the heat start) and
// capture event counts.
std::string stamped_heat(const std::string& path, const std::vector<std::pair<int32_t, int32_t>>& frames) {
    make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(path);
    cls_VideoFile_handler vf;
    EXPECT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    vf.File_name(path);
    vf.Open_RGB_File();
    vf.Position_at_End();
    cDIBSection dib;
    dib.Create(recipe.width, recipe.height);
    std::vector<uint8_t> jpeg(1000000);
    int32_t n = 0;
    for (const auto& [stamp, events] : frames) {
        make_heat::Fill_Synthetic_Frame(dib, ++n, false);
        int32_t size = static_cast<int32_t>(jpeg.size());
        Save_JPG_To_Buffer(dib, jpeg.data(), size, 80);
        vf.Append_Compressed_RGB_Frame(recipe.start_local_mill + stamp, recipe.start_pc_mill + stamp, 40, 80,
                                       size, jpeg.data(), events);
    }
    vf.Add_Segment_num();
    vf.Close_File();
    return path;
}

TEST_F(ReplayRoad, FrameTimeOfEachFieldByBothTimingMethods) {
    Open_In_Replay_Window(stamped_heat(dir + "/Heat5_a.qf3", {{59, 1}, {60, 2}, {100, 3}, {-30, 7}}));
    auto& w = Frm_kanot_2();
    const struct {
        int32_t field;
        int32_t by_stamp, by_count;
    } cases[] = {
        {1, 40, 40},   {2, 60, 60},  // 59 ms: the frame at 40, its second field 20 later
        {3, 80, 80},   {5, 80, 120}, // 60 and 100 ms both round to 80 (halves to even)
        {6, 100, 140}, {7, -40, 280} // before the start: negative, rounded the same way
    };
    for (bool by_count : {false, true}) {
        w.item_timing_framecount.Checked(by_count);
        w.item_timing_frametimestamp.Checked(!by_count);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.field) + (by_count ? " frame count" : " time stamp"));
            step_to(c.field);
            const int32_t expected = by_count ? c.by_count : c.by_stamp;
            EXPECT_EQ(w.Frame_Mill, expected);
            EXPECT_EQ(w.Lbl_elapsed_time.Caption(), Display_Mill_Time(expected, false));
            EXPECT_EQ(w.Lbl_frameno.Caption(), "000" + std::to_string(c.field));
        }
    }
    w.item_timing_framecount.Checked(false);
    step_to(5);
    w.Lbl_delta_time_Click();
    EXPECT_EQ(w.Lbl_delta_time.Caption(), Display_Mill_Time(0, false));
    step_to(7);
    EXPECT_EQ(w.Lbl_delta_time.Caption(), "---") << "earlier than the reference";
    step_to(1);
    EXPECT_EQ(w.Lbl_delta_time.Caption(), "---");
}

TEST_F(ReplayRoad, StepsDroppedWhileCapturingOrWhileAStepIsDrawn) {
    Open_In_Replay_Window(make("Heat1_a.qf3", 3));
    auto& w = Frm_kanot_2();
    for (bool capturing : {true, false}) {
        g_Capture_Running = capturing;
        w.Scroll_Busy = !capturing;
        step_to(5);
        EXPECT_EQ(w.Lbl_frameno.Caption(), "0001");
        EXPECT_EQ(w.Frame_Mill, 40);
    }
    g_Capture_Running = false;
    w.Scroll_Busy = false;
    step_to(5);
    EXPECT_EQ(w.Lbl_frameno.Caption(), "0005");
}

TEST_F(ReplayRoad, SampleDataIsDrawnOverTheFieldAndLowQualityBeeps) {
    auto& w = Frm_kanot_2();
    w.item_display_sample_data.Checked(true);
    for (int16_t quality : {79, 80}) {
        SCOPED_TRACE(quality);
        make_heat::Heat_Recipe recipe =
            heat_fixture::Small_Recipe(dir + "/Heat1_q" + std::to_string(quality) + ".qf3");
        recipe.width = 320;
        recipe.height = 240;
        recipe.slot_size = 60000;
        recipe.quality = quality;
        std::string error;
        ASSERT_TRUE(make_heat::Make_Heat(recipe, 2, &error)) << error;
        Open_In_Replay_Window(recipe.path);
        const int32_t before = forms::Beeps_Sounded();
        step_to(3);
        EXPECT_EQ(forms::Beeps_Sounded() - before, quality < 80 ? 1 : 0);
        // The blue box behind the yellow text, from the top-left corner.
        const QImage img = w.Picture_large.Image().image();
        int blue = 0, yellow = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                blue += c.blue() > 240 && c.red() < 20 && c.green() < 20;
                yellow += c.red() > 240 && c.green() > 240 && c.blue() < 20;
            }
        EXPECT_GT(blue, 1000);
        EXPECT_GT(yellow, 100);
    }
    ASSERT_TRUE(w.Grab().SavePng(test_env::output_dir() + "/replay_window_sample_data.png"));
    w.item_display_sample_data.Checked(false);
}

TEST_F(ReplayRoad, AHeatLongerThan16383FramesStepsToItsEnd) {
    const int32_t frames = 16400;
    const std::string path = make("Heat9_long.qf3", frames, 8, 8);
    Open_In_Replay_Window(path);
    auto& w = Frm_kanot_2();
    ASSERT_EQ(w.Slider_play.Max(), 2 * frames);
    w.Slider_play.SetFocus();
    QTest::keyClick(slider(), Qt::Key_End);
    EXPECT_EQ(w.Slider_play.Value(), 2 * frames);
    EXPECT_EQ(w.Lbl_frameno.Caption(), "32800");
    EXPECT_EQ(w.Frame_Mill, 40 * frames + 20);
    QTest::keyClick(slider(), Qt::Key_4);
    EXPECT_NE(stored_lanes(path).find("\n4 656020 5000 32800\n"), std::string::npos) << stored_lanes(path);
}

// ---- Results ----

TEST_F(ReplayRoad, DigitKeysAttachTheTimeAndModifiedDigitsDoNot) {
    const std::string path = make("Heat3_a.qf3", 5);
    Open_In_Replay_Window(path);
    auto& w = Frm_kanot_2();
    w.Slider_play.SetFocus();
    QTest::keyClick(slider(), Qt::Key_Right); // field 2: 60 ms
    QTest::keyClick(slider(), Qt::Key_3);
    EXPECT_EQ(Lane_Result_Array[3].result, 60);
    EXPECT_EQ(Lane_Result_Array[3].goal_field, 2);
    EXPECT_EQ(Lane_Result_Array[3].click_time, 5000);
    clock.advance(100);
    QTest::keyClick(slider(), Qt::Key_Right);
    test_env::dialogs().answer_msg(forms::vbOK);
    QTest::keyClick(slider(), Qt::Key_3, Qt::KeypadModifier); // the keypad's 3, the same lane
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Override existing result?"});
    EXPECT_EQ(Lane_Result_Array[3].result, 80);
    EXPECT_EQ(Lane_Result_Array[3].click_time, 5100);
    for (auto modifier : {Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(slider(), Qt::Key_5, modifier);
        EXPECT_EQ(Lane_Result_Array[5].result, Result_None);
    }
    QTest::keyClick(slider(), Qt::Key_0); // not a lane key
    EXPECT_EQ(Lane_Result_Array[0].result, Result_None);

    // Ctrl+d goes to the goal field of place d, Alt+d to lane d's own; a place
    // or lane without a time has goal field 0 and shows field 1.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        int32_t field;
    } jumps[] = {{Qt::Key_1, Qt::ControlModifier, 3},
                 {Qt::Key_2, Qt::ControlModifier, 1},
                 {Qt::Key_3, Qt::AltModifier, 3},
                 {Qt::Key_5, Qt::AltModifier, 1}};
    for (const auto& j : jumps) {
        w.Slider_play.Value(4);
        QTest::keyClick(slider(), j.key, j.modifier);
        EXPECT_EQ(w.Slider_play.Value(), j.field) << j.key << " " << j.modifier;
    }
    EXPECT_EQ(stored_lanes(path).substr(0, 16), "0 999999999 0 0\n");
    EXPECT_NE(stored_lanes(path).find("\n3 80 5100 3\n"), std::string::npos) << stored_lanes(path);
}

// The arrow's step is the one of its own press: Ctrl+arrow four fields, a
// plain arrow after it one field.
TEST_F(ReplayRoad, ArrowStepsFollowTheCtrlKeyOfTheirOwnPress) {
    Open_In_Replay_Window(make("Heat3_b.qf3", 10));
    auto& w = Frm_kanot_2();
    w.Slider_play.SetFocus();
    w.Slider_play.Value(1);
    const struct {
        bool ctrl;
        int32_t field;
    } steps[] = {{true, 5}, {false, 6}, {false, 7}, {true, 11}, {false, 12}};
    for (const auto& s : steps) {
        if (s.ctrl) QTest::keyPress(slider(), Qt::Key_Control, Qt::ControlModifier);
        QTest::keyClick(slider(), Qt::Key_Right, s.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        if (s.ctrl) QTest::keyRelease(slider(), Qt::Key_Control);
        EXPECT_EQ(w.Slider_play.Value(), s.field) << (s.ctrl ? "Ctrl+Right" : "Right");
    }
}

TEST_F(ReplayRoad, RankingWithTiesCodesAndSixteenLanes) {
    Open_In_Replay_Window(make("Heat6_a.qf3", 5));
    auto& w = Frm_kanot_2();
    auto attach = [&](int16_t lane, int32_t field, int32_t code, bool plus = false) {
        step_to(field);
        w.Attach_Time(lane, code, plus);
        clock.advance(10);
    };
    attach(1, 4, Result_Disqualified);
    attach(5, 4, 0); // 100 ms
    attach(2, 4, 0); // the same time, attached later: next place
    attach(7, 2, Result_Did_Not_Finish);
    attach(3, 2, Result_Did_Not_Start);
    attach(9, 2, 0, true); // 60 + 10
    EXPECT_EQ(rows(w.Results_Shown.rank), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "", "", "",
                                                                    "", "", "", "", "", "", ""}));
    EXPECT_EQ(rows(w.Results_Shown.lane), (std::vector<std::string>{"9", "5", "2", "1", "3", "7", "", "", "",
                                                                    "", "", "", "", "", "", ""}));
    const std::string t70 = Display_Mill_Time(70, false), t100 = Display_Mill_Time(100, false);
    EXPECT_EQ(rows(w.Results_Shown.time), (std::vector<std::string>{t70, t100, t100, "DSQ", "DNS", "DNF", "",
                                                                    "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(w.Results_Shown.delta[0], "+" + Display_Mill_Time(0, true));
    EXPECT_EQ(w.Results_Shown.delta[1], "+" + Display_Mill_Time(30, true));
    EXPECT_EQ(w.Results_Shown.delta[3], "");
    EXPECT_EQ(w.Results_Shown.heat, "Heat 1");
    EXPECT_EQ(w.Timed_Count, 3);
    EXPECT_EQ(Lane_To_Place(5), 2);
    EXPECT_EQ(Lane_To_Place(3), 0);

    // "Clear this lane" ranks it last and shows nothing of it.
    test_env::dialogs().answer_msg(forms::vbOK);
    g_Selected_Lane = 9;
    w.item_clear_lane_Click();
    EXPECT_EQ(w.Results_Shown.lane[0], "5");
    EXPECT_EQ(w.Results_Shown.rank[5], "");

    // Every lane timed: sixteen rows.
    for (int16_t lane = 0; lane < 16; ++lane) {
        test_env::dialogs().answer_msg(forms::vbOK);
        attach(lane, 10 - lane % 8, 0);
    }
    EXPECT_EQ(w.Results_Shown.rank[15], "16");
    EXPECT_EQ(w.Timed_Count, 16);
}

TEST_F(ReplayRoad, AttachRefusalsChangeNothing) {
    const std::string path = make("Heat8_a.qf3", 3);
    auto& w = Frm_kanot_2();
    int16_t lane = 2;
    int32_t code = 0;
    bool plus = false;
    w.Attach_Time(lane, code, plus); // no file open
    EXPECT_TRUE(test_env::dialogs().prompts().empty());

    Open_In_Replay_Window(path);
    step_to(3);
    w.Attach_Time(lane, code, plus);
    const std::string before = stored_lanes(path);
    const struct {
        int16_t lane;
        bool read_only;
        std::string prompt;
    } cases[] = {
        {2, false, "Override existing result?"}, // answered Cancel
        {2, true, "File is read-only!"},
        {-1, false, ""}, // no lane selected: reported, nothing written
        {16, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lane);
        test_env::dialogs().clear();
        test_env::dialogs().answer_msg(forms::vbCancel);
        Replay_Video_File().Read_only(c.read_only);
        step_to(5);
        lane = c.lane;
        w.Attach_Time(lane, code, plus);
        Replay_Video_File().Read_only(false);
        if (!c.prompt.empty()) {
            ASSERT_FALSE(test_env::dialogs().prompts().empty());
            EXPECT_EQ(test_env::dialogs().prompts().front(), c.prompt);
        }
        EXPECT_EQ(Lane_Result_Array[2].result, 80);
        EXPECT_EQ(stored_lanes(path), before);
    }
    EXPECT_EQ(reports,
              (std::vector<std::string>{"Attach_Time of Form frm_kanot_2 | p_Active_Result = 0 Lane = -1",
                                        "Attach_Time of Form frm_kanot_2 | p_Active_Result = 0 Lane = 16"}));
}

TEST_F(ReplayRoad, AttachedTimeIsInTheFileAfterCloseAndReopen) {
    const std::string path = make("Heat2_b.qf3", 5);
    Open_In_Replay_Window(path);
    auto& w = Frm_kanot_2();
    w.Slider_play.SetFocus();
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(slider(), Qt::Key_Right);
    QTest::keyClick(slider(), Qt::Key_6);
    EXPECT_EQ(w.Results_Shown.lane[0], "6");
    w.Close_File();
    EXPECT_EQ(w.Results_Shown.lane[0], "") << "closing empties the panel";
    EXPECT_NE(stored_lanes(path).find("\n6 160 5000 7\n"), std::string::npos) << stored_lanes(path);
    Open_In_Replay_Window(path);
    EXPECT_EQ(w.Results_Shown.lane[0], "6");
    EXPECT_EQ(w.Results_Shown.time[0], Display_Mill_Time(160, false));
    EXPECT_EQ(Lane_Result_Array[6].goal_field, 7);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ReplayRoad, SpecialsEditTheHeatDataAndRefuseBadLaneCounts) {
    const std::string path = make("Heat7_a.qf3", 3);
    Open_In_Replay_Window(path);
    auto& w = Frm_kanot_2();
    auto reopened = [&] {
        cls_VideoFile_handler vf;
        EXPECT_TRUE(vf.Open_File(path));
        return std::make_pair(vf.Heat_ID(1), vf.Lane_count());
    };
    test_env::dialogs().answer_input(std::nullopt);
    w.item_set_heat_id_Click();
    EXPECT_EQ(reopened().first, "Heat 1") << "Cancel changes nothing";
    test_env::dialogs().answer_input("A final");
    w.item_set_heat_id_Click();
    EXPECT_EQ(reopened().first, "A final");
    for (const char* bad : {"16", "-1", "abc", "2.5", ""}) {
        SCOPED_TRACE(bad);
        test_env::dialogs().clear();
        test_env::dialogs().answer_input(std::string(bad));
        w.item_set_lanenums_Click();
        EXPECT_EQ(reopened().second, 9);
        ASSERT_EQ(test_env::dialogs().shown.size(), 2u);
        EXPECT_EQ(test_env::dialogs().shown[1].prompt, "Lane numbers: a whole number from 0 to 15, please.");
    }
    test_env::dialogs().answer_input(std::string("4"));
    w.item_set_lanenums_Click();
    EXPECT_EQ(reopened().second, 4);
}

} // namespace
