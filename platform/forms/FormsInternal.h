#pragma once
// Shared between the files of the forms layer only.
#include <cstdint>
#include <exception>

class QMenuBar;
class QRect;
class QKeyEvent;
class QWidget;

namespace forms {
class Form;
}

namespace forms::detail {

// After a message box closes the window system activates the window below;
// the original raised no activation then, so the one that follows the box's
// closing is dropped. A box calls box_opening() before it shows and
// box_closed() once it is gone; suppress_next_activation() is both.
void box_opening();
void box_closed();
void suppress_next_activation();
bool take_activation_suppressed();

// The work area, in pixels, of the screen a window is on (the primary one
// when it is on none): the screen less what panels keep for themselves.
QRect Work_Area_Px(const QWidget* w);
// A window larger than that work area is made to fit it, and one that
// reaches past it is moved inside; a smaller one keeps its size.
void Fit_To_Work_Area(QWidget* w, bool move_inside);

// Whether a widget belongs to a control (the control's events saw its keys).
bool is_control_widget(const QWidget* w);
void mark_control_widget(QWidget* w);
// The character code of a key event for KeyPress (0: none).
int32_t key_ascii(const QKeyEvent& e);

// The shift mask (vbShiftMask, vbCtrlMask, vbAltMask) of Qt keyboard modifiers.
int32_t shift_mask(int qt_modifiers);
// The button number (vbLeftButton...) of a Qt mouse button.
int32_t button_number(int qt_button);

// An error that no procedure trapped reached the end of an event: the
// runtime's message "Run-time error 'n':" with its description; the event
// ends there and the program goes on.
void unhandled_error(std::exception_ptr error);

// Runs an event procedure from the window system, never letting an error
// pass into Qt.
template <class F> void guarded(F&& f) {
    try {
        f();
    } catch (...) {
        unhandled_error(std::current_exception());
    }
}

// The menu bar of a loading or loaded window.
QMenuBar* menu_bar_of(Form& form);

} // namespace forms::detail
