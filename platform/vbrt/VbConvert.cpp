#include "VbConvert.h"

#include "VbError.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vb {

double RoundHalfEven(double v) {
    // nearbyint follows the current rounding mode; the program never changes
    // it from round-to-nearest-even, but make the choice explicit here.
    const int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (old != FE_TONEAREST) std::fesetround(old);
    return r;
}

namespace {

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool parse_number(std::string_view text, double& out) {
    std::string_view s = trim_blanks(text);
    if (s.empty()) return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        std::string digits(s.substr(2));
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(digits.c_str(), &end, base);
        if (end == digits.c_str() || *end != '\0' || errno == ERANGE) return false;
        out = static_cast<double>(v);
        return true;
    }
    std::string buf(s);
    // strtod takes "inf", "nan" and hex floats; the runtime takes none of them.
    for (char c : buf) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' ||
              c == 'E'))
            return false;
    }
    char* end = nullptr;
    const double v = std::strtod(buf.c_str(), &end);
    if (end == buf.c_str() || *end != '\0') return false;
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

template <class T> T whole(double v) {
    if (std::isnan(v)) Raise(errOverflow);
    const double r = RoundHalfEven(v);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        Raise(errOverflow);
    return static_cast<T>(r);
}

} // namespace

int16_t CInt(double v) {
    return whole<int16_t>(v);
}
int32_t CLng(double v) {
    return whole<int32_t>(v);
}

double CDbl(std::string_view text) {
    double v = 0;
    if (!parse_number(text, v)) Raise(errTypeMismatch);
    return v;
}

float CSng(std::string_view text) {
    const double v = CDbl(text);
    if (std::fabs(v) > std::numeric_limits<float>::max()) Raise(errOverflow);
    return static_cast<float>(v);
}

int16_t CInt(std::string_view text) {
    return CInt(CDbl(text));
}
int32_t CLng(std::string_view text) {
    return CLng(CDbl(text));
}

bool IsNumeric(std::string_view text) {
    double v;
    return parse_number(text, v);
}

double Val(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
    if (s.size() >= 2 && s[0] == '&') {
        const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        const int base = k == 'H' ? 16 : k == 'O' ? 8 : 0;
        if (base == 0) return 0;
        size_t i = 2;
        long long v = 0;
        while (i < s.size()) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0 || d >= base) break;
            v = v * base + d;
            if (v > 0xFFFFFFFFLL) break;
            ++i;
        }
        // "&HFFFF" reads as the 16-bit value -1, as the runtime does.
        if (v <= 0xFFFF) return static_cast<double>(static_cast<int16_t>(v));
        return static_cast<double>(static_cast<int32_t>(v));
    }
    // Longest prefix of the form [sign]digits[.digits][(e|E)[sign]digits].
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const size_t digits_start = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
    }
    if (i == digits_start || (i == digits_start + 1 && s[digits_start] == '.')) return 0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const size_t exp_digits = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            ++j;
        if (j > exp_digits) {
            s[i] = 'e';
            end = j;
        }
    }
    return std::strtod(s.substr(0, end).c_str(), nullptr);
}

std::string CStr(int64_t v) {
    return std::to_string(v);
}

std::string CStr(bool b) {
    return b ? "True" : "False";
}

std::string CStr(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", v);
    std::string s(buf);
    const auto e = s.find('E');
    std::string mant = e == std::string::npos ? s : s.substr(0, e);
    std::string exp = e == std::string::npos ? "" : s.substr(e);
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0')
            mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    if (!exp.empty()) {
        // The runtime prints "1E+20", not "1E+020".
        const char sign = exp[1];
        std::string digits = exp.substr(2);
        while (digits.size() > 1 && digits.front() == '0')
            digits.erase(0, 1);
        exp = std::string("E") + sign + digits;
    }
    return mant + exp;
}

std::string FormatNumber(double v, std::string_view pattern) {
    const auto dot = pattern.find('.');
    const std::string_view int_part = pattern.substr(0, dot);
    const std::string_view frac_part =
        dot == std::string_view::npos ? std::string_view{} : pattern.substr(dot + 1);
    size_t min_int = 0;
    for (char c : int_part)
        if (c == '0') ++min_int;
    size_t min_frac = 0, max_frac = frac_part.size();
    for (char c : frac_part)
        if (c == '0') ++min_frac;
    const bool neg = v < 0;
    const double a = std::fabs(v);
    const double scale = std::pow(10.0, static_cast<double>(max_frac));
    // Half away from zero, on the decimal value the text shows.
    const double scaled = std::floor(a * scale + 0.5 + 1e-9);
    const long long ip = static_cast<long long>(scaled / scale);
    long long fp = static_cast<long long>(scaled - static_cast<double>(ip) * scale);
    std::string is = std::to_string(ip);
    if (ip == 0 && min_int == 0) is.clear();
    if (is.size() < min_int) is = std::string(min_int - is.size(), '0') + is;
    std::string fs;
    if (max_frac > 0) {
        fs = std::to_string(fp);
        if (fs.size() < max_frac) fs = std::string(max_frac - fs.size(), '0') + fs;
        while (fs.size() > min_frac && fs.back() == '0')
            fs.pop_back();
    }
    std::string out = is;
    if (!fs.empty()) out += "." + fs;
    if (out.empty()) out = "0";
    const bool is_zero = ip == 0 && fp == 0;
    return (neg && !is_zero ? "-" : "") + out;
}

} // namespace vb
