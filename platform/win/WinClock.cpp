#include "WinClock.h"

#include <ctime>
#include <thread>

namespace win {

namespace {

uint32_t TimerValue(std::chrono::steady_clock::time_point t) {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}

class RealClock : public Clock {
public:
    uint32_t time_get_time() override { return TimerValue(std::chrono::steady_clock::now()); }
    uint32_t time_get_time_before(std::chrono::microseconds ago) override {
        return TimerValue(std::chrono::steady_clock::now() - ago);
    }
    int64_t performance_counter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    int64_t performance_frequency() override { return 1000000000; }
    void sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::chrono::system_clock::time_point wall_now() override { return std::chrono::system_clock::now(); }
};

RealClock real_clock;
Clock* current = &real_clock;

} // namespace

Clock& clock() {
    return *current;
}
void set_clock(Clock* c) {
    current = c ? c : &real_clock;
}

uint32_t timeGetTime() {
    return current->time_get_time();
}
uint32_t timeGetTimeBefore(std::chrono::microseconds ago) {
    return current->time_get_time_before(ago);
}
int64_t QueryPerformanceCounter() {
    return current->performance_counter();
}
int64_t QueryPerformanceFrequency() {
    return current->performance_frequency();
}
void Sleep(uint32_t ms) {
    current->sleep(ms);
}

int32_t LocalMillisecondsOfDay() {
    const auto now = current->wall_now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    return tm.tm_hour * 3600000 + tm.tm_min * 60000 + tm.tm_sec * 1000 + static_cast<int32_t>(ms % 1000);
}

} // namespace win
