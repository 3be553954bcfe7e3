#include "Module_windows.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbString.h"

double vb_round(double v) {
    return vb::RoundHalfEven(v);
}

void Show_Max_Font_Error() {
    forms::MsgBox("Max_Font error! ");
}

void Set_TopMost(forms::hwnd_t hwnd) {
    if (forms::Form* f = forms::Form::FromHandle(hwnd)) f->TopMost(true);
}

void Remove_Close_Menu(forms::hwnd_t hwnd) {
    if (forms::Form* f = forms::Form::FromHandle(hwnd))
        f->CloseCommandState(forms::Form::CloseCommand::Removed);
}

void Remove_Close_Item(forms::Form& window, int16_t revert) {
    window.CloseCommandState(revert != 0 ? forms::Form::CloseCommand::Present
                                         : forms::Form::CloseCommand::Removed);
}

int16_t Enable_Close_Button(forms::hwnd_t hwnd, bool enable) {
    forms::Form* window = forms::Form::FromHandle(hwnd);
    if (!window) return -1;
    // The greyed item is kept under another identifier, so it is found only
    // in the state that the call changes from.
    using Close = forms::Form::CloseCommand;
    const Close from = enable ? Close::Greyed : Close::Present;
    if (window->CloseCommandState() != from) return 0;
    window->CloseCommandState(enable ? Close::Present : Close::Greyed);
    return 0;
}

bool IsLoaded(const std::string& form_name) {
    try {
        for (forms::Form* f : forms::Forms())
            if (vb::EqualsNoCase(f->Name(), form_name)) return true;
        return false;
    } catch (...) {
        forms::MsgBox("IsLoaded error");
        return false;
    }
}

void Show_Taskbar(int16_t show) {
    if (show == 0) g_Taskbar_Hidden = true;
}

std::string Get_Taskbar_State() {
    // A panel that keeps part of the screen for itself stays on top of the
    // windows (state 2); with none, nothing covers the picture (state 1).
    const int state = forms::Screen_Has_Reserved_Area() ? 2 : 1;
    switch (state) {
    case 0:
        return "TaskBar not in auto-hide or always-on-top mode";
    case 1:
        return "TaskBar is in auto-hide mode";
    case 2:
        return "TaskBar always-on-top mode";
    case 3:
        return "TaskBar is always-on-top and auto-hide modes";
    default:
        return "Unknown";
    }
}

gdi::HFONT Create_Font_Pt(int16_t size, int32_t angle, int16_t italic, const std::string& face,
                          int32_t weight) {
    // The multiply-divide rounds halves away from zero.
    const int64_t num = static_cast<int64_t>(size) * forms::Screen_Dpi_Y();
    const int32_t height = -static_cast<int32_t>((num >= 0 ? num + 36 : num - 36) / 72);
    return gdi::CreateFont(height, 0, angle * 10, 0, weight, italic != 0, false, false, 1, 0, 0, 2, 0, face);
}

void Clear_Picture(forms::PictureBox& picture) {
    picture.Cls();
    picture.Refresh();
}

void Snapshot_To_Clipboard() {
    if (forms::Form* f = forms::ActiveForm()) forms::Clipboard().SetData(f->Grab());
    Do_Sleep(500, true);
}

void Move_To_Stored_Pos(forms::Form& window) {
    int32_t left = 0, top = 0, width = 0, height = 0;
    Get_Form_Pos(window.Name(), left, top, width, height);
    window.Left(left);
    window.Top(top);
}

void Store_Left_Top(forms::Form& window) {
    Store_Form_Pos(window.Name(), static_cast<int32_t>(window.Left()), static_cast<int32_t>(window.Top()), 0,
                   0);
}
