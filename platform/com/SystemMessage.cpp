#include "SystemMessage.h"

#include "ComResult.h"

#include <algorithm>
#include <cstring>

namespace com {

namespace {
struct Entry {
    uint32_t code;
    const char* text;
};

// The system error numbers the layers return, and the result codes they name.
constexpr Entry kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {29, "The system cannot write to the specified device."},
    {53, "The network path was not found."},
    {87, "The parameter is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {1009, "The configuration registry database is corrupt."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {static_cast<uint32_t>(S_FALSE), "Incorrect function."},
    {static_cast<uint32_t>(E_NOTIMPL), "Not implemented"},
    {static_cast<uint32_t>(E_NOINTERFACE), "No such interface supported"},
    {static_cast<uint32_t>(E_POINTER), "Invalid pointer"},
    {static_cast<uint32_t>(E_ABORT), "Operation aborted"},
    {static_cast<uint32_t>(E_FAIL), "Unspecified error"},
    {static_cast<uint32_t>(E_UNEXPECTED), "Catastrophic failure"},
    {static_cast<uint32_t>(CLASS_E_NOAGGREGATION),
     "Class does not support aggregation (or class object is remote)"},
    {static_cast<uint32_t>(CLASS_E_CLASSNOTAVAILABLE), "ClassFactory cannot supply requested class"},
    {static_cast<uint32_t>(REGDB_E_READREGDB), "Could not read key from registry"},
    {static_cast<uint32_t>(REGDB_E_WRITEREGDB), "Could not write key to registry"},
    {static_cast<uint32_t>(REGDB_E_CLASSNOTREG), "Class not registered"},
    {static_cast<uint32_t>(CONNECT_E_NOCONNECTION), "There is no connection for this connection ID"},
    {static_cast<uint32_t>(CONNECT_E_ADVISELIMIT),
     "This implementation's limit for advisory connections has been reached"},
    {static_cast<uint32_t>(CONNECT_E_CANNOTCONNECT), "Connection attempt failed"},
    {static_cast<uint32_t>(CO_E_CLASSSTRING), "Invalid class string"},
    {static_cast<uint32_t>(CO_E_DLLNOTFOUND), "DLL for class not found"},
    {static_cast<uint32_t>(CO_E_ERRORINDLL), "Error in the DLL"},
};
} // namespace

std::string SystemMessage(uint32_t code) {
    for (const auto& e : kMessages)
        if (e.code == code) return std::string(e.text) + "\r\n";
    // A system error number carried in a result code has the system error's text.
    if ((code & 0xFFFF0000u) == 0x80070000u) {
        const uint32_t err = code & 0xFFFF;
        if (err != 0) return SystemMessage(err);
    }
    return {};
}

uint32_t FormatMessageA(uint32_t, const void*, uint32_t code, uint32_t, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return 0;
    const std::string text = SystemMessage(code);
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

} // namespace com
