#include "Controls.h"

#include "FormsInternal.h"
#include "GdiQt.h"
#include "Keys.h"
#include "Screen.h"
#include "VbError.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <cmath>

namespace forms {

void missing_element(int32_t index) {
    vb::Raise(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
}

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

// Mouse, key and focus events of one control's widget (and the widgets
// inside it), handed to the control. An event passed on from an inner widget
// to the outer one is raised once.
class ControlFilter : public QObject {
public:
    ControlFilter(QObject* parent, WidgetControl* c) : QObject(parent), control(c) {}
    WidgetControl* control;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        bool eat = false;
        if (control && o->isWidgetType() && !(e == last_ && e->type() == last_type_)) {
            detail::guarded([&] { eat = dispatch(static_cast<QWidget*>(o), e); });
            last_ = e;
            last_type_ = e->type();
        }
        return eat;
    }

private:
    const QEvent* last_ = nullptr;
    QEvent::Type last_type_ = QEvent::None;

    bool dispatch(QWidget* o, QEvent* e) {
        WidgetControl* c = control;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(e);
            QWidget* outer = c->raw_widget();
            const QPointF at = o == outer ? m->position() : QPointF(o->mapTo(outer, m->position().toPoint()));
            const int32_t shift = detail::shift_mask(static_cast<int>(m->modifiers()));
            const float x = static_cast<float>(c->pixels_to_scale(at.x()));
            const float y = static_cast<float>(c->pixels_to_scale(at.y()));
            if (!c->owner_->Raises_Events()) break;
            if (e->type() == QEvent::MouseButtonPress) {
                if (c->MouseDown) c->MouseDown(detail::button_number(m->button()), shift, x, y);
            } else if (e->type() == QEvent::MouseMove) {
                if (c->MouseMove)
                    c->MouseMove(detail::button_number(static_cast<int>(m->buttons())), shift, x, y);
            } else {
                if (c->MouseUp) c->MouseUp(detail::button_number(m->button()), shift, x, y);
                // The handler may have unloaded the window.
                if (control && o->rect().contains(m->position().toPoint())) control->mouse_click();
            }
            break;
        }
        case QEvent::MouseButtonDblClick:
            if (c->owner_->Raises_Events()) c->mouse_double_click();
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return key(static_cast<QKeyEvent*>(e));
        case QEvent::FocusIn:
            c->fire(c->GotFocus);
            break;
        case QEvent::FocusOut:
            c->fire(c->LostFocus);
            break;
        default:
            break;
        }
        return false;
    }

    // The window first when it previews keys, then the control; a code set
    // to 0 on the way keeps the key from the widget.
    bool key(QKeyEvent* k) {
        WidgetControl* c = control;
        Form& f = *c->owner_;
        if (!f.Raises_Events()) return false;
        const bool down = k->type() == QEvent::KeyPress;
        if (!down && k->isAutoRepeat()) return false;
        int32_t code = VirtualKeyFromQt(k->key(), (k->modifiers() & Qt::KeypadModifier) != 0);
        const int32_t shift = detail::shift_mask(static_cast<int>(k->modifiers()));
        if (code == 0) return false;
        if (f.KeyPreview()) {
            if (down)
                f.Form_KeyDown(code, shift);
            else
                f.Form_KeyUp(code, shift);
            if (code == 0 || !control) return true;
        }
        if (down && c->KeyDown) c->KeyDown(code, shift);
        if (!down && c->KeyUp) c->KeyUp(code, shift);
        if (code == 0 || !control) return true;
        int32_t ascii = down ? detail::key_ascii(*k) : 0;
        if (ascii == 0) return false;
        if (f.KeyPreview()) {
            f.Form_KeyPress(ascii);
            if (ascii == 0 || !control) return true;
        }
        if (c->KeyPress) c->KeyPress(ascii);
        return ascii == 0 || !control;
    }
};

// ---- Control ----

Control::Control(Form* owner, std::string name, int32_t index)
    : owner_(owner), name_(std::move(name)), index_(index) {
    owner_->add_control(this);
}

Control::~Control() {
    owner_->remove_control(this);
}

void Control::ensure_loaded() const {
    owner_->ensure_loaded();
}

void Control::fire(const std::function<void()>& event) const {
    if (event && owner_->Raises_Events()) detail::guarded(event);
}

// ---- WidgetControl ----

void WidgetControl::create(QWidget* client) {
    w_ = make_widget(client);
    // An element of a control array is found by its name and index.
    w_->setObjectName(Index() >= 0 ? qs(Name() + "(" + std::to_string(Index()) + ")") : qs(Name()));
    filter_ = new ControlFilter(w_, this);
    w_->installEventFilter(filter_);
    detail::mark_control_widget(w_);
    for (QWidget* inner : w_->findChildren<QWidget*>()) {
        inner->installEventFilter(filter_);
        inner->setMouseTracking(true);
    }
    w_->setMouseTracking(true);
    // A press on a control is that control's alone, never its frame's too.
    w_->setAttribute(Qt::WA_NoMousePropagation);
    container_ = nullptr;
    fore_ = 0;
    back_set_ = false;
    w_->show();
}

void WidgetControl::release() {
    if (w_) {
        w_->blockSignals(true);
        filter_->control = nullptr;
    }
    w_ = nullptr;
    filter_ = nullptr;
    container_ = nullptr;
}

void WidgetControl::destroy() {
    QWidget* w = w_;
    release();
    if (!w) return;
    w->hide();
    // The control may go from inside an event of its own widget.
    w->deleteLater();
}

QWidget* WidgetControl::widget() const {
    ensure_loaded();
    return w_;
}

double WidgetControl::container_to_pixels(double v) const {
    return container_ ? container_->scale_to_pixels(v) : owner_->ScaleToPixels(v);
}
double WidgetControl::pixels_to_container(double px) const {
    return container_ ? container_->pixels_to_scale(px) : owner_->PixelsToScale(px);
}
double WidgetControl::pixels_to_scale(double px) const {
    return pixels_to_container(px);
}
double WidgetControl::scale_to_pixels(double v) const {
    return container_to_pixels(v);
}

bool WidgetControl::Enabled() const {
    return !widget()->testAttribute(Qt::WA_ForceDisabled);
}
void WidgetControl::Enabled(bool e) {
    widget()->setEnabled(e);
}
bool WidgetControl::Visible() const {
    return !widget()->isHidden();
}
void WidgetControl::Visible(bool v) {
    widget()->setVisible(v);
}
double WidgetControl::Left() const {
    return pixels_to_container(widget()->x());
}
double WidgetControl::Top() const {
    return pixels_to_container(widget()->y());
}
double WidgetControl::Width() const {
    return pixels_to_container(widget()->width());
}
double WidgetControl::Height() const {
    return pixels_to_container(widget()->height());
}
void WidgetControl::Left(double v) {
    Move(v, Top(), Width(), Height());
}
void WidgetControl::Top(double v) {
    Move(Left(), v, Width(), Height());
}
void WidgetControl::Width(double v) {
    Move(Left(), Top(), v, Height());
}
void WidgetControl::Height(double v) {
    Move(Left(), Top(), Width(), v);
}

void WidgetControl::Move(double left, double top, double width, double height) {
    QWidget* w = widget();
    const auto px = [this](double v) { return static_cast<int>(std::lround(container_to_pixels(v))); };
    w->setGeometry(px(left), px(top), width < 0 ? w->width() : std::max(0, px(width)),
                   height < 0 ? w->height() : std::max(0, px(height)));
    moved();
}

namespace {

// A colour value as the window system paints it: a system colour
// (0x800000nn, nn the system's colour index) takes the application palette's
// colour of that role; any other value is 0x00BBGGRR.
QColor paint_colour(uint32_t c) {
    if ((c & 0x80000000u) == 0) return gdi::ToQColor(c & 0xFFFFFF);
    const QPalette pal = QApplication::palette();
    switch (c & 0xFF) {
    case 0x05: // window
        return pal.color(QPalette::Base);
    case 0x08: // window text
        return pal.color(QPalette::Text);
    case 0x0F: // button face
        return pal.color(QPalette::Button);
    case 0x12: // button text
        return pal.color(QPalette::ButtonText);
    default:
        return pal.color(QPalette::Window);
    }
}

// A system colour keeps its value: read back, the property gives what was set.
uint32_t stored_colour(uint32_t c) {
    return (c & 0x80000000u) ? c : c & 0xFFFFFF;
}

} // namespace

uint32_t WidgetControl::ForeColor() const {
    ensure_loaded();
    return fore_;
}

void WidgetControl::ForeColor(uint32_t c) {
    QWidget* w = widget();
    fore_ = stored_colour(c);
    QPalette p = w->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, paint_colour(c));
    w->setPalette(p);
}

uint32_t WidgetControl::BackColor() const {
    QWidget* w = widget();
    if (back_set_) return back_;
    return gdi::FromQColor(w->palette().color(QPalette::Window));
}

void WidgetControl::BackColor(uint32_t c) {
    QWidget* w = widget();
    back_ = stored_colour(c);
    back_set_ = true;
    QPalette p = w->palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(role, paint_colour(c));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

std::string WidgetControl::ToolTipText() const {
    return widget()->toolTip().toStdString();
}
void WidgetControl::ToolTipText(const std::string& t) {
    widget()->setToolTip(qs(t));
}
std::string WidgetControl::FontName() const {
    return widget()->font().family().toStdString();
}
void WidgetControl::FontName(const std::string& name) {
    QFont f = widget()->font();
    f.setFamily(qs(gdi::MapFontFamily(name)));
    w_->setFont(f);
}
double WidgetControl::FontSize() const {
    return widget()->font().pointSizeF();
}
void WidgetControl::FontSize(double points) {
    QFont f = widget()->font();
    f.setPointSizeF(points > 0 ? points : 8.25);
    w_->setFont(f);
}
bool WidgetControl::FontBold() const {
    return widget()->font().bold();
}
void WidgetControl::FontBold(bool b) {
    QFont f = widget()->font();
    f.setBold(b);
    w_->setFont(f);
}
bool WidgetControl::FontItalic() const {
    return widget()->font().italic();
}
void WidgetControl::FontItalic(bool b) {
    QFont f = widget()->font();
    f.setItalic(b);
    w_->setFont(f);
}
bool WidgetControl::FontUnderline() const {
    return widget()->font().underline();
}
void WidgetControl::FontUnderline(bool b) {
    QFont f = widget()->font();
    f.setUnderline(b);
    w_->setFont(f);
}
void WidgetControl::SetFocus() {
    widget()->setFocus();
}
void WidgetControl::Refresh() {
    widget()->repaint();
}
hwnd_t WidgetControl::hWnd() const {
    return reinterpret_cast<hwnd_t>(widget());
}

void WidgetControl::Container(WidgetControl& container) {
    QWidget* w = widget();
    QWidget* inside = container.widget();
    const double l = Left(), t = Top(), wd = Width(), h = Height();
    w->setParent(inside);
    container_ = &container;
    Move(l, t, wd, h);
    w->show();
}

// ---- Label ----

QWidget* Label::make_widget(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}
std::string Label::Caption() const {
    return static_cast<QLabel*>(widget())->text().toStdString();
}
void Label::Caption(const std::string& t) {
    static_cast<QLabel*>(widget())->setText(qs(t));
}
void Label::Alignment(int32_t a) {
    const Qt::Alignment h = a == 1 ? Qt::AlignRight : a == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    static_cast<QLabel*>(widget())->setAlignment(h | Qt::AlignTop);
}
void Label::WordWrap(bool on) {
    static_cast<QLabel*>(widget())->setWordWrap(on);
}

// ---- CommandButton ----

QWidget* CommandButton::make_widget(QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] { fire(Click); });
    return b;
}
std::string CommandButton::Caption() const {
    return static_cast<QPushButton*>(widget())->text().toStdString();
}
void CommandButton::Caption(const std::string& t) {
    static_cast<QPushButton*>(widget())->setText(qs(t));
}
void CommandButton::Value(bool pressed) {
    auto* b = static_cast<QPushButton*>(widget());
    if (pressed) b->click();
}
void CommandButton::Picture(const forms::Picture& picture) {
    auto* b = static_cast<QPushButton*>(widget());
    if (picture.IsNull()) {
        b->setIcon(QIcon());
        return;
    }
    b->setIcon(QIcon(QPixmap::fromImage(picture.image())));
    b->setIconSize(picture.image().size());
}

// ---- CheckBox ----

QWidget* CheckBox::make_widget(QWidget* parent) {
    auto* b = new QCheckBox(parent);
    // Every change of value raises Click, from the operator or from code, as in the original.
    QObject::connect(b, &QCheckBox::stateChanged, b, [this] { fire(Click); });
    return b;
}
std::string CheckBox::Caption() const {
    return static_cast<QCheckBox*>(widget())->text().toStdString();
}
void CheckBox::Caption(const std::string& t) {
    static_cast<QCheckBox*>(widget())->setText(qs(t));
}
int32_t CheckBox::Value() const {
    switch (static_cast<QCheckBox*>(widget())->checkState()) {
    case Qt::Checked:
        return vbChecked;
    case Qt::PartiallyChecked:
        return vbGrayed;
    default:
        return vbUnchecked;
    }
}
void CheckBox::Value(int32_t v) {
    if (v < vbUnchecked || v > vbGrayed) vb::Raise(vb::errInvalidPropertyValue);
    static_cast<QCheckBox*>(widget())->setCheckState(v == vbChecked  ? Qt::Checked
                                                     : v == vbGrayed ? Qt::PartiallyChecked
                                                                     : Qt::Unchecked);
}

// ---- OptionButton ----

QWidget* OptionButton::make_widget(QWidget* parent) {
    auto* b = new QRadioButton(parent);
    QObject::connect(b, &QRadioButton::toggled, b, [this](bool on) {
        if (on) fire(Click);
    });
    return b;
}
std::string OptionButton::Caption() const {
    return static_cast<QRadioButton*>(widget())->text().toStdString();
}
void OptionButton::Caption(const std::string& t) {
    static_cast<QRadioButton*>(widget())->setText(qs(t));
}
bool OptionButton::Value() const {
    return static_cast<QRadioButton*>(widget())->isChecked();
}
void OptionButton::Value(bool v) {
    static_cast<QRadioButton*>(widget())->setChecked(v);
}

// ---- Frame ----

QWidget* Frame::make_widget(QWidget* parent) {
    return new QGroupBox(parent);
}
std::string Frame::Caption() const {
    return static_cast<QGroupBox*>(widget())->title().toStdString();
}
void Frame::Caption(const std::string& t) {
    static_cast<QGroupBox*>(widget())->setTitle(qs(t));
}
double Frame::pixels_to_scale(double px) const {
    return px * kTwipsPerPixel;
}
double Frame::scale_to_pixels(double v) const {
    return v / kTwipsPerPixel;
}

// ---- TextBox ----

TextBox::TextBox(Form* owner, std::string name, bool multi_line, int32_t index)
    : WidgetControl(owner, std::move(name), index), multi_line_(multi_line) {}

QWidget* TextBox::make_widget(QWidget* parent) {
    if (multi_line_) {
        auto* t = new QPlainTextEdit(parent);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QObject::connect(t, &QPlainTextEdit::textChanged, t, [this] { fire(Change); });
        return t;
    }
    auto* t = new QLineEdit(parent);
    QObject::connect(t, &QLineEdit::textChanged, t, [this] { fire(Change); });
    return t;
}

std::string TextBox::Text() const {
    QWidget* w = widget();
    if (multi_line_) return static_cast<QPlainTextEdit*>(w)->toPlainText().toStdString();
    return static_cast<QLineEdit*>(w)->text().toStdString();
}

void TextBox::Text(const std::string& t) {
    QWidget* w = widget();
    if (multi_line_)
        static_cast<QPlainTextEdit*>(w)->setPlainText(qs(t));
    else
        static_cast<QLineEdit*>(w)->setText(qs(t));
}

bool TextBox::Locked() const {
    QWidget* w = widget();
    return multi_line_ ? static_cast<QPlainTextEdit*>(w)->isReadOnly()
                       : static_cast<QLineEdit*>(w)->isReadOnly();
}

void TextBox::Locked(bool l) {
    QWidget* w = widget();
    if (multi_line_)
        static_cast<QPlainTextEdit*>(w)->setReadOnly(l);
    else
        static_cast<QLineEdit*>(w)->setReadOnly(l);
}

// ---- ProgressBar ----

QWidget* ProgressBar::make_widget(QWidget* parent) {
    auto* p = new QProgressBar(parent);
    p->setTextVisible(false);
    p->setRange(0, 100);
    p->setValue(0);
    return p;
}
int32_t ProgressBar::Min() const {
    return static_cast<QProgressBar*>(widget())->minimum();
}
void ProgressBar::Min(int32_t v) {
    static_cast<QProgressBar*>(widget())->setMinimum(v);
}
int32_t ProgressBar::Max() const {
    return static_cast<QProgressBar*>(widget())->maximum();
}
void ProgressBar::Max(int32_t v) {
    static_cast<QProgressBar*>(widget())->setMaximum(v);
}
int32_t ProgressBar::Value() const {
    return static_cast<QProgressBar*>(widget())->value();
}
void ProgressBar::Value(int32_t v) {
    auto* p = static_cast<QProgressBar*>(widget());
    if (v < p->minimum() || v > p->maximum()) vb::Raise(vb::errInvalidPropertyValue);
    p->setValue(v);
}

// ---- Slider ----

Slider::Slider(Form* owner, std::string name, bool vertical, int32_t index)
    : WidgetControl(owner, std::move(name), index), vertical_(vertical) {}

QWidget* Slider::make_widget(QWidget* parent) {
    auto* s = new QSlider(vertical_ ? Qt::Vertical : Qt::Horizontal, parent);
    s->setRange(0, 10);
    s->setSingleStep(1);
    s->setPageStep(5);
    s->setTickPosition(QSlider::TicksBelow);
    from_code_ = false;
    QObject::connect(s, &QSlider::valueChanged, s, [this, s] {
        if (!from_code_) fire(Scroll);
        // While the thumb is held the value only scrolls; letting go changes it.
        if (from_code_ || !s->isSliderDown()) fire(Change);
    });
    QObject::connect(s, &QSlider::sliderPressed, s, [this, s] { pressed_at_ = s->value(); });
    QObject::connect(s, &QSlider::sliderReleased, s, [this, s] {
        if (s->value() != pressed_at_) fire(Change);
    });
    return s;
}
int32_t Slider::Min() const {
    return static_cast<QSlider*>(widget())->minimum();
}
void Slider::Min(int32_t v) {
    from_code_ = true;
    static_cast<QSlider*>(widget())->setMinimum(v);
    from_code_ = false;
}
int32_t Slider::Max() const {
    return static_cast<QSlider*>(widget())->maximum();
}
void Slider::Max(int32_t v) {
    from_code_ = true;
    static_cast<QSlider*>(widget())->setMaximum(v);
    from_code_ = false;
}
int32_t Slider::Value() const {
    return static_cast<QSlider*>(widget())->value();
}
void Slider::Value(int32_t v) {
    auto* s = static_cast<QSlider*>(widget());
    if (v < s->minimum() || v > s->maximum()) vb::Raise(vb::errInvalidPropertyValue);
    from_code_ = true;
    s->setValue(v);
    from_code_ = false;
}
int32_t Slider::SmallChange() const {
    return static_cast<QSlider*>(widget())->singleStep();
}
void Slider::SmallChange(int32_t v) {
    static_cast<QSlider*>(widget())->setSingleStep(v);
}
int32_t Slider::LargeChange() const {
    return static_cast<QSlider*>(widget())->pageStep();
}
void Slider::LargeChange(int32_t v) {
    static_cast<QSlider*>(widget())->setPageStep(v);
}

// ---- Timer ----

void Timer::create(QWidget* client) {
    auto* t = new QTimer(client);
    t->setTimerType(Qt::PreciseTimer);
    QObject::connect(t, &QTimer::timeout, t, [this] { fire(OnTimer); });
    timer_ = t;
    enabled_ = true;
    interval_ = 0;
    apply();
}

void Timer::release() {
    if (auto* t = qobject_cast<QTimer*>(timer_)) {
        t->stop();
        t->blockSignals(true);
    }
    timer_ = nullptr;
}

void Timer::destroy() {
    QObject* t = timer_;
    release();
    if (t) t->deleteLater();
}

void Timer::apply() {
    auto* t = qobject_cast<QTimer*>(timer_);
    if (!t) return;
    if (enabled_ && interval_ > 0)
        t->start(interval_);
    else
        t->stop();
}

bool Timer::Enabled() const {
    ensure_loaded();
    return enabled_;
}
void Timer::Enabled(bool e) {
    ensure_loaded();
    enabled_ = e;
    apply();
}
int32_t Timer::Interval() const {
    ensure_loaded();
    return interval_;
}
void Timer::Interval(int32_t ms) {
    ensure_loaded();
    if (ms < 0 || ms > 65535) vb::Raise(vb::errInvalidPropertyValue);
    interval_ = ms;
    apply();
}

// ---- Menu ----

Menu::Menu(Form* owner, std::string name, Menu* parent, std::string caption, int32_t index)
    : Control(owner, std::move(name), index), parent_(parent), caption_(std::move(caption)) {
    if (parent_) parent_->has_children_ = true;
}

void Menu::create(QWidget*) {
    checked_ = false;
    enabled_ = visible_ = true;
    shortcut_.clear();
    QAction* a = nullptr;
    QMenu* m = nullptr;
    QWidget* host = parent_ ? static_cast<QWidget*>(qobject_cast<QMenu*>(parent_->menu_))
                            : static_cast<QWidget*>(detail::menu_bar_of(*owner_));
    if (!host) return;
    if (has_children_) {
        m = new QMenu(qs(caption_), host);
        if (auto* bar = qobject_cast<QMenuBar*>(host))
            bar->addMenu(m);
        else
            static_cast<QMenu*>(host)->addMenu(m);
        a = m->menuAction();
        // Opening a menu is its click.
        QObject::connect(m, &QMenu::aboutToShow, m, [this] { fire(Click); });
    } else {
        a = new QAction(qs(caption_), host);
        host->addAction(a);
        a->setSeparator(caption_ == "-");
        QObject::connect(a, &QAction::triggered, a, [this] {
            // The original never toggles a check mark by itself; the command does.
            if (auto* act = qobject_cast<QAction*>(action_)) act->setChecked(checked_);
            fire(Click);
        });
    }
    menu_ = m;
    action_ = a;
}

void Menu::release() {
    if (action_) action_->blockSignals(true);
    if (menu_) menu_->blockSignals(true);
    menu_ = nullptr;
    action_ = nullptr;
}

void Menu::destroy() {
    QObject* a = menu_ ? menu_ : action_;
    release();
    if (a) a->deleteLater();
}

std::string Menu::Caption() const {
    ensure_loaded();
    return caption_;
}

void Menu::Caption(const std::string& text) {
    ensure_loaded();
    caption_ = text;
    if (auto* a = qobject_cast<QAction*>(action_)) {
        a->setText(qs(text));
        a->setSeparator(!has_children_ && text == "-");
    }
}

bool Menu::Checked() const {
    ensure_loaded();
    return checked_;
}

void Menu::Checked(bool c) {
    ensure_loaded();
    checked_ = c;
    if (auto* a = qobject_cast<QAction*>(action_)) {
        a->setCheckable(c || a->isCheckable());
        a->setChecked(c);
    }
}

bool Menu::Enabled() const {
    ensure_loaded();
    return enabled_;
}

void Menu::Enabled(bool e) {
    ensure_loaded();
    enabled_ = e;
    if (auto* a = qobject_cast<QAction*>(action_)) a->setEnabled(e);
}

bool Menu::Visible() const {
    ensure_loaded();
    return visible_;
}

void Menu::Visible(bool v) {
    ensure_loaded();
    visible_ = v;
    if (auto* a = qobject_cast<QAction*>(action_)) a->setVisible(v);
}

void Menu::Shortcut(const std::string& keys) {
    ensure_loaded();
    shortcut_ = keys;
    if (auto* a = qobject_cast<QAction*>(action_)) a->setShortcut(QKeySequence(qs(keys)));
}

void Menu::Trigger() {
    ensure_loaded();
    if (has_children_) {
        fire(Click);
    } else if (auto* a = qobject_cast<QAction*>(action_)) {
        if (a->isEnabled()) a->trigger();
    }
}

} // namespace forms
