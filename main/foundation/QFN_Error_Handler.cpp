#include "QFN_Error_Handler.h"

#include "Dialogs.h"
#include "Module_trace.h"

#include <cstdio>

// A plain report until the error report window takes over.
void QFN_Error_Handler(const std::string& description, int32_t number, int32_t line, const std::string& location,
                       const std::string& extra) {
    Send_Trace("*QFN_error_handler1, " + std::to_string(number) + "," + std::to_string(line) + "," + location);
    const std::string text = "Location of error: " + location + " line: " + std::to_string(line) + "\n" +
                             "error description: " + std::to_string(number) + ", " + description + "\n" +
                             "Extra information: " + extra + "\n";
    std::fprintf(stderr, "%s", text.c_str());
    forms::MsgBox(text, forms::vbCritical);
}
