#pragma once
// The meeting point of the drawing layer and the forms layer: device contexts
// over images that a window owns, and pictures read out of a device context.
// Only platform code includes this header.
#include "Gdi.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

namespace gdi {

// A COLORREF (0x00BBGGRR) as Qt's colour, and back.
inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline COLORREF FromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// A DC that draws into `surface` (top-down, 32-bit), which its owner keeps
// alive and may replace by assignment (the DC follows the object). The DC
// must be deleted with DeleteDC before the image object goes.
HDC CreateDCForImage(QImage* surface);
// The DC's current surface as a top-down 32-bit picture (a copy).
QImage SurfaceImage(HDC dc);
// A bitmap's pixels as a top-down 32-bit picture (a copy); null when not a bitmap.
QImage BitmapImage(HBITMAP bitmap);
// Draws a picture into the DC with a raster operation, scaled to width x height.
bool DrawImage(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, const QImage& picture,
               uint32_t rop = SRCCOPY);
// Draws `source_rect` of a picture held top-down or bottom-up in memory
// into the rectangle `dest` (picture coordinates) of the DC: the painter
// flips and scales it straight from that memory, no copy made. Nearest pixel
// unless the DC's stretch mode is HALFTONE.
bool DrawPicture(HDC dest, const QRect& dest_rect, const QImage& memory, bool bottom_up,
                 const QRect& source_rect);

// Told the rectangle (picture coordinates) that drawing through the DC
// changed, so the owner of the surface can repaint just that.
void SetDamageHook(HDC dc, std::function<void(const QRect&)> hook);
// A DC whose pictures (DrawPicture, DrawDibDraw) go straight to the screen:
// the hook paints the memory's source rectangle, flipped when bottom-up, into
// the destination rectangle; the DC's own surface is left as it was.
using DirectPaint = std::function<void(const QImage& memory, bool bottom_up, const QRect& source_rect,
                                       const QRect& dest_rect, bool smooth)>;
void SetDirectPaint(HDC dc, DirectPaint paint);

// The QFont a DC's selected font stands for.
QFont SelectedFont(HDC dc);
QFont FontFor(const std::string& face, int32_t pixel_height, int32_t weight, bool italic);

} // namespace gdi
