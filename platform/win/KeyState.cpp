#include "KeyState.h"

#include <array>
#include <cstddef>

namespace win {

namespace {
std::array<bool, 256> keys{};
}

int16_t GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    return keys[static_cast<size_t>(vk)] ? static_cast<int16_t>(0x8000) : 0;
}

void set_key_down(int vk, bool down) {
    if (vk >= 0 && vk <= 255) keys[static_cast<size_t>(vk)] = down;
}

void clear_keys() {
    keys.fill(false);
}

} // namespace win
