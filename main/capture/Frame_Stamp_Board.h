#pragma once
// The capture time and frame-event count of the last frame the capture
// object received, kept in one atomic word: a thread other than the capture
// object's (the control box's) reads both at once, from the same frame,
// without waiting for the window thread to finish the frame in work.
#include <atomic>
#include <chrono>
#include <cstdint>

class Frame_Stamp_Board {
public:
    struct Frame {
        int32_t capture_mill = 0;
        int32_t events = 0;
    };
    // A heat's start as the start signal took it: the local time of day and
    // the last frame at the contact, and when it was taken (for the benches).
    struct Start_Stamp {
        int32_t local_mill = 0;
        Frame frame;
        std::chrono::steady_clock::time_point taken;
    };

    void Publish(int32_t capture_mill, int32_t events) noexcept {
        m_word.store(static_cast<uint64_t>(static_cast<uint32_t>(capture_mill)) << 32 |
                         static_cast<uint32_t>(events),
                     std::memory_order_release);
    }
    Frame Read() const noexcept {
        const uint64_t w = m_word.load(std::memory_order_acquire);
        return {static_cast<int32_t>(static_cast<uint32_t>(w >> 32)),
                static_cast<int32_t>(static_cast<uint32_t>(w))};
    }

private:
    static_assert(std::atomic<uint64_t>::is_always_lock_free);
    std::atomic<uint64_t> m_word{0};
};
