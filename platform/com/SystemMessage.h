#pragma once
// The system's message text of an error number: a system error (ERROR_...)
// or a COM result code. As the system call did, the text ends with CR LF;
// an unknown number gives the empty text.
#include <cstdint>
#include <string>

namespace com {

inline constexpr uint32_t FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr uint32_t FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// Copies at most size - 1 characters of the text of `code` into `buffer`
// (NUL-terminated); returns the number copied, 0 when the code is unknown.
uint32_t FormatMessageA(uint32_t flags, const void* source, uint32_t code, uint32_t language, char* buffer,
                        uint32_t size);
// The whole text, "" when unknown.
std::string SystemMessage(uint32_t code);

} // namespace com
