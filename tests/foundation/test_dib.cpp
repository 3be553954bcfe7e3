#include "DIB_Canvas.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "VbError.h"
#include "Wexel_WuLines.h"
#include "cDIBSection.h"
#include "modAPIDraw.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using Canvas = DIB_Canvas;

const uint8_t* pixel(const cDIBSection& d, int x, int y_from_top) {
    return d.DIBSectionBitsPtr() + static_cast<int64_t>(d.Height() - 1 - y_from_top) * d.BytesPerScanLine() +
           3 * x;
}

TEST(DibSection, StrideAndSizes) {
    struct Case {
        int32_t width, stride;
    };
    for (const Case c : {Case{1, 4},
                         {2, 8},
                         {3, 12},
                         {4, 12},
                         {5, 16},
                         {6, 20},
                         {7, 24},
                         {8, 24},
                         {10, 32},
                         {333, 1000},
                         {594, 1784},
                         {1920, 5760}}) {
        cDIBSection d;
        ASSERT_TRUE(d.Create(c.width, 3));
        EXPECT_EQ(d.BytesPerScanLine(), c.stride) << c.width;
        EXPECT_EQ(d.SizeImage(), c.stride * 3);
        EXPECT_EQ(d.BitCount(), 24);
        EXPECT_EQ(d.SizeInfoHeader(), 40);
    }
    cDIBSection d;
    ASSERT_TRUE(d.Create(720, 576));
    EXPECT_EQ(d.SizeImage(), 1244160);
}

TEST(DibSection, SavedBmpIsReadByAnOutsideReader) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(720, 576));
    d.Fill_with_RGB(0x000000);
    // Top-left pixel pure red, top-right pure green: the top row is the last row in memory.
    uint8_t* top = d.DIBSectionBitsPtr() + static_cast<int64_t>(575) * d.BytesPerScanLine();
    top[0] = 0, top[1] = 0, top[2] = 255;
    top[3 * 719] = 0, top[3 * 719 + 1] = 255, top[3 * 719 + 2] = 0;
    const std::string path = test_env::make_dir("bmp") + "/frame.bmp";
    ASSERT_TRUE(d.SavePicture(path));
    const std::string bytes = test_env::read_file(path);
    ASSERT_EQ(bytes.size(), 1244218u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    uint32_t offset = 0, size = 0;
    std::memcpy(&size, bytes.data() + 2, 4);
    std::memcpy(&offset, bytes.data() + 10, 4);
    EXPECT_EQ(size, 1244218u);
    EXPECT_EQ(offset, 58u);

    if (!test_env::have_tool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    std::string out;
    ASSERT_EQ(test_env::run("convert '" + path +
                                "' -format '%w %h %[pixel:p{0,0}] %[pixel:p{719,0}] %[pixel:p{0,575}]' info:",
                            &out),
              0);
    EXPECT_EQ(out, "720 576 srgb(255,0,0) srgb(0,255,0) srgb(0,0,0)") << out;
}

TEST(DibSection, SaveToUncreatableFileRaises17) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(4, 4));
    try {
        d.SavePicture(test_env::root() + "/no/such/dir/x.bmp");
        FAIL();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 17);
        EXPECT_EQ(e.source(), "Tidewick_HDMI.cDIBSection");
        EXPECT_FALSE(e.description().empty());
    }
}

TEST(DibSection, PixelOperationsLeaveThePaddingAlone) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(5, 7)); // stride 16: one padding byte per row
    std::memset(d.DIBSectionBitsPtr(), 0xAB, static_cast<size_t>(d.SizeImage()));
    d.Fill_with_RGB(255);
    for (int row = 0; row < 7; ++row) {
        const uint8_t* r = d.DIBSectionBitsPtr() + row * 16;
        EXPECT_EQ(r[0], 0);
        EXPECT_EQ(r[1], 0);
        EXPECT_EQ(r[2], 255);
        EXPECT_EQ(r[15], 0xAB) << row;
    }
    d.RandomiseBits(true);
    d.RandomiseBits(false);
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(d.DIBSectionBitsPtr()[row * 16 + 15], 0xAB);
    EXPECT_THROW(d.Fill_with_RGB(16777216), vb::VbError);
    EXPECT_THROW(d.Fill_with_RGB(-1), vb::VbError);
}

TEST(DibSection, Statistics) {
    cDIBSection none;
    EXPECT_EQ(none.Image_Brightness(), 0);
    EXPECT_EQ(none.Image_Contrast(), 0);
    cDIBSection d;
    ASSERT_TRUE(d.Create(8, 12));
    std::memset(d.DIBSectionBitsPtr(), 100, static_cast<size_t>(d.SizeImage()));
    EXPECT_EQ(d.Image_Brightness(), 300);
    EXPECT_EQ(d.Image_Contrast(), 0);
    // Top-left pixel lies in the last memory row.
    uint8_t* top_left = d.DIBSectionBitsPtr() + 11 * d.BytesPerScanLine();
    top_left[0] = 10, top_left[1] = 200, top_left[2] = 100;
    EXPECT_FLOAT_EQ(d.Pixel_Luminance(0, 0), 0.59f * 200 + 0.3f * 100 + 0.11f * 10);
    EXPECT_THROW(d.Pixel_Luminance(8, 0), vb::VbError);
    EXPECT_THROW(d.Pixel_Luminance(0, -1), vb::VbError);
}

TEST(DibSection, Resample) {
    cDIBSection src;
    ASSERT_TRUE(src.Create(6, 5));
    src.RandomiseBits(false);
    auto same = src.Resample(5, 6);
    ASSERT_TRUE(same);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(std::memcmp(same->DIBSectionBitsPtr() + row * same->BytesPerScanLine(),
                              src.DIBSectionBitsPtr() + row * src.BytesPerScanLine(), 18),
                  0);
    cDIBSection two;
    ASSERT_TRUE(two.Create(2, 2));
    uint8_t* p = two.DIBSectionBitsPtr();
    p[0] = 10, p[1] = 20, p[2] = 30, p[3] = 50, p[4] = 60, p[5] = 70;
    p[8] = 90, p[9] = 100, p[10] = 110, p[11] = 130, p[12] = 140, p[13] = 150;
    auto four = two.Resample(4, 4);
    ASSERT_TRUE(four);
    EXPECT_EQ(four->Width(), 4);
    EXPECT_EQ(four->DIBSectionBitsPtr()[0], 10);
    EXPECT_EQ(four->DIBSectionBitsPtr()[1], 20);
    EXPECT_EQ(four->DIBSectionBitsPtr()[2], 30);
    // x scale 1/4: the second pixel of the first row is a quarter of the way across.
    EXPECT_EQ(four->DIBSectionBitsPtr()[3], 20);
    cDIBSection thin;
    ASSERT_TRUE(thin.Create(1, 5));
    EXPECT_THROW(thin.Resample(3, 3), vb::VbError);
}

TEST(DibSection, RecreationAndFailedCreationAreSafe) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(16, 16));
    d.UseDrawDib(true);
    ASSERT_TRUE(d.Create(32, 8));
    EXPECT_TRUE(d.UseDrawDib()); // a DrawDib handle open before stays open
    EXPECT_EQ(d.Width(), 32);

    // A failed creation: every member is safe and no pixel address is handed out.
    EXPECT_FALSE(d.Create(0, 10));
    EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(d.hDC(), nullptr);
    Canvas canvas(20, 20);
    d.Fill_with_RGB(255);
    d.RandomiseBits(true);
    d.RandomiseBits(false);
    EXPECT_EQ(d.Image_Brightness(), 0);
    EXPECT_EQ(d.Image_Contrast(), 0);
    EXPECT_THROW(d.Pixel_Luminance(0, 0), vb::VbError);
    d.DIB_PaintPicture(canvas.target_hdc(), 0, 0, -1, -1, 0, 0, gdi::SRCCOPY);
    d.PaintPicture(canvas.target_hdc(), 0, 0, -1, -1, 0, 0, gdi::SRCCOPY);
    d.DIB_DrawDib(canvas);
    d.DIB_DrawDib2(canvas, 0, 0, 10, 10);
    d.StretchPicture(canvas);
    d.LoadPictureBlt(canvas.target_hdc(), 0, 0, -1, -1, gdi::SRCCOPY);
    EXPECT_FALSE(d.SavePicture(test_env::make_dir("failed") + "/x.bmp"));
    EXPECT_TRUE(d.Resample(4, 4) != nullptr);
    d.ClearUp();
    d.ClearUp();
}

TEST(DibSection, HugeSizeRaisesOverflow) {
    cDIBSection d;
    EXPECT_THROW(d.Create(50000, 50000), vb::VbError);
    EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
}

TEST(DibSection, PaintPictureDrawsUprightAndClipsTheSource) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(4, 4));
    d.Fill_with_RGB(0xFF0000); // blue
    uint8_t* top = d.DIBSectionBitsPtr() + 3 * d.BytesPerScanLine();
    top[0] = 0, top[1] = 0, top[2] = 255; // top-left red
    Canvas canvas(8, 8);
    canvas.dib.Fill_with_RGB(0x00FF00);
    d.DIB_PaintPicture(canvas.target_hdc(), 2, 2, -1, -1, 0, 0, gdi::SRCCOPY);
    EXPECT_EQ(pixel(canvas.dib, 2, 2)[2], 255); // red at the top-left of the drawn picture
    EXPECT_EQ(pixel(canvas.dib, 3, 3)[0], 255); // blue
    EXPECT_EQ(pixel(canvas.dib, 1, 1)[1], 255); // untouched green
    EXPECT_EQ(pixel(canvas.dib, 6, 6)[1], 255);
    // A source origin beyond the bitmap draws nothing and reads nothing outside it.
    canvas.dib.Fill_with_RGB(0x00FF00);
    d.DIB_PaintPicture(canvas.target_hdc(), 0, 0, -1, -1, 10, 10, gdi::SRCCOPY);
    EXPECT_EQ(pixel(canvas.dib, 0, 0)[1], 255);
}

// The three-wide vertical line of the drawing rules, pixel by pixel.
TEST(WuLines, ThreeWideVerticalLine) {
    Canvas c(20, 10);
    c.dib.Fill_with_RGB(0x204060);
    const Colour_Triple white{255, 255, 255};
    Draw_Wu_Line(c.target_hdc(), WuPoint{10, 0}, WuPoint{10, 4}, white, 3, false);
    for (int y = 0; y < 10; ++y) {
        for (int x = 8; x <= 13; ++x) {
            const uint8_t* p = pixel(c.dib, x, y);
            const bool line = y <= 4 && x >= 9 && x <= 11;
            EXPECT_EQ(p[0], line ? 255 : 0x20) << x << "," << y;
            EXPECT_EQ(p[2], line ? 255 : 0x60) << x << "," << y;
        }
    }
}

TEST(WuLines, DashPatternAndShallowLines) {
    Canvas c(10, 50);
    c.dib.Fill_with_RGB(0);
    Draw_Wu_Line(c.target_hdc(), WuPoint{5, 39}, WuPoint{5, 0}, Colour_Triple{0, 0, 255}, 2, true);
    for (int y = 0; y < 40; ++y) {
        const bool drawn = y <= 8 || (y >= 20 && y <= 29);
        EXPECT_EQ(pixel(c.dib, 5, y)[2], drawn ? 255 : 0) << y;
    }
    Canvas s(50, 10);
    s.dib.Fill_with_RGB(0);
    Draw_Wu_Line(s.target_hdc(), WuPoint{0, 5}, WuPoint{40, 5}, Colour_Triple{0, 0, 255}, 2, true);
    for (int x = 0; x <= 40; ++x)
        EXPECT_EQ(pixel(s.dib, x, 5)[2], 255) << x; // dashes only on steep lines
    // A line whose edge leaves the picture is clipped, not an error: at the
    // left border the outer edge pixel falls outside, the rest is drawn.
    Canvas edge(6, 6);
    edge.dib.Fill_with_RGB(0);
    Draw_Wu_Line(edge.target_hdc(), WuPoint{0, 0}, WuPoint{0, 5}, Colour_Triple{255, 0, 0}, 3, false);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(pixel(edge.dib, 0, y)[0], 255) << y;
        EXPECT_EQ(pixel(edge.dib, 1, y)[0], 255) << y;
        EXPECT_EQ(pixel(edge.dib, 2, y)[0], 0) << y; // weight 1 of the background
    }
    Draw_Wu_Line(s.target_hdc(), WuPoint{-5, 0}, WuPoint{60, 9}, Colour_Triple{255, 0, 0}, 3, false);
    EXPECT_THROW(
        Draw_Wu_Line(s.target_hdc(), WuPoint{32767, 0}, WuPoint{32767, 5}, Colour_Triple{}, 4, false),
        vb::VbError);
    // Equal points draw nothing.
    Canvas e(4, 4);
    e.dib.Fill_with_RGB(0);
    Draw_Wu_Line(e.target_hdc(), WuPoint{1, 1}, WuPoint{1, 1}, Colour_Triple{255, 255, 255}, 3, false);
    EXPECT_EQ(pixel(e.dib, 1, 1)[0], 0);
}

TEST(WuLines, BlendingAndColourTriples) {
    EXPECT_EQ(Blend_Channel(200, 100, 0.25f), 175);
    EXPECT_EQ(Blend_Channel(0, 255, 0.5f), 128);
    for (int32_t colour : {0, 1, 255, 256, 65535, 65536, 0x123456, 16777215})
        EXPECT_EQ(Colour_From_Triple(Triple_From_Colour(colour)), colour);
}

TEST(ApiDraw, ShapesWithTheirOwnPenAndBrush) {
    Canvas c(20, 20);
    c.dib.Fill_with_RGB(0);
    EXPECT_EQ(Rectangle_With_Pen_Brush(c.target_hdc(), gdi::POINT{2, 2}, gdi::POINT{10, 10}, 0x0000FF, 0,
                                       BS_SOLID, gdi::PS_SOLID, 1, 0xFF0000),
              1);
    EXPECT_EQ(pixel(c.dib, 2, 2)[0], 255); // blue pen outline
    EXPECT_EQ(pixel(c.dib, 5, 5)[2], 255); // red brush inside
    EXPECT_EQ(pixel(c.dib, 12, 12)[2], 0);
    EXPECT_EQ(
        Line_With_Pen(c.target_hdc(), gdi::POINT{0, 15}, gdi::POINT{19, 15}, gdi::PS_SOLID, 1, 0x00FF00), 1);
    EXPECT_EQ(pixel(c.dib, 10, 15)[1], 255);
    EXPECT_EQ(Ellipse_With_Pen_Brush(c.target_hdc(), gdi::POINT{0, 0}, gdi::POINT{20, 20}, 0xFFFFFF, 0,
                                     BS_NULL, gdi::PS_SOLID, 1, 0xFFFFFF),
              1);
}

} // namespace
