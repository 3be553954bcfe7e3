#pragma once
// The one trap mechanism of the program. A procedure that traps its errors
// wraps its body in Trap() with its fixed location text. While trapping is on
// (the normal mode) an error is handed to the installed handler and the
// procedure ends; while it is off (the development mode) the error propagates.
#include "VbError.h"

#include <functional>
#include <string>
#include <string_view>

namespace vb {

using ErrorHandler =
    std::function<void(const VbError& err, const std::string& location, const std::string& extra)>;

// Installs the report the trapped errors go to, and the test of whether
// trapping is on. Both are set once by the program (and by test mains).
void SetErrorHandler(ErrorHandler handler);
void SetTrappingEnabled(std::function<bool()> enabled);
bool TrappingEnabled();
// Hands an error to the installed handler (a plain stderr line when none is).
void ReportError(const VbError& err, const std::string& location, const std::string& extra = {});

// Runs body; returns true when it ran to its end, false when an error was
// trapped and reported.
template <class F> bool Trap(std::string_view location, F&& body, std::string_view extra = {}) {
    if (!TrappingEnabled()) {
        body();
        return true;
    }
    try {
        body();
        return true;
    } catch (...) {
        ReportError(ToVbError(std::current_exception()), std::string(location), std::string(extra));
        return false;
    }
}

// Runs body, whose errors are always trapped (whatever the mode), and handed
// to `on_error`; used by the procedures that trap in both modes.
template <class F, class G> bool TrapAlways(F&& body, G&& on_error) {
    try {
        body();
        return true;
    } catch (...) {
        on_error(ToVbError(std::current_exception()));
        return false;
    }
}

// Lets pending window events run (and whatever else registered itself, such
// as the capture message queue).
void DoEvents();
// Registers one more pump that DoEvents runs; returns an id for removal.
int AddEventPump(std::function<void()> pump);
void RemoveEventPump(int id);

} // namespace vb
