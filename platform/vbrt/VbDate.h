#pragma once
// Dates and times of the local clock, and the two date formats the program
// writes: the system's general date format and explicit patterns.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vb {

struct LocalDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The present local date and time.
LocalDateTime Now();
LocalDateTime ToLocal(std::chrono::system_clock::time_point tp);
// A file's time stamp in local time.
LocalDateTime ToLocal(std::filesystem::file_time_type ft);

// The system's general date format; on this system "yyyy-mm-dd hh:nn:ss".
std::string GeneralDate(const LocalDateTime& t);
inline std::string GeneralDateNow() {
    return GeneralDate(Now());
}

// Pattern letters: yyyy, yy, mm (month, or minutes right after "h" or before
// "s"), nn, dd, hh, ss; letters in either case; anything else is copied.
std::string FormatDate(const LocalDateTime& t, std::string_view pattern);

} // namespace vb
