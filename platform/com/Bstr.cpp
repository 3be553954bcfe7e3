#include "Bstr.h"

#include <cstdlib>
#include <cstring>

namespace com {

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    if (length > UINT32_MAX - sizeof(uint32_t) - 1) return nullptr;
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + length + 1));
    if (!block) return nullptr;
    std::memcpy(block, &length, sizeof length);
    BSTR s = block + sizeof(uint32_t);
    if (text)
        std::memcpy(s, text, length);
    else
        std::memset(s, 0, length);
    s[length] = '\0';
    return s;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, static_cast<uint32_t>(std::strlen(text)));
}

int32_t SysReAllocString(BSTR* bstr, const OLECHAR* text) {
    if (!bstr) return 0;
    BSTR n = SysAllocString(text ? text : "");
    if (!n) return 0;
    SysFreeString(*bstr);
    *bstr = n;
    return 1;
}

void SysFreeString(BSTR bstr) {
    if (bstr) std::free(bstr - sizeof(uint32_t));
}

uint32_t SysStringLen(BSTR bstr) {
    if (!bstr) return 0;
    uint32_t n;
    std::memcpy(&n, bstr - sizeof(uint32_t), sizeof n);
    return n;
}

uint32_t SysStringByteLen(BSTR bstr) {
    return SysStringLen(bstr);
}

BSTR ToBSTR(std::string_view text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

std::string FromBSTR(BSTR bstr) {
    return bstr ? std::string(bstr, SysStringLen(bstr)) : std::string();
}

} // namespace com
