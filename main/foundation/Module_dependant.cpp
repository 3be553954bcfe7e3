#include "Module_dependant.h"

#include "Dialogs.h"
#include "KeyState.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "WinSystem.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
    try {
        std::error_code ec;
        return fs::is_regular_file(path, ec);
    } catch (...) {
        forms::MsgBox("FileExists error! ");
        return false;
    }
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

void Kill_File(const std::string& path) {
    vb::Trap("Kill_File of Module Module_dependant", [&] {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) vb::Raise(vb::errFileNotFound, "File not found: " + path);
        // A read-only file goes as well: removal needs only the folder's permission here.
        if (!fs::remove(path, ec)) vb::Raise(vb::errPermissionDenied, "Permission denied: " + path);
    });
}

int64_t Get_File_Size(const std::string& path) {
    if (path.empty()) return 0;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) vb::Raise(vb::errFileNotFound, "File not found: " + path);
    return static_cast<int64_t>(size);
}

std::string Get_File_Extension(const std::string& file_name) {
    const int32_t dot = InStr_Rev(file_name, ".");
    return dot == 0 ? std::string() : vb::Mid(file_name, dot + 1);
}

std::string ParsePath(const std::string& path, int16_t selector, int32_t offset) {
    if (path.empty()) return {};
    try {
        int64_t sep = static_cast<int64_t>(path.size());
        while (sep > 0 && path[static_cast<size_t>(sep - 1)] != win::kPathSep)
            --sep;
        if (sep == 0) vb::Raise(vb::errInvalidProcedureCall, "No folder in path");
        if (selector == 16) return vb::Left(path, sep + offset);
        if (selector == 0) return vb::Mid(path, sep + 1);
        return path;
    } catch (const vb::VbError& e) {
        return e.description() + " *Error in ParsePath";
    }
}

std::string Get_Exe_Date() {
    if (!g_Compiled) return "Not compiled";
    return vb::GeneralDate(vb::ToLocal(fs::last_write_time(win::ProgramPath())));
}

std::string Get_System_Directory() {
    return win::GetSystemDirectory();
}
std::string Get_Computer_Name() {
    return win::GetComputerName();
}

uint32_t Get_Time_Mill() {
    return win::timeGetTime();
}
int32_t Get_Local_Mill() {
    return win::LocalMillisecondsOfDay();
}

void Do_Sleep(int32_t ms, bool let_events) {
    try {
        const uint32_t start = win::timeGetTime();
        if (ms <= 0) return;
        // Elapsed time as an unsigned difference stays right across the
        // timer's wrap every 49.7 days.
        while (win::timeGetTime() - start < static_cast<uint32_t>(ms)) {
            if (let_events) {
                vb::DoEvents();
                win::Sleep(3);
            } else {
                win::Sleep(10);
            }
        }
    } catch (...) {
        forms::MsgBox("Do_Sleep error");
    }
}

void Flush_DV_events() {
    try {
        for (int i = 0; i < 10; ++i) {
            win::Sleep(100);
            vb::DoEvents();
        }
    } catch (...) {
        forms::MsgBox("Flush_DV_events error ");
    }
}

std::string Display_Mill_Time(int32_t ms, bool trim) {
    std::string text;
    auto body = [&] {
        const bool negative = ms < 0;
        int64_t rest = std::llabs(static_cast<int64_t>(ms)) % 86400000;
        int64_t hours = rest / 3600000;
        rest %= 3600000;
        int64_t minutes = rest / 60000;
        rest %= 60000;
        int64_t seconds = rest / 1000;
        const int64_t millis = rest % 1000;
        int64_t hundredths = static_cast<int64_t>(vb::RoundHalfEven(static_cast<double>(millis) / 10.0));
        // 995 ms and more round to a whole second: carry it, so the field
        // never shows three digits.
        if (hundredths == 100) {
            hundredths = 0;
            if (++seconds == 60) {
                seconds = 0;
                if (++minutes == 60) {
                    minutes = 0;
                    // The last hundredth of a day carries into the next one,
                    // whose whole days are dropped too.
                    hours = (hours + 1) % 24;
                }
            }
        }
        std::string t;
        if (hours > 0) t = std::to_string(hours) + ":";
        t += vb::FormatNumber(static_cast<double>(minutes), "00") + ":" +
             vb::FormatNumber(static_cast<double>(seconds), "00") + "," +
             vb::FormatNumber(static_cast<double>(hundredths), "00");
        if (!trim) {
            text = (negative ? "-" : " ") + t;
            return;
        }
        while (t.size() >= 5 && (t[0] == '0' || t[0] == ':'))
            t.erase(0, 1);
        text = (negative ? "-" : "") + t;
    };
    if (!vb::TrappingEnabled()) {
        body();
        return text;
    }
    try {
        body();
    } catch (...) {
        forms::MsgBox("Display_Mill_Time error ");
    }
    return text;
}

std::string Display_Time_Of_Day(int32_t ms) {
    std::string text = Display_Mill_Time(ms, false).substr(0, 9);
    if (!text.empty() && text.back() == ',') text.pop_back();
    return text;
}

std::string Get_Date_Time_String() {
    return vb::FormatDate(vb::ToLocal(win::clock().wall_now()), "yyyy-mm-dd hh:nn:ss");
}

std::string Get_Date_String() {
    return vb::FormatDate(vb::ToLocal(win::clock().wall_now()), "YYYY-MM-DD");
}

std::string Bool_to_String(bool value) {
    return value ? "True" : "False";
}
bool String_to_Bool(const std::string& text) {
    return text == "True";
}
int16_t Is_Checked(const std::string& text) {
    return text == "Checked" ? 1 : 0;
}
int16_t Bool_to_Int(bool value) {
    return value ? 1 : 0;
}

std::string Bytes4_to_String(const uint8_t bytes[4]) {
    return vb::FromLatin1(std::string(reinterpret_cast<const char*>(bytes), 4));
}

std::string Long_to_String4(int32_t value) {
    uint8_t b[4];
    std::memcpy(b, &value, 4); // memory order, lowest byte first
    return Bytes4_to_String(b);
}

void String_to_Bytes(const std::string& text, uint8_t* list, size_t size) {
    if (text.empty()) return;
    const std::string bytes = vb::ToLatin1(text);
    // A text that does not fit is an error, never a silently blanked field.
    if (bytes.size() > size)
        vb::Raise(vb::errSubscriptOutOfRange, "Text of " + std::to_string(bytes.size()) +
                                                  " characters does not fit a list of " +
                                                  std::to_string(size));
    std::memset(list, 0, size);
    std::memcpy(list, bytes.data(), bytes.size());
}

void String_to_Bytes(const std::string& text, std::vector<uint8_t>& list) {
    String_to_Bytes(text, list.data(), list.size());
}

std::string Bytes_to_String(const uint8_t* bytes, size_t size) {
    // An empty array may have no storage at all, and memchr wants a real
    // address even for no bytes.
    if (size == 0) return {};
    const void* zero = std::memchr(bytes, 0, size);
    const size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : size;
    return vb::FromLatin1(std::string(reinterpret_cast<const char*>(bytes), n));
}

int32_t Find_Byte_Array(const std::vector<uint8_t>& list, const std::string& pattern, int32_t lower_bound) {
    const std::string p = vb::ToLatin1(pattern);
    if (list.empty() || p.empty()) return 0;
    const int64_t upper_bound = lower_bound + static_cast<int64_t>(list.size()) - 1;
    for (int64_t i = 1; i <= upper_bound - lower_bound; ++i) {
        const int64_t first = i - lower_bound; // position in the vector
        if (first < 0) continue;
        // A pattern that no longer fits before the end is simply not there.
        if (first + static_cast<int64_t>(p.size()) > static_cast<int64_t>(list.size())) return 0;
        if (std::memcmp(list.data() + first, p.data(), p.size()) == 0) return static_cast<int32_t>(i);
    }
    return 0;
}

std::string Fix_Path_Chars(std::string& text) {
    for (size_t i = 2; i < text.size(); ++i)
        if (text[i] == ':' || text[i] == '-' || text[i] == ',') text[i] = '_';
    return text;
}

int32_t InStr_Rev(const std::string& text, const std::string& sought, int32_t end_position,
                  vb::CompareMethod cmp) {
    const int64_t end = end_position < 1 ? static_cast<int64_t>(text.size()) : end_position;
    if (sought.empty()) return end > static_cast<int64_t>(text.size()) ? 0 : static_cast<int32_t>(end);
    if (end > static_cast<int64_t>(text.size()) || end == 0) return 0;
    return static_cast<int32_t>(vb::InStrRev(text, sought, end, cmp));
}

int32_t InStr_Last(int32_t start, const std::string& text, const std::string& sought, vb::CompareMethod cmp) {
    if (start < 1) start = 1;
    int32_t last = 0;
    int64_t pos = start;
    while (pos <= static_cast<int64_t>(text.size())) {
        const int64_t found = vb::InStr(pos, text, sought, cmp);
        if (found == 0) break;
        last = static_cast<int32_t>(found);
        pos = found + 1;
    }
    return last;
}

int32_t Min_Long(int32_t a, int32_t b) {
    return b < a ? b : a;
}
int32_t Min_Value(double a, double b) {
    return vb::CLng(b >= a ? a : b);
}
int32_t Max_Value(double a, double b) {
    return vb::CLng(b <= a ? a : b);
}
bool Is_Odd(int32_t v) {
    return v % 2 != 0;
}
int16_t Line_Field(int32_t line) {
    return Is_Odd(line) ? 1 : 2;
}
int32_t Half_Rounded(int32_t v) {
    return vb::CLng(static_cast<double>(v) / 2.0 + 0.4);
}

int32_t Round_To_Multiple(int32_t value, int16_t step) {
    if (step == 0) vb::Raise(vb::errDivisionByZero);
    return vb::CLng(vb::RoundHalfEven(static_cast<double>(value) / step) * step);
}

bool Key_Is_Down(int16_t vk) {
    return (win::GetAsyncKeyState(vk) & 0x8000) != 0;
}
bool Escape_Is_Down() {
    return Key_Is_Down(27);
}
bool Ctrl_Is_Down() {
    return Key_Is_Down(17);
}
bool Alt_Is_Down() {
    return Key_Is_Down(18);
}

int32_t First_Key_Down() {
    for (int vk = 1; vk <= 128; ++vk)
        if (Key_Is_Down(static_cast<int16_t>(vk))) return vk;
    return 0;
}

void Press_Shift_Key() {
    win::keybd_event(16, 0, 0, 0);
    win::keybd_event(16, 0, win::KEYEVENTF_KEYUP, 0);
}

namespace {

struct HslTables {
    std::array<int32_t, 256> percent{};
    std::array<float, 256> factor{};
    HslTables() {
        for (int i = 0; i < 256; ++i)
            percent[i] = vb::CLng(i * 100.0 / 255.0);
        for (int d = 1; d < 256; ++d)
            factor[d] = 60.0f / static_cast<float>(d);
    }
};

const HslTables& hsl_tables() {
    static const HslTables t;
    return t;
}

} // namespace

void RGB_to_HSL(int32_t colour, int32_t& hue, int32_t& saturation, int32_t& lightness) {
    const auto& t = hsl_tables();
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const int largest = std::max({r, g, b}), smallest = std::min({r, g, b});
    lightness = t.percent[static_cast<size_t>(largest)];
    if (largest == smallest) {
        hue = 0;
        saturation = 0;
        return;
    }
    const int diff = largest - smallest;
    saturation = vb::CLng(static_cast<double>(diff) * 100.0 / largest);
    const float factor = t.factor[static_cast<size_t>(diff)];
    double h;
    if (r == largest) {
        h = factor * static_cast<float>(g - b);
        if (b > g) h += 360;
    } else if (g == largest) {
        h = factor * static_cast<float>(b - r) + 120;
    } else {
        h = factor * static_cast<float>(r - g) + 240;
    }
    hue = vb::CLng(h);
}

bool Is_In_IDE() {
    const char* v = std::getenv("TIDEWICK_DEVELOPMENT");
    return v && std::strcmp(v, "1") == 0;
}

void Bubble_Sort(std::vector<std::string>& list) {
    if (list.size() < 2) return;
    size_t last = list.size() - 1;
    bool swapped = true;
    while (swapped && last > 0) {
        swapped = false;
        for (size_t i = 0; i < last; ++i) {
            if (list[i + 1] < list[i]) {
                std::swap(list[i], list[i + 1]);
                swapped = true;
            }
        }
        --last;
    }
}

bool Check_DV_Header(const uint8_t* frame) {
    if (!frame) return false;
    uint8_t head[10];
    std::memcpy(head, frame, sizeof head);
    return head[0] == 0x1F && head[1] == 0x07;
}

void Do_Nothing(const std::string&) {}
void Callback_Stub() {}
