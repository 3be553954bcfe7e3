// Frame sizes the drawing must take as they come: a striped frame shows each
// field's rows and nothing of the other field, a width whose rows are padded
// draws unsheared, and a smaller file opened after a larger one draws within
// its own bitmaps (run under the sanitizer build too). The display device
// context follows each open and goes with the close.
#include "Form.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "PictureBox.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using VF = cls_VideoFile_handler;

class Frm_sizes_test : public forms::Form {
public:
    Frm_sizes_test() : Form("Frm_sizes_test") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 24000, 24000); }
};

constexpr int32_t kBand_Left = 100, kBand_Right = 110; // a grey column band

// Where the band darkens: on a JPEG block row, so no block holds both greys.
int32_t Split(int32_t height) {
    return (height / 2) & ~15;
}

// White rows at even y (from the top), black at odd y, and a grey band down
// all rows, darker in the lower half: a field shows one colour, a shear moves
// the band, rows taken from the wrong height move the band's change.
void Stripes(cDIBSection& d, int32_t) {
    const int32_t h = d.Height();
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = d.DIBSectionBitsPtr() + static_cast<int64_t>(h - 1 - y) * d.BytesPerScanLine();
        std::memset(row, y % 2 == 0 ? 255 : 0, static_cast<size_t>(d.Width()) * 3);
        std::memset(row + 3 * kBand_Left, y < Split(h) ? 128 : 64,
                    static_cast<size_t>(kBand_Right - kBand_Left) * 3);
    }
}

std::string Striped_Heat(const std::string& name, int32_t width, int32_t height) {
    const std::string path = test_env::make_dir("sizes_" + name) + "/" + name + ".qf3";
    make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(path, 400000);
    recipe.width = width;
    recipe.height = height;
    recipe.quality = 95;
    recipe.fill = Stripes;
    std::string error;
    EXPECT_TRUE(make_heat::Make_Heat(recipe, 2, &error)) << error;
    return path;
}

int Grey(gdi::COLORREF c) {
    return (gdi::GetRValue(c) + gdi::GetGValue(c) + gdi::GetBValue(c)) / 3;
}

bool Band_Ok(int grey, int32_t y, int32_t height) {
    return y < Split(height) ? grey >= 100 && grey <= 156 : grey >= 39 && grey <= 89;
}

// The frame row a field shows at row y (both from the top). Rows are stored
// bottom-up and each field row is doubled into the stored row above it, so
// on screen a field row also fills the row above it; the odd field holds
// the top row, and the bottom row of an even height repeats the one above.
int32_t Shown_Row(int32_t y, int32_t height, bool odd_field) {
    if (odd_field) return y % 2 == 0 ? y : (y + 1 < height ? y + 1 : y - 1);
    return y % 2 == 1 ? y : y + 1;
}

// Rows of the drawn field that are not what the field must show: white (odd
// field) or black (even field) left and right of the band, grey inside it.
int32_t Bad_Rows(gdi::HDC dc, int32_t width, int32_t height, bool odd_field) {
    int32_t bad = 0;
    for (int32_t y = 0; y < height; ++y) {
        // An odd field leaves the picture's first and last rows as they were.
        if (odd_field && (y == 0 || y == height - 1)) continue;
        const int side_l = Grey(gdi::GetPixel(dc, kBand_Left - 10, y));
        const int side_r = Grey(gdi::GetPixel(dc, std::min(kBand_Right + 10, width - 1), y));
        const int band = Grey(gdi::GetPixel(dc, (kBand_Left + kBand_Right) / 2, y));
        const bool side_ok = odd_field ? side_l > 200 && side_r > 200 : side_l < 55 && side_r < 55;
        bad += !side_ok || !Band_Ok(band, Shown_Row(y, height, odd_field), height);
    }
    return bad;
}

struct VideoFileSizes : ::testing::Test {
    heat_fixture::Development_Mode dev;
};

TEST_F(VideoFileSizes, StripedFieldsPairTheirRowsAtPaddedAndPlainWidths) {
    for (const int32_t width : {128, 333}) {
        SCOPED_TRACE(width);
        VF vf;
        ASSERT_TRUE(vf.Open_File(Striped_Heat("stripes" + std::to_string(width), width, 48)));
        vf.Set_RGB_interlaced(true);
        forms::PictureBox& box = heat_fixture::Picture_Box<Frm_sizes_test>(width, 48);
        for (int32_t f : {3, 4}) {
            int32_t field = f;
            vf.Draw_RGB_Field(field, box);
            EXPECT_EQ(Bad_Rows(vf.DEint_HDC(), width, 48, f % 2 == 1), 0) << "field " << f;
            EXPECT_EQ(Bad_Rows(box.hDC(), width, 48, f % 2 == 1), 0) << "field " << f;
        }
        if (width == 333) {
            ASSERT_TRUE(forms::Instance<Frm_sizes_test>().Grab().SavePng(test_env::output_dir() +
                                                                         "/heat_333_wide_field.png"));
        }
        // The whole frame: rows alternate and the band stays in its columns.
        int16_t frame = 2;
        vf.Draw_RGB_frame(frame, box);
        int32_t bad = 0;
        for (int32_t y = 0; y < 48; ++y) {
            const int side = Grey(gdi::GetPixel(box.hDC(), 50, y));
            const int band = Grey(gdi::GetPixel(box.hDC(), 105, y));
            bad += (y % 2 == 0 ? side < 200 : side > 55) || !Band_Ok(band, y, 48);
        }
        EXPECT_EQ(bad, 0);
    }
}

TEST_F(VideoFileSizes, SmallerFileAfterALargerOneDrawsWithinItsOwnBitmaps) {
    const std::string large = Striped_Heat("pal", 720, 576);
    const std::string small = Striped_Heat("ntsc", 720, 480);
    VF vf;
    ASSERT_TRUE(vf.Open_File(large));
    ASSERT_NE(vf.Display_HDC(), nullptr);
    EXPECT_EQ(gdi::SurfaceHeight(vf.Display_HDC()), 576);
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_sizes_test>(720, 576);
    int32_t field = 3;
    vf.Set_RGB_interlaced(true);
    vf.Draw_RGB_Field(field, box);
    vf.Close_File();
    EXPECT_EQ(vf.Display_HDC(), nullptr);

    ASSERT_TRUE(vf.Open_File(small));
    vf.Set_RGB_interlaced(true);
    EXPECT_EQ(gdi::SurfaceWidth(vf.Display_HDC()), 720);
    EXPECT_EQ(gdi::SurfaceHeight(vf.Display_HDC()), 480);
    forms::PictureBox& small_box = heat_fixture::Picture_Box<Frm_sizes_test>(720, 480);
    for (int32_t f : {3, 4}) {
        field = f;
        vf.Draw_RGB_Field(field, small_box);
        EXPECT_EQ(Bad_Rows(small_box.hDC(), 720, 480, f % 2 == 1), 0) << "field " << f;
    }
    int16_t frame = 1;
    vf.Draw_RGB_frame(frame, small_box);
    EXPECT_LT(Grey(gdi::GetPixel(small_box.hDC(), 50, 479)), 55);
}

} // namespace
