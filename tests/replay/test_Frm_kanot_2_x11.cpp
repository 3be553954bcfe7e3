// The replay window's keep-awake timer on a real X display (Xvfb): its Shift
// press and release reach the display server, whose idle time (the screen
// saver extension's, as xprintidle reads it) starts again at every tick; with
// the timer stopped it keeps growing.
#include "KeyState.h"
#include "Keys.h"
#include "Replay_Test_Setup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The display server's idle time in milliseconds (-1 when unreadable).
long idle_ms() {
    std::string out;
    if (test_env::run("xprintidle", &out) != 0) return -1;
    return std::stol(out);
}

void run_events_for(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

TEST(ReplayWindowOnX11, KeepAwakeTimerStartsTheDisplaysIdleTimeAgain) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_TRUE(test_env::have_tool("xprintidle"));
    win::FakeClock clock{100000};
    Set_Up_Replay_Test(clock);
    forms::Install_Key_State_Feed();
    ASSERT_TRUE(win::has_x_connection());
    auto& w = Frm_kanot_2();
    w.Load();
    ASSERT_TRUE(w.Timer_keyb_event.Enabled()) << "running from the window's load";

    // Stopped: nobody touches the display, its idle time grows.
    w.Timer_keyb_event.Enabled(false);
    const long quiet_from = idle_ms();
    run_events_for(1500);
    EXPECT_GE(idle_ms(), quiet_from + 1200);

    // Every tick (1.5 s here, a minute in the program) starts it again.
    struct Tick {
        long before, after;
    };
    std::vector<Tick> ticks;
    const auto tick = w.Timer_keyb_event.OnTimer;
    w.Timer_keyb_event.OnTimer = [&] {
        const long before = idle_ms();
        tick();
        QTimer::singleShot(100, [&ticks, before] { ticks.push_back({before, idle_ms()}); });
    };
    w.Timer_keyb_event.Interval(1500);
    w.Timer_keyb_event.Enabled(true);
    QElapsedTimer t;
    t.start();
    while (ticks.size() < 3 && t.elapsed() < 10000)
        run_events_for(50);
    ASSERT_EQ(ticks.size(), 3u);
    for (const Tick& k : ticks) {
        EXPECT_GT(k.before, 1000) << "idle since the tick before";
        EXPECT_LT(k.after, 1000) << "the tick's key reached the display server";
    }

    // Disabled, as the window's closing request does: the idle time grows again.
    w.Timer_keyb_event.Enabled(false);
    run_events_for(2500);
    EXPECT_GT(idle_ms(), 2000);
    w.Timer_keyb_event.OnTimer = tick;
    w.Unload();
    win::set_clock(nullptr);
}

} // namespace
