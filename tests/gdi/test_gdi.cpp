// The drawing layer: bottom-up 24-bit DIB sections, device contexts and what
// drawing through them does to the bytes.
#include "DrawDib.h"
#include "Gdi.h"
#include "GdiQt.h"
#include "PixelCopy.h"
#include "TestEnv.h"

#include <QFontInfo>
#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

using namespace gdi;

namespace {

struct Dib {
    HBITMAP bmp = nullptr;
    uint8_t* bits = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    int w, h;
    Dib(int width, int height, bool bottom_up = true) : w(width), h(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = bottom_up ? height : -height;
        void* p = nullptr;
        bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p);
        bits = static_cast<uint8_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bmp);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    // Bytes B, G, R of picture pixel (x, y), y from the top.
    const uint8_t* at(int x, int y) const { return bits + (h - 1 - y) * DibStride24(w) + 3 * x; }
};

struct Compat {
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    Compat(int w, int h) {
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateCompatibleBitmap(dc, w, h);
        old = SelectObject(dc, bmp);
    }
    ~Compat() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
};

// Writes a DIB's header and bits as a BMP file, as the bitmap class will save it.
void write_bmp(const std::string& path, const Dib& d) {
    const uint32_t image = static_cast<uint32_t>(DibStride24(d.w) * d.h);
    std::ofstream f(path, std::ios::binary);
    auto put = [&f](auto v) { f.write(reinterpret_cast<const char*>(&v), sizeof v); };
    f.write("BM", 2);
    put(uint32_t{14 + 40 + image});
    put(uint32_t{0});
    put(uint32_t{14 + 40});
    BITMAPINFOHEADER h{};
    h.biWidth = d.w;
    h.biHeight = d.h;
    h.biSizeImage = image;
    f.write(reinterpret_cast<const char*>(&h), sizeof h);
    f.write(reinterpret_cast<const char*>(d.bits), image);
}

} // namespace

TEST(DibSection, RowsArePaddedToFourBytes) {
    for (auto [w, stride] :
         std::vector<std::pair<int, int>>{{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {720, 2160}}) {
        Dib d(w, 2);
        BITMAP b;
        ASSERT_TRUE(GetObjectBitmap(d.bmp, &b));
        EXPECT_EQ(b.bmWidthBytes, stride) << w;
        EXPECT_EQ(DibStride24(w), stride);
        EXPECT_EQ(b.bmBits, d.bits);
    }
}

TEST(DibSection, FirstRowInMemoryIsTheBottomRow) {
    Dib d(5, 3);
    EXPECT_EQ(SetPixel(d.dc, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
    // Top-left of the picture: the last row in memory, bytes blue, green, red.
    const uint8_t* top = d.bits + 2 * 16;
    EXPECT_EQ(top[0], 3);
    EXPECT_EQ(top[1], 2);
    EXPECT_EQ(top[2], 1);
    // Bytes written straight into memory are what the DC reads.
    d.bits[0] = 10, d.bits[1] = 20, d.bits[2] = 30;
    EXPECT_EQ(GetPixel(d.dc, 0, 2), RGB(30, 20, 10));
    EXPECT_EQ(GetPixel(d.dc, 5, 0), CLR_INVALID);
    // A top-down section keeps the first row on top.
    Dib t(5, 3, false);
    SetPixel(t.dc, 0, 0, RGB(1, 2, 3));
    EXPECT_EQ(t.bits[2], 1);
}

TEST(DibSection, ImageMagickReadsTheBottomUpLayout) {
    if (!test_env::have_tool("convert")) GTEST_SKIP() << "ImageMagick missing";
    Dib d(7, 5);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old_brush = SelectObject(d.dc, red);
    HGDIOBJ old_pen = SelectObject(d.dc, GetStockObject(NULL_PEN));
    Rectangle(d.dc, 0, 0, 8, 3); // the top two rows
    SelectObject(d.dc, old_brush);
    SelectObject(d.dc, old_pen);
    DeleteObject(red);
    SetPixel(d.dc, 6, 4, RGB(0, 0, 255));
    const std::string path = test_env::make_dir("gdi_bmp") + "/dib.bmp";
    write_bmp(path, d);
    std::string out;
    ASSERT_EQ(
        test_env::run("convert " + path + " -format '%[pixel:p{0,0}] %[pixel:p{3,2}] %[pixel:p{6,4}]' info:",
                      &out),
        0);
    // Older ImageMagick names the colours, newer ones give their values.
    EXPECT_TRUE(out == "red black blue" || out == "srgb(255,0,0) srgb(0,0,0) srgb(0,0,255)") << out;
}

TEST(DeviceContext, DrawingIntoBottomUpMatchesTopDown) {
    // The same drawing into a bottom-up section and a top-down bitmap gives
    // the same picture: lines, shapes and upright text.
    Dib d(120, 60);
    Compat c(120, 60);
    HFONT font = CreateFont(-20, 0, 0, 0, FW_BOLD, false, false, false, 0, 0, 0, 0, 0, "Arial");
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
    for (HDC dc : {d.dc, c.dc}) {
        HGDIOBJ f = SelectObject(dc, font), p = SelectObject(dc, pen), b = SelectObject(dc, hatch);
        SetTextColor(dc, RGB(255, 255, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOut(dc, 4, 2, "Tg");
        MoveToEx(dc, 0, 59, nullptr);
        LineTo(dc, 119, 30);
        Ellipse(dc, 60, 5, 110, 40);
        Rectangle(dc, 40, 40, 70, 58);
        HPEN wide = CreatePen(PS_SOLID, 3, RGB(255, 0, 255));
        HGDIOBJ narrow = SelectObject(dc, wide);
        MoveToEx(dc, 5, 55, nullptr);
        LineTo(dc, 50, 20);
        SelectObject(dc, narrow);
        DeleteObject(wide);
        SelectObject(dc, f), SelectObject(dc, p), SelectObject(dc, b);
    }
    const QImage a = SurfaceImage(d.dc), b = SurfaceImage(c.dc);
    int differ = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (differ++ < 10)
                    ADD_FAILURE() << x << "," << y << " " << std::hex << a.pixel(x, y) << " "
                                  << b.pixel(x, y);
            }
    EXPECT_EQ(differ, 0);
    // The text is upright: the bar of the T is in the upper rows of the picture.
    int yellow_top = 0, yellow_bottom = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            if (GetPixel(d.dc, x, y) == RGB(255, 255, 0)) (y < 12 ? yellow_top : yellow_bottom)++;
    EXPECT_GT(yellow_top, 0);
    EXPECT_GT(yellow_bottom, 0);
    EXPECT_EQ(d.at(5, 3)[2], static_cast<uint8_t>(qRed(a.pixel(5, 3))));
    a.save(QString::fromStdString(test_env::output_dir() + "/gdi_bottom_up.png"));
    DeleteObject(font), DeleteObject(pen), DeleteObject(hatch);
}

TEST(DeviceContext, LinesAndShapesCoverTheOriginalPixels) {
    Compat c(10, 10);
    POINT prev;
    MoveToEx(c.dc, 1, 1, nullptr);
    MoveToEx(c.dc, 2, 5, &prev);
    EXPECT_EQ(prev.x, 1);
    EXPECT_EQ(prev.y, 1);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(c.dc, white);
    LineTo(c.dc, 7, 5);
    for (int x = 2; x < 7; ++x)
        EXPECT_EQ(GetPixel(c.dc, x, 5), RGB(255, 255, 255)) << x;
    EXPECT_EQ(GetPixel(c.dc, 7, 5), RGB(0, 0, 0)) << "the last pixel is left out";
    // A rectangle covers left..right-1 and top..bottom-1.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old_brush = SelectObject(c.dc, red);
    Rectangle(c.dc, 1, 6, 5, 9);
    EXPECT_EQ(GetPixel(c.dc, 1, 6), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(c.dc, 4, 8), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(c.dc, 2, 7), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(c.dc, 5, 7), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(c.dc, 2, 9), RGB(0, 0, 0));
    SelectObject(c.dc, old_brush);
    SelectObject(c.dc, old);
    DeleteObject(red);
    DeleteObject(white);
}

TEST(DeviceContext, BitBltRasterOperations) {
    struct Case {
        uint32_t rop;
        COLORREF expected;
    };
    const COLORREF src = RGB(0xF0, 0x0F, 0x55), dst = RGB(0x3C, 0x3C, 0xFF);
    const Case cases[] = {
        {SRCCOPY, src},
        {SRCPAINT, RGB(0xFC, 0x3F, 0xFF)},
        {SRCAND, RGB(0x30, 0x0C, 0x55)},
        {SRCINVERT, RGB(0xCC, 0x33, 0xAA)},
        {NOTSRCCOPY, RGB(0x0F, 0xF0, 0xAA)},
        {DSTINVERT, RGB(0xC3, 0xC3, 0x00)},
        {BLACKNESS, RGB(0, 0, 0)},
        {WHITENESS, RGB(255, 255, 255)},
    };
    Dib s(4, 4);
    SetPixel(s.dc, 1, 1, src);
    for (const auto& c : cases) {
        Compat d(4, 4);
        SetPixel(d.dc, 2, 3, dst);
        EXPECT_TRUE(BitBlt(d.dc, 2, 3, 1, 1, s.dc, 1, 1, c.rop));
        EXPECT_EQ(GetPixel(d.dc, 2, 3), c.expected) << std::hex << c.rop;
    }
}

TEST(DeviceContext, BitBltKeepsOrientationAndClips) {
    Dib s(6, 4);
    Compat d(6, 4);
    SetPixel(s.dc, 0, 0, RGB(9, 9, 9));
    SetPixel(s.dc, 5, 3, RGB(7, 7, 7));
    EXPECT_TRUE(BitBlt(d.dc, 0, 0, 6, 4, s.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(d.dc, 5, 3), RGB(7, 7, 7));
    // Partly outside both: copies what lies inside and nothing else.
    Dib back(6, 4);
    EXPECT_TRUE(BitBlt(back.dc, 3, 1, 10, 10, d.dc, -2, -2, SRCCOPY));
    EXPECT_EQ(GetPixel(back.dc, 5, 3), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(back.dc, 3, 1), RGB(0, 0, 0));
}

TEST(DeviceContext, BitBltWithinOneSurfaceOverlaps) {
    // Scrolling a picture by one row down copies every row once, unsmeared.
    Dib d(3, 4);
    for (int y = 0; y < 4; ++y)
        SetPixel(d.dc, 1, y, RGB(10 * (y + 1), 0, 0));
    EXPECT_TRUE(BitBlt(d.dc, 0, 1, 3, 3, d.dc, 0, 0, SRCCOPY));
    for (int y = 1; y < 4; ++y)
        EXPECT_EQ(GetPixel(d.dc, 1, y), RGB(10 * y, 0, 0)) << y;
}

TEST(DeviceContext, StretchBltScalesAndMirrors) {
    Dib s(2, 1);
    SetPixel(s.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(s.dc, 1, 0, RGB(0, 0, 255));
    Dib d(4, 2);
    EXPECT_TRUE(StretchBlt(d.dc, 0, 0, 4, 2, s.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(d.dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(d.dc, 2, 0), RGB(0, 0, 255));
    // A negative width mirrors left and right.
    EXPECT_TRUE(StretchBlt(d.dc, 3, 0, -4, 2, s.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(d.dc, 3, 1), RGB(255, 0, 0));
}

TEST(DeviceContext, TransparentBltLetsTheKeyColourThrough) {
    constexpr COLORREF key = RGB(128, 128, 128), under = RGB(10, 20, 30);
    // 13 columns: runs of four and a remainder; every third pixel not the key.
    Dib s(13, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            SetPixel(s.dc, x, y, (x + y) % 3 == 0 ? RGB(x * 10, y * 40, 200) : key);
    struct Case {
        int x, y, w, h; // destination rectangle; the source is all of s
    };
    for (const Case c : {Case{0, 0, 13, 5}, {2, 1, 13, 5}, {-3, -1, 13, 5}, {0, 0, 26, 10}, {1, 0, 39, 5}}) {
        for (const bool compat : {true, false}) {
            Compat cd(30, 12);
            Dib dd(30, 12);
            const HDC d = compat ? cd.dc : dd.dc;
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 30; ++x)
                    SetPixel(d, x, y, under);
            EXPECT_TRUE(TransparentBlt(d, c.x, c.y, c.w, c.h, s.dc, 0, 0, 13, 5, key));
            int wrong = 0;
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 30; ++x) {
                    COLORREF want = under;
                    const int dx = x - c.x, dy = y - c.y;
                    if (dx >= 0 && dy >= 0 && dx < c.w && dy < c.h) {
                        const COLORREF src = GetPixel(s.dc, dx * 13 / c.w, dy * 5 / c.h);
                        if (src != key) want = src;
                    }
                    wrong += GetPixel(d, x, y) != want;
                }
            EXPECT_EQ(wrong, 0) << c.x << "," << c.y << " " << c.w << "x" << c.h
                                << (compat ? " 32-bit" : " DIB");
        }
    }
    EXPECT_FALSE(TransparentBlt(s.dc, 0, 0, 13, 5, s.dc, 0, 0, 13, 5, key)) << "onto itself";
}

TEST(DeviceContext, SelectionAndDeletionFollowTheOriginal) {
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(a, 3, 3);
    HGDIOBJ first = SelectObject(a, bmp);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr) << "a bitmap sits in one DC at a time";
    EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
    EXPECT_EQ(SelectObject(a, first), bmp);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_PEN)));
    HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 1, 1));
    HGDIOBJ stock_pen = SelectObject(a, pen);
    EXPECT_EQ(stock_pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SetBkMode(a, TRANSPARENT), OPAQUE);
    EXPECT_EQ(GetBkMode(a), TRANSPARENT);
    SelectObject(a, stock_pen);
    EXPECT_TRUE(DeleteObject(pen));
    BITMAPINFO bad{};
    bad.bmiHeader.biWidth = 4;
    bad.bmiHeader.biHeight = 4;
    bad.bmiHeader.biBitCount = 8;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(a, &bad, DIB_RGB_COLORS, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
    DeleteDC(a);
    DeleteDC(b);
}

TEST(Fonts, OriginalNamesDrawInLiberation) {
    EXPECT_EQ(MapFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Ms Sans Serif"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(MapFontFamily("Liberation Serif"), "Liberation Serif");
    // The family is installed: Qt finds it by that name.
    const QFont f = FontFor("Courier New", 14, FW_NORMAL, false);
    EXPECT_EQ(QFontInfo(f).family().toStdString(), "Liberation Mono");
}

namespace {

TEST(DeviceContext, TransparentBltLetsTheKeyColourThrough) {
    const COLORREF key = RGB(255, 0, 255);
    Dib overlay(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(overlay.dc, x, y, key);
    SetPixel(overlay.dc, 1, 0, RGB(255, 255, 0));
    SetPixel(overlay.dc, 3, 1, RGB(0, 0, 0));
    for (bool bottom_up : {true, false}) {
        Dib frame(4, 2, bottom_up);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                SetPixel(frame.dc, x, y, RGB(10 * x, 20 * y, 99));
        EXPECT_TRUE(TransparentBlt(frame.dc, 0, 0, 4, 2, overlay.dc, 0, 0, 4, 2, key));
        EXPECT_EQ(GetPixel(frame.dc, 1, 0), RGB(255, 255, 0)) << bottom_up;
        EXPECT_EQ(GetPixel(frame.dc, 3, 1), RGB(0, 0, 0)) << "black is not the key";
        EXPECT_EQ(GetPixel(frame.dc, 0, 0), RGB(0, 0, 99)) << "the frame shows through";
        EXPECT_EQ(GetPixel(frame.dc, 2, 1), RGB(20, 20, 99));
    }
}

TEST(DeviceContext, StretchModeChoosesNearestOrAveraged) {
    Dib s(2, 1);
    SetPixel(s.dc, 0, 0, RGB(0, 0, 0));
    SetPixel(s.dc, 1, 0, RGB(200, 200, 200));
    Dib d(8, 1);
    EXPECT_TRUE(StretchBlt(d.dc, 0, 0, 8, 1, s.dc, 0, 0, 2, 1, SRCCOPY));
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(GetPixel(d.dc, x, 0), x < 4 ? RGB(0, 0, 0) : RGB(200, 200, 200)) << x;
    SetStretchBltMode(d.dc, HALFTONE);
    EXPECT_TRUE(StretchBlt(d.dc, 0, 0, 8, 1, s.dc, 0, 0, 2, 1, SRCCOPY));
    const int mid = GetRValue(GetPixel(d.dc, 4, 0));
    EXPECT_GT(mid, 0);
    EXPECT_LT(mid, 200) << "averaged across the edge";
}

TEST(DrawDib, FramesDrawUprightFromTheirOwnMemoryAndReportWhatChanged) {
    // A bottom-up 3 x 2 frame: memory row 0 is the picture's bottom row.
    BITMAPINFOHEADER info{};
    info.biWidth = 3;
    info.biHeight = 2;
    std::vector<uint8_t> bits(static_cast<size_t>(DibStride24(3) * 2), 0);
    bits[0] = 0xFF;                  // bottom-left blue
    bits[DibStride24(3) + 8] = 0xFF; // top-right red
    QImage surface(6, 4, QImage::Format_RGB32);
    surface.fill(Qt::white);
    HDC dc = CreateDCForImage(&surface);
    std::vector<QRect> damage;
    SetDamageHook(dc, [&damage](const QRect& r) { damage.push_back(r); });
    HDRAWDIB dd = DrawDibOpen();
    ASSERT_TRUE(DrawDibDraw(dd, dc, 0, 0, 3, 2, &info, bits.data(), 0, 0, 3, 2, 0));
    EXPECT_EQ(surface.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(2, 0), qRgb(255, 0, 0));
    // Scaled twice, nearest pixel.
    ASSERT_TRUE(DrawDibDraw(dd, dc, 0, 0, 6, 4, &info, bits.data(), 0, 0, 3, 2, 0));
    EXPECT_EQ(surface.pixel(1, 3), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(5, 0), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(3, 3), qRgb(0, 0, 0));
    EXPECT_EQ(damage, (std::vector<QRect>{QRect(0, 0, 3, 2), QRect(0, 0, 6, 4)}));
    // Direct paint: the picture goes to the hook, the surface stays as it was.
    QImage seen;
    SetDirectPaint(dc, [&seen](const QImage& memory, bool bottom_up, const QRect& source, const QRect&,
                               bool) { seen = memory.copy(source).mirrored(false, bottom_up); });
    surface.fill(Qt::white);
    ASSERT_TRUE(DrawDibDraw(dd, dc, 0, 0, 3, 2, &info, bits.data(), 0, 0, 3, 2, 0));
    EXPECT_EQ(surface.pixel(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(seen.pixel(0, 1) & 0xFFFFFF, 0xFFu) << "bottom-left blue, upright";
    DrawDibClose(dd);
    DeleteDC(dc);
}

} // namespace

// The one-pass copies between 24-bit and 32-bit rows against a pixel-by-pixel
// reference: odd widths and rows not padded to 4 bytes, both row orders,
// scaled both ways and clipped at the target's edges.
namespace {

// A picture of the format over memory with the given row length in bytes.
struct Mem {
    std::vector<uchar> bytes;
    QImage image;
    Mem(int w, int h, QImage::Format format, qsizetype stride, uint32_t seed) {
        bytes.resize(static_cast<size_t>(stride * h));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uchar>(i * 131 + seed + i / 7);
        image = QImage(bytes.data(), w, h, stride, format);
    }
};

uint32_t rgb_at(const QImage& image, int x, int y) {
    const uchar* p = image.constScanLine(y) + x * (image.format() == QImage::Format_BGR888 ? 3 : 4);
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

} // namespace

TEST(PixelCopy, MatchesThePixelByPixelReference) {
    struct Case {
        int sw, sh;   // source picture
        QRect source; // within it
        int dw, dh;   // target picture
        QRect dest;   // may reach past the target
    };
    const Case cases[] = {
        {33, 7, QRect(0, 0, 33, 7), 33, 7, QRect(0, 0, 33, 7)},    // unscaled, 8-pixel blocks and a tail
        {5, 3, QRect(0, 0, 5, 3), 9, 4, QRect(2, 1, 5, 3)},        // odd width, offset
        {37, 9, QRect(3, 2, 29, 6), 40, 12, QRect(-4, -1, 29, 6)}, // clipped at the top-left
        {37, 9, QRect(3, 2, 29, 6), 30, 8, QRect(10, 5, 29, 6)},   // clipped at the bottom-right
        {30, 12, QRect(0, 0, 30, 12), 20, 8, QRect(0, 0, 20, 8)},  // shrunk
        {7, 3, QRect(0, 0, 7, 3), 26, 11, QRect(0, 0, 23, 10)},    // grown, rows repeated
        {19, 5, QRect(1, 1, 18, 4), 13, 13, QRect(-3, 2, 41, 17)}, // grown and clipped
        {17, 4, QRect(0, 0, 17, 4), 17, 4, QRect(0, 0, 17, 4)},    // last column read at the row's end
    };
    const QImage::Format formats[] = {QImage::Format_BGR888, QImage::Format_RGB32};
    int checked = 0;
    for (const Case& c : cases)
        for (const QImage::Format from_format : formats)
            for (const QImage::Format onto_format : formats)
                for (const bool flip : {false, true})
                    for (const bool tight : {false, true}) {
                        // Tight rows: 24-bit rows exactly 3 bytes a pixel, no padding.
                        const auto stride = [tight](int w, QImage::Format f) {
                            const qsizetype bytes =
                                static_cast<qsizetype>(w) * (f == QImage::Format_BGR888 ? 3 : 4);
                            return tight ? bytes : (bytes + 3) / 4 * 4 + 4;
                        };
                        Mem from(c.sw, c.sh, from_format, stride(c.sw, from_format), 7);
                        Mem onto(c.dw, c.dh, onto_format, stride(c.dw, onto_format), 99);
                        const Mem before(c.dw, c.dh, onto_format, stride(c.dw, onto_format), 99);
                        ASSERT_TRUE(CopyNearest(onto.image, c.dest, from.image, c.source, flip));
                        int wrong = 0;
                        for (int y = 0; y < c.dh; ++y)
                            for (int x = 0; x < c.dw; ++x) {
                                uint32_t want = rgb_at(before.image, x, y);
                                if (c.dest.contains(x, y)) {
                                    const int i = x - c.dest.left(), j = y - c.dest.top();
                                    const int sx = c.source.left() +
                                                   (2 * i + 1) * c.source.width() / (2 * c.dest.width());
                                    const int k = (2 * j + 1) * c.source.height() / (2 * c.dest.height());
                                    const int sy = flip ? c.source.bottom() - k : c.source.top() + k;
                                    want = rgb_at(from.image, sx, sy);
                                    if (onto_format == QImage::Format_RGB32)
                                        wrong += onto.image.constScanLine(y)[4 * x + 3] != 0xFF;
                                }
                                wrong += rgb_at(onto.image, x, y) != want;
                            }
                        // Bytes after each row's pixels (padding) are left alone.
                        for (size_t b = 0; b < onto.bytes.size(); ++b) {
                            const qsizetype in_row = static_cast<qsizetype>(b) % onto.image.bytesPerLine();
                            const int px = onto_format == QImage::Format_BGR888 ? 3 : 4;
                            if (in_row >= static_cast<qsizetype>(c.dw) * px)
                                wrong += onto.bytes[b] != before.bytes[b];
                        }
                        EXPECT_EQ(wrong, 0) << c.sw << "x" << c.sh << " -> " << c.dest.x() << ","
                                            << c.dest.y() << " " << c.dest.width() << "x" << c.dest.height()
                                            << " from format " << from_format << " onto " << onto_format
                                            << (flip ? " flipped" : "") << (tight ? " tight rows" : "");
                        ++checked;
                    }
    EXPECT_EQ(checked, 8 * 2 * 2 * 2 * 2);
}

TEST(PixelCopy, RefusesWhatItCannotCopy) {
    Mem from(8, 8, QImage::Format_BGR888, 24, 1);
    Mem onto(8, 8, QImage::Format_RGB32, 32, 2);
    QImage argb(8, 8, QImage::Format_ARGB32);
    EXPECT_FALSE(CopyNearest(argb, QRect(0, 0, 8, 8), from.image, QRect(0, 0, 8, 8), false));
    EXPECT_FALSE(CopyNearest(onto.image, QRect(0, 0, 8, 8), from.image, QRect(-1, 0, 8, 8), false))
        << "a source reaching outside its picture is the painter's";
    EXPECT_FALSE(CopyNearest(from.image, QRect(0, 0, 8, 8), from.image, QRect(0, 0, 8, 8), false))
        << "onto itself";
}

TEST(PixelCopy, KeyRunsEndAtTheFirstOtherPixel) {
    // 40 key pixels with one other at each place in turn, sixteen-pixel
    // blocks and the tail; a pixel differing in one byte only is not the key.
    for (int other = -1; other < 40; ++other)
        for (int byte = 0; byte < 3; ++byte) {
            std::vector<uchar> row(40 * 3);
            for (int x = 0; x < 40; ++x) {
                row[3 * x] = 1;
                row[3 * x + 1] = 2;
                row[3 * x + 2] = 3;
            }
            if (other >= 0) row[3 * other + byte] ^= 0x80;
            for (const int from : {0, 1, 5, 17})
                EXPECT_EQ(FirstNotKey24(row.data(), from, 40, Key24(1, 2, 3)), other >= from ? other : 40)
                    << other << " byte " << byte << " from " << from;
        }
}

TEST(PixelCopy, FirstPixelOffTheKeyIsFoundWhereverItLies) {
    // One pixel off the key, in one of its three bytes, at every place of a
    // row that is not a whole number of 16- or 64-pixel blocks, searched from
    // starts inside and at the edges of those blocks.
    constexpr int n = 299;
    const Key24 key(200, 100, 50);
    std::vector<uchar> row(3 * n + 64);
    int wrong = 0;
    for (int at = 0; at < n; ++at)
        for (int byte = 0; byte < 3; ++byte) {
            for (int x = 0; x < n; ++x) {
                row[3 * x] = key.b;
                row[3 * x + 1] = key.g;
                row[3 * x + 2] = key.r;
            }
            row[3 * at + byte] ^= 1;
            for (const int from : {0, 1, 15, 63, 64, 65, 130, 250})
                wrong += FirstNotKey24(row.data(), from, n, key) != (at >= from ? at : n);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(PixelCopy, KeyedRowCopyWritesEveryOtherPixelAndSaysWhere) {
    // Rows of every width up to past two 64-pixel blocks, with marks of each
    // kind an overlay holds: dots a pixel apart (a dotted lane line), solid
    // runs across the 16- and 64-pixel edges, lone pixels in the tail, and
    // pixels off the key in one byte only.
    const Key24 key(128, 128, 128);
    struct Pattern {
        const char* what;
        bool (*mark)(int x);
    };
    const Pattern patterns[] = {
        {"none", [](int) { return false; }},
        {"dotted", [](int x) { return x % 3 == 1; }},
        {"runs", [](int x) { return (x >= 10 && x < 70) || (x >= 127 && x < 131); }},
        {"all", [](int) { return true; }},
        {"last pixels", [](int x) { return x % 61 == 60; }},
    };
    int wrong = 0;
    for (const Pattern& pat : patterns)
        for (int n = 1; n <= 150; ++n) {
            std::vector<uchar> row(3 * static_cast<size_t>(n));
            for (int x = 0; x < n; ++x) {
                row[3 * x] = key.b;
                row[3 * x + 1] = key.g;
                row[3 * x + 2] = key.r;
                if (pat.mark(x)) row[3 * x + x % 3] ^= static_cast<uchar>(1 + x % 5);
            }
            // One word past the row on each side: nothing is written there.
            std::vector<uint32_t> out(static_cast<size_t>(n) + 2, 0x12345678u);
            std::vector<Stretch> wrote;
            CopyNotKey24To32(out.data() + 1, row.data(), n, key, wrote);
            EXPECT_EQ(out.front(), 0x12345678u);
            EXPECT_EQ(out.back(), 0x12345678u);
            int last_end = 0;
            for (const Stretch& st : wrote) {
                wrong += st.first < last_end || st.end <= st.first || st.end > n;
                wrong += !pat.mark(st.first) || !pat.mark(st.end - 1);
                last_end = st.end;
            }
            for (int x = 0; x < n; ++x) {
                const uchar* p = &row[3 * static_cast<size_t>(x)];
                const uint32_t want =
                    pat.mark(x) ? 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]
                                : 0x12345678u;
                const bool in_stretch = std::any_of(wrote.begin(), wrote.end(), [x](const Stretch& st) {
                    return x >= st.first && x < st.end;
                });
                const bool bad = out[static_cast<size_t>(x) + 1] != want || (pat.mark(x) && !in_stretch);
                if (bad && wrong < 5) ADD_FAILURE() << pat.what << " n " << n << " x " << x;
                wrong += bad;
            }
        }
    EXPECT_EQ(wrong, 0);
}

TEST(PixelCopy, KeyedCopyReportsTheMarksItWroteNotTheWholePicture) {
    // An overlay as the replay keys it: a dotted lane line at the left, a
    // goal line far to the right; the damage must hold every pixel written
    // and leave the wide empty middle out, so that a repaint stays small.
    constexpr int w = 400, h = 60;
    constexpr COLORREF key = RGB(128, 128, 128);
    Dib overlay(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool mark = (y == 20 && x >= 10 && x < 120 && x % 3 == 0) || (x == 350 || x == 351);
            SetPixel(overlay.dc, x, y, mark ? RGB(255, 0, 0) : key);
        }
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::black);
    HDC dc = CreateDCForImage(&picture);
    std::vector<QRect> damage;
    SetDamageHook(dc, [&damage](const QRect& r) { damage.push_back(r); });
    ASSERT_TRUE(TransparentBlt(dc, 0, 0, w, h, overlay.dc, 0, 0, w, h, key));
    QRegion damaged;
    for (const QRect& r : damage)
        damaged += r;
    int written = 0, missed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((picture.pixel(x, y) & 0xFFFFFF) != 0) {
                ++written;
                missed += !damaged.contains(QPoint(x, y));
            }
    EXPECT_EQ(written, 36 + 2 * h);
    EXPECT_EQ(missed, 0);
    EXPECT_FALSE(damaged.contains(QPoint(200, 20))) << "the middle, where nothing was written";
    // Nothing written, nothing damaged.
    damage.clear();
    Dib empty(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(empty.dc, x, y, key);
    ASSERT_TRUE(TransparentBlt(dc, 0, 0, w, h, empty.dc, 0, 0, w, h, key));
    EXPECT_TRUE(damage.empty());
    DeleteDC(dc);
}

TEST(PixelCopy, OverlayRunsLongerThanAPixelCrossTheSixteenPixelBlocks) {
    // Runs of marks of 1 to 7 pixels, some across a block's edge, over a
    // picture's 32-bit image and over a DIB.
    constexpr COLORREF key = RGB(128, 128, 128);
    Dib s(45, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 45; ++x) {
            const bool mark = (x >= 14 && x < 14 + y + 3) || (x >= 30 && x < 37) || x == 44;
            SetPixel(s.dc, x, y, mark ? RGB(x, y, 7) : key);
        }
    for (const bool compat : {true, false}) {
        Compat cd(47, 4);
        Dib dd(47, 4);
        const HDC d = compat ? cd.dc : dd.dc;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 47; ++x)
                SetPixel(d, x, y, RGB(1, 2, 3));
        EXPECT_TRUE(TransparentBlt(d, 1, 1, 45, 3, s.dc, 0, 0, 45, 3, key));
        int wrong = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 47; ++x) {
                const bool inside = x >= 1 && y >= 1 && x < 46;
                const COLORREF src = inside ? GetPixel(s.dc, x - 1, y - 1) : key;
                wrong += GetPixel(d, x, y) != (src == key ? RGB(1, 2, 3) : src);
            }
        EXPECT_EQ(wrong, 0) << (compat ? "32-bit" : "DIB");
    }
}
