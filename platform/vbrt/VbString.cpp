#include "VbString.h"

#include "VbError.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace vb {

namespace {
char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
bool is_blank(char c) {
    return c == ' ';
}
} // namespace

std::string Left(std::string_view s, int64_t n) {
    if (n < 0) Raise(errInvalidProcedureCall);
    return std::string(s.substr(0, static_cast<size_t>(std::min<int64_t>(n, s.size()))));
}

std::string Right(std::string_view s, int64_t n) {
    if (n < 0) Raise(errInvalidProcedureCall);
    const size_t k = static_cast<size_t>(std::min<int64_t>(n, s.size()));
    return std::string(s.substr(s.size() - k));
}

std::string Mid(std::string_view s, int64_t start, int64_t length) {
    if (start < 1) Raise(errInvalidProcedureCall);
    if (static_cast<size_t>(start) > s.size()) return {};
    const size_t from = static_cast<size_t>(start - 1);
    if (length < 0) return std::string(s.substr(from));
    return std::string(s.substr(from, static_cast<size_t>(length)));
}

int64_t InStr(int64_t start, std::string_view s, std::string_view sought, CompareMethod cmp) {
    if (start < 1) Raise(errInvalidProcedureCall);
    if (static_cast<size_t>(start) > s.size()) return 0;
    if (sought.empty()) return start;
    if (cmp == vbTextCompare) {
        const std::string a = LCase(s), b = LCase(sought);
        const auto p = a.find(b, static_cast<size_t>(start - 1));
        return p == std::string::npos ? 0 : static_cast<int64_t>(p) + 1;
    }
    const auto p = s.find(sought, static_cast<size_t>(start - 1));
    return p == std::string_view::npos ? 0 : static_cast<int64_t>(p) + 1;
}

int64_t InStrRev(std::string_view s, std::string_view sought, int64_t start, CompareMethod cmp) {
    if (start == 0 || start < -1) Raise(errInvalidProcedureCall);
    const int64_t end = start == -1 ? static_cast<int64_t>(s.size()) : start;
    if (sought.empty()) return end > static_cast<int64_t>(s.size()) ? 0 : end;
    if (end > static_cast<int64_t>(s.size())) return 0;
    if (static_cast<int64_t>(sought.size()) > end) return 0;
    const std::string a = cmp == vbTextCompare ? LCase(s) : std::string(s);
    const std::string b = cmp == vbTextCompare ? LCase(sought) : std::string(sought);
    const auto p = a.rfind(b, static_cast<size_t>(end) - b.size());
    return p == std::string::npos ? 0 : static_cast<int64_t>(p) + 1;
}

std::string UCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string LCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = lower(c);
    return r;
}

std::string LTrim(std::string_view s) {
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    return std::string(s);
}

std::string RTrim(std::string_view s) {
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

std::string Trim(std::string_view s) {
    return LTrim(RTrim(s));
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
    if (find.empty()) return std::string(s);
    std::string out;
    size_t pos = 0;
    while (true) {
        const auto p = s.find(find, pos);
        if (p == std::string_view::npos) break;
        out.append(s.substr(pos, p - pos));
        out.append(with);
        pos = p + find.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
    std::vector<std::string> parts;
    // The runtime gives an empty array for an empty text.
    if (s.empty()) return parts;
    if (delimiter.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    size_t pos = 0;
    while (true) {
        const auto p = s.find(delimiter, pos);
        if (p == std::string_view::npos) {
            parts.emplace_back(s.substr(pos));
            break;
        }
        parts.emplace_back(s.substr(pos, p - pos));
        pos = p + delimiter.size();
    }
    return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view delimiter) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out.append(delimiter);
        out.append(parts[i]);
    }
    return out;
}

std::string Space(int64_t n) {
    return String(n, ' ');
}

std::string String(int64_t n, char c) {
    if (n < 0) Raise(errInvalidProcedureCall);
    return std::string(static_cast<size_t>(n), c);
}

int StrComp(std::string_view a, std::string_view b, CompareMethod cmp) {
    int r;
    if (cmp == vbTextCompare)
        r = LCase(a).compare(LCase(b));
    else
        r = a.compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

namespace {

// UTF-8 decoded into one byte a code point: byte_of(code point), '?' where
// it gives none; a broken or cut-off sequence gives one '?' for its first
// byte and decoding goes on at the next.
template <class ByteOf> std::string to_single_bytes(std::string_view u, ByteOf byte_of) {
    std::string out;
    out.reserve(u.size());
    for (size_t i = 0; i < u.size();) {
        const unsigned char c = static_cast<unsigned char>(u[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        int len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > u.size()) {
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            const unsigned char cc = static_cast<unsigned char>(u[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        out.push_back(ok ? byte_of(cp) : '?');
        i += ok ? len : 1;
    }
    return out;
}

} // namespace

std::string ToLatin1(std::string_view u) {
    return to_single_bytes(u, [](char32_t cp) { return cp <= 0xFF ? static_cast<char>(cp) : '?'; });
}

size_t SkipAscii(std::string_view s, size_t from) {
    size_t i = from;
    for (; i + 8 <= s.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, s.data() + i, sizeof word);
        if ((word & 0x8080808080808080ull) != 0) break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

std::string FromLatin1(std::string_view l) {
    std::string out;
    out.reserve(l.size() + l.size() / 8);
    for (size_t i = 0; i < l.size();) {
        // Plain ASCII is the same in both: copied a run at a time.
        const size_t high = SkipAscii(l, i);
        out.append(l.data() + i, high - i);
        if (high == l.size()) break;
        const unsigned char c = static_cast<unsigned char>(l[high]);
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        i = high + 1;
    }
    return out;
}

std::string ToAnsi(std::string_view utf8) {
    // Code points of bytes 0x80..0x9F; 0 where the code page has none.
    static constexpr char32_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    // Through Latin-1 first would lose the marks, so each code point is looked up here.
    return to_single_bytes(utf8, [](char32_t cp) {
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
        for (int b = 0; b < 32; ++b)
            if (k80[b] != 0 && k80[b] == cp) return static_cast<char>(0x80 + b);
        return '?';
    });
}

} // namespace vb
