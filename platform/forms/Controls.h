#pragma once
// Controls: members of their window, each a thin owner of one widget, with
// the properties and events the system uses under their usual names. Touching
// any property loads the window. Positions and sizes are in the scale of the
// window (twips unless it says pixels); colours are 0x00BBGGRR. Events are
// std::function members the window sets in its constructor.
#include "Form.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QObject;
class QWidget;

namespace forms {

class ControlFilter;

class Control {
public:
    // index >= 0 for an element of a control array.
    Control(Form* owner, std::string name, int32_t index = -1);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    int32_t Index() const { return index_; }
    Form& Parent() const { return *owner_; }
    std::string Tag;

protected:
    friend class Form;
    // Makes the widget (or object) on the window's client; the window is loading.
    virtual void create(QWidget* client) = 0;
    // The window's widgets are going; forget them.
    virtual void release() = 0;
    void ensure_loaded() const;
    Form* owner_;

private:
    std::string name_;
    int32_t index_;
};

// The part every visible control shares.
class WidgetControl : public Control {
public:
    using Control::Control;
    bool Enabled() const;
    void Enabled(bool e);
    bool Visible() const;
    void Visible(bool v);
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void Left(double v);
    void Top(double v);
    void Width(double v);
    void Height(double v);
    void Move(double left, double top, double width = -1, double height = -1);
    uint32_t ForeColor() const;
    void ForeColor(uint32_t c);
    uint32_t BackColor() const;
    void BackColor(uint32_t c);
    std::string ToolTipText() const;
    void ToolTipText(const std::string& t);
    std::string FontName() const;
    void FontName(const std::string& name);
    double FontSize() const;
    void FontSize(double points);
    bool FontBold() const;
    void FontBold(bool b);
    void SetFocus();
    void Refresh();
    hwnd_t hWnd() const;
    // Places the control inside a frame or picture box (design time).
    void Container(WidgetControl& container);

    // Button is vbLeftButton/vbRightButton/vbMiddleButton, Shift the
    // vbShiftMask/vbCtrlMask/vbAltMask bits, X and Y in the control's scale.
    std::function<void(int32_t Button, int32_t Shift, float X, float Y)> MouseDown, MouseMove, MouseUp;
    // A key went down while the control had the focus: KeyCode a virtual-key
    // code, Shift the mask bits. The control's own handling of the key follows.
    std::function<void(int32_t& KeyCode, int32_t Shift)> KeyDown;

protected:
    friend class ControlFilter;
    void create(QWidget* client) override;
    void release() override;
    virtual QWidget* make_widget(QWidget* parent) = 0;
    // A click or double click of the mouse on the widget itself.
    virtual void mouse_click() {}
    virtual void mouse_double_click() {}
    // Position or size changed by code.
    virtual void moved() {}
    // The scale of positions given to this control's children and events.
    virtual double pixels_to_scale(double px) const;
    virtual double scale_to_pixels(double v) const;
    double container_to_pixels(double v) const;
    double pixels_to_container(double px) const;
    QWidget* widget() const;
    // The widget without loading; nullptr when not loaded.
    QWidget* raw_widget() const { return w_; }

private:
    QWidget* w_ = nullptr;
    ControlFilter* filter_ = nullptr;
    WidgetControl* container_ = nullptr;
    uint32_t fore_ = 0x00000000, back_ = 0x00F0F0F0;
    bool back_set_ = false;
};

class Label : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    std::string Caption() const;
    void Caption(const std::string& text);
    // 0 left, 1 right, 2 centre.
    void Alignment(int32_t a);
    void WordWrap(bool on);
    std::function<void()> Click;

protected:
    QWidget* make_widget(QWidget* parent) override;
    void mouse_click() override {
        if (Click) Click();
    }
};

class CommandButton : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    std::string Caption() const;
    void Caption(const std::string& text);
    // Presses the button from code, as a click does.
    void Value(bool pressed);
    std::function<void()> Click;

protected:
    QWidget* make_widget(QWidget* parent) override;
};

enum CheckValues : int32_t { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

class CheckBox : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    std::string Caption() const;
    void Caption(const std::string& text);
    int32_t Value() const;
    // A change of value from code raises Click too, as the original does.
    void Value(int32_t v);
    std::function<void()> Click;

protected:
    QWidget* make_widget(QWidget* parent) override;
};

class OptionButton : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    std::string Caption() const;
    void Caption(const std::string& text);
    bool Value() const;
    // Setting True from code raises Click, as a click does; buttons in the
    // same container exclude each other.
    void Value(bool v);
    std::function<void()> Click;

protected:
    QWidget* make_widget(QWidget* parent) override;
};

// A frame has no scale of its own: the controls inside it are placed in
// twips, whatever the scale of its window, as the original does.
class Frame : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    std::string Caption() const;
    void Caption(const std::string& text);

protected:
    QWidget* make_widget(QWidget* parent) override;
    double pixels_to_scale(double px) const override;
    double scale_to_pixels(double v) const override;
};

class TextBox : public WidgetControl {
public:
    // A multi-line box wraps its lines and scrolls vertically.
    TextBox(Form* owner, std::string name, bool multi_line = false, int32_t index = -1);
    std::string Text() const;
    void Text(const std::string& t);
    bool Locked() const;
    void Locked(bool l);
    std::function<void()> Change;

protected:
    QWidget* make_widget(QWidget* parent) override;

private:
    bool multi_line_;
};

class ProgressBar : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    int32_t Min() const;
    void Min(int32_t v);
    int32_t Max() const;
    void Max(int32_t v);
    int32_t Value() const;
    void Value(int32_t v);

protected:
    QWidget* make_widget(QWidget* parent) override;
};

class Slider : public WidgetControl {
public:
    Slider(Form* owner, std::string name, bool vertical = false, int32_t index = -1);
    int32_t Min() const;
    void Min(int32_t v);
    int32_t Max() const;
    void Max(int32_t v);
    int32_t Value() const;
    // Setting the value from code raises Change only, never Scroll, as the
    // original does.
    void Value(int32_t v);
    int32_t SmallChange() const;
    void SmallChange(int32_t v);
    int32_t LargeChange() const;
    void LargeChange(int32_t v);
    // Scroll: the operator moved the slider; Change: its value changed.
    std::function<void()> Scroll, Change;

protected:
    QWidget* make_widget(QWidget* parent) override;

private:
    bool vertical_;
    bool from_code_ = false;
};

class Timer : public Control {
public:
    using Control::Control;
    bool Enabled() const;
    void Enabled(bool e);
    // Milliseconds; 0 stops the timer as the original does.
    int32_t Interval() const;
    void Interval(int32_t ms);
    std::function<void()> OnTimer; // the control's Timer event

protected:
    void create(QWidget* client) override;
    void release() override;

private:
    void apply();
    QObject* timer_ = nullptr;
    bool enabled_ = true;
    int32_t interval_ = 0;
};

// A menu or menu command. parent nullptr: a menu of the window's menu bar.
// The caption "-" makes a separator. A menu that other menus name as parent
// opens them as its submenu; its Click runs as it opens.
class Menu : public Control {
public:
    Menu(Form* owner, std::string name, Menu* parent, std::string caption, int32_t index = -1);
    std::string Caption() const;
    void Caption(const std::string& text);
    bool Checked() const;
    void Checked(bool c);
    bool Enabled() const;
    void Enabled(bool e);
    bool Visible() const;
    void Visible(bool v);
    // A key sequence such as "Ctrl+O"; empty for none.
    void Shortcut(const std::string& keys);
    // Runs the command as a click does.
    void Trigger();
    std::function<void()> Click;

protected:
    friend class Form;
    void create(QWidget* client) override;
    void release() override;

private:
    Menu* parent_;
    std::string caption_;
    std::string shortcut_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    bool has_children_ = false;
    QObject* menu_ = nullptr;   // QMenu when it has children
    QObject* action_ = nullptr; // its QAction
};

[[noreturn]] void missing_element(int32_t index);

// Elements of one control array, by index. A missing element raises run-time
// error 340 "Control array element 'n' doesn't exist".
template <class C> class ControlArray {
public:
    ControlArray(Form* owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    // Creates the element `index` (design time); extra arguments go to its constructor.
    template <class... A> C& Add(int32_t index, A&&... args) {
        auto c = std::make_unique<C>(owner_, name_, std::forward<A>(args)..., index);
        C& r = *c;
        items_[index] = std::move(c);
        return r;
    }
    C& operator()(int32_t index) const { return get(index); }
    C& operator[](int32_t index) const { return get(index); }
    bool Exists(int32_t index) const { return items_.count(index) != 0; }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    int32_t LBound() const { return items_.empty() ? 0 : items_.begin()->first; }
    int32_t UBound() const { return items_.empty() ? 0 : items_.rbegin()->first; }
    template <class F> void ForEach(F&& f) const {
        for (auto& [i, c] : items_)
            f(i, *c);
    }

private:
    C& get(int32_t index) const {
        auto it = items_.find(index);
        if (it == items_.end()) missing_element(index);
        return *it->second;
    }
    Form* owner_;
    std::string name_;
    std::map<int32_t, std::unique_ptr<C>> items_;
};

} // namespace forms
