#pragma once
// The general helpers that work on windows, the taskbar, fonts and printed
// text.
#include "Form.h"
#include "Gdi.h"
#include "PictureBox.h"

#include <cstdint>
#include <string>
#include <type_traits>

// Rounding of the helpers below: halves to even.
double vb_round(double v);

// Places the window above all windows that are not top-most.
void Set_TopMost(forms::hwnd_t hwnd);
// Removes the Close command of the window's system menu (and its close box).
void Remove_Close_Menu(forms::hwnd_t hwnd);
// Removes the Close item of the window's system menu. A non-zero revert
// resets the system menu to its default first (Close present again), and the
// removal then finds no menu to work on, as the system's call has it.
void Remove_Close_Item(forms::Form& window, int16_t revert);
// Greys (enable False) or enables the Close item of the window's system menu:
// 0 done or the item not found in the state asked from, -1 not a window.
int16_t Enable_Close_Button(forms::hwnd_t hwnd, bool enable);
// Whether a loaded window has that name, compared without regard to letter case.
bool IsLoaded(const std::string& form_name);
// Nonzero shows the taskbar; zero hides it and notes that the exit shows it
// again. The desktop's panels are not touched on this system.
void Show_Taskbar(int16_t show);
// The taskbar's state as the start-up check reads it.
std::string Get_Taskbar_State();
// A font of `size` points (height -size * dpi / 72, rounded), escapement angle x 10.
gdi::HFONT Create_Font_Pt(int16_t size, int32_t angle, int16_t italic, const std::string& face,
                          int32_t weight);
// Clears a picture box's drawing and shows it cleared.
void Clear_Picture(forms::PictureBox& picture);
// Synthesises Print Screen: the active window's picture goes to the clipboard.
void Snapshot_To_Clipboard();
// A small tool window at the left and top stored under its name ([windowpos]),
// and its left and top stored back there, with width and height 0.
void Move_To_Stored_Pos(forms::Form& window);
void Store_Left_Top(forms::Form& window);

template <class T> float Get_Right_Edge(T& item) {
    return static_cast<float>(item.Left() + item.Width());
}
template <class T> float Get_Bottom_Edge(T& item) {
    return static_cast<float>(item.Top() + item.Height());
}

void Show_Max_Font_Error();

// The largest Arial size from 110 down to 8, in steps of 2, at which the
// text fits the object's drawing area; 8 when none does. The object keeps
// that font.
template <class T> int16_t Max_Font(T& target, const std::string& text) {
    try {
        for (int16_t size = 110; size >= 8; size -= 2) {
            target.FontName("Arial");
            target.FontSize(size);
            const double w = vb_round(target.TextWidth(text)), h = vb_round(target.TextHeight(text));
            if (w < target.ScaleWidth() && h < target.ScaleHeight()) return size;
        }
        return 8;
    } catch (...) {
        Show_Max_Font_Error();
        return 0;
    }
}

// Prints the text in "Ms Sans Serif" 8 pt bold, wrapped to 90 % of the
// object's width: a line ends with the first character that reaches the
// limit, in the middle of a word if need be.
template <class T> void Print_Wrapped_Text(T& target, const std::string& text) {
    target.FontName("Ms Sans Serif");
    target.FontSize(8);
    target.FontBold(true);
    const double limit = vb_round(0.9 * target.ScaleWidth());
    if constexpr (std::is_base_of_v<forms::PictureBox, T>) Clear_Picture(target);
    std::string joined, rest = text;
    while (!rest.empty()) {
        std::string line;
        size_t used = 0;
        while (used < rest.size()) {
            line.push_back(rest[used++]);
            if (target.TextWidth(line) >= limit) break;
        }
        joined += line + "\n";
        rest.erase(0, used);
    }
    target.Print(joined);
}
