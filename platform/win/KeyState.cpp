#include "KeyState.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace win {

namespace {

std::array<bool, 256> keys{};

// The X keysyms that stand for each virtual key the program asks about.
std::vector<uint32_t> keysyms_of(int vk) {
    if (vk >= 'A' && vk <= 'Z') return {uint32_t(vk - 'A' + 'a'), uint32_t(vk)};
    if (vk >= '0' && vk <= '9') return {uint32_t(vk)};
    if (vk >= 0x60 && vk <= 0x69) return {uint32_t(0xffb0 + vk - 0x60)};
    if (vk >= 0x70 && vk <= 0x87) return {uint32_t(0xffbe + vk - 0x70)};
    switch (vk) {
    case 8:
        return {0xff08};
    case 9:
        return {0xff09, 0xfe20};
    case 13:
        return {0xff0d, 0xff8d};
    case 16:
        return {0xffe1, 0xffe2};
    case 17:
        return {0xffe3, 0xffe4};
    case 18:
        return {0xffe9, 0xffea, 0xfe03};
    case 19:
        return {0xff13};
    case 20:
        return {0xffe5};
    case 27:
        return {0xff1b};
    case 32:
        return {0x20};
    case 33:
        return {0xff55};
    case 34:
        return {0xff56};
    case 35:
        return {0xff57};
    case 36:
        return {0xff50};
    case 37:
        return {0xff51};
    case 38:
        return {0xff52};
    case 39:
        return {0xff53};
    case 40:
        return {0xff54};
    case 44:
        return {0xff61};
    case 45:
        return {0xff63};
    case 46:
        return {0xffff};
    case 106:
        return {0xffaa};
    case 107:
        return {0xffab};
    case 109:
        return {0xffad};
    case 110:
        return {0xffae};
    case 111:
        return {0xffaf};
    case 144:
        return {0xff7f};
    case 145:
        return {0xff14};
    case 0xBB:
        return {'='};
    case 0xBC:
        return {','};
    case 0xBD:
        return {'-'};
    case 0xBE:
        return {'.'};
    case 0xBF:
        return {'/'};
    default:
        return {};
    }
}

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

struct XKeyboard {
    xcb_connection_t* conn = nullptr;
    // The key codes of each virtual key, from the server's keyboard map.
    std::array<std::vector<uint8_t>, 256> codes;
    // A poll of every key (the first key down, per frame) asks the server
    // once, not once per key: answers younger than this are reused.
    static constexpr std::chrono::milliseconds kFresh{5};
    std::chrono::steady_clock::time_point asked{};
    std::array<uint8_t, 32> keymap{};
    uint16_t buttons = 0;

    void load_map() {
        for (auto& c : codes)
            c.clear();
        const xcb_setup_t* setup = xcb_get_setup(conn);
        const uint8_t first = setup->min_keycode, last = setup->max_keycode;
        Reply<xcb_get_keyboard_mapping_reply_t> map(
            xcb_get_keyboard_mapping_reply(
                conn, xcb_get_keyboard_mapping(conn, first, uint8_t(last - first + 1)), nullptr),
            &std::free);
        if (!map) return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
        const int per = map->keysyms_per_keycode;
        const int count = xcb_get_keyboard_mapping_keysyms_length(map.get());
        for (int vk = 1; vk < 256; ++vk) {
            const auto wanted = keysyms_of(vk);
            if (wanted.empty()) continue;
            for (int i = 0; i < count; ++i)
                for (uint32_t w : wanted)
                    if (syms[i] == w) {
                        const auto code = uint8_t(first + i / per);
                        auto& list = codes[size_t(vk)];
                        if (std::find(list.begin(), list.end(), code) == list.end()) list.push_back(code);
                    }
        }
    }

    void ask() {
        const auto now = std::chrono::steady_clock::now();
        if (now - asked < kFresh) return;
        asked = now;
        const auto km_cookie = xcb_query_keymap(conn);
        const auto ptr_cookie =
            xcb_query_pointer(conn, xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root);
        Reply<xcb_query_keymap_reply_t> km(xcb_query_keymap_reply(conn, km_cookie, nullptr), &std::free);
        Reply<xcb_query_pointer_reply_t> ptr(xcb_query_pointer_reply(conn, ptr_cookie, nullptr), &std::free);
        keymap.fill(0);
        if (km) std::copy(std::begin(km->keys), std::end(km->keys), keymap.begin());
        buttons = ptr ? ptr->mask : 0;
    }

    bool down(int vk) {
        ask();
        switch (vk) {
        case 1:
            return buttons & XCB_KEY_BUT_MASK_BUTTON_1;
        case 2:
            return buttons & XCB_KEY_BUT_MASK_BUTTON_3;
        case 4:
            return buttons & XCB_KEY_BUT_MASK_BUTTON_2;
        default:
            break;
        }
        for (uint8_t code : codes[size_t(vk)])
            if (keymap[code / 8] & (1u << (code % 8))) return true;
        return false;
    }

    void send(int vk, bool press) {
        const auto& list = codes[size_t(vk)];
        if (list.empty()) return;
        xcb_test_fake_input(conn, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, list.front(), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
        xcb_flush(conn);
        asked = {};
    }
};

XKeyboard x;

} // namespace

int16_t GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    const bool down = x.conn ? x.down(vk) : keys[static_cast<size_t>(vk)];
    return down ? static_cast<int16_t>(0x8000) : 0;
}

void set_key_down(int vk, bool down) {
    if (vk >= 0 && vk <= 255) keys[static_cast<size_t>(vk)] = down;
}

void clear_keys() {
    keys.fill(false);
}

void keybd_event(uint8_t vk, uint8_t, uint32_t flags, uintptr_t) {
    const bool press = (flags & KEYEVENTF_KEYUP) == 0;
    if (x.conn)
        x.send(vk, press);
    else
        set_key_down(vk, press);
}

void set_x_connection(xcb_connection_t* connection) {
    x.conn = connection;
    x.asked = {};
    if (connection) x.load_map();
}

bool has_x_connection() {
    return x.conn != nullptr;
}

} // namespace win
