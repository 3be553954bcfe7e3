#pragma once
// Conversions with the rules the program was written against: whole-number
// conversions round halves to the even neighbour, overflow raises error 6,
// text that is no number raises error 13.
#include <cstdint>
#include <string>
#include <string_view>

namespace vb {

// Rounds halves to even (2.5 -> 2, 3.5 -> 4), as every whole-number conversion does.
double RoundHalfEven(double v);

int16_t CInt(double v);
int16_t CInt(std::string_view text);
int32_t CLng(double v);
int32_t CLng(std::string_view text);
double CDbl(std::string_view text);
float CSng(std::string_view text);

// True when the text converts with CDbl (blanks around it allowed).
bool IsNumeric(std::string_view text);

// The leading number of a text: blanks are skipped anywhere, reading stops at
// the first character that cannot continue the number; "&H" and "&O" prefixes
// read hexadecimal and octal; no number gives 0.
double Val(std::string_view text);

// The decimal text of a number as the runtime prints it: whole values without
// a point, others with up to 15 significant digits and no trailing zeros.
std::string CStr(double v);
std::string CStr(int64_t v);
inline std::string CStr(int32_t v) {
    return CStr(static_cast<int64_t>(v));
}
inline std::string CStr(int16_t v) {
    return CStr(static_cast<int64_t>(v));
}
inline std::string CStr(uint32_t v) {
    return CStr(static_cast<int64_t>(v));
}
inline std::string CStr(const std::string& s) {
    return s;
}
inline std::string CStr(const char* s) {
    return s;
}
inline std::string CStr(std::string_view s) {
    return std::string(s);
}
std::string CStr(bool b); // "True" / "False"

// The numeric value of a Boolean flag: True is -1, False 0.
inline int16_t BoolNum(bool b) {
    return b ? -1 : 0;
}

// Formats a number with a simple pattern of "0" and "#" digits and an
// optional "." part ("00", "0000", "#0", "0.00"); the value is rounded
// half away from zero as the runtime's Format does.
std::string FormatNumber(double v, std::string_view pattern);

} // namespace vb
