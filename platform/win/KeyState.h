#pragma once
// The key-state table: which virtual keys (Windows key codes) are down, and
// synthesised key strokes.
//
// On an X display the display server is asked: it knows what the keyboard
// and the mouse hold now, whichever window has the focus and whatever a
// message box swallowed. Without one (offscreen tests) the forms layer feeds
// a table from the application's events and clears it whenever focus moves
// or a modal window opens or closes; tests set keys directly.
#include <cstdint>

struct xcb_connection_t;

namespace win {

// 16-bit state of a virtual key: the high bit (0x8000) is set while it is down.
int16_t GetAsyncKeyState(int vk);
void set_key_down(int vk, bool down);
// Releases every key of the table (focus lost, a modal window, tests).
void clear_keys();

inline constexpr uint32_t KEYEVENTF_KEYUP = 2;
// A key press (flags 0) or release (KEYEVENTF_KEYUP) as if from the keyboard:
// on an X display it reaches the display server (XTest), which counts it as
// the operator's input (the screen saver's idle time starts again); without
// one it only moves the table.
void keybd_event(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra);

// The X display to ask and to send keys to (not owned; nullptr: none, the
// table answers). The connection must outlive its use here.
void set_x_connection(xcb_connection_t* connection);
bool has_x_connection();

} // namespace win
