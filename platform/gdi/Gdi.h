#pragma once
// Device contexts and drawing objects in the manner of the Windows GDI, over
// QImage and QPainter. A device context draws into one surface: the bitmap
// selected into it, or the backing image of a picture box. Colours are
// COLORREF values 0x00BBGGRR. DIB sections are 24-bit, rows padded to 4 bytes,
// and bottom-up when their height is positive: the first row in memory is the
// bottom row of the picture, and drawing through a device context keeps it so.
//
// The tables of device contexts and objects are for the main (GUI) thread
// only, as the program runs on one thread; debug builds assert it.
#include <cstdint>
#include <string>

namespace gdi {

using COLORREF = uint32_t;
class GdiObject;
class DeviceContext;
using HDC = DeviceContext*;
using HGDIOBJ = GdiObject*;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Pen styles.
enum : int32_t { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5 };
// Hatch styles.
enum : int32_t {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5
};
// Background modes.
enum : int32_t { TRANSPARENT = 1, OPAQUE = 2 };
// Stock objects.
enum : int32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    SYSTEM_FONT = 13,
    DEFAULT_GUI_FONT = 17
};
// Font weights.
enum : int32_t { FW_NORMAL = 400, FW_BOLD = 700 };
// Raster operations of BitBlt and StretchBlt.
enum : uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGEPAINT = 0x00BB0226,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
// Stretch modes (both draw the nearest source pixel; HALFTONE averages).
enum : int32_t { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : uint32_t { BI_RGB = 0, DIB_RGB_COLORS = 0 };

struct POINT {
    int32_t x = 0, y = 0;
};

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: bottom-up rows; negative: top-down
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
};

struct BITMAP {
    int32_t bmType = 0;
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;
    uint16_t bmPlanes = 1;
    uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;
};

// Bytes of one row of a 24-bit DIB: 3 per pixel, padded to a multiple of 4.
constexpr int64_t DibStride24(int64_t width) {
    return (width * 3 + 3) & ~int64_t{3};
}

// Device contexts. A memory DC starts with a 1 x 1 bitmap selected.
HDC CreateCompatibleDC(HDC reference);
bool DeleteDC(HDC dc);

// Drawing objects. The font face names of the original fonts are mapped to
// installed families of the same metrics (see MapFontFamily).
HPEN CreatePen(int32_t style, int32_t width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int32_t hatch, COLORREF color);
HFONT CreateFont(int32_t height, int32_t width, int32_t escapement, int32_t orientation, int32_t weight,
                 bool italic, bool underline, bool strike_out, uint32_t char_set, uint32_t out_precision,
                 uint32_t clip_precision, uint32_t quality, uint32_t pitch_and_family,
                 const std::string& face);
HGDIOBJ GetStockObject(int32_t which);
// A top-down bitmap of the DC's kind (32-bit), cleared to black.
HBITMAP CreateCompatibleBitmap(HDC dc, int32_t width, int32_t height);
// A 24-bit DIB section; *bits receives its pixel memory, which lives as long
// as the bitmap. Only 24-bit uncompressed sections are made; anything else
// returns nullptr.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, uint32_t usage, void** bits, void* section = nullptr,
                         uint32_t offset = 0);
// Selects an object into the DC and returns the one it replaces (nullptr on
// failure). A bitmap can be selected into one memory DC at a time.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a drawing object; stock objects and objects still selected are kept
// (returns false), as the original does.
bool DeleteObject(HGDIOBJ object);
// Fills a BITMAP description of a bitmap; false for other objects.
bool GetObjectBitmap(HBITMAP bitmap, BITMAP* out);

int32_t SetBkMode(HDC dc, int32_t mode);
int32_t GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
int32_t SetStretchBltMode(HDC dc, int32_t mode);

// Lines leave out their last pixel, as the original does.
bool MoveToEx(HDC dc, int32_t x, int32_t y, POINT* previous);
bool LineTo(HDC dc, int32_t x, int32_t y);
// Shapes cover left..right-1 and top..bottom-1: outline with the pen,
// inside with the brush.
bool Rectangle(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool Ellipse(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Text whose cell's top-left corner is at x, y; opaque background mode fills
// the cell with the background colour first.
bool TextOut(HDC dc, int32_t x, int32_t y, const std::string& text);
// Width and height of a text's cell in the selected font.
bool GetTextExtentPoint32(HDC dc, const std::string& text, int32_t* cx, int32_t* cy);
// Pixel access; CLR_INVALID outside the surface.
COLORREF GetPixel(HDC dc, int32_t x, int32_t y);
COLORREF SetPixel(HDC dc, int32_t x, int32_t y, COLORREF color);

// Copies with a raster operation; parts outside either surface are clipped.
bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t src_x,
            int32_t src_y, uint32_t rop);
// As BitBlt, scaled; a negative width or height mirrors that axis. The
// nearest source pixel is drawn unless the destination's stretch mode is
// HALFTONE, which averages.
bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t src_x,
                int32_t src_y, int32_t src_width, int32_t src_height, uint32_t rop);
// As StretchBlt with SRCCOPY (nearest source pixel), leaving the destination
// untouched wherever the source pixel has the transparent colour.
bool TransparentBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t src_x,
                    int32_t src_y, int32_t src_width, int32_t src_height, COLORREF transparent);

// Size of the DC's current surface in pixels (0 x 0 when none).
int32_t SurfaceWidth(HDC dc);
int32_t SurfaceHeight(HDC dc);

// The installed family that stands for a font name of the original system:
// Arial and the MS Sans Serif names become Liberation Sans, Courier New
// Liberation Mono, Times New Roman Liberation Serif; others pass unchanged.
std::string MapFontFamily(const std::string& face);

} // namespace gdi
