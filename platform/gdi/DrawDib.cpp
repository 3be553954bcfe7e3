#include "DrawDib.h"

#include "GdiQt.h"

#include <algorithm>

namespace gdi {

struct DrawDibState {
    int opened = 1;
};

HDRAWDIB DrawDibOpen() {
    return new DrawDibState;
}

bool DrawDibClose(HDRAWDIB hdd) {
    if (!hdd) return false;
    delete hdd;
    return true;
}

bool DrawDibDraw(HDRAWDIB hdd, HDC dc, int32_t x_dst, int32_t y_dst, int32_t dx_dst, int32_t dy_dst,
                 const BITMAPINFOHEADER* info, const void* bits, int32_t x_src, int32_t y_src, int32_t dx_src,
                 int32_t dy_src, uint32_t) {
    if (!hdd || !dc || !info || !bits || info->biBitCount != 24 || info->biCompression != BI_RGB)
        return false;
    const int32_t w = info->biWidth, h = info->biHeight < 0 ? -info->biHeight : info->biHeight;
    if (w <= 0 || h <= 0) return false;
    if (dx_src < 0) dx_src = w;
    if (dy_src < 0) dy_src = h;
    if (dx_dst < 0) dx_dst = dx_src;
    if (dy_dst < 0) dy_dst = dy_src;
    // Clip the source to the picture; the destination shrinks in proportion.
    const int32_t sx0 = std::clamp(x_src, 0, w), sy0 = std::clamp(y_src, 0, h);
    const int32_t sx1 = std::clamp(x_src + dx_src, 0, w), sy1 = std::clamp(y_src + dy_src, 0, h);
    if (sx1 <= sx0 || sy1 <= sy0 || dx_dst == 0 || dy_dst == 0) return false;
    const double kx = static_cast<double>(dx_dst) / dx_src, ky = static_cast<double>(dy_dst) / dy_src;
    const int32_t dx0 = x_dst + static_cast<int32_t>((sx0 - x_src) * kx);
    const int32_t dy0 = y_dst + static_cast<int32_t>((sy0 - y_src) * ky);
    const int32_t dw = std::max(1, static_cast<int32_t>((sx1 - sx0) * kx));
    const int32_t dh = std::max(1, static_cast<int32_t>((sy1 - sy0) * ky));
    // The frame's own memory, wrapped: the painter flips and scales it from
    // there in one pass.
    const QImage frame(static_cast<const uchar*>(bits), w, h, DibStride24(w), QImage::Format_BGR888);
    return DrawPicture(dc, QRect(dx0, dy0, dw, dh), frame, info->biHeight > 0,
                       QRect(sx0, sy0, sx1 - sx0, sy1 - sy0));
}

} // namespace gdi
