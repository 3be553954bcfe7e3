#pragma once
// DrawDib: draws a 24-bit DIB held in memory onto a device context,
// stretched from a source rectangle to a destination rectangle.
#include "Gdi.h"

namespace gdi {

struct DrawDibState;
using HDRAWDIB = DrawDibState*;

HDRAWDIB DrawDibOpen();
bool DrawDibClose(HDRAWDIB hdd);
// Source coordinates count from the top-left of the picture, whatever the
// row order of the bits (a positive biHeight means bottom-up rows). A
// destination width or height of -1 takes the source's; a source width or
// height of -1 the whole picture. The source rectangle is clipped to the
// picture. Flags are accepted and ignored. The picture is drawn straight
// from `bits` (no copy); a stretch takes the nearest pixel unless the DC's
// stretch mode is HALFTONE.
bool DrawDibDraw(HDRAWDIB hdd, HDC dc, int32_t x_dst, int32_t y_dst, int32_t dx_dst, int32_t dy_dst,
                 const BITMAPINFOHEADER* info, const void* bits, int32_t x_src, int32_t y_src, int32_t dx_src,
                 int32_t dy_src, uint32_t flags);

// What drawing onto a picture window needs of it: its device context and
// its inner size in pixels. A picture box, the print preview's picture or an
// offscreen picture are all one.
class DrawTarget {
public:
    virtual ~DrawTarget() = default;
    virtual HDC target_hdc() = 0;
    virtual double target_width_px() = 0;
    virtual double target_height_px() = 0;
    // Shows what was drawn now (drawing schedules its own repaint anyway).
    virtual void Refresh() {}
};

} // namespace gdi
