// Damaged, cut and foreign heat files opened in the replay window, from the
// open box and from the command line, as a race official meets them after a
// full disk, a pulled stick or a copy that stopped: one plain message, the
// slider within the frames the file holds, no time taken from a frame that
// is not there, the window whole and the results window without the heat
// that was open before.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "Frm_results.h"
#include "Heat_Fixture.h"
#include "KeyState.h"
#include "Keys.h"
#include "Make_Heat.h"
#include "Module_lane_results.h"
#include "QF3_format.h"
#include "Screen.h"
#include "Services.h"
#include "Windows.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kFrames = 20;

// Where record n starts, by the record size the file's first record gives.
int64_t Record_At(const std::string& path, int32_t n) {
    const std::string bytes = test_env::read_file(path);
    int32_t slot = 0;
    std::memcpy(&slot, bytes.data() + qf3::kBlock_Size + 44, 4);
    return qf3::Sample_Offset(n, slot + qf3::kRecord_Overhead);
}

// One damaged file: how it is made from a whole heat, and what the window
// must show for it.
struct Damage {
    const char* name;
    std::function<void(const std::string& path)> make;
    // The message expected; "{path}" stands for the file's path.
    std::string message;
    int32_t frames_usable;        // whole frames the window offers (0: nothing opened)
    int32_t damaged_frame;        // a frame inside the range that shows as damaged (0: none)
    bool sized_by_header = false; // refused after its header sized the picture
};

std::string Expand(std::string text, const std::string& path) {
    const std::string key = "{path}";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + path.size()))
        text.replace(at, key.size(), path);
    return text;
}

const std::string kCut7 = "{path}\nThis heat file is cut short: it holds 7 of 20 frames.";

const std::vector<Damage>& Damages() {
    static const std::vector<Damage> table = {
        {"cut inside the header", [](const std::string& p) { fs::resize_file(p, 20000); },
         "Heat file {path} is cut short: its header block holds 20000 of 32016 bytes", 0, 0},
        {"cut inside the first record's head",
         [](const std::string& p) { fs::resize_file(p, Record_At(p, 1) + 20); },
         "{path}\nNo video frames in this file!", 0, 0, true},
        {"cut inside a record head", [](const std::string& p) { fs::resize_file(p, Record_At(p, 8) + 30); },
         kCut7, 7, 0},
        {"cut inside a JPEG", [](const std::string& p) { fs::resize_file(p, Record_At(p, 8) + 900); }, kCut7,
         7, 0},
        {"cut between records", [](const std::string& p) { fs::resize_file(p, Record_At(p, 8)); }, kCut7, 7,
         0},
        {"header count too high",
         [](const std::string& p) {
             std::string bytes = test_env::read_file(p);
             const size_t at = bytes.find("<num_frames>20</num_frames>");
             ASSERT_NE(at, std::string::npos);
             bytes.replace(at, 27, "<num_frames>90</num_frames>");
             test_env::write_file(p, bytes);
         },
         "{path}\nThis heat file is cut short: it holds 20 of 90 frames.", 20, 0},
        {"last record's length beyond the file",
         [](const std::string& p) { heat_fixture::Poke32(p, Record_At(p, kFrames) + 44, 1000000); }, "",
         kFrames, kFrames},
        {"a record's picture length beyond its slot",
         [](const std::string& p) { heat_fixture::Poke32(p, Record_At(p, 5) + 30, 900000); }, "", kFrames, 5},
        {"a record's picture overwritten",
         [](const std::string& p) {
             std::string bytes = test_env::read_file(p);
             std::memset(bytes.data() + Record_At(p, 9) + qf3::kRecord_Head_Size, 0x42, 300);
             test_env::write_file(p, bytes);
         },
         "", kFrames, 9},
        {"foreign text file renamed",
         [](const std::string& p) {
             test_env::write_file(p, "Regatta start list\r\nHeat 1: lane 1 Storsjo, lane 2 Vaxholm\r\n");
         },
         "Not a valid Tidewick file!", 0, 0},
        {"empty file", [](const std::string& p) { test_env::write_file(p, ""); },
         "Not a valid Tidewick file!", 0, 0},
    };
    return table;
}

QRect Work_Area() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class DamagedHeats : public ::testing::Test {
protected:
    void SetUp() override {
        Frm_results().Unload();
        dir = Set_Up_Replay_Test(clock);
        forms::Install_Key_State_Feed();
        Collect_Error_Reports(reports);
        unsetenv("TIDEWICK_DEVELOPMENT");
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        win::clear_keys();
        good = Make("Heat1_good.qf3");
        pristine = Make("Heat9_pristine.qf3");
    }
    void TearDown() override {
        Frm_results().Unload();
        Frm_kanot_2().Unload();
        Release_Replay_Video_File();
        win::set_clock(nullptr);
        win::clear_keys();
    }
    std::string Make(const std::string& name) {
        // A crop the size of a real one's width, so the window is laid out as at a race.
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name, 0);
        recipe.width = 320;
        recipe.height = 240;
        std::string error;
        EXPECT_TRUE(make_heat::Make_Heat(recipe, kFrames, &error)) << error;
        return recipe.path;
    }
    // A copy of the whole heat with the damage done to it.
    std::string Damaged_Copy(const std::string& prefix, int n, const Damage& d) {
        const std::string path = dir + "/" + prefix + std::to_string(n) + ".qf3";
        fs::copy_file(pristine, path, fs::copy_options::overwrite_existing);
        d.make(path);
        return path;
    }
    void Show_Windows() {
        Frm_kanot_2().Show();
        Frm_results().Show();
        test_env::process_events();
    }
    // The heat open before the damaged one, with lane 3's time attached so
    // the results window shows it.
    void Open_Good_Heat_With_A_Result() {
        std::string path = good;
        Frm_kanot_2().Handle_Open_File(path);
        ASSERT_TRUE(Replay_File_Open());
        Step_To(7);
        Frm_kanot_2().Slider_play_KeyDown('3', 0);
        test_env::process_events();
        ASSERT_EQ(Frm_results().Lbl_heat.Caption(), "Heat 1");
        ASSERT_NE(Frm_results().Lbl_result_lane(0).Caption(), "");
    }
    void Step_To(int32_t field) {
        Frm_kanot_2().Slider_play.Value(field);
        Frm_kanot_2().Slider_play_Scroll();
    }
    int32_t Stored_Time(int16_t lane) { return Replay_Video_File().Heat_time(1, lane); }

    // What the table checks after each open of a damaged file.
    QSize Window_Size() {
        return reinterpret_cast<QMainWindow*>(Frm_kanot_2().hWnd())->frameGeometry().size();
    }
    // expected_size: the window's size as it must be after the open.
    void Check(const Damage& d, const std::string& path, const std::string& shot, QSize expected_size) {
        auto& w = Frm_kanot_2();
        test_env::process_events();
        const std::vector<std::string> expected = d.message.empty()
                                                      ? std::vector<std::string>{}
                                                      : std::vector<std::string>{Expand(d.message, path)};
        EXPECT_EQ(test_env::dialogs().prompts(), expected) << "one plain message, or none";
        EXPECT_EQ(reports, std::vector<std::string>{}) << "no error report";
        // The window keeps its layout and opens within the screen.
        const QRect area = Work_Area();
        EXPECT_LE(w.Width() / 15, area.width());
        EXPECT_LE(w.Height() / 15, area.height());
        EXPECT_EQ(Window_Size(), expected_size) << "the window keeps its size and layout";
        EXPECT_GT(w.Picture_large.Height(), 200) << "the window is whole, not a menu strip";
        ASSERT_TRUE(w.Grab().SavePng(test_env::output_dir() + "/" + shot));

        if (d.frames_usable == 0) {
            EXPECT_FALSE(Replay_File_Open());
            EXPECT_EQ(w.File_Name_Field, "");
            EXPECT_EQ(w.Lbl_frameno.Caption(), "");
            EXPECT_EQ(w.Label_heatID.Caption(), "") << "the heat open before is gone";
            EXPECT_EQ(w.Label_start_time.Caption(), "");
            EXPECT_EQ(Frm_results().Lbl_heat.Caption(), "") << "no stale heat";
            EXPECT_EQ(Frm_results().Lbl_result_lane(0).Caption(), "");
            EXPECT_EQ(Frm_results().Heat_Start_Mill, 0);
            return;
        }
        ASSERT_TRUE(Replay_File_Open());
        EXPECT_EQ(w.Slider_play.Min(), 1);
        EXPECT_EQ(w.Slider_play.Max(), 2 * d.frames_usable);
        EXPECT_EQ(Frm_results().Lbl_heat.Caption(), "Heat 1");
        EXPECT_EQ(Frm_results().Lbl_result_lane(0).Caption(), "") << "the damaged heat has no results yet";
        // The End key takes the slider to the last whole frame, and its
        // time is that frame's second field's: 40 ms a frame from the start.
        auto* slider = reinterpret_cast<QMainWindow*>(w.hWnd())->findChild<QSlider*>("Slider_play");
        ASSERT_NE(slider, nullptr);
        QTest::keyClick(slider, Qt::Key_End);
        test_env::process_events();
        EXPECT_EQ(w.Slider_play.Value(), 2 * d.frames_usable);
        w.Slider_play_Scroll();
        if (d.damaged_frame != d.frames_usable) {
            w.Slider_play_KeyDown('1', 0);
            EXPECT_EQ(Stored_Time(1), 40 * d.frames_usable + 20)
                << "the last frame present, never one past it";
        }
        if (d.damaged_frame > 0) {
            const int32_t untimed = Stored_Time(2);
            for (int32_t field : {2 * d.damaged_frame - 1, 2 * d.damaged_frame}) {
                SCOPED_TRACE(field);
                Step_To(field);
                EXPECT_EQ(w.Lbl_elapsed_time.Caption(), "damaged");
                EXPECT_FALSE(w.Frame_Time_Valid);
                w.Slider_play_KeyDown('2', 0);
                EXPECT_EQ(Stored_Time(2), untimed) << "no time from a damaged frame";
            }
            ASSERT_TRUE(w.Grab().SavePng(test_env::output_dir() + "/damaged_frame_" + shot));
            // The frames before and after it are whole and timed.
            const int32_t other = d.damaged_frame > 1 ? d.damaged_frame - 1 : d.damaged_frame + 1;
            Step_To(2 * other);
            EXPECT_TRUE(w.Frame_Time_Valid);
            EXPECT_NE(w.Lbl_elapsed_time.Caption(), "damaged");
            w.Slider_play_KeyDown('2', 0);
            EXPECT_EQ(Stored_Time(2), 40 * other + 20);
        }
        EXPECT_EQ(reports, std::vector<std::string>{}) << "stepping reports nothing either";
    }

    win::FakeClock clock{5000};
    std::vector<std::string> reports;
    std::string dir, good, pristine; // the heat open before; the one each damage starts from
};

std::string Shot_Name(const std::string& how, const char* name) {
    std::string s = "damaged_" + how + "_" + name + ".png";
    for (char& c : s)
        if (c == ' ' || c == '\'') c = '_';
    return s;
}

TEST_F(DamagedHeats, OpenedFromTheOpenBox) {
    Show_Windows();
    // The window with the whole heat open, and with it closed ("Close File"):
    // a refused file leaves the window as a closed heat does.
    Open_Good_Heat_With_A_Result();
    const QSize heat_size = Window_Size();
    Frm_kanot_2().item_close_Click();
    test_env::process_events();
    const QSize closed_size = Window_Size();
    int n = 0;
    for (const Damage& d : Damages()) {
        SCOPED_TRACE(d.name);
        const std::string path = Damaged_Copy("Heat2_", ++n, d);
        Open_Good_Heat_With_A_Result();
        ASSERT_EQ(Window_Size(), heat_size);
        test_env::dialogs().clear();
        reports.clear();
        test_env::dialogs().answer_file(path);
        Frm_kanot_2().item_open_Click();
        Check(d, path, Shot_Name("dialog", d.name),
              d.frames_usable > 0 || d.sized_by_header ? heat_size : closed_size);
    }
}

TEST_F(DamagedHeats, OpenedFromTheCommandLine) {
    // The window as it opens with no file, and with a whole heat of the same size.
    const auto Start_With = [this](const std::string& path) {
        // The program ended as the operator ends it: the heat closed first.
        if (Frm_kanot_2().IsLoaded()) Frm_kanot_2().item_close_Click();
        Frm_results().Unload();
        Frm_kanot_2().Unload();
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        reports.clear();
        forms::App().CommandLine = path.empty() ? "" : "\"" + path + "\"";
        Show_Windows();
        forms::App().CommandLine.clear();
    };
    Start_With("");
    const QSize empty_size = Window_Size();
    Start_With(good);
    const QSize heat_size = Window_Size();
    ASSERT_NE(empty_size, heat_size);
    int n = 0;
    for (const Damage& d : Damages()) {
        SCOPED_TRACE(d.name);
        const std::string path = Damaged_Copy("Heat3_", ++n, d);
        Start_With(path);
        Check(d, path, Shot_Name("cmdline", d.name),
              d.frames_usable > 0 || d.sized_by_header ? heat_size : empty_size);
    }
}

// A damaged frame met while playing shows as damaged and the play goes on
// to the frames after it.
TEST_F(DamagedHeats, PlayGoesPastADamagedFrameWithoutTakingItsTime) {
    Show_Windows();
    std::string path = dir + "/Heat5_play.qf3";
    fs::copy_file(pristine, path);
    heat_fixture::Poke32(path, Record_At(path, 5) + 30, 900000);
    Frm_kanot_2().Handle_Open_File(path);
    ASSERT_TRUE(Replay_File_Open());
    Frm_kanot_2().item_check_timing.Checked(true);
    Frm_kanot_2().Cmd_play_Click();
    EXPECT_EQ(Frm_kanot_2().Slider_play.Value(), 2 * kFrames) << "the play ran to the end";
    EXPECT_TRUE(Frm_kanot_2().Frame_Time_Valid);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{});
    EXPECT_EQ(reports, std::vector<std::string>{});
}

// Windows made larger than the screen they open on are fitted to it.
TEST_F(DamagedHeats, TheReplayWindowOpensWithinTheScreen) {
    const QRect area = Work_Area();
    Frm_kanot_2().Load();
    Frm_kanot_2().Move(0, 0, (area.width() + 300) * 15, (area.height() + 300) * 15);
    Frm_kanot_2().Show();
    test_env::process_events();
    auto* q = reinterpret_cast<QMainWindow*>(Frm_kanot_2().hWnd());
    EXPECT_LE(q->frameGeometry().width(), area.width());
    EXPECT_LE(q->frameGeometry().height(), area.height());
    EXPECT_TRUE(area.contains(q->frameGeometry().topLeft()));
}

} // namespace
