#pragma once
// The key-state table: which virtual keys (Windows key codes) are down. The
// forms layer feeds it from the application's key and mouse events; tests set
// keys directly.
#include <cstdint>

namespace win {

// 16-bit state of a virtual key: the high bit (0x8000) is set while it is down.
int16_t GetAsyncKeyState(int vk);
void set_key_down(int vk, bool down);
// Releases every key (focus lost, tests).
void clear_keys();

} // namespace win
