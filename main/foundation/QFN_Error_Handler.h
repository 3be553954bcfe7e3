#pragma once
// The program's one error report.
#include <cstdint>
#include <string>

// Reports a trapped error in the error report window: description, number
// (32-bit, so a COM result code passes whole), source line (0 when none),
// the failing procedure's fixed location text and an optional extra text.
// Traces, shows the window without blocking and replaces its report text.
void QFN_Error_Handler(const std::string& description, int32_t number, int32_t line,
                       const std::string& location, const std::string& extra);
