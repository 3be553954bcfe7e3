#include "Form.h"

#include "Controls.h"
#include "Dialogs.h"
#include "FormsInternal.h"
#include "GdiQt.h"
#include "Keys.h"
#include "Picture.h"
#include "Screen.h"
#include "VbError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

namespace forms {

namespace {
std::vector<Form*>& loaded_forms() {
    static std::vector<Form*> list;
    return list;
}

// The echo of a closed box: armed while a box is up and after it closed,
// until a window takes its activation or the operator's next input shows
// the echo has passed.
struct ActivationEcho {
    bool armed = false;
    bool box_up = false;
};
ActivationEcho echo;

class EchoDisarm : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (echo.armed && !echo.box_up &&
            (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::KeyPress))
            echo.armed = false;
        return false;
    }
};

void watch_input() {
    static EchoDisarm* filter = nullptr;
    if (filter || !QCoreApplication::instance()) return;
    filter = new EchoDisarm;
    QCoreApplication::instance()->installEventFilter(filter);
}

std::function<void(Form&)>& modal_hook() {
    static std::function<void(Form&)> h;
    return h;
}
std::function<Menu*(Form&, Menu&)>& popup_hook() {
    static std::function<Menu*(Form&, Menu&)> h;
    return h;
}
} // namespace

namespace detail {
void box_opening() {
    echo.armed = true;
    echo.box_up = true;
    watch_input();
}
void box_closed() {
    echo.box_up = false;
}
void suppress_next_activation() {
    box_opening();
    box_closed();
}
bool take_activation_suppressed() {
    return std::exchange(echo.armed, false);
}
bool is_control_widget(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (w->property("tw_control").toBool()) return true;
    return false;
}
void mark_control_widget(QWidget* w) {
    w->setProperty("tw_control", true);
}
int32_t key_ascii(const QKeyEvent& e) {
    const QString t = e.text();
    if (t.size() != 1) return 0;
    const char16_t c = t.at(0).unicode();
    return c < 256 ? static_cast<int32_t>(c) : 0;
}
int32_t shift_mask(int m) {
    int32_t s = 0;
    if (m & Qt::ShiftModifier) s |= vbShiftMask;
    if (m & Qt::ControlModifier) s |= vbCtrlMask;
    if (m & Qt::AltModifier) s |= vbAltMask;
    return s;
}
int32_t button_number(int b) {
    int32_t n = 0;
    if (b & Qt::LeftButton) n |= vbLeftButton;
    if (b & Qt::RightButton) n |= vbRightButton;
    if (b & Qt::MiddleButton) n |= vbMiddleButton;
    return n;
}
} // namespace detail

// The client area: where controls sit and form-level mouse events arise.
class ClientWidget : public QWidget {
public:
    explicit ClientWidget(FormWindow* w);
    FormWindow* win;
    bool pressed = false;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class FormWindow : public QMainWindow {
public:
    explicit FormWindow(Form* f) : form(f) {
        client = new ClientWidget(this);
        setCentralWidget(client);
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    ~FormWindow() override {
        if (modal_loop) modal_loop->quit();
    }
    Form* form;
    ClientWidget* client;
    QEventLoop* modal_loop = nullptr;

protected:
    bool event(QEvent* e) override {
        if (form && e->type() == QEvent::WindowActivate) {
            if (!detail::take_activation_suppressed()) detail::guarded([this] { form->Form_Activate(); });
        } else if (form && e->type() == QEvent::WindowDeactivate) {
            detail::guarded([this] { form->Form_Deactivate(); });
        }
        return QMainWindow::event(e);
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        // Without its Close command the title bar cannot close the window.
        if (form && form->CloseCommandState() != Form::CloseCommand::Present) return;
        if (form) detail::guarded([this] { form->unload_with(vbFormControlMenu); });
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        if (form) detail::guarded([this] { form->Form_Resize(); });
    }
    // Minimising and restoring change no size, yet the original raised
    // Resize for them.
    void changeEvent(QEvent* e) override {
        QMainWindow::changeEvent(e);
        if (!form || e->type() != QEvent::WindowStateChange) return;
        const auto old_state = static_cast<QWindowStateChangeEvent*>(e)->oldState();
        if ((old_state | windowState()) & Qt::WindowMinimized)
            detail::guarded([this] { form->Form_Resize(); });
    }
    void hideEvent(QHideEvent* e) override {
        QMainWindow::hideEvent(e);
        if (modal_loop && !isVisible()) modal_loop->quit();
    }
    // The window has a control's keys only with KeyPreview, and then the
    // control's events raised them already; the original's windows see keys
    // of their own only when no control has the focus.
    bool previewed() const { return detail::is_control_widget(QApplication::focusWidget()); }
    void keyPressEvent(QKeyEvent* e) override {
        if (!form || previewed()) return;
        int32_t code = VirtualKeyFromQt(e->key(), (e->modifiers() & Qt::KeypadModifier) != 0);
        const int32_t shift = detail::shift_mask(static_cast<int>(e->modifiers()));
        detail::guarded([&] { form->Form_KeyDown(code, shift); });
        int32_t ascii = detail::key_ascii(*e);
        if (form && code != 0 && ascii != 0) detail::guarded([&] { form->Form_KeyPress(ascii); });
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (!form || e->isAutoRepeat() || previewed()) return;
        int32_t code = VirtualKeyFromQt(e->key(), (e->modifiers() & Qt::KeypadModifier) != 0);
        const int32_t shift = detail::shift_mask(static_cast<int>(e->modifiers()));
        detail::guarded([&] { form->Form_KeyUp(code, shift); });
    }
};

ClientWidget::ClientWidget(FormWindow* w) : QWidget(w), win(w) {
    setMouseTracking(true);
}

// Mouse events of the window itself, in its scale.
void ClientWidget::mousePressEvent(QMouseEvent* e) {
    // A control's own unhandled event climbs to here; it is not the window's.
    if (childAt(e->position().toPoint())) return;
    pressed = true;
    Form* f = win->form;
    if (!f) return;
    const int32_t b = detail::button_number(e->button()),
                  s = detail::shift_mask(static_cast<int>(e->modifiers()));
    const auto x = static_cast<float>(f->PixelsToScale(e->position().x()));
    const auto y = static_cast<float>(f->PixelsToScale(e->position().y()));
    detail::guarded([&] { f->Form_MouseDown(b, s, x, y); });
}

void ClientWidget::mouseMoveEvent(QMouseEvent* e) {
    if (childAt(e->position().toPoint())) return;
    Form* f = win->form;
    if (!f) return;
    const int32_t b = detail::button_number(static_cast<int>(e->buttons()));
    const int32_t s = detail::shift_mask(static_cast<int>(e->modifiers()));
    const auto x = static_cast<float>(f->PixelsToScale(e->position().x()));
    const auto y = static_cast<float>(f->PixelsToScale(e->position().y()));
    detail::guarded([&] { f->Form_MouseMove(b, s, x, y); });
}

void ClientWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed && childAt(e->position().toPoint())) return;
    Form* f = win->form;
    if (!f) return;
    const int32_t b = detail::button_number(e->button()),
                  s = detail::shift_mask(static_cast<int>(e->modifiers()));
    const auto x = static_cast<float>(f->PixelsToScale(e->position().x()));
    const auto y = static_cast<float>(f->PixelsToScale(e->position().y()));
    detail::guarded([&] { f->Form_MouseUp(b, s, x, y); });
    // The window may have been unloaded by the handler.
    if (pressed && win->form && rect().contains(e->position().toPoint()))
        detail::guarded([this] { win->form->Form_Click(); });
    pressed = false;
}

void detail::unhandled_error(std::exception_ptr error) {
    const vb::VbError err = vb::ToVbError(error);
    MsgBox("Run-time error '" + std::to_string(err.number()) + "':\n\n" + err.description(), vbCritical);
}

QMenuBar* detail::menu_bar_of(Form& f) {
    return f.window_ ? f.window_->menuBar() : nullptr;
}

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
    if (window_) destroy_widgets();
}

void Form::add_control(Control* c) {
    controls_.push_back(c);
}
void Form::remove_control(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

void Form::ensure_loaded() {
    Load();
}

bool Form::Windows_Available() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void Form::Load() {
    if (loaded_ || loading_) return;
    if (!Windows_Available()) vb::Raise(vb::errCantCreateObject, "No window system to load " + name_ + " on");
    loading_ = true;
    window_ = new FormWindow(this);
    window_->setWindowTitle(QString::fromStdString(name_));
    window_->resize(4800 / kTwipsPerPixel, 3600 / kTwipsPerPixel);
    // Controls in the order declared: a menu's parent before the menu.
    const auto controls = controls_;
    for (Control* c : controls)
        c->create(window_->client);
    loaded_ = true;
    loading_ = false;
    loaded_forms().push_back(this);
    designing_ = true;
    try {
        Design();
    } catch (...) {
        designing_ = false;
        throw;
    }
    designing_ = false;
    Form_Load();
}

void Form::create_late(Control* c) {
    if (loaded_ && window_) c->create(window_->client);
}

bool Form::Unload() {
    return unload_with(vbFormCode);
}

bool Form::unload_with(int32_t mode) {
    if (!loaded_) return true;
    int32_t cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel != 0 || !loaded_) return !loaded_;
    Form_Unload(cancel);
    if (cancel != 0 || !loaded_) return !loaded_;
    destroy_widgets();
    return true;
}

void Form::destroy_widgets() {
    // A window made again gets a fresh system menu.
    close_command_ = CloseCommand::Present;
    if (!window_) return;
    for (Control* c : controls_)
        c->release();
    FormWindow* w = window_;
    window_ = nullptr;
    loaded_ = false;
    auto& list = loaded_forms();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    w->form = nullptr;
    w->hide();
    // The unload may come from inside an event of the window or one of its
    // controls (a close box, a button's Click): the widgets outlive it.
    w->deleteLater();
}

FormWindow* Form::window() {
    ensure_loaded();
    return window_;
}

QWidget* Form::client() {
    return window()->client;
}

void Form::Show(int32_t modal) {
    ensure_loaded();
    if (!window_) return;
    // A window opens within the screen it opens on, whatever size it was made.
    if (!window_->isVisible()) detail::Fit_To_Work_Area(window_, true);
    if (modal == vbModal && modal_hook()) {
        // A test's script plays the operator; it hides or unloads the window.
        window_->show();
        modal_hook()(*this);
        return;
    }
    if (modal == vbModal) {
        window_->setWindowModality(Qt::ApplicationModal);
        window_->show();
        detail::Fit_To_Work_Area(window_, true);
        window_->raise();
        QEventLoop loop;
        QPointer<FormWindow> w = window_;
        w->modal_loop = &loop;
        loop.exec();
        if (w) {
            w->modal_loop = nullptr;
            w->setWindowModality(Qt::NonModal);
        }
        return;
    }
    window_->show();
    // Its frame is known once shown: the window and its frame fit together.
    detail::Fit_To_Work_Area(window_, true);
    window_->raise();
    window_->activateWindow();
}

void Form::Hide() {
    ensure_loaded();
    if (window_) window_->hide();
}

bool Form::Visible() {
    return window() && window_->isVisible();
}
void Form::Visible(bool v) {
    if (v)
        Show();
    else
        Hide();
}

std::string Form::Caption() {
    return window()->windowTitle().toStdString();
}
void Form::Caption(const std::string& text) {
    window()->setWindowTitle(QString::fromStdString(text));
}
bool Form::Enabled() {
    return window()->isEnabled();
}
void Form::Enabled(bool e) {
    window()->setEnabled(e);
}

int32_t Form::Left() {
    return window()->frameGeometry().x() * kTwipsPerPixel;
}
int32_t Form::Top() {
    return window()->frameGeometry().y() * kTwipsPerPixel;
}
int32_t Form::Width() {
    return window()->frameGeometry().width() * kTwipsPerPixel;
}
int32_t Form::Height() {
    return window()->frameGeometry().height() * kTwipsPerPixel;
}

void Form::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    FormWindow* w = window();
    w->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
    // Width and height are outer sizes; Qt sizes the inside.
    const int fw = w->frameGeometry().width() - w->width();
    const int fh = w->frameGeometry().height() - w->height();
    // No size asked for reaches past the screen the window is on; the window
    // is sized once, so a resize handler that asks again meets the same size.
    const QRect area = detail::Work_Area_Px(w);
    const int outer_w = std::min(width / kTwipsPerPixel, area.isEmpty() ? INT32_MAX : area.width());
    const int outer_h = std::min(height / kTwipsPerPixel, area.isEmpty() ? INT32_MAX : area.height());
    w->resize(std::max(1, outer_w - fw), std::max(1, outer_h - fh));
}

void Form::Left(int32_t v) {
    Move(v, Top(), Width(), Height());
}
void Form::Top(int32_t v) {
    Move(Left(), v, Width(), Height());
}
void Form::Width(int32_t v) {
    Move(Left(), Top(), v, Height());
}
void Form::Height(int32_t v) {
    Move(Left(), Top(), Width(), v);
}

double Form::PixelsToScale(double px) {
    return scale_mode_ == vbPixels ? px : px * kTwipsPerPixel;
}
int Form::ScaleToPixels(double v) {
    return static_cast<int>(std::lround(scale_mode_ == vbPixels ? v : v / kTwipsPerPixel));
}

double Form::ScaleWidth() {
    sync_client();
    return PixelsToScale(client()->width());
}
double Form::ScaleHeight() {
    sync_client();
    return PixelsToScale(client()->height());
}
void Form::sync_client() {
    // The inside of a window not shown yet follows its size at once: callers
    // lay out by it before the first show (Qt lays it out only when shown).
    FormWindow* w = window();
    if (w->isVisible() || !w->layout()) return;
    w->layout()->invalidate();
    w->layout()->activate();
}
int32_t Form::ScaleMode() {
    ensure_loaded();
    return scale_mode_;
}
void Form::ScaleMode(int32_t mode) {
    ensure_loaded();
    scale_mode_ = mode == vbPixels ? vbPixels : vbTwips;
}

int32_t Form::WindowState() {
    const auto s = window()->windowState();
    if (s & Qt::WindowMinimized) return vbMinimized;
    if (s & Qt::WindowMaximized) return vbMaximized;
    return vbNormal;
}

void Form::WindowState(int32_t state) {
    FormWindow* w = window();
    w->setWindowState(state == vbMinimized   ? Qt::WindowMinimized
                      : state == vbMaximized ? Qt::WindowMaximized
                                             : Qt::WindowNoState);
}

uint32_t Form::BackColor() {
    return gdi::FromQColor(client()->palette().color(QPalette::Window));
}

void Form::BackColor(uint32_t color) {
    QWidget* c = client();
    QPalette p = c->palette();
    p.setColor(QPalette::Window, gdi::ToQColor(color));
    c->setPalette(p);
    c->setAutoFillBackground(true);
}

hwnd_t Form::hWnd() {
    return reinterpret_cast<hwnd_t>(window());
}

Form* Form::FromHandle(hwnd_t h) {
    for (Form* f : loaded_forms())
        if (reinterpret_cast<hwnd_t>(f->window_) == h) return f;
    return nullptr;
}

void Form::TopMost(bool on) {
    FormWindow* w = window();
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the flags hides the window; put it back as it was.
    if (shown) w->show();
}

void Form::CloseCommandState(CloseCommand state) {
    close_command_ = state;
    if (!loaded_ || !window_) return;
    FormWindow* w = window_;
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::CustomizeWindowHint, true);
    w->setWindowFlag(Qt::WindowTitleHint, true);
    w->setWindowFlag(Qt::WindowSystemMenuHint, true);
    w->setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    w->setWindowFlag(Qt::WindowCloseButtonHint, state == CloseCommand::Present);
    if (shown) w->show();
}

bool Form::TitleBar() {
    return !window()->windowFlags().testFlag(Qt::FramelessWindowHint);
}

void Form::TitleBar(bool on) {
    FormWindow* w = window();
    if (on == TitleBar()) return;
    const bool shown = w->isVisible();
    // Qt drops the frameless hint while button hints are customised, so the
    // bar's own flags are put aside and given back whole.
    if (!on) {
        flags_with_title_ = static_cast<int>(w->windowFlags());
        w->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    } else {
        w->setWindowFlags(Qt::WindowFlags(flags_with_title_) & ~Qt::FramelessWindowHint);
    }
    // Changing the flags hides the window; put it back as it was.
    if (shown) w->show();
}

Form* ActiveForm() {
    for (Form* f : Forms())
        if (f->IsLoaded() && f->window() && f->window()->isActiveWindow()) return f;
    return nullptr;
}

void Release_Input_Grabs() {
    if (QWidget* m = QWidget::mouseGrabber()) m->releaseMouse();
    if (QWidget* k = QWidget::keyboardGrabber()) k->releaseKeyboard();
}

void Return_Focus(Form* opener) {
    const auto loaded = loaded_forms();
    if (!opener || std::find(loaded.begin(), loaded.end(), opener) == loaded.end()) return;
    if (opener->IsLoaded() && opener->window() && opener->window()->isVisible())
        opener->window()->activateWindow();
}

void Form::SetFocus() {
    window()->activateWindow();
    window_->setFocus();
}

void Form::Refresh() {
    window()->repaint();
}

void Form::PopupMenu(Menu& menu) {
    ensure_loaded();
    if (popup_hook()) {
        if (Menu* chosen = popup_hook()(*this, menu)) chosen->Trigger();
        return;
    }
    if (auto* m = qobject_cast<QMenu*>(menu.menu_)) m->exec(QCursor::pos());
}

void set_modal_hook(std::function<void(Form&)> hook) {
    modal_hook() = std::move(hook);
}
void set_popup_hook(std::function<Menu*(Form&, Menu&)> hook) {
    popup_hook() = std::move(hook);
}

Picture Form::Grab() {
    return Picture::FromImage(window()->grab().toImage());
}

Picture Form::Grab_With_Frame() {
    FormWindow* w = window();
    const QRect outer = w->frameGeometry();
    QScreen* screen = w->screen();
    if (!w->isVisible() || !screen || outer.size() == w->size()) return Grab();
    const QPixmap shot =
        screen->grabWindow(0, outer.x() - screen->geometry().x(), outer.y() - screen->geometry().y(),
                           outer.width(), outer.height());
    if (shot.isNull()) return Grab();
    return Picture::FromImage(shot.toImage());
}

std::vector<Form*> Forms() {
    return loaded_forms();
}

} // namespace forms
