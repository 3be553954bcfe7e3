#include "VbDate.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace vb {

LocalDateTime ToLocal(std::chrono::system_clock::time_point tp) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(tp.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    int rem = static_cast<int>(ms % 1000);
    if (rem < 0) {
        rem += 1000;
        --secs;
    }
    std::tm tm{};
    localtime_r(&secs, &tm);
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, rem};
}

LocalDateTime ToLocal(std::filesystem::file_time_type ft) {
    return ToLocal(std::chrono::file_clock::to_sys(ft));
}

LocalDateTime Now() {
    return ToLocal(std::chrono::system_clock::now());
}

std::string GeneralDate(const LocalDateTime& t) {
    return FormatDate(t, "yyyy-mm-dd hh:nn:ss");
}

std::string FormatDate(const LocalDateTime& t, std::string_view p) {
    std::string out;
    auto two = [&](int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", v);
        out += b;
    };
    auto lower_at = [&](size_t i) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(p[i])));
    };
    auto run_at = [&](size_t i, char c) {
        size_t n = 0;
        while (i + n < p.size() && lower_at(i + n) == c)
            ++n;
        return n;
    };
    bool after_hour = false;
    for (size_t i = 0; i < p.size();) {
        const char c = lower_at(i);
        const size_t n = run_at(i, c);
        if (c == 'y' && n >= 4) {
            char b[8];
            std::snprintf(b, sizeof b, "%04d", t.year);
            out += b;
            i += 4;
        } else if (c == 'y' && n >= 2) {
            two(t.year % 100);
            i += 2;
        } else if (c == 'm' && n >= 2) {
            // "mm" right after an hour or before seconds means minutes.
            size_t j = i + 2;
            while (j < p.size() && !std::isalpha(static_cast<unsigned char>(p[j])))
                ++j;
            const bool before_sec = j < p.size() && lower_at(j) == 's';
            two(after_hour || before_sec ? t.minute : t.month);
            after_hour = false;
            i += 2;
        } else if (c == 'n' && n >= 2) {
            two(t.minute);
            i += 2;
        } else if (c == 'd' && n >= 2) {
            two(t.day);
            i += 2;
        } else if (c == 'h' && n >= 2) {
            two(t.hour);
            after_hour = true;
            i += 2;
        } else if (c == 's' && n >= 2) {
            two(t.second);
            i += 2;
        } else {
            out.push_back(p[i]);
            ++i;
        }
    }
    return out;
}

} // namespace vb
