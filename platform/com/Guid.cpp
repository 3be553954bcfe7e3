#include "Guid.h"

#include "ComResult.h"

#include <cstdio>

namespace com {

std::string GuidToString(const GUID& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buf;
}

HRESULT CLSIDFromString(std::string_view text, CLSID* clsid) {
    if (!clsid) return E_INVALIDARG;
    // Only the braced form names a class here; a ProgID goes through CLSIDFromProgID.
    if (text.size() != 38 || !ParseGuid(text, *clsid)) return CO_E_CLASSSTRING;
    return S_OK;
}

std::string StringFromCLSID(const CLSID& clsid) {
    return GuidToString(clsid);
}

} // namespace com
