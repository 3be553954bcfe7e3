#include "Module_formatmessage.h"

#include "SystemMessage.h"
#include "VbConvert.h"

#include <cstdio>

std::string Win32_Error_Text(int32_t& code) {
    char buffer[260] = {};
    const uint32_t n =
        com::FormatMessageA(com::FORMAT_MESSAGE_FROM_SYSTEM | com::FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                            static_cast<uint32_t>(code), 0, buffer, sizeof buffer);
    const std::string message(buffer, n);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X",
                  static_cast<uint32_t>(code)); // a negative code shows all eight digits
    const std::string line = "Dec: " + vb::CStr(code) + "\t" + "Hex: " + hex;
    if (n > 0) return message + "\r\n" + line;
    return "(No such error)\r\n\r\n" + line;
}
