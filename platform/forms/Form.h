#pragma once
// Windows as the system's code knows them. A window class derives from Form,
// declares its controls as members and its event procedures as overrides.
// Its program-wide accessor, a function named as the window, returns the one
// instance (see Instance()). Creating the instance loads nothing; touching
// Visible, Caption, the size, a control or any other built-in property loads
// the window: its widgets are built, Design() places the controls, then
// Form_Load runs. Unload runs Form_QueryUnload and Form_Unload, destroys the
// widgets and keeps the instance with its plain member variables.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QMenuBar;

namespace forms {
class Form;
Form* ActiveForm();
namespace detail {
QMenuBar* menu_bar_of(Form& form);
}
} // namespace forms

namespace forms {

class Control;
class ControlFilter;
template <class C> class ControlArray;
class Menu;
class Picture;
class FormWindow;
class ClientWidget;

enum WindowStates : int32_t { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum ShowModes : int32_t { vbModeless = 0, vbModal = 1 };
enum QueryUnloadModes : int32_t {
    vbFormControlMenu = 0,
    vbFormCode = 1,
    vbAppWindows = 2,
    vbAppTaskManager = 3
};
enum MouseButtons : int32_t { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftMasks : int32_t { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
enum ScaleModes : int32_t { vbTwips = 1, vbPixels = 3 };

// Window handles as the program passes them around: an opaque number.
using hwnd_t = std::intptr_t;

class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The window's name as the program knows it ("QFN_error_form").
    const std::string& Name() const { return name_; }
    bool IsLoaded() const { return loaded_; }

    // Builds the widgets and runs Form_Load; nothing when already loaded or loading.
    void Load();
    // Asks Form_QueryUnload and Form_Unload (with vbFormCode); returns false
    // when one of them cancelled. Nothing happens when not loaded.
    bool Unload();
    // Loads when needed and shows; vbModal returns once the window is hidden or unloaded.
    void Show(int32_t modal = vbModeless);
    void Hide();

    bool Visible();
    void Visible(bool v);
    std::string Caption();
    void Caption(const std::string& text);
    bool Enabled();
    void Enabled(bool e);
    // Outer position and size in twips.
    int32_t Left();
    int32_t Top();
    int32_t Width();
    int32_t Height();
    void Left(int32_t v);
    void Top(int32_t v);
    void Width(int32_t v);
    void Height(int32_t v);
    void Move(int32_t left, int32_t top, int32_t width, int32_t height);
    // Inner size in the window's scale (twips unless ScaleMode says pixels).
    double ScaleWidth();
    double ScaleHeight();
    int32_t ScaleMode();
    void ScaleMode(int32_t mode);
    int32_t WindowState();
    void WindowState(int32_t state);
    uint32_t BackColor();
    void BackColor(uint32_t color);
    hwnd_t hWnd();
    // Keeps the window above all windows that are not top-most.
    void TopMost(bool on);
    // The Close command of the window's system menu: present, greyed (the
    // close box does nothing) or removed (no close box at all).
    enum class CloseCommand { Present, Greyed, Removed };
    CloseCommand CloseCommandState() const { return close_command_; }
    void CloseCommandState(CloseCommand state);
    // The window's title bar with its caption and buttons; off, the window is
    // a bare rectangle (the caption style bits of the original).
    bool TitleBar();
    void TitleBar(bool on);
    void SetFocus();
    void Refresh();
    // Shows a menu of this window at the mouse pointer and returns when it closes.
    void PopupMenu(Menu& menu);
    // What the window shows now, for pictures of it.
    Picture Grab();
    // The window as the screen shows it, with the frame and title bar that a
    // window manager draws around it (taken from the screen, so whatever lies
    // over the window shows too); where nothing frames it, Grab().
    Picture Grab_With_Frame();
    // With KeyPreview the window's key events run before those of the
    // control that has the focus; a KeyCode or KeyAscii set to 0 there stops
    // the key.
    bool KeyPreview() const { return key_preview_; }
    void KeyPreview(bool on) { key_preview_ = on; }
    // The window's controls, in the order they were made (its Controls collection).
    const std::vector<Control*>& Controls() const { return controls_; }
    // Whether control events reach the window's procedures now: not while
    // the window is laid out (Design), as values set at design time raise none.
    bool Raises_Events() const { return loaded_ && !designing_; }

    // Scale conversions of this window (pixels <-> its scale).
    double PixelsToScale(double px);
    int ScaleToPixels(double v);

    // Whether windows can be made in this process (a Qt application with
    // widgets runs); Load raises error 429 otherwise.
    static bool Windows_Available();

    // The window of a handle among the loaded windows; nullptr when none.
    static Form* FromHandle(hwnd_t h);

protected:
    // Places and sets up the controls; runs right after the widgets exist.
    virtual void Design() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    // Set Cancel to a non-zero value to keep the window.
    virtual void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
        (void)Cancel;
        (void)UnloadMode;
    }
    virtual void Form_Unload(int32_t& Cancel) { (void)Cancel; }
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    virtual void Form_MouseDown(int32_t Button, int32_t Shift, float X, float Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void Form_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void Form_MouseUp(int32_t Button, int32_t Shift, float X, float Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    // KeyCode is a virtual key code.
    virtual void Form_KeyDown(int32_t& KeyCode, int32_t Shift) { (void)KeyCode, (void)Shift; }
    virtual void Form_KeyUp(int32_t& KeyCode, int32_t Shift) { (void)KeyCode, (void)Shift; }
    // KeyAscii is the character's code.
    virtual void Form_KeyPress(int32_t& KeyAscii) { (void)KeyAscii; }

    // Loads when needed; every built-in property starts with it.
    void ensure_loaded();

private:
    friend class Control;
    friend class Menu;
    friend class FormWindow;
    friend class ClientWidget;
    friend QMenuBar* detail::menu_bar_of(Form&);
    friend class ControlFilter;
    template <class C> friend class ControlArray;
    // A control made after the window loaded (a new control array element):
    // its widget is built at once.
    void create_late(Control* c);
    friend Form* ActiveForm();
    friend void Return_Focus(Form* opener);
    void add_control(Control* c);
    void remove_control(Control* c);
    // The client widget controls are placed on (loads first).
    QWidget* client();
    FormWindow* window();
    // Runs the unload events; on success destroys the widgets.
    bool unload_with(int32_t mode);
    void destroy_widgets();
    void sync_client();

    std::string name_;
    bool loaded_ = false;
    bool loading_ = false;
    bool designing_ = false;
    bool key_preview_ = false;
    int32_t scale_mode_ = vbTwips;
    FormWindow* window_ = nullptr;
    std::vector<Control*> controls_;
    CloseCommand close_command_ = CloseCommand::Present;
    int flags_with_title_ = 0;
};

// The loaded windows, in the order they were loaded.
std::vector<Form*> Forms();
// The loaded window that has the focus; nullptr when none has.
Form* ActiveForm();
// Lets go of any keyboard or mouse grab a widget of the program holds (a
// slider dragged, a button held), so that a box or a report window shown
// now takes the operator's input and none is left behind it.
void Release_Input_Grabs();
// Gives the focus back to a window that opened a box or a report, when it
// is still loaded and shown.
void Return_Focus(Form* opener);

// Test doubles of the nested loops: with a modal hook, Show(vbModal) shows
// the window and runs the hook instead of waiting (the hook answers the window
// as the operator would); with a pop-up hook, PopupMenu asks the hook which
// command of the menu runs (nullptr: the menu was dismissed). An empty
// function restores the window system's own.
void set_modal_hook(std::function<void(Form&)> hook);
void set_popup_hook(std::function<Menu*(Form&, Menu&)> hook);

// The one instance of a window class, created at first use and never
// destroyed; the accessor of a window is a function named as the window
// returning Instance<ItsClass>(). Creating it loads nothing, so the accessor
// may be called again while the window loads.
template <class F> F& Instance() {
    static F* instance = new F();
    return *instance;
}

} // namespace forms
