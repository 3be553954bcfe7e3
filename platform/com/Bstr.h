#pragma once
// The string type that crosses interfaces. Here it is UTF-8, not UTF-16: the
// program's texts are UTF-8 throughout, so nothing converts on either side.
// As before, a BSTR points at the first character, a 32-bit byte length lies
// just in front of it, a NUL follows the last byte, the text may hold NULs,
// and a null BSTR is the empty text. Only the Sys* calls allocate and free one.
#include <cstdint>
#include <string>
#include <string_view>

namespace com {

using OLECHAR = char;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// Frees the old string and points *bstr at a copy of `text`; false when out of memory.
int32_t SysReAllocString(BSTR* bstr, const OLECHAR* text);
void SysFreeString(BSTR bstr);
// Length in bytes (characters of UTF-8), not counting the NUL.
uint32_t SysStringLen(BSTR bstr);
uint32_t SysStringByteLen(BSTR bstr);

// Conversions for the program's own std::string.
BSTR ToBSTR(std::string_view text);
std::string FromBSTR(BSTR bstr);

// An owning BSTR: frees its string when it goes. put() offers the slot to a
// call that hands out a new string.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view text) : s_(ToBSTR(text)) {}
    Bstr(const Bstr& o) : s_(o.s_ ? SysAllocStringLen(o.s_, SysStringLen(o.s_)) : nullptr) {}
    Bstr(Bstr&& o) noexcept : s_(o.s_) { o.s_ = nullptr; }
    Bstr& operator=(Bstr o) noexcept {
        std::swap(s_, o.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }

    BSTR get() const { return s_; }
    BSTR* put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    BSTR detach() {
        BSTR s = s_;
        s_ = nullptr;
        return s;
    }
    std::string str() const { return FromBSTR(s_); }
    uint32_t length() const { return SysStringLen(s_); }

private:
    BSTR s_ = nullptr;
};

} // namespace com
