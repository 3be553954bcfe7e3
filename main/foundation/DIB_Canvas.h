#pragma once
// A picture for the drawing members where there is no window: a device
// context over a bitmap of its own, of the size given.
#include "DrawDib.h"
#include "cDIBSection.h"

#include <cstdint>

class DIB_Canvas : public gdi::DrawTarget {
public:
    DIB_Canvas(int32_t width, int32_t height) { dib.Create(width, height); }
    gdi::HDC target_hdc() override { return dib.hDC(); }
    double target_width_px() override { return dib.Width(); }
    double target_height_px() override { return dib.Height(); }
    cDIBSection dib;
};
