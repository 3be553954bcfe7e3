#pragma once
// The eight named colours forms and pictures are painted with, as colour
// values (red in the low byte, blue in the high one).
#include <cstdint>

namespace vb {

inline constexpr uint32_t vbBlack = 0x000000;
inline constexpr uint32_t vbRed = 0x0000FF;
inline constexpr uint32_t vbGreen = 0x00FF00;
inline constexpr uint32_t vbYellow = 0x00FFFF;
inline constexpr uint32_t vbBlue = 0xFF0000;
inline constexpr uint32_t vbMagenta = 0xFF00FF;
inline constexpr uint32_t vbCyan = 0xFFFF00;
inline constexpr uint32_t vbWhite = 0xFFFFFF;

} // namespace vb
