// The replay window under the operator's hand: clicks and drags on the large
// picture, the zoom box following the mouse, the overlay check boxes; playing
// a heat on the fake clock and what stops it; the timing method, its checks
// and the interval report with its clipboard copy and its print.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "Form_QF3_Timing.h"
#include "Heat_Fixture.h"
#include "Ijl.h"
#include "KeyState.h"
#include "Keys.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Printer.h"
#include "QtServices.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

namespace {

constexpr int32_t kSlot = 6000;
constexpr int64_t kRecord = kSlot + 56;
constexpr int64_t kFirst_Record = 32016;

using test_env::process_events;

// The fake clock, with each sleep recorded and a hook run after it: the play
// loop's waits are the pacing, and the hook plays the operator's hand.
class Play_Clock : public win::FakeClock {
public:
    using FakeClock::FakeClock;
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        advance(ms);
        if (on_sleep) on_sleep(sleeps.size());
    }
    std::vector<uint32_t> sleeps;
    std::function<void(size_t)> on_sleep;
};

// Frames of 200 x 100: red left of x = 100, blue from it on.
void Fill_Halves(cDIBSection& dib, int32_t) {
    uint8_t* bits = dib.DIBSectionBitsPtr();
    for (int32_t y = 0; y < dib.Height(); ++y)
        for (int32_t x = 0; x < dib.Width(); ++x) {
            uint8_t* p = bits + y * dib.BytesPerScanLine() + 3 * x;
            p[0] = x < 100 ? 0 : 255;
            p[2] = x < 100 ? 255 : 0;
            p[1] = 0;
        }
}

bool reddish(const QImage& img, int x, int y) {
    const QColor c = img.pixelColor(x, y);
    return c.red() > 180 && c.blue() < 80;
}
bool bluish(const QImage& img, int x, int y) {
    const QColor c = img.pixelColor(x, y);
    return c.blue() > 180 && c.red() < 80;
}
bool grey_fill(const QImage& img, int x, int y) {
    return img.pixelColor(x, y) == QColor(200, 200, 200);
}

class Picture_Play_Timing : public ::testing::Test {
protected:
    void SetUp() override {
        dir = Set_Up_Replay_Test(clock);
        forms::Install_Key_State_Feed();
        forms::Install_Font_Substitutes();
        unsetenv("TIDEWICK_DEVELOPMENT");
        Collect_Error_Reports(reports);
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        win::clear_keys();
        g_Capture_Running = false;
        Frm_kanot_2().Show();
        process_events();
    }
    void TearDown() override {
        clock.on_sleep = nullptr;
        Frm_kanot_2().Zoom_On = false;
        Frm_kanot_2().Unload();
        Form_QF3_Timing().Unload();
        Release_Replay_Video_File();
        win::set_clock(nullptr);
        win::clear_keys();
        g_Capture_Running = false;
        forms::Screen_MousePointer(forms::vbDefault);
        EXPECT_TRUE(reports.empty()) << reports.front();
    }
    std::string make(const std::string& name, int32_t frames) {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name, kSlot);
        recipe.width = 200;
        recipe.height = 100;
        recipe.fill = Fill_Halves;
        return heat_fixture::Make_Small_Heat(recipe, frames);
    }
    // Writes a 32-bit field of frame n's record head (8: capture time, 12: interval).
    static void patch(const std::string& path, int32_t frame, int offset, int32_t value) {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(kFirst_Record + (frame - 1) * kRecord + offset);
        f.write(reinterpret_cast<const char*>(&value), 4);
    }
    static int32_t field_of(const std::string& path, int32_t frame, int offset) {
        std::ifstream f(path, std::ios::binary);
        f.seekg(kFirst_Record + (frame - 1) * kRecord + offset);
        int32_t v = 0;
        f.read(reinterpret_cast<char*>(&v), 4);
        return v;
    }
    void open(std::string path) {
        Frm_kanot_2().Handle_Open_File(path);
        ASSERT_TRUE(Replay_File_Open());
        process_events();
    }
    // Two marks, lanes 3 and 4, at (50, 40) and (50, 70): their numbers are
    // not their places in the collection.
    void two_marks() {
        Lane_Collection().Clear();
        const int32_t pos[2][2] = {{50, 40}, {50, 70}};
        for (int i = 0; i < 2; ++i) {
            auto lane = std::make_shared<Cls_lane>();
            lane->Lane_number(static_cast<int16_t>(3 + i));
            lane->Lane_pos_X(pos[i][0]);
            lane->Lane_pos_Y(pos[i][1]);
            Lane_Collection().Add(lane);
        }
        g_Num_Lanes_Shown = 2;
        g_Show_Lanes = true;
        Frm_kanot_2().New_Graphics();
    }
    // A click on a check box's square, at its left and halfway down.
    void click_box(const std::string& name) {
        QWidget* box = test_env::widget_of(Frm_kanot_2(), name);
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
    }
    QWidget* picture() { return test_env::widget_of(Frm_kanot_2(), "Picture_large"); }
    QImage shown() { return Frm_kanot_2().Picture_large.Image().image(); }

    Play_Clock clock{5000};
    std::vector<std::string> reports;
    std::string dir;
};

// ---- The large picture ----

TEST_F(Picture_Play_Timing, AClickSelectsTheLaneUnderThePointerAndADragMovesItsMark) {
    open(make("Heat1.qf3", 3));
    auto& w = Frm_kanot_2();
    ASSERT_EQ(w.Zoom_Factor, 1.0f);
    ASSERT_EQ(w.Picture_large.ScaleWidth(), 200);
    two_marks();
    Replay_Video_File().Lanes_locked(false);
    EXPECT_TRUE(grey_fill(shown(), 43, 70)) << "mark 2 drawn where it lies";

    QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(52, 68));
    EXPECT_EQ(g_Selected_Lane, 4);
    EXPECT_EQ(w.Drag_Lane, 4);
    EXPECT_EQ(w.Drag_Index, 2) << "the mark the hit test found";
    EXPECT_EQ(w.Drag_Start_X, 50);
    EXPECT_EQ(w.Drag_Start_Y, 70);
    QTest::mouseMove(picture(), QPoint(120, 60));
    process_events();
    QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(120, 60));
    EXPECT_EQ(g_Selected_Lane, -1);
    EXPECT_EQ(w.Drag_Lane, -1);
    EXPECT_EQ(w.Drag_Index, 0);
    EXPECT_EQ(Lane_Collection().Item(2).X(), 120);
    EXPECT_EQ(Lane_Collection().Item(2).Y(), 60);
    EXPECT_EQ(Lane_Collection().Item(1).X(), 50);
    const QImage after = shown();
    EXPECT_TRUE(grey_fill(after, 113, 60)) << "the mark is drawn at its new place";
    EXPECT_FALSE(grey_fill(after, 43, 70));
    test_env::screenshot(w, "replay_mark_dragged");

    // Off the marks: nothing selected, nothing picked up.
    QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 20));
    EXPECT_EQ(g_Selected_Lane, -1);
    EXPECT_EQ(w.Drag_Lane, -1);
    QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 20));
}

TEST_F(Picture_Play_Timing, ALockedFilesMarksStayWhereTheyAre) {
    open(make("Heat1.qf3", 3));
    two_marks();
    Replay_Video_File().Lanes_locked(true);
    QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    EXPECT_EQ(g_Selected_Lane, 3);
    EXPECT_EQ(Frm_kanot_2().Drag_Lane, -1) << "nothing picked up";
    QTest::mouseMove(picture(), QPoint(120, 20));
    QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(120, 20));
    EXPECT_EQ(Lane_Collection().Item(1).X(), 50);
    EXPECT_EQ(Lane_Collection().Item(1).Y(), 40);
}

TEST_F(Picture_Play_Timing, ARightClickOnALockedFilesMarkOpensTheResultMenu) {
    open(make("Heat1.qf3", 3));
    two_marks();
    Replay_Video_File().Lanes_locked(true);
    test_env::ScriptedPopups popups;
    popups.answer("");
    QTest::mouseClick(picture(), Qt::RightButton, Qt::NoModifier, QPoint(50, 70));
    EXPECT_EQ(popups.shown, std::vector<std::string>{"menu_Result"});
}

TEST_F(Picture_Play_Timing, EscapeHeldStoresTheClickedPointInTheHeader) {
    const std::string path = make("Heat1.qf3", 3);
    open(path);
    two_marks();
    const int32_t beeps = forms::Beeps_Sounded();
    win::set_key_down(27, true);
    QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    win::set_key_down(27, false);
    QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    EXPECT_EQ(forms::Beeps_Sounded(), beeps + 1);
    EXPECT_EQ(Replay_Video_File().Hdr_spare1(), "50,40");
    cls_VideoFile_handler again;
    again.Open_File(path);
    EXPECT_EQ(again.Hdr_spare1(), "50,40") << "written into the file";
}

TEST_F(Picture_Play_Timing, TheZoomBoxFollowsThePointer) {
    open(make("Heat1.qf3", 3));
    auto& w = Frm_kanot_2();
    two_marks();
    const QImage plain = shown();
    ASSERT_TRUE(bluish(plain, 110, 20));
    ASSERT_TRUE(bluish(plain, 130, 20));
    w.Zoom_On = true;
    // A picture 200 wide: a box 100 x 70 at the pointer, showing a strip of
    // 50 frame pixels twice as wide, so frame x = 100 lands at 60 + 2 x 40.
    QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_EQ(g_Selected_Lane, -1) << "with the zoom on a click selects no lane";
    QImage img = shown();
    EXPECT_TRUE(reddish(img, 130, 20));
    EXPECT_TRUE(bluish(img, 150, 20));
    EXPECT_TRUE(bluish(img, 170, 20));
    EXPECT_EQ(img.pixelColor(100, 11), QColor(255, 255, 16)) << "the box's frame";
    EXPECT_EQ(w.Zoom_Box_Width, 100);
    EXPECT_EQ(w.Zoom_Box_Height, 70);
    test_env::screenshot(w, "replay_zoom_box");

    QTest::mouseMove(picture(), QPoint(20, 10));
    process_events();
    img = shown();
    // The box spans 20 to 120 and shows frame x = 20 to 70: red only.
    EXPECT_TRUE(reddish(img, 110, 20));
    EXPECT_TRUE(bluish(img, 130, 20)) << "outside the box the field as it is";
    EXPECT_TRUE(reddish(img, 10, 90));
    QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));

    // A step redraws the box where it was left.
    w.Slider_play.Value(3);
    w.Slider_play_Scroll();
    EXPECT_TRUE(reddish(shown(), 110, 20));
}

TEST_F(Picture_Play_Timing, TheOverlayCheckBoxesSwitchMarksAndGoalLine) {
    open(make("Heat1.qf3", 3));
    auto& w = Frm_kanot_2();
    const int32_t goal[4] = {150, 0, 150, 99};
    std::copy_n(goal, 4, g_Goal_Line_Points);
    w.Chk_Show_lanemarks.Value(forms::vbChecked);
    w.Chk_Show_Goalline.Value(forms::vbChecked);
    two_marks();
    ASSERT_TRUE(grey_fill(shown(), 43, 40));
    ASSERT_EQ(shown().pixelColor(150, 50), QColor(255, 255, 255));

    click_box("Chk_Show_lanemarks");
    process_events();
    EXPECT_FALSE(g_Show_Lanes);
    EXPECT_FALSE(grey_fill(shown(), 43, 40));
    EXPECT_EQ(shown().pixelColor(150, 50), QColor(255, 255, 255));

    click_box("Chk_invert_goalline");
    process_events();
    EXPECT_TRUE(g_Goalline_Inverted);
    EXPECT_EQ(shown().pixelColor(150, 50), QColor(25, 25, 25));

    click_box("Chk_Show_Goalline");
    process_events();
    EXPECT_FALSE(g_Show_Goalline);
    EXPECT_TRUE(bluish(shown(), 150, 50));
    test_env::screenshot(w, "replay_overlay_switched_off");
    g_Goalline_Inverted = false;
}

// ---- Playing ----

TEST_F(Picture_Play_Timing, PlayKeepsTheFilesScheduleAndMakesUpASlowFrame) {
    open(make("Heat1.qf3", 6));
    auto& w = Frm_kanot_2();
    const uint32_t interval = static_cast<uint32_t>(Replay_Video_File().mill_per_frame());
    ASSERT_EQ(interval, 40u);
    const uint32_t start = win::timeGetTime();
    clock.sleeps.clear();
    w.Cmd_play_Click();
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>(6, 40));
    EXPECT_EQ(win::timeGetTime() - start, 6 * interval);
    EXPECT_EQ(w.Slider_play.Value(), 12);
    EXPECT_EQ(w.Lbl_frameno.Caption(), "0012");
    EXPECT_TRUE(w.Cmd_play.Enabled());
    EXPECT_TRUE(w.item_play.Enabled());

    // Frame 3 takes 100 ms longer: frames 3 and 4 follow at once, frame 5
    // waits the 20 ms left of the schedule.
    clock.sleeps.clear();
    clock.on_sleep = [&](size_t n) {
        if (n == 2) clock.advance(100);
    };
    w.Cmd_play_Click();
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{40, 40, 20, 40}));
}

TEST_F(Picture_Play_Timing, WhatStopsThePlayAndWhatDoesNot) {
    const std::string heat = make("Heat1.qf3", 6);
    const std::string other = make("Heat2.qf3", 4);
    auto& w = Frm_kanot_2();
    struct Case {
        const char* what;
        std::function<void()> act;
        int32_t slider; // field shown afterwards; 0: the window is closed
        std::string file;
    };
    const Case cases[] = {
        {"a key", [] { win::set_key_down(65, true); }, 6, heat},
        {"a mouse button", [] { win::set_key_down(1, true); }, 6, heat},
        {"Ctrl goes on", [] { win::set_key_down(17, true); }, 12, heat},
        {"F5 goes on", [] { win::set_key_down(116, true); }, 12, heat},
        {"a capture start", [] { g_Capture_Running = true; }, 4, heat}, // seen before frame 3
        {"another file opened", [&] { open(other); }, 1, other},
        {"the window closed", [&] { w.Unload(); }, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!w.IsLoaded()) w.Show();
        open(heat);
        bool disabled_while_playing = false;
        size_t sleeps_in_nested = 0;
        clock.sleeps.clear();
        clock.on_sleep = [&](size_t n) {
            if (n == 1) {
                disabled_while_playing = !w.Cmd_play.Enabled() && !w.item_play.Enabled();
                w.Cmd_play_Click(); // a second play is refused
                sleeps_in_nested = clock.sleeps.size() - 1;
            }
            if (n == 2) c.act();
        };
        w.Cmd_play_Click();
        clock.on_sleep = nullptr;
        win::clear_keys();
        g_Capture_Running = false;
        EXPECT_TRUE(disabled_while_playing);
        EXPECT_EQ(sleeps_in_nested, 0u);
        EXPECT_FALSE(w.Playing);
        if (c.slider == 0) {
            EXPECT_FALSE(w.IsLoaded()) << "the loop loads no closed window again";
            continue;
        }
        EXPECT_EQ(w.Slider_play.Value(), c.slider);
        EXPECT_EQ(w.File_Name_Field, c.file);
        EXPECT_TRUE(w.Cmd_play.Enabled());
        EXPECT_TRUE(w.item_play.Enabled());
    }
}

TEST_F(Picture_Play_Timing, TheTimingCheckStopsWhereTheTimeStandsStill) {
    const std::string path = make("Heat1.qf3", 6);
    // Frame 4 carries frame 3's capture time.
    patch(path, 4, 8, field_of(path, 3, 8));
    open(path);
    auto& w = Frm_kanot_2();
    w.item_check_timing.Checked(true);
    const int32_t beeps = forms::Beeps_Sounded();
    w.Cmd_play_Click();
    EXPECT_EQ(forms::Beeps_Sounded(), beeps + 1);
    EXPECT_EQ(w.Slider_play.Value(), 6) << "the slider still holds frame 3";
    EXPECT_TRUE(w.Cmd_play.Enabled());
    w.item_check_timing.Checked(false);
}

// ---- The timing method and its checks ----

TEST_F(Picture_Play_Timing, TheMethodIsTickedAndStored) {
    auto& w = Frm_kanot_2();
    w.Set_Timing_Framecount();
    EXPECT_TRUE(w.item_timing_framecount.Checked());
    EXPECT_FALSE(w.item_timing_frametimestamp.Checked());
    EXPECT_EQ(Read_Ini("Settings", "timing", g_Ini_File_Path, ""), "framecount");
    w.Set_Timing_Frametimestamp();
    EXPECT_FALSE(w.item_timing_framecount.Checked());
    EXPECT_TRUE(w.item_timing_frametimestamp.Checked());
    EXPECT_EQ(Read_Ini("Settings", "timing", g_Ini_File_Path, ""), "frametimestamp");
}

TEST_F(Picture_Play_Timing, ChoosingAMethodShowsTheFieldAgainWithItsTime) {
    // Frame 3's sample came one frame late: its stamp says so, its event count not.
    const std::string path = make("Heat1.qf3", 6);
    patch(path, 3, 8, field_of(path, 3, 8) + 40);
    auto& w = Frm_kanot_2();
    open(path);
    w.item_timing_frametimestamp.Trigger();
    w.Slider_play.Value(5);
    w.Slider_play_Scroll();
    const std::string by_stamp = w.Lbl_elapsed_time.Caption();
    w.item_timing_framecount.Trigger();
    EXPECT_TRUE(w.item_timing_framecount.Checked());
    EXPECT_NE(w.Lbl_elapsed_time.Caption(), by_stamp);
    w.item_timing_frametimestamp.Trigger();
    EXPECT_EQ(w.Lbl_elapsed_time.Caption(), by_stamp);
}

TEST_F(Picture_Play_Timing, TheChecksFindALostFrame) {
    const std::string path = make("Heat1.qf3", 6);
    auto& w = Frm_kanot_2();
    open(path);
    w.Set_Timing_Frametimestamp();
    w.Timing_Method_Analyze();
    EXPECT_TRUE(test_env::dialogs().prompts().empty()) << "both clocks agree";
    EXPECT_EQ(w.Slider_play.Value(), 11);

    // From frame 3 on, the samples came one frame later: their time stamps
    // say so, their event counts do not.
    for (int32_t f = 3; f <= 6; ++f)
        patch(path, f, 8, field_of(path, f, 8) + 40);
    open(path);
    w.Timing_Method_Analyze();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Timing mis-match!"});
    EXPECT_EQ(w.Slider_play.Value(), 5);

    test_env::dialogs().clear();
    w.Slider_play.Value(1);
    w.Slider_play_Scroll();
    w.Timing_Increment_analyze();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Timing increment error!"});
    EXPECT_EQ(w.Slider_play.Value(), 12);
}

// ---- The interval report ----

TEST_F(Picture_Play_Timing, TheIntervalReportOfAHeatWithKnownIntervals) {
    // 60 frames: 50 at 40 ms, 5 at 80, 2 at 20, one each at 0, 250 and 100.
    const std::string path = make("Heat1.qf3", 60);
    for (int32_t f = 1; f <= 60; ++f) {
        const int32_t d = f <= 50 ? 40 : f <= 55 ? 80 : f <= 57 ? 20 : f == 58 ? 0 : f == 59 ? 250 : 100;
        patch(path, f, 12, d);
    }
    open(path);
    auto& w = Frm_kanot_2();
    const uint64_t decodes = ijl::Whole_Image_Reads();
    const int32_t sample_before = Replay_Video_File().Current_Sample();
    w.Timing_Analyze();
    EXPECT_EQ(ijl::Whole_Image_Reads(), decodes) << "no picture decoded";
    EXPECT_EQ(Replay_Video_File().Current_Sample(), sample_before);

    auto& r = Form_QF3_Timing();
    ASSERT_TRUE(r.Visible());
    process_events();
    const QImage g = r.Picture_timing.Image().image();
    const int H = static_cast<int>(r.Picture_timing.ScaleHeight());
    ASSERT_EQ(H, 240);
    const auto blue = [&](int x, int y) { return bluish(g, x, y); };
    // Bars 4 pixels wide centred on 4 x k (the guide lines of 20, 40 and 80
    // ms run down their middles, so they are probed a pixel aside).
    // Counter 40 is the tallest: H - 20 high, up to the top edge.
    EXPECT_TRUE(blue(159, H - 21));
    EXPECT_TRUE(blue(159, 1));
    // Counter 80: 5 / 50 of 220 = 22 pixels.
    EXPECT_TRUE(blue(319, H - 21));
    EXPECT_TRUE(blue(319, H - 20 - 21));
    EXPECT_FALSE(blue(319, H - 20 - 26));
    // Counter 20: 2 / 50 of 220 = 9 (8.8) pixels.
    EXPECT_TRUE(blue(79, H - 20 - 8));
    EXPECT_FALSE(blue(79, H - 20 - 13));
    // Counter 100 holds 250 and 100 ms: 9 pixels.
    EXPECT_TRUE(blue(399, H - 20 - 8));
    EXPECT_FALSE(blue(399, H - 20 - 13));
    EXPECT_FALSE(blue(239, H - 21)) << "no counter 60";
    // No bar for an interval of 0, none outside the counters.
    for (int x = 0; x < 440; ++x)
        if (x < 78 || (x > 82 && x < 158) || (x > 162 && x < 318) || (x > 322 && x < 398) || x > 402) {
            ASSERT_FALSE(blue(x, H - 22)) << x;
        }
    EXPECT_EQ(g.pixelColor(0, H - 18), QColor(0, 0, 0)) << "the axis";
    EXPECT_EQ(g.pixelColor(5, H - 5), QColor(255, 255, 255)) << "the strip under it";

    EXPECT_EQ(r.Label_filename.Caption(), path);
    EXPECT_EQ(r.Label_File_info.Caption(), "60 frames, " + w.Lbl_Frame_size.Caption() + " pixels");
    EXPECT_EQ(r.Label_bitness.Caption(),
              "CPU: " + Replay_Video_File().CPU_bitness() + " OS:" + Replay_Video_File().OS_bitness());
    EXPECT_EQ(r.Label_printdata.Caption().rfind("Report at: ", 0), 0u);
    EXPECT_NE(r.Label_printdata.Caption().find("(2016-03-02 11:57)"), std::string::npos);
    test_env::screenshot(r, "timing_report");

    // The clipboard gets the window's picture.
    forms::MemoryClipboard clipboard;
    forms::set_clipboard_service(&clipboard);
    QTest::mouseClick(test_env::widget_of(r, "Command_Clipboard"), Qt::LeftButton);
    forms::set_clipboard_service(nullptr);
    EXPECT_GT(clipboard.picture.Width(), 440);

    // Printed: the window's picture at the corner and its texts under it.
    if (!test_env::have_tool("pdftotext") || !test_env::have_tool("pdftoppm"))
        GTEST_SKIP() << "poppler-utils";
    forms::PdfPrinter pdf(dir + "/report.pdf");
    forms::set_printer_service(&pdf);
    QTest::mouseClick(test_env::widget_of(r, "Command_Print"), Qt::LeftButton);
    forms::set_printer_service(nullptr);
    std::string text;
    ASSERT_EQ(test_env::run("pdftotext -layout " + dir + "/report.pdf -", &text), 0);
    EXPECT_NE(text.find("Heat1.qf3"), std::string::npos) << text;
    EXPECT_NE(text.find("60 frames, "), std::string::npos) << text;
    EXPECT_NE(text.find("Report at: "), std::string::npos) << text;
    ASSERT_EQ(test_env::run("pdftoppm -r 96 -png -singlefile " + dir + "/report.pdf " + dir + "/report"), 0);
    const QImage page(QString::fromStdString(dir + "/report.png"));
    ASSERT_FALSE(page.isNull());
    int blue_pixels = 0;
    for (int y = 0; y < page.height() / 2; ++y)
        for (int x = 0; x < page.width() / 2; ++x) {
            const QColor c = page.pixelColor(x, y);
            blue_pixels += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    EXPECT_GT(blue_pixels, 200) << "the bars are on the page's upper left quarter";

    // Closing it and analysing again makes it afresh.
    QTest::mouseClick(test_env::widget_of(r, "Command_HIde_Form"), Qt::LeftButton);
    process_events();
    EXPECT_FALSE(r.IsLoaded());
    w.Timing_Analyze();
    EXPECT_TRUE(r.Visible());
}

TEST_F(Picture_Play_Timing, WithoutAFileTheAnalysisOnlyBeeps) {
    const int32_t beeps = forms::Beeps_Sounded();
    Frm_kanot_2().Timing_Analyze();
    EXPECT_EQ(forms::Beeps_Sounded(), beeps + 1);
    EXPECT_FALSE(Form_QF3_Timing().IsLoaded());
}

} // namespace
