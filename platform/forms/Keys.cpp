#include "Keys.h"

#include "KeyState.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

namespace forms {

int32_t VirtualKeyFromQt(int k, bool keypad) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return keypad ? 0x60 + (k - Qt::Key_0) : 0x30 + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 0x41 + (k - Qt::Key_A);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 0x70 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Asterisk:
        return keypad ? 106 : 0;
    case Qt::Key_Plus:
        return keypad ? 107 : 0xBB;
    case Qt::Key_Minus:
        return keypad ? 109 : 0xBD;
    case Qt::Key_Period:
        return keypad ? 110 : 0xBE;
    case Qt::Key_Slash:
        return keypad ? 111 : 0xBF;
    case Qt::Key_Comma:
        return 0xBC;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    default:
        return 0;
    }
}

namespace {

class KeyStateFeed : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(e);
            if (e->type() == QEvent::KeyRelease && k->isAutoRepeat()) break;
            const bool down = e->type() == QEvent::KeyPress;
            if (const int vk = VirtualKeyFromQt(k->key(), (k->modifiers() & Qt::KeypadModifier) != 0))
                win::set_key_down(vk, down);
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(e);
            const bool down = e->type() == QEvent::MouseButtonPress;
            if (m->button() == Qt::LeftButton) win::set_key_down(1, down);
            if (m->button() == Qt::RightButton) win::set_key_down(2, down);
            if (m->button() == Qt::MiddleButton) win::set_key_down(4, down);
            break;
        }
        // A key released elsewhere is never seen here: what was held when
        // the focus moved or a modal window came or went reads as up.
        case QEvent::ApplicationDeactivate:
        case QEvent::WindowDeactivate:
            win::clear_keys();
            break;
        case QEvent::ApplicationStateChange:
            if (QGuiApplication::applicationState() != Qt::ApplicationActive) win::clear_keys();
            break;
        case QEvent::Show:
        case QEvent::Hide: {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w->isWindow() && w->isModal()) win::clear_keys();
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(o, e);
    }
};

} // namespace

void Install_Key_State_Feed() {
    static KeyStateFeed* feed = nullptr;
    if (feed || !QCoreApplication::instance()) return;
    feed = new KeyStateFeed(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(feed);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (auto* x11 = gui->nativeInterface<QNativeInterface::QX11Application>())
            win::set_x_connection(x11->connection());
}

} // namespace forms
