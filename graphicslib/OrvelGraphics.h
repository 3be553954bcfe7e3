#pragma once
// The ten routines the image library exports, under plain C names. The
// program does not include this header: it binds each routine by name at run
// time (Module_OrvelGraphics). Frames are 24-bit, blue-green-red, lines one
// after the other from the first byte; see each routine for its line length.
#include <cstdint>

#define ORVEL_EXPORT extern "C" __attribute__((visibility("default")))

// Padded lines (a multiple of 4 bytes): ABlend, LBlend, FlipImageRGB24, Rotate90.
// Packed lines (exactly 3 x width bytes): deinterlaceFrame, deinterlaceFrame2, linedouble.
// Every frame routine returns 1 and checks nothing the caller is to keep.

// destination = (first x weight + second x (30 - weight)) / 30, byte by byte.
ORVEL_EXPORT int16_t ABlend(uint8_t* first, uint8_t* destination, uint8_t* second, int32_t width,
                            int32_t height, int32_t weight);
// Mode 1: a source pixel brighter by more than 30 replaces the destination's;
// mode 2: one darker by less than 30 does; other modes change nothing.
ORVEL_EXPORT int16_t LBlend(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                            int32_t mode);
// Left-right mirror in place.
ORVEL_EXPORT int16_t FlipImageRGB24(uint8_t* frame, int32_t width, int32_t height);
// Quarter turn (flag 0) or transposition into a height-wide, width-high frame.
ORVEL_EXPORT int16_t Rotate90(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                              int32_t transpose);
// Line doubling in place; `pairs` counts line pairs; `unused` is not read.
ORVEL_EXPORT int16_t deinterlaceFrame(uint8_t* frame, void* unused, int32_t width, int32_t pairs,
                                      int32_t field);
// Field 2 doubles lines 1, 3, ...; any other field lines 0, 2, ...
ORVEL_EXPORT int16_t deinterlaceFrame2(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                                       int32_t field);
// Even lines doubled in place.
ORVEL_EXPORT int16_t linedouble(uint8_t* frame, int32_t width, int32_t height);

// Processor clock in MHz measured over one busy second; 0.0 without a performance counter.
ORVEL_EXPORT float CPU_Speed();
// The processor's time-stamp counter.
ORVEL_EXPORT uint64_t GetCycleCount();
// A new 64-byte block (malloc) holding "Release <build date>"; the caller owns it.
ORVEL_EXPORT char* BlendVersion();
