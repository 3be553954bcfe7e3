#pragma once
// String functions with the runtime's 1-based positions. Texts are UTF-8
// std::strings; positions and lengths count bytes, which equals characters
// for the ASCII texts the program handles. Texts written to files as one
// byte per character go through ToLatin1/FromLatin1.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vb {

enum CompareMethod { vbBinaryCompare = 0, vbTextCompare = 1 };

std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);
// Mid(s, start) and Mid(s, start, length); start counts from 1 (error 5 below 1).
std::string Mid(std::string_view s, int64_t start, int64_t length = -1);
// Position (from 1) of `sought` at or after `start`; 0 when absent.
int64_t InStr(int64_t start, std::string_view s, std::string_view sought,
              CompareMethod cmp = vbBinaryCompare);
inline int64_t InStr(std::string_view s, std::string_view sought) {
    return InStr(1, s, sought);
}
// Position of the last occurrence ending at or before `start` (-1: whole text).
int64_t InStrRev(std::string_view s, std::string_view sought, int64_t start = -1,
                 CompareMethod cmp = vbBinaryCompare);
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
std::vector<std::string> Split(std::string_view s, std::string_view delimiter);
std::string Join(const std::vector<std::string>& parts, std::string_view delimiter);
std::string Space(int64_t n);
std::string String(int64_t n, char c);
// -1, 0 or 1 as the runtime's StrComp.
int StrComp(std::string_view a, std::string_view b, CompareMethod cmp = vbBinaryCompare);
bool EqualsNoCase(std::string_view a, std::string_view b);

// One byte per character. Characters beyond Latin-1 become "?".
std::string ToLatin1(std::string_view utf8);
std::string FromLatin1(std::string_view latin1);
// The first place at or after `from` that holds a byte of 0x80 or above (the
// start of anything but plain ASCII); s.size() when there is none. Eight
// bytes a step: headers and settings are almost all plain ASCII.
size_t SkipAscii(std::string_view s, size_t from);
// One byte per character in the Windows ANSI code page 1252 (Latin-1 with
// the typographic marks and the euro sign in 0x80..0x9F). Characters it
// lacks become "?".
std::string ToAnsi(std::string_view utf8);

} // namespace vb
