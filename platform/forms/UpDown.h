#pragma once
// An up-down control: two arrow buttons that step a value between Min and
// Max by Increment. A press steps at once (and again while held); the value
// set from code raises Change too, as any change does.
#include "Controls.h"

#include <cstdint>
#include <functional>

namespace forms {

class UpDown : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    int32_t Min() const;
    void Min(int32_t v);
    int32_t Max() const;
    void Max(int32_t v);
    int32_t Value() const;
    // Values outside Min..Max raise error 380.
    void Value(int32_t v);
    int32_t Increment() const;
    void Increment(int32_t v);
    // Past Max the value goes on at Min and back (off: it stops at the ends).
    bool Wrap() const;
    void Wrap(bool on);

    std::function<void()> Change, UpClick, DownClick;

protected:
    QWidget* make_widget(QWidget* parent) override;

private:
    void step(int32_t direction);
    void set(int32_t v);
    int32_t min_ = 0, max_ = 10, value_ = 0, increment_ = 1;
    bool wrap_ = false;
};

} // namespace forms
