#pragma once
// Shared between the files of the forms layer only.
#include <cstdint>
#include <exception>

class QMenuBar;

namespace forms {
class Form;
}

namespace forms::detail {

// After a message box closes the window system activates the window below;
// the original raised no activation then, so the next one is dropped.
void suppress_next_activation();
bool take_activation_suppressed();

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
