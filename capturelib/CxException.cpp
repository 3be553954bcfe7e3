#include "CxException.h"

#include "SystemMessage.h"

#include <cstdarg>
#include <cstdio>

CxException::CxException(std::string text) : m_text(std::move(text)) {}

CxException::CxException(com::HRESULT hr) : m_hr(hr), m_text(SystemMessage(hr)) {}

CxException::CxException(com::HRESULT hr, const std::string& text)
    : m_hr(hr), m_text(text + " " + SystemMessage(hr)) {}

CxException CxException::Format(com::HRESULT hr, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    CxException e;
    e.m_hr = hr;
    e.m_text = buffer;
    return e;
}

std::string CxException::SystemMessage(com::HRESULT hr) {
    const uint32_t code = static_cast<uint32_t>(hr);
    std::string text = com::SystemMessage(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (!text.empty()) return text;
    char buffer[64];
    if (code >= 0x80040200u && code <= 0x8004FFFFu)
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", int(code & 0xFFFF) - 0x0200);
    else
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    return buffer;
}
