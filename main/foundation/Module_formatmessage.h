#pragma once
// The text of a system error number.
#include <cstdint>
#include <string>

// The system's message, CR LF and "Dec: <n>\tHex: <N>"; "(No such error)"
// and two line breaks in front of that line when the system has no message.
std::string Win32_Error_Text(int32_t& code);
