#include "Wexel_WuLines.h"

#include "VbConvert.h"
#include "VbError.h"

#include <cmath>
#include <cstdlib>

namespace {

// Coordinates are 16-bit: anything beyond raises an overflow, as the drawing
// always did; what was drawn before stays.
int16_t coord(int64_t v) {
    if (v < -32768 || v > 32767) vb::Raise(vb::errOverflow);
    return static_cast<int16_t>(v);
}

void blend_pixel(gdi::HDC dc, int64_t x, int64_t y, const Colour_Triple& colour, float t) {
    const int16_t px = coord(x), py = coord(y);
    const gdi::COLORREF under = gdi::GetPixel(dc, px, py);
    if (under == gdi::CLR_INVALID) return;
    const Colour_Triple mixed = Blend_Triple(colour, Triple_From_Colour(static_cast<int32_t>(under)), t);
    gdi::SetPixel(dc, px, py, static_cast<gdi::COLORREF>(Colour_From_Triple(mixed)));
}

void solid_pixel(gdi::HDC dc, int64_t x, int64_t y, const Colour_Triple& colour) {
    gdi::SetPixel(dc, coord(x), coord(y), static_cast<gdi::COLORREF>(Colour_From_Triple(colour)));
}

} // namespace

int32_t Colour_From_Triple(const Colour_Triple& t) {
    return t.red + 256 * t.green + 65536 * t.blue;
}

Colour_Triple Triple_From_Colour(int32_t colour) {
    Colour_Triple t;
    t.red = static_cast<uint8_t>(colour & 255);
    t.green = static_cast<uint8_t>((colour / 256) & 255);
    t.blue = static_cast<uint8_t>((colour / 65536) & 255);
    return t;
}

uint8_t Blend_Channel(uint8_t a, uint8_t b, float t) {
    const double v = (1.0 - static_cast<double>(t)) * a + static_cast<double>(t) * b;
    return static_cast<uint8_t>(vb::RoundHalfEven(v));
}

Colour_Triple Blend_Triple(const Colour_Triple& line, const Colour_Triple& bg, float t) {
    return Colour_Triple{Blend_Channel(line.blue, bg.blue, t), Blend_Channel(line.green, bg.green, t),
                         Blend_Channel(line.red, bg.red, t)};
}

void Draw_Wu_Line(gdi::HDC dc, WuPoint from, WuPoint to, Colour_Triple colour, int16_t width, bool dashed) {
    if (from.x == to.x && from.y == to.y) return;
    const int32_t half = static_cast<int32_t>(std::floor(width / 2.0));
    const int32_t rest = width - half;
    if (std::abs(to.x - from.x) <= std::abs(to.y - from.y)) {
        const WuPoint start = from.y >= to.y ? to : from;
        const WuPoint other = from.y >= to.y ? from : to;
        const int32_t dy = other.y - start.y, dx = other.x - start.x;
        int counter = 0;
        for (int32_t i = 0; i <= dy; ++i) {
            if (dashed) {
                ++counter;
                if (counter > 20)
                    counter = 0;
                else if (counter >= 10)
                    continue;
            }
            const float v = static_cast<float>(i) / static_cast<float>(dy) * static_cast<float>(dx);
            const float fl = std::floor(v);
            const int64_t xi = start.x + static_cast<int64_t>(fl);
            const float f = v - fl;
            const int64_t y = start.y + i;
            blend_pixel(dc, xi - half, y, colour, f);
            blend_pixel(dc, xi + rest, y, colour, 1.0f - f);
            for (int64_t x = xi - half + 1; x <= xi + rest - 1; ++x)
                solid_pixel(dc, x, y, colour);
        }
        return;
    }
    const WuPoint start = from.x >= to.x ? to : from;
    const WuPoint other = from.x >= to.x ? from : to;
    const int32_t dx = other.x - start.x, dy = other.y - start.y;
    for (int32_t i = 0; i <= dx; ++i) {
        const float v = static_cast<float>(i) / static_cast<float>(dx) * static_cast<float>(dy);
        const float fl = std::floor(v);
        const int64_t yi = start.y + static_cast<int64_t>(fl);
        const float f = v - fl;
        const int64_t x = start.x + i;
        blend_pixel(dc, x, yi - half, colour, f);
        blend_pixel(dc, x, yi + rest, colour, 1.0f - f);
        for (int64_t y = yi - half + 1; y <= yi + rest - 1; ++y)
            solid_pixel(dc, x, y, colour);
    }
}
