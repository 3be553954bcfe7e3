#pragma once
// Short texts for the capture library's media-type records.
#include <cstdint>
#include <string>

// Width "*" height "/" frame rate (such as 1920*1080/25) of the media type
// whose address the capture library handed out as text. "Corrupt data!" when
// the record has no usable video format block; empty text after a reported
// error (a frame time of 0).
std::string Process_AMT(const int64_t& address);
