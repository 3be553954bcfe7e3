#pragma once
// The library's exception: a result code and a text. Graph-building steps
// throw it; each interface method that builds catches it and keeps the text
// as the last error.
#include "ComResult.h"

#include <string>

class CxException {
public:
    // A text alone (result code 0).
    explicit CxException(std::string text);
    // The system message of the code.
    explicit CxException(com::HRESULT hr);
    // The text, one blank, the system message of the code.
    CxException(com::HRESULT hr, const std::string& text);
    // printf-style, formatted into at most 1024 characters.
    static CxException Format(com::HRESULT hr, const char* format, ...) __attribute__((format(printf, 2, 3)));

    com::HRESULT hr() const { return m_hr; }
    const std::string& text() const { return m_text; }

    // The system's message for a code without its line end; for codes it has
    // no text for, "IDispatch error #n" (0x80040200..0x8004FFFF) or "Unknown error 0x...".
    static std::string SystemMessage(com::HRESULT hr);

private:
    CxException() = default;
    com::HRESULT m_hr = 0;
    std::string m_text;
};
