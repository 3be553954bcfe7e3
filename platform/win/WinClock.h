#pragma once
// Clocks and waits. One clock serves the whole program; tests install a fake
// one whose time moves only when told (or when something sleeps on it).
#include <chrono>
#include <cstdint>

namespace win {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic clock, wrapping at 2^32 as the multimedia timer does.
    virtual uint32_t time_get_time() = 0;
    // The timer's value `ago` before now on the system's monotonic clock: when
    // something happened that another layer saw and timed (a camera frame
    // that waited in the capture library's queue).
    virtual uint32_t time_get_time_before(std::chrono::microseconds ago) = 0;
    // High-resolution counter and its frequency in counts per second.
    virtual int64_t performance_counter() = 0;
    virtual int64_t performance_frequency() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // The present wall-clock time (for local times of day and dates).
    virtual std::chrono::system_clock::time_point wall_now() = 0;
};

// The installed clock (the real one unless a test installed another).
Clock& clock();
// Installs `c` (not owned); nullptr restores the real clock.
void set_clock(Clock* c);

// A clock for tests: time stands still until advanced; sleep advances it.
class FakeClock : public Clock {
public:
    explicit FakeClock(uint32_t start_ms = 0) : ms_(start_ms) {}
    uint32_t time_get_time() override { return ms_; }
    // Its time does not run with the real one: a wait timed on the real clock
    // does not show on it.
    uint32_t time_get_time_before(std::chrono::microseconds) override { return time_get_time(); }
    int64_t performance_counter() override { return static_cast<int64_t>(total_) * 1000; }
    int64_t performance_frequency() override { return 1000000; }
    void sleep(uint32_t ms) override { advance(ms); }
    std::chrono::system_clock::time_point wall_now() override {
        return wall_ + std::chrono::milliseconds(total_);
    }
    void advance(uint32_t ms) {
        ms_ += ms; // wraps like the real timer
        total_ += ms;
    }
    void set_wall(std::chrono::system_clock::time_point t) { wall_ = t; }

private:
    uint32_t ms_;
    uint64_t total_ = 0;
    std::chrono::system_clock::time_point wall_{};
};

uint32_t timeGetTime();
uint32_t timeGetTimeBefore(std::chrono::microseconds ago);
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();
void Sleep(uint32_t ms);
// Milliseconds since local midnight.
int32_t LocalMillisecondsOfDay();

} // namespace win
