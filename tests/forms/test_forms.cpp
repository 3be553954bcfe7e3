// The forms layer: the one-instance and load rules, controls and their
// events, menus, timers, picture boxes, boxes answered by a script, the
// key-state feed and the services tests replace.
#include "Controls.h"
#include "Dialogs.h"
#include "Form.h"
#include "FormsInternal.h"
#include "KeyState.h"
#include "Keys.h"
#include "PictureBox.h"
#include "QtDialogs.h"
#include "QtServices.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbTrap.h"
#include "Windows.h"

#include "DrawDib.h"
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

class Frm_test : public forms::Form {
public:
    Frm_test() : Form("Frm_test") {
        Cmd_go.Click = [this] { log.push_back("Cmd_go_Click"); };
        Chk_show.Click = [this] { log.push_back("Chk_show_Click"); };
        Sld_play.Scroll = [this] { log.push_back("Sld_play_Scroll"); };
        Sld_play.Change = [this] { log.push_back("Sld_play_Change"); };
        Opt_lane.Add(0);
        Opt_lane.Add(1);
        Opt_lane.ForEach([this](int32_t i, forms::OptionButton& o) {
            o.Click = [this, i] { log.push_back("Opt_lane_Click " + std::to_string(i)); };
        });
        item_open.Click = [this] { log.push_back("item_open_Click"); };
        menu_form.Click = [this] { log.push_back("menu_form_Click"); };
        Tmr_tick.OnTimer = [this] { ++ticks; };
        item_set_time.Click = [this] { log.push_back("item_set_time_Click"); };
        item_exit.Click = [] { vb::Raise(vb::errDivisionByZero); };
    }

    forms::Label Lbl_info{this, "Lbl_info"};
    forms::CommandButton Cmd_go{this, "Cmd_go"};
    forms::CheckBox Chk_show{this, "Chk_show"};
    forms::Slider Sld_play{this, "Sld_play"};
    forms::ControlArray<forms::OptionButton> Opt_lane{this, "Opt_lane"};
    forms::TextBox Txt_name{this, "Txt_name"};
    forms::PictureBox Pic_large{this, "Pic_large"};
    forms::Timer Tmr_tick{this, "Tmr_tick"};
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_open{this, "item_open", &menu_form, "Open File"};
    forms::Menu item_sep{this, "item_sep", &menu_form, "-"};
    forms::Menu item_exit{this, "item_exit", &menu_form, "Exit"};
    forms::Menu menu_Result{this, "menu_Result", nullptr, "Result"};
    forms::Menu item_set_time{this, "item_set_time", &menu_Result, "Set time"};

    // Plain members: they belong to the instance, not to the loaded window.
    int plain = 0;
    int ticks = 0;
    int cancel_next = 0;
    int activations = 0;
    std::vector<std::string> log;

protected:
    void Design() override {
        Caption("Test window");
        Lbl_info.Caption("design");
        Cmd_go.Caption("Go");
        Move(0, 0, 6000, 4500);
        Pic_large.Move(120, 1500, 1500, 1500); // 100 x 100 pixels
        Sld_play.Move(120, 3100, 3000, 300);
        item_open.Shortcut("Ctrl+O");
    }
    void Form_Load() override {
        log.push_back("Form_Load");
        // The accessor is re-entrant while the window loads.
        Frm_test_accessor().Lbl_info.Caption("loaded");
    }
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override {
        log.push_back("Form_QueryUnload " + std::to_string(UnloadMode));
        Cancel = cancel_next;
    }
    void Form_Unload(int32_t&) override { log.push_back("Form_Unload"); }
    void Form_Activate() override { ++activations; }

private:
    static Frm_test& Frm_test_accessor();
};

class Frm_other : public forms::Form {
public:
    Frm_other() : Form("Frm_other") {}
    forms::Label Lbl{this, "Lbl"};
};

class Frm_test& Frm_test() {
    return forms::Instance<class Frm_test>();
}
class Frm_other& Frm_other() {
    return forms::Instance<class Frm_other>();
}
class Frm_test& Frm_test::Frm_test_accessor() {
    return ::Frm_test();
}

namespace {

QWidget* widget_of(forms::Form& f, const char* name) {
    return reinterpret_cast<QMainWindow*>(f.hWnd())->findChild<QWidget*>(name);
}

class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        Frm_test().Unload();
        Frm_other().Unload();
        Frm_test().log.clear();
        Frm_test().cancel_next = 0;
        test_env::dialogs().clear();
    }
};

TEST_F(Forms, InstanceLoadAndUnloadRules) {
    auto& f = Frm_test();
    EXPECT_EQ(&f, &Frm_test()) << "one instance";
    f.plain = 5;
    EXPECT_FALSE(f.IsLoaded()) << "using the instance's own members loads nothing";
    EXPECT_TRUE(f.log.empty());

    // A control loads the window; its load ran after Design, through the accessor.
    EXPECT_EQ(f.Lbl_info.Caption(), "loaded");
    EXPECT_TRUE(f.IsLoaded());
    EXPECT_EQ(f.log, std::vector<std::string>{"Form_Load"});
    EXPECT_FALSE(f.Visible()) << "loaded, not shown";
    ASSERT_EQ(forms::Forms().size(), 1u);
    EXPECT_EQ(forms::Forms()[0], &f);

    f.Lbl_info.Caption("changed");
    EXPECT_TRUE(f.Unload());
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_EQ(f.log, (std::vector<std::string>{"Form_Load", "Form_QueryUnload 1", "Form_Unload"}));
    EXPECT_TRUE(forms::Forms().empty());
    EXPECT_EQ(f.plain, 5) << "unloading keeps the instance";

    // A built-in property loads again, with the controls as designed.
    EXPECT_EQ(f.Caption(), "Test window");
    EXPECT_EQ(f.Lbl_info.Caption(), "loaded");
    Frm_other().Lbl.Caption("x");
    ASSERT_EQ(forms::Forms().size(), 2u);
    EXPECT_EQ(forms::Forms()[1], &Frm_other());
}

TEST_F(Forms, QueryUnloadCancelsAndTheCloseBoxUnloads) {
    auto& f = Frm_test();
    f.Show();
    EXPECT_TRUE(f.Visible());
    f.cancel_next = 1;
    EXPECT_FALSE(f.Unload());
    EXPECT_TRUE(f.IsLoaded());
    f.cancel_next = 0;
    f.log.clear();
    reinterpret_cast<QMainWindow*>(f.hWnd())->close();
    QApplication::processEvents();
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_EQ(f.log, (std::vector<std::string>{"Form_QueryUnload 0", "Form_Unload"}));
}

TEST_F(Forms, AButtonMayUnloadItsOwnWindow) {
    auto& f = Frm_test();
    f.Show();
    f.Cmd_go.Click = [&f] { f.Unload(); };
    f.Cmd_go.Value(true);
    QApplication::processEvents();
    EXPECT_FALSE(f.IsLoaded());
    f.Cmd_go.Click = [&f] { f.log.push_back("Cmd_go_Click"); };
}

TEST_F(Forms, ModalShowReturnsWhenHidden) {
    auto& f = Frm_test();
    QTimer::singleShot(0, [&f] { f.Hide(); });
    f.Show(forms::vbModal);
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(f.IsLoaded());
}

TEST_F(Forms, PositionsAreInTwips) {
    auto& f = Frm_test();
    f.Move(1500, 3000, 6000, 4500);
    EXPECT_EQ(f.Left(), 1500);
    EXPECT_EQ(f.Top(), 3000);
    EXPECT_EQ(f.Width(), 6000);
    EXPECT_EQ(f.Height(), 4500);
    EXPECT_EQ(f.Pic_large.Width(), 1500);
    EXPECT_EQ(widget_of(f, "Pic_large")->width(), 100);
    f.ScaleMode(forms::vbPixels);
    EXPECT_EQ(f.Pic_large.Left(), 8);
    f.ScaleMode(forms::vbTwips);
}

TEST_F(Forms, ControlEventsFollowTheOriginal) {
    auto& f = Frm_test();
    f.Show();
    f.log.clear();
    // A check box set from code raises Click; setting the same value again does not.
    f.Chk_show.Value(forms::vbChecked);
    f.Chk_show.Value(forms::vbChecked);
    EXPECT_EQ(f.log, std::vector<std::string>{"Chk_show_Click"});
    // A slider set from code raises Change, never Scroll; the operator's move raises both.
    f.log.clear();
    f.Sld_play.Max(100);
    f.Sld_play.Value(40);
    EXPECT_EQ(f.log, std::vector<std::string>{"Sld_play_Change"});
    f.log.clear();
    static_cast<QSlider*>(widget_of(f, "Sld_play"))->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Sld_play_Scroll", "Sld_play_Change"}));
    EXPECT_EQ(f.Sld_play.Value(), 41);
    EXPECT_THROW(f.Sld_play.Value(101), vb::VbError);
    // Option buttons of one container exclude each other; each element knows its index.
    f.log.clear();
    f.Opt_lane(1).Value(true);
    f.Opt_lane[0].Value(true);
    EXPECT_FALSE(f.Opt_lane(1).Value());
    EXPECT_EQ(f.log, (std::vector<std::string>{"Opt_lane_Click 1", "Opt_lane_Click 0"}));
    // A button pressed from code clicks.
    f.log.clear();
    f.Cmd_go.Value(true);
    EXPECT_EQ(f.log, std::vector<std::string>{"Cmd_go_Click"});
    f.Txt_name.Text("heat 3");
    EXPECT_EQ(f.Txt_name.Text(), "heat 3");
    f.Lbl_info.ForeColor(0x00FF0000);
    EXPECT_EQ(f.Lbl_info.ForeColor(), 0x00FF0000u);
    // A system colour keeps its value and paints as the palette's colour of that role.
    f.Lbl_info.BackColor(0x8000000F);
    EXPECT_EQ(f.Lbl_info.BackColor(), 0x8000000Fu);
    EXPECT_EQ(test_env::widget_of(f, "Lbl_info")->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    f.Lbl_info.ToolTipText("path");
    EXPECT_EQ(f.Lbl_info.ToolTipText(), "path");
}

TEST_F(Forms, MissingControlArrayElementRaises340) {
    auto& f = Frm_test();
    EXPECT_EQ(f.Opt_lane.Count(), 2);
    EXPECT_EQ(f.Opt_lane.UBound(), 1);
    try {
        f.Opt_lane(4);
        FAIL() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 340);
        EXPECT_EQ(e.description(), "Control array element '4' doesn't exist");
    }
}

TEST_F(Forms, MenusCarryCaptionsChecksShortcutsAndSeparators) {
    auto& f = Frm_test();
    EXPECT_EQ(f.item_open.Caption(), "Open File");
    const auto open = reinterpret_cast<QMainWindow*>(f.hWnd())->findChildren<QAction*>();
    QAction* open_action = nullptr;
    QAction* sep_action = nullptr;
    for (QAction* a : open) {
        if (a->text() == "Open File") open_action = a;
        if (a->text() == "-") sep_action = a;
    }
    ASSERT_NE(open_action, nullptr);
    ASSERT_NE(sep_action, nullptr);
    EXPECT_EQ(open_action->shortcut().toString().toStdString(), "Ctrl+O");
    EXPECT_TRUE(sep_action->isSeparator());
    f.item_open.Checked(true);
    // A click runs the command and leaves the check mark to it.
    open_action->trigger();
    EXPECT_TRUE(f.item_open.Checked());
    EXPECT_TRUE(open_action->isChecked());
    f.item_open.Enabled(false);
    f.item_open.Trigger();
    EXPECT_EQ(f.log, (std::vector<std::string>{"Form_Load", "item_open_Click"}));
    f.menu_form.Trigger();
    EXPECT_EQ(f.log.back(), "menu_form_Click");
    f.menu_form.Visible(false);
    EXPECT_FALSE(f.menu_form.Visible());
}

TEST_F(Forms, PopupMenuRunsItsCommandAndReturns) {
    auto& f = Frm_test();
    f.Show();
    f.menu_Result.Visible(false); // hidden from the menu bar, still a pop-up
    QTimer::singleShot(0, [] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        for (QAction* a : popup->actions())
            if (a->text() == "Set time") a->trigger();
        popup->close();
    });
    f.PopupMenu(f.menu_Result);
    EXPECT_EQ(f.log.back(), "item_set_time_Click");
}

TEST_F(Forms, AnUntrappedErrorInAnEventEndsTheEventOnly) {
    auto& f = Frm_test();
    f.item_exit.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(),
              std::vector<std::string>{"Run-time error '11':\n\nDivision by zero"});
    EXPECT_TRUE(f.IsLoaded());
    test_env::dialogs().clear(); // expected here; the test main fails any other
}

TEST_F(Forms, NoActivationEchoAfterAMessageBox) {
    auto& f = Frm_test();
    f.Show();
    QApplication::processEvents();
    auto* w = reinterpret_cast<QMainWindow*>(f.hWnd());
    f.activations = 0;
    QEvent activate(QEvent::WindowActivate);
    forms::detail::suppress_next_activation(); // what a closed message box leaves behind
    QApplication::sendEvent(w, &activate);
    EXPECT_EQ(f.activations, 0);
    QApplication::sendEvent(w, &activate);
    EXPECT_EQ(f.activations, 1);
    // A box whose echo never came: the operator's next input ends the wait,
    // no clock involved.
    forms::detail::suppress_next_activation();
    QTest::mouseClick(widget_of(f, "Lbl_info"), Qt::LeftButton);
    QApplication::sendEvent(w, &activate);
    EXPECT_EQ(f.activations, 2);
}

TEST_F(Forms, TimerTicksOnlyWhileEnabledWithAnInterval) {
    auto& f = Frm_test();
    f.ticks = 0;
    f.Tmr_tick.Interval(0);
    f.Tmr_tick.Enabled(true);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(f.ticks, 0) << "interval 0 never fires";
    f.Tmr_tick.Interval(5);
    t.restart();
    while (f.ticks < 2 && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(f.ticks, 2);
    f.Unload();
    const int after = f.ticks;
    t.restart();
    while (t.elapsed() < 50)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(f.ticks, after) << "unloading stops the timer";
}

TEST_F(Forms, PictureBoxKeepsItsDrawingInItsBackingImage) {
    auto& f = Frm_test();
    f.Pic_large.BackColor(0x00000000);
    f.Pic_large.Cls();
    f.Pic_large.ScaleMode(forms::vbPixels);
    EXPECT_EQ(f.Pic_large.ScaleWidth(), 100);
    gdi::HDC dc = f.Pic_large.hDC();
    gdi::HBRUSH red = gdi::CreateSolidBrush(gdi::RGB(255, 0, 0));
    gdi::HGDIOBJ old = gdi::SelectObject(dc, red);
    gdi::Rectangle(dc, 10, 10, 20, 20);
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(red);
    EXPECT_EQ(f.Pic_large.Point(15, 15), 0x0000FF);
    f.Pic_large.Line(0, 50, 99, 50, 0x00FF00);
    EXPECT_EQ(f.Pic_large.Point(30, 50), 0x00FF00);
    // Growing the box keeps the picture and the device context; the box
    // itself is placed in the window's scale (twips).
    f.Pic_large.Move(0, 0, 3000, 2250);
    EXPECT_EQ(f.Pic_large.hDC(), dc);
    EXPECT_EQ(gdi::GetPixel(dc, 15, 15), gdi::RGB(255, 0, 0));
    EXPECT_EQ(gdi::SurfaceWidth(dc), 200);
    f.Pic_large.CurrentX(0);
    f.Pic_large.CurrentY(0);
    f.Pic_large.FontName("Arial");
    f.Pic_large.Print("Line one\nLine two");
    EXPECT_GT(f.Pic_large.CurrentY(), f.Pic_large.TextHeight("x"));
    EXPECT_EQ(f.Pic_large.Image().Width(), 200);
    const forms::Picture copy = forms::Picture_From_DC(dc);
    EXPECT_EQ(copy.image().pixel(15, 15), qRgb(255, 0, 0));
    // A picture file read back is what was drawn.
    const std::string png = test_env::make_dir("picture") + "/pic.png";
    ASSERT_TRUE(f.Pic_large.Image().SavePng(png));
    EXPECT_EQ(forms::LoadPicture(png).image().pixel(30, 50), qRgb(0, 255, 0));
    EXPECT_THROW(forms::LoadPicture(png + ".missing"), vb::VbError);
    f.Pic_large.ScaleMode(forms::vbTwips);
}

TEST_F(Forms, ScriptedBoxesAnswerAndRecord) {
    auto& d = test_env::dialogs();
    forms::set_app_title("Tidewick_HDMI");
    d.answer_msg(forms::vbNo);
    EXPECT_EQ(forms::MsgBox("Save changes?", forms::vbYesNo + forms::vbQuestion), forms::vbNo);
    // Without an answer the default button answers.
    EXPECT_EQ(forms::MsgBox("Exiting?", forms::vbOKCancel + forms::vbDefaultButton2, "Exit"),
              forms::vbCancel);
    d.answer_input(std::string());
    d.answer_input(std::nullopt);
    d.answer_input(std::string("Heat 7"));
    EXPECT_EQ(forms::InputBoxEx("Give event name", "Enter", "NOEVENT"), std::optional<std::string>(""));
    EXPECT_EQ(forms::InputBoxEx("Give event name"), std::nullopt)
        << "Cancel is told apart from an empty answer";
    EXPECT_EQ(forms::InputBox("Give event name"), "Heat 7");
    EXPECT_EQ(forms::InputBox("Give event name"), "") << "the runtime's InputBox gives empty text on Cancel";
    ASSERT_EQ(d.shown.size(), 6u);
    EXPECT_EQ(d.shown[0].title, "Tidewick_HDMI") << "no title: the application's";
    EXPECT_EQ(d.shown[0].buttons, forms::vbYesNo + forms::vbQuestion);
    EXPECT_EQ(d.shown[1].title, "Exit");
    EXPECT_TRUE(d.shown[2].input);
    EXPECT_EQ(d.shown[2].default_text, "NOEVENT");
    EXPECT_EQ(d.prompts(), (std::vector<std::string>{"Save changes?", "Exiting?"}));
}

TEST(KeyState, QtKeysMapToVirtualKeys) {
    struct Case {
        int qt;
        bool keypad;
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_A, false, 65},       {Qt::Key_F, false, 70},     {Qt::Key_Z, false, 90},
        {Qt::Key_0, false, 48},       {Qt::Key_3, false, 51},     {Qt::Key_3, true, 99},
        {Qt::Key_6, true, 102},       {Qt::Key_F1, false, 112},   {Qt::Key_F4, false, 115},
        {Qt::Key_F5, false, 116},     {Qt::Key_Left, false, 37},  {Qt::Key_Up, false, 38},
        {Qt::Key_Right, false, 39},   {Qt::Key_Down, false, 40},  {Qt::Key_Escape, false, 27},
        {Qt::Key_Control, false, 17}, {Qt::Key_Shift, false, 16}, {Qt::Key_Alt, false, 18},
        {Qt::Key_Return, false, 13},  {Qt::Key_Enter, true, 13},  {Qt::Key_Space, false, 32},
        {Qt::Key_Print, false, 44},
    };
    for (const auto& c : cases)
        EXPECT_EQ(forms::VirtualKeyFromQt(c.qt, c.keypad), c.vk) << c.qt;
}

TEST(KeyState, ApplicationEventsFeedTheTable) {
    forms::Install_Key_State_Feed();
    win::clear_keys();
    QWidget w;
    QKeyEvent ctrl_down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(&w, &ctrl_down);
    EXPECT_EQ(win::GetAsyncKeyState(17) & 0x8000, 0x8000);
    EXPECT_LT(win::GetAsyncKeyState(17), 0) << "the high bit of a 16-bit value";
    QKeyEvent ctrl_up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(&w, &ctrl_up);
    EXPECT_EQ(win::GetAsyncKeyState(17), 0);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    EXPECT_NE(win::GetAsyncKeyState(2), 0);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &release);
    EXPECT_EQ(win::GetAsyncKeyState(2), 0);
    // Tests may also set keys directly.
    win::set_key_down(27, true);
    EXPECT_NE(win::GetAsyncKeyState(27), 0);
    win::clear_keys();
}

// Keys held in one window whose release the program never sees (it went to a
// message box, to another window, to another program) read as up afterwards.
TEST(KeyState, HeldKeysReadUpOnceFocusMovesOrABoxComesAndGoes) {
    forms::Install_Key_State_Feed();
    QWidget a, b;
    a.setWindowTitle("A");
    b.setWindowTitle("B");
    a.show();
    b.show();
    forms::QtDialogs boxes;
    const auto answer_box = [] {
        QTimer::singleShot(20, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            // Escape's release lands in the box, which the table must not need.
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &up);
            box->accept();
        });
    };
    struct Case {
        const char* meanwhile;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"a message box came and was answered",
         [&] {
             forms::set_dialog_service(&boxes);
             answer_box();
             forms::MsgBox("Heat not started!");
             forms::set_dialog_service(&test_env::dialogs());
         }},
        {"a scripted box came and went", [] { forms::MsgBox("Heat not started!"); }},
        {"the focus moved to another window",
         [&] {
             b.activateWindow();
             QTRY_VERIFY(b.isActiveWindow());
         }},
        {"the application was deactivated",
         [] {
             QEvent off(QEvent::ApplicationDeactivate);
             QApplication::sendEvent(qApp, &off);
         }},
    };
    const int held[] = {27, 17, 70, 1};
    for (const auto& c : cases) {
        a.activateWindow();
        QTRY_VERIFY(a.isActiveWindow());
        QTest::keyPress(&a, Qt::Key_Escape);
        QTest::keyPress(&a, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(&a, Qt::Key_F, Qt::ControlModifier);
        QTest::mousePress(&a, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
        for (int vk : held)
            ASSERT_NE(win::GetAsyncKeyState(vk), 0) << vk << " pressed in window A";
        c.run();
        for (int vk : held)
            EXPECT_EQ(win::GetAsyncKeyState(vk), 0) << "key " << vk << " after " << c.meanwhile;
    }
    win::clear_keys();
}

// A box opened while a widget holds the keyboard and the mouse (a slider
// dragged) takes them, leaves no grab behind, and the window that opened it
// has the focus again once it is answered.
TEST(Boxes, TakeTheGrabsLeaveNoneAndGiveTheFocusBack) {
    QWidget opener, other;
    opener.show();
    other.show();
    opener.activateWindow();
    QTRY_VERIFY(opener.isActiveWindow());
    forms::QtDialogs boxes;
    forms::set_dialog_service(&boxes);
    for (const char* prompt : {"Heat not started!", "No file initiated!"}) {
        opener.grabMouse();
        opener.grabKeyboard();
        bool grabbed_while_up = true;
        QTimer::singleShot(20, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            grabbed_while_up = QWidget::mouseGrabber() || QWidget::keyboardGrabber();
            // The operator looks at another window before he answers.
            other.activateWindow();
            box->accept();
        });
        forms::MsgBox(prompt);
        EXPECT_FALSE(grabbed_while_up) << prompt;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << prompt;
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << prompt;
        QTRY_VERIFY2(opener.isActiveWindow(), prompt);
    }
    forms::set_dialog_service(&test_env::dialogs());
}

TEST(Services, DoEventsRunsQtEventsOnceInstalled) {
    forms::Install_Event_Pump();
    forms::Install_Event_Pump();
    int runs = 0;
    QTimer::singleShot(0, [&runs] { ++runs; });
    vb::DoEvents();
    EXPECT_EQ(runs, 1);
}

TEST(Services, StandInsReplaceClipboardDesktopAndProcessEnd) {
    forms::MemoryClipboard clip;
    forms::set_clipboard_service(&clip);
    forms::Clipboard().Clear();
    forms::Clipboard().SetText("report");
    EXPECT_EQ(clip.text, "report");
    forms::set_clipboard_service(nullptr);

    std::vector<std::string> opened;
    forms::set_desktop_hook([&opened](const std::string& s) {
        opened.push_back(s);
        return true;
    });
    EXPECT_TRUE(forms::Desktop_Open("mailto:a@b.example"));
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:a@b.example"});
    forms::set_desktop_hook({});

    int code = -1;
    forms::set_end_hook([&code](int32_t c) { code = c; });
    forms::End_Process(3);
    EXPECT_EQ(code, 3);
    forms::set_end_hook({});

    forms::Screen_MousePointer(forms::vbHourglass);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    forms::Screen_MousePointer(forms::vbDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    forms::App().SetVersion("4.0.172");
    EXPECT_EQ(forms::App().Major, 4);
    EXPECT_EQ(forms::App().Minor, 0);
    EXPECT_EQ(forms::App().Revision, 172);
    EXPECT_EQ(forms::App().EXEName(), "test_forms");
}

TEST(Services, MailEncodingKeepsEveryCharacter) {
    EXPECT_EQ(forms::Mail_Encode("a&b#c%d e"), "a%26b%23c%25d%20e");
    EXPECT_EQ(forms::Mail_Encode("one\ntwo\r\nthree"), "one%0D%0Atwo%0D%0Athree");
    EXPECT_EQ(forms::Mail_Encode("\xC3\xA5"), "%C3%A5");
}

} // namespace

namespace {

// What the screen shows of a widget (the window's backing store, not a fresh paint).
QImage on_screen(QWidget* w) {
    QWidget* top = w->window();
    const QImage shot = top->screen()->grabWindow(top->winId()).toImage();
    return shot.copy(QRect(w->mapTo(top, QPoint(0, 0)), w->size()));
}

TEST_F(Forms, PictureBoxDrawingShowsWithoutRefresh) {
    auto& f = Frm_test();
    f.Show();
    f.Pic_large.BackColor(0xFFFFFF);
    f.Pic_large.Cls();
    QApplication::processEvents();
    QWidget* w = widget_of(f, "Pic_large");
    gdi::HDC dc = f.Pic_large.hDC();
    gdi::HBRUSH blue = gdi::CreateSolidBrush(gdi::RGB(0, 0, 255));
    gdi::HGDIOBJ old = gdi::SelectObject(dc, blue);
    gdi::Rectangle(dc, 10, 10, 30, 30);
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(blue);
    f.Pic_large.ScaleMode(forms::vbPixels);
    f.Pic_large.Line(50, 50, 70, 70, 0x00FF00, 2);
    f.Pic_large.ScaleMode(forms::vbTwips);
    QApplication::processEvents();
    const QImage shown = on_screen(w);
    EXPECT_EQ(shown.pixel(20, 20) & 0xFFFFFF, 0x0000FFu) << "a gdi call on its DC";
    EXPECT_EQ(shown.pixel(60, 60) & 0xFFFFFF, 0x00FF00u) << "its own Line";

    // Direct paint: a bottom-up frame straight to the screen, upright.
    f.Pic_large.DirectPaint(true);
    gdi::BITMAPINFOHEADER info{};
    info.biWidth = 2;
    info.biHeight = 2;
    std::vector<uint8_t> bits(static_cast<size_t>(gdi::DibStride24(2) * 2), 0);
    bits[2] = 0xFF; // bottom-left red
    gdi::HDRAWDIB dd = gdi::DrawDibOpen();
    EXPECT_TRUE(gdi::DrawDibDraw(dd, dc, 0, 0, 100, 100, &info, bits.data(), 0, 0, 2, 2, 0));
    gdi::DrawDibClose(dd);
    const QImage direct = on_screen(w);
    EXPECT_EQ(direct.pixel(25, 75) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(direct.pixel(25, 25) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(f.Pic_large.Point(300, 300), 0xFF0000) << "the backing image (twips) is left as it was";
    f.Pic_large.DirectPaint(false);
}

// Refresh repaints what was drawn since the last paint: after each drawing,
// with no event handled in between, the screen shows the whole backing image
// (a frame over all of it, an overlay's marks far apart, more scattered
// points than the box keeps apart, and nothing at all).
TEST_F(Forms, RefreshShowsEverythingDrawnSinceTheLastPaint) {
    auto& f = Frm_test();
    f.Show();
    f.Pic_large.BackColor(0xFFFFFF);
    f.Pic_large.Cls();
    f.Pic_large.ScaleMode(forms::vbPixels);
    QApplication::processEvents();
    QWidget* w = widget_of(f, "Pic_large");
    const int n = w->width();
    ASSERT_EQ(w->height(), n);
    gdi::HDC dc = f.Pic_large.hDC();
    const auto screen_differs = [&] {
        const QImage shown = on_screen(w);
        int differ = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const QRgb c = shown.pixel(x, y);
                // Point gives the colour as 0x00BBGGRR.
                differ += (qRed(c) | qGreen(c) << 8 | qBlue(c) << 16) != f.Pic_large.Point(x, y);
            }
        return differ;
    };
    // A frame over the whole box.
    gdi::BITMAPINFOHEADER info{};
    info.biWidth = n;
    info.biHeight = n;
    std::vector<uint8_t> frame(static_cast<size_t>(gdi::DibStride24(n) * n));
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(i * 7 + i / 301);
    gdi::HDRAWDIB dd = gdi::DrawDibOpen();
    ASSERT_TRUE(gdi::DrawDibDraw(dd, dc, 0, 0, n, n, &info, frame.data(), 0, 0, n, n, 0));
    gdi::DrawDibClose(dd);
    f.Pic_large.Refresh();
    EXPECT_EQ(screen_differs(), 0) << "a frame";
    // An overlay keyed over it: a dotted line at the top left, a line down the right.
    gdi::BITMAPINFO bi{};
    bi.bmiHeader.biWidth = n;
    bi.bmiHeader.biHeight = n;
    void* bits = nullptr;
    gdi::HBITMAP overlay = gdi::CreateDIBSection(nullptr, &bi, gdi::DIB_RGB_COLORS, &bits);
    gdi::HDC odc = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ old = gdi::SelectObject(odc, overlay);
    const gdi::COLORREF key = gdi::RGB(128, 128, 128);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            gdi::SetPixel(odc, x, y,
                          (y == 5 && x < 30 && x % 3 == 0) || x == n - 4 ? gdi::RGB(255, 0, 0) : key);
    ASSERT_TRUE(gdi::TransparentBlt(dc, 0, 0, n, n, odc, 0, 0, n, n, key));
    f.Pic_large.Refresh();
    EXPECT_EQ(screen_differs(), 0) << "an overlay's marks";
    gdi::SelectObject(odc, old);
    gdi::DeleteDC(odc);
    gdi::DeleteObject(overlay);
    // Points scattered over the box, more than it keeps apart.
    for (int i = 0; i < 400; ++i)
        gdi::SetPixel(dc, (i * 37) % n, (i * 53) % n, gdi::RGB(0, static_cast<uint8_t>(i), 255));
    f.Pic_large.Refresh();
    EXPECT_EQ(screen_differs(), 0) << "scattered points";
    f.Pic_large.Refresh();
    EXPECT_EQ(screen_differs(), 0) << "nothing drawn";
    f.Pic_large.ScaleMode(forms::vbTwips);
}

// Direct paint writes the frame into the window's pixels itself: every pixel
// lands where the frame puts it, upright, inside the box and nowhere else.
TEST_F(Forms, DirectPaintPutsEveryPixelInItsPlace) {
    auto& f = Frm_test();
    f.Show();
    f.Pic_large.BackColor(0x00FFFFFF);
    f.Pic_large.Cls();
    QApplication::processEvents();
    QWidget* w = widget_of(f, "Pic_large");
    ASSERT_NE(w->mapTo(w->window(), QPoint(0, 0)), QPoint(0, 0)) << "the box must lie inside its window";
    QWidget* top = w->window();
    const QRect box_in_window(w->mapTo(top, QPoint(0, 0)), w->size());
    const QImage window_before = top->screen()->grabWindow(top->winId()).toImage();
    ASSERT_TRUE(QRect(QPoint(0, 0), window_before.size()).contains(box_in_window.adjusted(-1, -1, 1, 1)));

    // 37 x 30, bottom-up, rows padded to 4 bytes, every pixel its own colour.
    constexpr int kW = 37, kH = 30;
    gdi::BITMAPINFOHEADER info{};
    info.biWidth = kW;
    info.biHeight = kH;
    const int stride = gdi::DibStride24(kW);
    std::vector<uint8_t> bits(static_cast<size_t>(stride * kH));
    const auto colour = [](int x, int row) {
        return static_cast<uint32_t>((x * 6) << 16 | (row * 8) << 8 | (x + row));
    };
    for (int row = 0; row < kH; ++row)
        for (int x = 0; x < kW; ++x) {
            const uint32_t c = colour(x, row);
            uint8_t* p = &bits[static_cast<size_t>(row * stride + x * 3)];
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
        }
    gdi::HDC dc = f.Pic_large.hDC();
    f.Pic_large.DirectPaint(true);
    gdi::HDRAWDIB dd = gdi::DrawDibOpen();
    struct Case {
        const char* what;
        QRect dest;
    };
    for (const Case& c :
         {Case{"unscaled", QRect(5, 7, kW, kH)}, Case{"doubled", QRect(20, 30, 2 * kW, 2 * kH)}}) {
        SCOPED_TRACE(c.what);
        f.Pic_large.Cls();
        f.Pic_large.Refresh();
        ASSERT_TRUE(gdi::DrawDibDraw(dd, dc, c.dest.x(), c.dest.y(), c.dest.width(), c.dest.height(), &info,
                                     bits.data(), 0, 0, kW, kH, 0));
        const QImage shown = on_screen(w);
        ASSERT_EQ(shown.size(), w->size());
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint at(x, y);
                const int scale = c.dest.width() / kW;
                const uint32_t want =
                    c.dest.contains(at) ? colour((x - c.dest.x()) / scale, kH - 1 - (y - c.dest.y()) / scale)
                                        : 0xFFFFFFu;
                if ((shown.pixel(at) & 0xFFFFFF) != want && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                                  << (shown.pixel(at) & 0xFFFFFF) << " not " << want;
            }
        EXPECT_EQ(wrong, 0);
    }
    gdi::DrawDibClose(dd);
    f.Pic_large.DirectPaint(false);
    // The window around the box is as it was.
    const QImage window_after = top->screen()->grabWindow(top->winId()).toImage();
    for (const QPoint at :
         {box_in_window.topLeft() - QPoint(1, 1), box_in_window.bottomRight() + QPoint(1, 1),
          QPoint(box_in_window.right() + 1, box_in_window.top() + 10)})
        EXPECT_EQ(window_after.pixel(at), window_before.pixel(at)) << at.x() << "," << at.y();
}

} // namespace
