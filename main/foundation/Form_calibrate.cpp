#include "Form_calibrate.h"

#include "Module_OrvelGraphics.h"
#include "VbConvert.h"
#include "WinClock.h"

#include <cstdlib>

class Form_calibrate& Form_calibrate() {
    return forms::Instance<class Form_calibrate>();
}

std::string Fixed4_Text(int64_t raw) {
    const bool negative = raw < 0;
    // Magnitude in unsigned arithmetic, so the most negative value has one too.
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += "." + digits;
    }
    return text;
}

Form_calibrate::Form_calibrate() : Form("Form_calibrate") {
    Cycle_Source = [] { return GetCycleCount(); };
    Cmd_start.Click = [this] { Cmd_start_Click(); };
    Cmd_get.Click = [this] { Cmd_get_Click(); };
    Cmd_end.Click = [this] { Cmd_end_Click(); };
    Timer1.OnTimer = [this] { Timer1_Timer(); };
}

void Form_calibrate::Design() {
    Caption("Calibrate");
    Move(2400, 2400, 5400, 2700);
    Cmd_start.Caption("Start");
    Cmd_get.Caption("Get");
    Cmd_end.Caption("End");
    Cmd_start.Move(240, 1560, 1440, 495);
    Cmd_get.Move(1860, 1560, 1440, 495);
    Cmd_end.Move(3480, 1560, 1440, 495);
    Lbl_CycleCount.Move(240, 240, 4680, 375);
    Lbl_cycles_per_second.Move(240, 780, 4680, 375);
    Timer1.Interval(1000);
    Timer1.Enabled(false);
}

int64_t Form_calibrate::current_count() {
    return static_cast<int64_t>(Cycle_Source());
}

void Form_calibrate::Cmd_start_Click() {
    Timer1.Enabled(true);
    m_start_count = current_count();
    m_start_time = win::timeGetTime();
}

void Form_calibrate::Cmd_get_Click() {
    Lbl_CycleCount.Caption(Fixed4_Text(current_count()));
}

void Form_calibrate::Timer1_Timer() {
    const double increase = static_cast<double>(current_count() - m_start_count) / 10000;
    const int32_t elapsed = static_cast<int32_t>(win::timeGetTime() - m_start_time);
    const double seconds = vb::RoundHalfEven(elapsed / 1000.0);
    // A tick within half a second of "Start" has no whole second to divide by
    // yet; the label waits for the next tick.
    if (seconds == 0) return;
    Lbl_cycles_per_second.Caption(vb::CStr(increase / seconds));
}

void Form_calibrate::Cmd_end_Click() {
    Timer1.Enabled(false);
}
