#pragma once
// Keys as the program knows them: Windows virtual-key codes, fed into the
// key-state table (win::GetAsyncKeyState) from the application's events.
#include <cstdint>

namespace forms {

// The virtual-key code of a Qt key (0 when it has none): letters 65-90,
// digits 48-57 (keypad digits 96-105), F1.. 112.., arrows 37-40, Escape 27,
// Return 13, Space 32, Shift 16, Ctrl 17, Alt 18, and the other keys the
// program tests.
int32_t VirtualKeyFromQt(int qt_key, bool keypad);

// Feeds the key-state table from every key and mouse-button event of the
// application (mouse buttons 1, 2 and 4); a lost activation of the
// application or of a window, and a modal window shown or hidden, release
// all. On an X display the key states are asked of the display server over
// the application's own connection instead. Calling it again does nothing.
void Install_Key_State_Feed();

} // namespace forms
