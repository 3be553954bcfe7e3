// The capture performance window fed frame by frame under the fake clock:
// its counters against a 25 frames-per-second camera that drops frames, and
// the strip chart's bars and guide lines.
#include "Form_HDMI_performance.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "WinClock.h"
#include "Windows.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr int64_t kYellow = 0x0000FFFF, kBlue = 0x00FF0000, kBlack = 0;

class PerformanceWindow : public ::testing::Test {
protected:
    void SetUp() override {
        win::set_clock(&clock);
        g_Compiled = false;
        P().Show();
        P().Plot_Lines();
        P().Reset_Counters();
    }
    void TearDown() override {
        P().Unload();
        win::set_clock(nullptr);
    }
    static class Form_HDMI_performance& P() { return Form_HDMI_performance(); }
    // n frames, each `gap` ms after the one before.
    void Frames(int n, uint32_t gap) {
        for (int i = 0; i < n; ++i) {
            clock.advance(gap);
            P().HDMI_event(static_cast<int32_t>(clock.time_get_time()), static_cast<int16_t>(gap));
        }
    }
    static int32_t Lost() { return std::stoi(P().Label_frames_lost.Caption()); }

    win::FakeClock clock{5000};
};

TEST_F(PerformanceWindow, LostCounterFallsByOneForEveryFrameThatFailsToArrive) {
    Frames(100, 40);
    EXPECT_EQ(P().Label_Frames_received.Caption(), "100");
    EXPECT_EQ(P().Label_frames_Calculated.Caption(), "100");
    EXPECT_EQ(Lost(), 0);
    // Seven frames lost: each of those frames comes 80 ms after the last.
    Frames(7, 80);
    EXPECT_EQ(Lost(), -7);
    // A jittery camera stays within one of where it should be.
    for (uint32_t gap : {30u, 50u, 39u, 41u, 20u, 60u}) {
        Frames(1, gap);
        EXPECT_LE(std::abs(Lost() + 7), 1) << "after a gap of " << gap;
    }

    QTest::mouseClick(reinterpret_cast<QWidget*>(P().Label_frames_lost.hWnd()), Qt::LeftButton);
    EXPECT_EQ(P().Frames_Received(), 0);
    Frames(1, 40);
    EXPECT_EQ(P().Label_Frames_received.Caption(), "1");
    EXPECT_EQ(Lost(), 0);
}

// A 50 Hz camera runs ahead of the 25 frames a second the counter expects:
// frames it lost show only as counted by the capture object, beside it, in red.
TEST_F(PerformanceWindow, FramesCountedLostAreShownBesideTheLostCounter) {
    for (int i = 0; i < 50; ++i) {
        clock.advance(20);
        P().HDMI_event(static_cast<int32_t>(clock.time_get_time()), 20, i == 10 ? 3 : 0);
    }
    EXPECT_EQ(P().Frames_Counted_Lost(), 3);
    EXPECT_EQ(P().Label_frames_lost.Caption(), "25 (3 lost)");
    EXPECT_EQ(P().Label_frames_lost.ForeColor(), 0x000000FFu);
    test_env::screenshot(P(), "hdmi_performance_counted_lost");
    P().Reset_Counters();
    Frames(1, 40);
    EXPECT_EQ(P().Label_frames_lost.Caption(), "0");
    EXPECT_EQ(P().Label_frames_lost.ForeColor(), 0u);
}

TEST_F(PerformanceWindow, BarsScrollUnderGuideLinesThatStayPut) {
    forms::PictureBox& chart = P().Picture_Delta_Scroll;
    const int32_t w = static_cast<int32_t>(chart.ScaleWidth()), h = static_cast<int32_t>(chart.ScaleHeight());
    ASSERT_GT(h, 100);
    P().Plot_Delta(60);
    // One pixel of height per millisecond, in the rightmost column.
    EXPECT_EQ(chart.Point(w - 1, h - 1), kBlue);
    EXPECT_EQ(chart.Point(w - 1, h - 50), kBlue);
    EXPECT_EQ(chart.Point(w - 1, h - 65), kBlack);
    // A shorter bar next: the column shows it alone, the long one moved left.
    P().Plot_Delta(20);
    EXPECT_EQ(chart.Point(w - 1, h - 30), kBlack) << "the bar before does not stay in the new column";
    EXPECT_EQ(chart.Point(w - 2, h - 50), kBlue);
    // No bar for 0, a bar to the top edge for more than the chart's height.
    P().Plot_Delta(0);
    EXPECT_EQ(chart.Point(w - 1, h - 1), kBlack);
    P().Plot_Delta(static_cast<int16_t>(h + 50));
    EXPECT_EQ(chart.Point(w - 1, 0), kBlue);
    for (int i = 0; i < w + 20; ++i)
        P().Plot_Delta(static_cast<int16_t>(30 + i % 70));
    for (int32_t at : {40, 80})
        EXPECT_EQ(chart.Point(w / 2, h - at), kYellow) << "guide line at " << at;
    EXPECT_NE(chart.Point(w / 2, h - 60), kYellow);
}

TEST_F(PerformanceWindow, RandomFeedRunsOnlyWhileChecked) {
    P().item_random_delta.Trigger();
    EXPECT_TRUE(P().Timer_delta.Enabled());
    EXPECT_EQ(P().Timer_delta.Interval(), 40);
    P().item_random_delta.Trigger();
    EXPECT_FALSE(P().Timer_delta.Enabled());
    g_Compiled = true;
    P().Unload();
    P().Show();
    EXPECT_FALSE(P().menu_debug.Visible()) << "no debug menu in the normal mode";
    g_Compiled = false;
}

} // namespace
