// The capture window on a real X display (Xvfb): Escape pressed and held by
// xdotool asks its question once per press, with the program's own message
// boxes answered by a click; and a picture of a window with the frame and
// title bar a window manager draws, compared with the window's own picture.
#include "Capture_Window_Fixture.h"
#include "KeyState.h"
#include "Keys.h"
#include "MessageQueue.h"
#include "Module_capture.h"
#include "QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace capture_test;

bool pump_qt_until(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        msgqueue::MessageQueue::ForCurrentThread().pump();
        QThread::msleep(2);
    }
    return true;
}

// The program's message boxes, counted as they come.
class CountedBoxes : public forms::QtDialogs {
public:
    int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) override {
        prompts.push_back(prompt);
        return QtDialogs::msg_box(prompt, buttons, title);
    }
    std::vector<std::string> prompts;
};

void xdotool(const std::string& args) {
    ASSERT_EQ(test_env::run("xdotool " + args), 0) << args;
}

class CaptureWindowOnX11 : public Capture_Window_Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        ASSERT_TRUE(test_env::have_tool("xdotool"));
        CaptureTest::SetUp();
        Set_Up_Capture_Window("capx11-");
        forms::Install_Key_State_Feed();
        ASSERT_TRUE(win::has_x_connection()) << "the keys are asked of the display server";
        forms::set_dialog_service(&boxes);
    }
    void TearDown() override {
        forms::set_dialog_service(&test_env::dialogs());
        Close_Capture_Window();
        win::set_clock(nullptr);
        CaptureTest::TearDown();
    }
    // Clicks the OK button of the box on the screen, as the operator does.
    void click_ok(QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) {
            const QPoint at = b->mapToGlobal(b->rect().center());
            xdotool("mousemove " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1");
            return;
        }
    }
    CountedBoxes boxes;
};

TEST_F(CaptureWindowOnX11, EscapeAsksOncePerPressAndTheAnswerEndsIt) {
    W().Show();
    ASSERT_NO_FATAL_FAILURE(Start_Camera());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget_of(W().Frame_capture(0))->window()));
    ASSERT_TRUE(pump_qt_until([&] { return Frames() >= 3; }, 10000));

    // Two presses: a short one, let go before the answer, and one held for a
    // second and a half, so that the key repeats into the box.
    for (const int hold_ms : {150, 1500}) {
        const size_t asked_before = boxes.prompts.size();
        bool released = false, answered = false;
        QTimer answer;
        answer.setInterval(50);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!released || !box || !box->isVisible()) return;
            answer.stop();
            click_ok(box);
            answered = true;
        });
        answer.start();
        xdotool("keydown Escape");
        QTimer::singleShot(hold_ms, [&] {
            xdotool("keyup Escape");
            released = true;
        });
        const bool done = pump_qt_until(
            [&] {
                return released && (answered || !QApplication::activeModalWidget()) &&
                       boxes.prompts.size() > asked_before;
            },
            10000);
        answer.stop();
        ASSERT_TRUE(done) << "held " << hold_ms << " ms: the question came and was answered";
        ASSERT_TRUE(pump_qt_until([] { return !QApplication::activeModalWidget(); }, 3000));
        // The key is up now, whatever the box did with its release.
        EXPECT_EQ(win::GetAsyncKeyState(27), 0);
        const int32_t frames = Frames();
        pump_qt_until([] { return false; }, 2000);
        EXPECT_GT(Frames(), frames + 10) << "frames went on arriving";
        EXPECT_EQ(boxes.prompts.size(), asked_before + 1) << "held " << hold_ms << " ms";
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no second question";
    }
    EXPECT_EQ(boxes.prompts, (std::vector<std::string>{"Heat not started!", "Heat not started!"}));
}

// A small window manager draws frames and title bars while the test runs.
class WindowManager {
public:
    explicit WindowManager(const std::string& dir) {
        // Windows go where the program puts them, without a click to place them.
        const std::string rc = dir + "/twmrc";
        test_env::write_file(rc, "UsePPosition \"on\"\nRandomPlacement\nNoGrabServer\n");
        wm.start("twm", {"-f", QString::fromStdString(rc)});
        started = wm.waitForStarted(5000);
    }
    ~WindowManager() {
        wm.kill();
        wm.waitForFinished(3000);
    }
    QProcess wm;
    bool started = false;
};

class Frm_probe : public forms::Form {
public:
    Frm_probe() : Form("Frm_probe") {}
    forms::Label Lbl_note{this, "Lbl_note"};
    forms::CommandButton Cmd_go{this, "Cmd_go"};
};

TEST_F(CaptureWindowOnX11, WindowPictureHoldsTheFrameAndTheWindowInsideIt) {
    ASSERT_TRUE(test_env::have_tool("twm"));
    WindowManager twm(dir);
    ASSERT_TRUE(twm.started);
    Frm_probe probe;
    probe.Caption("Probe");
    probe.Move(1500, 1500, 6000, 4500);
    probe.BackColor(0x00A0C0E0);
    probe.Lbl_note.Move(200, 200, 3000, 400);
    probe.Lbl_note.Caption("Heat 7, lane 3");
    probe.Cmd_go.Move(200, 900, 1500, 500);
    probe.Cmd_go.Caption("Go");
    probe.Show();
    auto* window = reinterpret_cast<QWidget*>(probe.hWnd());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The window manager has framed the window once its outer size is more.
    ASSERT_TRUE(pump_qt_until([&] { return window->frameGeometry().height() > window->height(); }, 5000));
    window->activateWindow();
    pump_qt_until([] { return false; }, 500);

    const QRect outer = window->frameGeometry();
    const QPoint inside = window->mapToGlobal(QPoint(0, 0)) - outer.topLeft();
    const forms::Picture shot = Capture_Form_Picture(probe);
    const QImage& img = shot.image();
    img.save(QString::fromStdString(test_env::output_dir() + "/window_capture_x11.png"));
    window->grab().toImage().save(QString::fromStdString(test_env::output_dir() + "/window_own_x11.png"));
    ASSERT_EQ(img.width(), outer.width());
    ASSERT_EQ(img.height(), outer.height());
    EXPECT_GT(inside.y(), 0) << "a title bar above the window";

    // Inside the frame: the window's own picture, pixel by pixel.
    const QImage own = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int64_t differ = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            if ((img.pixel(inside.x() + x, inside.y() + y) & 0xFFFFFF) != (own.pixel(x, y) & 0xFFFFFF))
                ++differ;
    EXPECT_EQ(differ, 0) << "of " << own.width() * own.height() << " pixels";
    // The frame is drawn: not one of its rows is black from edge to edge.
    for (int y = 0; y < inside.y(); ++y) {
        bool all_black = true;
        for (int x = 0; x < img.width() && all_black; ++x)
            all_black = (img.pixel(x, y) & 0xFFFFFF) == 0;
        EXPECT_FALSE(all_black) << "row " << y << " of the title bar";
    }
    probe.Unload();
}

} // namespace
