#pragma once
// The clock calibration window: the processor's cycle counter on demand, and
// once a second while running, the counter's rate since "Start".
#include "Controls.h"
#include "Form.h"

#include <cstdint>
#include <functional>
#include <string>

class Form_calibrate : public forms::Form {
public:
    Form_calibrate();

    forms::CommandButton Cmd_start{this, "Cmd_start"};
    forms::CommandButton Cmd_get{this, "Cmd_get"};
    forms::CommandButton Cmd_end{this, "Cmd_end"};
    forms::Label Lbl_CycleCount{this, "Lbl_CycleCount"};
    forms::Label Lbl_cycles_per_second{this, "Lbl_cycles_per_second"};
    forms::Timer Timer1{this, "Timer1"};

    // Where the counter comes from: the image library's GetCycleCount unless
    // a test puts a counter of its own in place.
    std::function<uint64_t()> Cycle_Source;

    void Cmd_start_Click();
    void Cmd_get_Click();
    void Cmd_end_Click();
    void Timer1_Timer();

protected:
    void Design() override;

private:
    // The counter as the program receives it: a fixed-point value with four
    // decimals, so the raw count stands for count / 10000.
    int64_t current_count();
    int64_t m_start_count = 0;
    uint32_t m_start_time = 0;
};

class Form_calibrate& Form_calibrate();

// A fixed-point value with four decimals (raw / 10000) as text: no trailing
// zeros, no point for a whole value.
std::string Fixed4_Text(int64_t raw);
