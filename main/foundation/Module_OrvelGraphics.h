#pragma once
// The image library's routines as the program calls them. Each is bound by
// its exported name at its first call; the library is looked for beside the
// program first, then wherever the system's loader looks. A missing library
// raises run-time error 53, a missing routine 453, at the call.
#include <cstdint>
#include <string>

int16_t ABlend(uint8_t* first, uint8_t* destination, uint8_t* second, int32_t width, int32_t height,
               int32_t weight);
int16_t LBlend(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t mode);
int16_t FlipImageRGB24(uint8_t* frame, int32_t width, int32_t height);
int16_t Rotate90(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t transpose);
int16_t deinterlaceFrame(uint8_t* frame, void* unused, int32_t width, int32_t pairs, int32_t field);
int16_t deinterlaceFrame2(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                          int32_t field);
int16_t linedouble(uint8_t* frame, int32_t width, int32_t height);
float CPU_Speed();
// The raw count; the calibration window shows it divided by 10000.
uint64_t GetCycleCount();
// The library's new 64-byte block; the caller owns it (free()). Null when the
// library could not allocate it.
char* BlendVersion();

// The version text of BlendVersion, read up to its zero byte (at most 64
// bytes); the block is given back. Empty when the library returned none.
std::string BlendVersion_Text();

namespace orvel_graphics {

// File name of the library: "libOrvelGraphics.so".
const std::string& Default_Library_Name();
// Loads another file in its place from the next call on (tests); a name with
// a '/' is taken as a path. An empty name restores the default.
void Set_Library_Name(const std::string& name);
// Forgets the library and every bound routine; the next call loads anew.
void Unload_Library();

} // namespace orvel_graphics
