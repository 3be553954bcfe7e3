// Processor clock, cycle counter and version text.
#include "OrvelGraphics.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace {

// The library needs no C++ run-time (it is linked without one): the
// monotonic clock is read straight from the C library.
int64_t monotonic_nanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The time-stamp counter where the processor has one; elsewhere nanoseconds
// of the monotonic clock, which count at a fixed rate just the same.
uint64_t read_cycle_counter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(monotonic_nanoseconds());
#endif
}

// The performance counter: the monotonic clock in nanoseconds.
int64_t perf_counter() {
    return monotonic_nanoseconds();
}

// Counts per second of perf_counter(); 0 when the system has no monotonic clock.
int64_t perf_frequency() {
    timespec resolution{};
    return clock_getres(CLOCK_MONOTONIC, &resolution) == 0 ? 1000000000 : 0;
}

} // namespace

float CPU_Speed() {
    const int64_t frequency = perf_frequency();
    if (frequency <= 0) return 0.0f;
    const uint64_t target = static_cast<uint64_t>(perf_counter()) + static_cast<uint64_t>(frequency);
    const uint64_t start = read_cycle_counter();
    while (static_cast<uint64_t>(perf_counter()) < target) {
    }
    const uint64_t end = read_cycle_counter();
    const double cycles =
        static_cast<double>(static_cast<int64_t>(end)) - static_cast<double>(static_cast<int64_t>(start));
    return static_cast<float>(cycles / 1000000.0);
}

uint64_t GetCycleCount() {
    return read_cycle_counter();
}

char* BlendVersion() {
    constexpr size_t kBlock = 64;
    char* block = static_cast<char*>(std::malloc(kBlock));
    if (block == nullptr) return nullptr;
    std::memset(block, 0, kBlock);
    std::memcpy(block, "Release ", 8);
    // The compiler pads a one-digit day with a second blank ("Jun  7 2007");
    // the text keeps single blanks between month, day and year.
    size_t n = 8;
    for (const char* p = __DATE__; *p != '\0' && n < kBlock - 1; ++p) {
        if (*p == ' ' && block[n - 1] == ' ') continue;
        block[n++] = *p;
    }
    return block;
}
