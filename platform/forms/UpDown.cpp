#include "UpDown.h"

#include "VbError.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace forms {

QWidget* UpDown::make_widget(QWidget* parent) {
    min_ = 0, max_ = 10, value_ = 0, increment_ = 1;
    wrap_ = false;
    auto* w = new QWidget(parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int direction : {1, -1}) {
        auto* b = new QToolButton(w);
        b->setObjectName(direction > 0 ? "up" : "down");
        b->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QToolButton::pressed, b, [this, direction] { step(direction); });
        layout->addWidget(b);
    }
    w->resize(17, 34);
    return w;
}

void UpDown::step(int32_t direction) {
    int64_t v = static_cast<int64_t>(value_) + static_cast<int64_t>(direction) * increment_;
    if (v > max_) v = wrap_ ? min_ : max_;
    if (v < min_) v = wrap_ ? max_ : min_;
    set(static_cast<int32_t>(v));
    fire(direction > 0 ? UpClick : DownClick);
}

void UpDown::set(int32_t v) {
    if (v == value_) return;
    value_ = v;
    fire(Change);
}

int32_t UpDown::Min() const {
    ensure_loaded();
    return min_;
}
void UpDown::Min(int32_t v) {
    ensure_loaded();
    min_ = v;
    if (value_ < min_) set(min_);
}
int32_t UpDown::Max() const {
    ensure_loaded();
    return max_;
}
void UpDown::Max(int32_t v) {
    ensure_loaded();
    max_ = v;
    if (value_ > max_) set(max_);
}
int32_t UpDown::Value() const {
    ensure_loaded();
    return value_;
}
void UpDown::Value(int32_t v) {
    ensure_loaded();
    if (v < min_ || v > max_) vb::Raise(vb::errInvalidPropertyValue);
    set(v);
}
int32_t UpDown::Increment() const {
    ensure_loaded();
    return increment_;
}
void UpDown::Increment(int32_t v) {
    ensure_loaded();
    if (v < 0) vb::Raise(vb::errInvalidPropertyValue);
    increment_ = v;
}
bool UpDown::Wrap() const {
    ensure_loaded();
    return wrap_;
}
void UpDown::Wrap(bool on) {
    ensure_loaded();
    wrap_ = on;
}

} // namespace forms
