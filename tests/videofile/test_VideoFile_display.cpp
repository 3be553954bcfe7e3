// Showing heat files: which frame and which field a slider position shows,
// the drawn picture's lines against the decoded frame (upright, rotated), the
// overlay trail's pixels, the file information text, positions against a
// model video, and the analysis and comment members of the header.
#include "Cls_XML_header.h"
#include "Form.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PictureBox.h"
#include "VbConvert.h"
#include "VbError.h"
#include "XmlDom.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

using VF = cls_VideoFile_handler;

// A stand-in for the replay window: one picture control, sized per test.
class Frm_display_test : public forms::Form {
public:
    Frm_display_test() : Form("Frm_display_test") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 24000, 24000); }
};

// Pixel (x, y from the top) of a bottom-up bitmap as a colour 0x00BBGGRR.
uint32_t Dib_Pixel(const cDIBSection& d, int32_t x, int32_t y) {
    const uint8_t* p =
        d.DIBSectionBitsPtr() + static_cast<int64_t>(d.Height() - 1 - y) * d.BytesPerScanLine() + 3 * x;
    return p[2] | (p[1] << 8) | (p[0] << 16);
}

void Fill(cDIBSection& d, uint8_t value) {
    std::memset(d.DIBSectionBitsPtr(), value, static_cast<size_t>(d.SizeImage()));
}

void Set_Grey(cDIBSection& d, int32_t x, int32_t y, uint8_t value) {
    uint8_t* p =
        d.DIBSectionBitsPtr() + static_cast<int64_t>(d.Height() - 1 - y) * d.BytesPerScanLine() + 3 * x;
    p[0] = p[1] = p[2] = value;
}

struct Heat_Options {
    int32_t frames = 6;
    int32_t width = 64;
    int32_t height = 48;
    bool interlaced = true;
    bool rotated = false;
    bool golf = false; // the header carries the golf analysis record
};

std::string Make(const std::string& name, const Heat_Options& o = {}) {
    const std::string path = test_env::make_dir("display_" + name) + "/" + name + ".qf3";
    make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(path, 8000);
    recipe.width = o.width;
    recipe.height = o.height;
    if (o.golf) {
        const bool saved = g_Golfing;
        g_Golfing = true;
        VF maker;
        maker.Golfing(true);
        EXPECT_TRUE(make_heat::New_Heat_File(maker, recipe));
        make_heat::Heat_Start(maker, recipe);
        EXPECT_EQ(make_heat::Capture_Run(maker, recipe, 1, o.frames), o.frames);
        g_Golfing = saved;
    } else {
        std::string error;
        EXPECT_TRUE(make_heat::Make_Heat(recipe, o.frames, &error)) << error;
    }
    VF vf;
    EXPECT_TRUE(vf.Open_File(path));
    vf.Set_RGB_interlaced(o.interlaced);
    vf.Header().RGB_Rotated(o.rotated);
    vf.Write_XML_Header();
    vf.Close_File();
    return path;
}

// Source storage row of destination storage row s after line doubling: an
// odd field number shows the odd storage rows (library field 2), which leaves
// the first and last storage rows as the field drawn before left them; in the
// tests below that is the even field of the same frame.
int32_t Field_Source_Row(int32_t s, bool odd_field, int32_t h) {
    if (!odd_field || s == 0 || s == h - 1) return s - s % 2;
    if (s % 2 == 1) return s;
    return s - 1;
}

// What the field picture shows at (x, y) for the decoded frame.
uint32_t Expected_Field_Pixel(const cDIBSection& frame, int32_t x, int32_t y, bool odd_field) {
    const int32_t h = frame.Height();
    const int32_t source = Field_Source_Row(h - 1 - y, odd_field, h);
    return Dib_Pixel(frame, x, h - 1 - source);
}

struct VideoFileDisplay : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override { test_env::dialogs().clear(); }
};

TEST_F(VideoFileDisplay, FieldNumberShowsFrameAndFieldWithItsTime) {
    const std::string path = Make("rule", {.frames = 6});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    struct Case {
        int32_t field, frame;
        int16_t shown;
        int32_t time;
        const char* formatted;
    };
    // Interlaced heat files: 20 ms a field, timed from field 1.
    for (const Case c : {Case{1, 1, 1, 0, "0.00"},
                         {2, 1, 2, 20, "0.02"},
                         {3, 2, 1, 40, "0.04"},
                         {4, 2, 2, 60, "0.06"},
                         {9, 5, 1, 160, "0.16"},
                         {12, 6, 2, 220, "0.22"},
                         {7, 4, 1, 120, "0.12"}}) {
        int32_t field = c.field;
        vf.Draw_RGB_Field(field, box);
        EXPECT_EQ(field, c.field) << "the caller's variable is read, not changed";
        EXPECT_EQ(vf.QF3_Displayed_Frame(), c.frame) << c.field;
        EXPECT_EQ(vf.Current_Sample(), c.frame) << c.field;
        EXPECT_EQ(vf.Field_To_Show(), c.shown) << c.field;
        EXPECT_EQ(vf.QF3_Displayed_Field(), c.shown) << c.field;
        EXPECT_EQ(vf.xCurrent(), c.field) << "interlaced material counts fields";
        EXPECT_EQ(vf.Effective_time(), c.time) << c.field;
        EXPECT_EQ(vf.Formatted_Time(), c.formatted) << c.field;
    }
}

TEST_F(VideoFileDisplay, DrawnFieldIsTheLineDoubledFieldOfItsFrameUpright) {
    const std::string path = Make("lines", {.frames = 4});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    VF witness; // an independent reader decodes the frames the drawing must show
    ASSERT_TRUE(witness.Open_File(path));
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    // Even first, so the odd field after it cannot lean on lines left over.
    for (int32_t f : {4, 3, 2, 1, 6, 5}) {
        int32_t field = f;
        vf.Draw_RGB_Field(field, box);
        const int32_t frame = (f + 1) / 2;
        witness.Read_RGB_sample(frame, true);
        const cDIBSection& decoded = witness.Decoded_Frame();
        const bool odd = f % 2 == 1;
        int32_t box_mismatch = 0, field_mismatch = 0;
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                const uint32_t want = Expected_Field_Pixel(decoded, x, y, odd);
                box_mismatch += gdi::GetPixel(box.hDC(), x, y) != want;
                field_mismatch += gdi::GetPixel(vf.DEint_HDC(), x, y) != want;
            }
        EXPECT_EQ(box_mismatch, 0) << "field " << f;
        EXPECT_EQ(field_mismatch, 0) << "field " << f;
        // The odd field leaves the top and bottom lines as the even field drew them.
        if (odd) {
            EXPECT_EQ(gdi::GetPixel(box.hDC(), 10, 0), Dib_Pixel(decoded, 10, 1));
            EXPECT_EQ(gdi::GetPixel(box.hDC(), 10, 47), Dib_Pixel(decoded, 10, 47));
        }
        // Pairs of lines are equal: each field line is shown twice.
        const int32_t pair_top = odd ? 1 : 0;
        EXPECT_EQ(gdi::GetPixel(box.hDC(), 20, pair_top), gdi::GetPixel(box.hDC(), 20, pair_top + 1));
    }
    // The two fields of a frame are different pictures.
    std::vector<uint32_t> odd_field;
    int32_t one = 3, two = 4;
    vf.Draw_RGB_Field(one, box);
    for (int32_t y = 0; y < 48; ++y)
        odd_field.push_back(gdi::GetPixel(box.hDC(), 32, y));
    vf.Draw_RGB_Field(two, box);
    int32_t differing = 0;
    for (int32_t y = 0; y < 48; ++y)
        differing += gdi::GetPixel(box.hDC(), 32, y) != odd_field[static_cast<size_t>(y)];
    EXPECT_GT(differing, 0);
}

TEST_F(VideoFileDisplay, RotatedFileShowsTopEdgeOnTheLeft) {
    const std::string path = Make("rotated", {.frames = 4, .rotated = true});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    ASSERT_TRUE(vf.rotated());
    VF witness;
    ASSERT_TRUE(witness.Open_File(path));
    forms::PictureBox& box =
        heat_fixture::Picture_Box<Frm_display_test>(48, 64); // rotated: the frame's height across
    int32_t even = 4, field = 3; // the even field first: the odd one keeps its first and last lines
    vf.Draw_RGB_Field(even, box);
    vf.Draw_RGB_Field(field, box);
    witness.Read_RGB_sample(2, true);
    const cDIBSection& decoded = witness.Decoded_Frame();
    int32_t mismatch = 0;
    for (int32_t Y = 0; Y < 64; ++Y)
        for (int32_t X = 0; X < 48; ++X)
            mismatch += gdi::GetPixel(box.hDC(), X, Y) != Expected_Field_Pixel(decoded, 63 - Y, X, true);
    EXPECT_EQ(mismatch, 0);
    // Pixel access follows the rotated picture; the field picture's own
    // device context stays unrotated.
    EXPECT_EQ(static_cast<uint32_t>(vf.Get_Field_Pixel(0, 0)), Expected_Field_Pixel(decoded, 63, 0, true));
    EXPECT_EQ(static_cast<uint32_t>(vf.Get_Field_Pixel(47, 63)), Expected_Field_Pixel(decoded, 0, 47, true));
    EXPECT_EQ(gdi::GetPixel(vf.DEint_HDC(), 0, 0), Expected_Field_Pixel(decoded, 0, 0, true));
    EXPECT_EQ(gdi::GetPixel(vf.Rotated_HDC(), 5, 9), static_cast<uint32_t>(vf.Get_Field_Pixel(5, 9)));
    vf.Let_Field_Pixel(5, 9, 0x00123456);
    EXPECT_EQ(vf.Get_Field_Pixel(5, 9), 0x00123456);
    vf.Set_Field_Pixel(6, 9, 0x00ABCDEF);
    EXPECT_EQ(gdi::GetPixel(vf.Rotated_HDC(), 6, 9), 0x00ABCDEFu);

    // The whole frame, rotated the same way, both fields interleaved.
    int16_t frame = 3;
    vf.Draw_RGB_frame(frame, box);
    witness.Read_RGB_sample(3, true);
    mismatch = 0;
    for (int32_t Y = 0; Y < 64; ++Y)
        for (int32_t X = 0; X < 48; ++X)
            mismatch += gdi::GetPixel(box.hDC(), X, Y) != Dib_Pixel(witness.Decoded_Frame(), 63 - Y, X);
    EXPECT_EQ(mismatch, 0);
    EXPECT_EQ(vf.Effective_time(), 80) << "(frame 3 - 1) x 40 ms";
}

TEST_F(VideoFileDisplay, FrameDrawShowsTheWholeFrameAndKeepsTheFieldPicture) {
    const std::string path = Make("frame", {.frames = 5});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    int32_t field = 2;
    vf.Draw_RGB_Field(field, box);
    const uint32_t field_pixel = gdi::GetPixel(vf.DEint_HDC(), 40, 30);
    int16_t frame = 4;
    vf.Draw_RGB_frame(frame, box);
    int32_t mismatch = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            mismatch += gdi::GetPixel(box.hDC(), x, y) != Dib_Pixel(vf.Decoded_Frame(), x, y);
    EXPECT_EQ(mismatch, 0);
    EXPECT_EQ(vf.Effective_time(), 120);
    EXPECT_EQ(gdi::GetPixel(vf.DEint_HDC(), 40, 30), field_pixel) << "a frame draw leaves the field picture";

    // A larger control shows the same picture stretched over it, corner to
    // corner: the stretch smooths, so a shown pixel lies within the colours
    // of its source pixel's neighbours.
    forms::PictureBox& big = heat_fixture::Picture_Box<Frm_display_test>(128, 96);
    vf.Draw_Current_RGB_frame(big);
    const cDIBSection& d = vf.Decoded_Frame();
    const auto within_neighbours = [&](int32_t x, int32_t y) {
        const uint32_t shown = gdi::GetPixel(big.hDC(), 2 * x + 1, 2 * y + 1);
        for (int shift : {0, 8, 16}) {
            int lo = 255, hi = 0;
            for (int32_t ny = std::max(0, y - 1); ny <= std::min(47, y + 1); ++ny)
                for (int32_t nx = std::max(0, x - 1); nx <= std::min(63, x + 1); ++nx) {
                    const int v = static_cast<int>((Dib_Pixel(d, nx, ny) >> shift) & 0xFF);
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            const int v = static_cast<int>((shown >> shift) & 0xFF);
            if (v < lo - 2 || v > hi + 2) return false;
        }
        return true;
    };
    int32_t outside = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            outside += !within_neighbours(x, y);
    EXPECT_EQ(outside, 0);
}

TEST_F(VideoFileDisplay, FieldNumbersOutOfRangeAndTheInterlacedSetting) {
    const std::string path = Make("range", {.frames = 3});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    // Field 0 shows frame 1 (the reader takes sample 0 as sample 1).
    int32_t zero = 0;
    vf.Draw_RGB_Field(zero, box);
    EXPECT_EQ(vf.Current_Sample(), 1);
    EXPECT_EQ(vf.Effective_time(), -20);
    // Frame numbers are 32-bit (a long heat has more than 16383 frames); one
    // past the file's end raises nothing.
    int32_t huge = 70000;
    EXPECT_NO_THROW(vf.Draw_RGB_Field(huge, box));
    // The setting for a new file is not the header's value.
    EXPECT_TRUE(vf.RGB_interlaced());
    vf.RGB_interlaced(false);
    EXPECT_TRUE(vf.RGB_interlaced());
    vf.Set_RGB_interlaced(false);
    EXPECT_FALSE(vf.RGB_interlaced());
}

TEST_F(VideoFileDisplay, RawSampleSmallerThanAFrameIsRefusedNotReadPast) {
    // A header naming no JPEG codec makes the samples raw pictures; these
    // slots hold 8000 bytes, a 64 x 48 frame needs 9216.
    const std::string path = Make("raw", {.frames = 3});
    {
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        vf.Header().RGB_fourcc("RGB");
        vf.Write_XML_Header();
    }
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    int32_t field = 3;
    try {
        vf.Draw_RGB_Field(field, box);
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 59);
        EXPECT_NE(e.description().find("9216"), std::string::npos) << e.description();
    }
    int16_t frame = 2;
    vf.Draw_RGB_frame(frame, box); // shows the frame bitmap as it was, reads nothing past the slot
}

// ---- Overlays ----

struct Overlay_Run {
    VF vf;
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(64, 48);
    explicit Overlay_Run(const std::string& path) {
        EXPECT_TRUE(vf.Open_File(path));
        int32_t first = 1;
        vf.Restore_target(first); // the overlay bitmaps at the frame's size
    }
    // The next "decoded frame": every pixel grey `base`, a few set apart.
    void Frame(int32_t number, uint8_t base, std::initializer_list<std::pair<int32_t, uint8_t>> xs = {}) {
        Fill(vf.Decoded_Frame(), base);
        for (auto [x, v] : xs)
            Set_Grey(vf.Decoded_Frame(), x, 0, v);
        vf.Draw_Overlay_Frame(number, box);
    }
    int32_t Shown(int32_t x, int32_t y = 0) {
        return static_cast<int32_t>(gdi::GetPixel(box.hDC(), x, y) & 0xFF);
    }
};

TEST_F(VideoFileDisplay, LuminanceOverlayTakesOnlyPixelsBrighterByMoreThanThirty) {
    Overlay_Run run(Make("lblend", {.frames = 3}));
    run.vf.Overlay(2);
    run.Frame(1, 100);
    EXPECT_EQ(run.Shown(0), 100);
    run.Frame(2, 100, {{0, 130}, {1, 131}, {2, 220}, {3, 20}});
    EXPECT_EQ(run.Shown(0), 100) << "brighter by exactly 30 stays";
    EXPECT_EQ(run.Shown(1), 131);
    EXPECT_EQ(run.Shown(2), 220);
    EXPECT_EQ(run.Shown(3), 100) << "a darker pixel never replaces";
    EXPECT_EQ(run.Shown(30, 20), 100);
    // The trail builds up: an earlier bright pixel stays against a dim frame.
    run.Frame(3, 90);
    EXPECT_EQ(run.Shown(2), 220);
    // Mode 1 shows the accumulated picture unchanged.
    run.vf.Overlay(1);
    run.Frame(2, 250);
    EXPECT_EQ(run.Shown(5), 100);
    EXPECT_EQ(run.Shown(1), 131);
    // Frame 1 starts the trail again in any mode.
    run.Frame(1, 77);
    EXPECT_EQ(run.Shown(2), 77);
}

TEST_F(VideoFileDisplay, CrossFadeWeighsTheNewFrameInThirtieths) {
    Overlay_Run run(Make("ablend", {.frames = 3}));
    run.vf.Overlay(4);
    run.Frame(1, 60); // the reference frame and the start of the picture
    struct Case {
        int16_t weight;
        int32_t shown;
    };
    for (const Case c :
         {Case{30, 151}, {0, 60}, {10, (151 * 10 + 60 * 20) / 30}, {20, (151 * 20 + 60 * 10) / 30}}) {
        run.vf.Blend_faktor(c.weight);
        run.Frame(2, 151);
        EXPECT_EQ(run.Shown(7, 7), c.shown) << c.weight;
    }
    // Frame 1 replaces the reference too.
    run.Frame(1, 10);
    run.vf.Blend_faktor(0);
    run.Frame(2, 200);
    EXPECT_EQ(run.Shown(7, 7), 10);

    // A_Blend cross-fades the frame now read with the reference frame.
    run.vf.Blend_faktor(30);
    Fill(run.vf.Decoded_Frame(), 180);
    run.vf.A_Blend(run.box);
    EXPECT_EQ(run.Shown(3, 3), 180);
    // Store_OL_Source makes the frame now read the reference.
    run.vf.Store_OL_Source();
    run.vf.Blend_faktor(0);
    Fill(run.vf.Decoded_Frame(), 5);
    run.vf.A_Blend(run.box);
    EXPECT_EQ(run.Shown(3, 3), 180);
}

TEST_F(VideoFileDisplay, StoredFramesComeFromTheHeatFile) {
    const std::string path = Make("store", {.frames = 4});
    Overlay_Run run(path);
    VF witness;
    ASSERT_TRUE(witness.Open_File(path));
    witness.Read_RGB_sample(3, true);
    run.vf.Overlay(1);
    int32_t three = 3;
    run.vf.Restore_target(three);
    run.vf.Reset_Overlay(run.box); // mode 1: the frame read becomes the picture shown
    EXPECT_EQ(gdi::GetPixel(run.box.hDC(), 20, 10), Dib_Pixel(witness.Decoded_Frame(), 20, 10));
    int32_t zero = 0;
    run.vf.Store_frame(zero, "target");
    EXPECT_EQ(zero, 1) << "frame 0 becomes 1 in the caller's variable";
    EXPECT_EQ(run.vf.Current_Sample(), 1);
    // Mode 0 resets nothing.
    run.vf.Overlay(0);
    Fill(run.vf.Decoded_Frame(), 0);
    run.vf.Reset_Overlay(run.box);
    EXPECT_EQ(gdi::GetPixel(run.box.hDC(), 20, 10), Dib_Pixel(witness.Decoded_Frame(), 20, 10));
}

// ---- The information text ----

TEST_F(VideoFileDisplay, HeatFileInformationText) {
    const std::string path = Make("props", {.frames = 5, .golf = true});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.File_comment1("benchmark line");
    const double mb = vb::RoundHalfEven(static_cast<double>(Get_File_Size(path)) / 1048576.0 * 10) / 10;
    const std::string head =
        "File_size: " + vb::CStr(mb) + " MB\r\n" + "Progressive : False\r\n" + "Frames : 5\r\n" +
        "Dimensions : 64*48\r\n" + "Rotated : False\r\n" + "Fourcc : " + vf.Header().RGB_fourcc() + "\r\n" +
        "Codec : " + vf.Header().RGB_JPEG_Codec() + "\r\n" + "Quality : 80\r\n" +
        "Measured fps : " + vf.Header().RGB_fps() + "\r\n" +
        "Phidget serial  : " + vf.Header().Phidget_serial() + "\r\n" + "Comment : benchmark line\r\n";
    EXPECT_EQ(vf.Property_String(),
              head + "Selection start/end = 0/0\r\n" + "Special application =  " + vf.SpecApp() + "\r\n");
    EXPECT_EQ(vf.Property_String().find("File name : "), std::string::npos);
    // A special application "golf" in any case adds the swing lines.
    vf.SpecApp("golf");
    vf.Selection_start(12);
    vf.Selection_end(40);
    EXPECT_EQ(vf.Property_String(), head + "Selection start/end = 12/40\r\n" +
                                        "Special application =  golf\r\n" +
                                        "Swing top at =  " + vb::CStr(vf.Top_field()) + "\r\n" +
                                        "Swing impact at =  " + vb::CStr(vf.Impact_field()) + "\r\n");
}

// ---- Positions against a model video ----

TEST_F(VideoFileDisplay, ModelPositionsOfInterlacedMaterial) {
    const std::string path = Make("synch", {.frames = 300, .width = 16, .height = 8});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Synch_time(1000), 51) << "1000 ms / 20 ms + 1";
    vf.Selection_start(10);
    EXPECT_EQ(vf.Synch_time(1000), 60);
    EXPECT_EQ(vf.Synch_percentage(50), 300) << "half of 600 fields";
    EXPECT_EQ(vf.Percentage(), 50);
    vf.Video_Offset(3);
    EXPECT_EQ(vf.Synch_model(-5), 1);
    EXPECT_EQ(vf.Synch_model(7), 10);
    vf.Video_Offset(0);
    EXPECT_EQ(vf.Synch_model(500), 300);
    // The field a slider position shows, net of the selection.
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(16, 8);
    int32_t field = 25;
    vf.Draw_RGB_Field(field, box);
    EXPECT_EQ(vf.xCurrent(), 25);
    EXPECT_EQ(vf.Current_net(), 16);
    // The player's time is the frame's place in the heat; a base time set
    // there counts from that frame until another frame is read.
    EXPECT_FLOAT_EQ(vf.Player_Time(), 480.0f) << "frame 13, 40 ms a frame";
    EXPECT_FALSE(vf.has_Base_Time());
    vf.Set_Base_time(true);
    EXPECT_TRUE(vf.has_Base_Time());
    EXPECT_FLOAT_EQ(vf.Player_Time(), 0.0f);
    EXPECT_FLOAT_EQ(vf.Player_Effective_Time(), 0.0f);
    field = 31;
    vf.Draw_RGB_Field(field, box);
    EXPECT_FLOAT_EQ(vf.Player_Time(), 120.0f) << "frame 16 against frame 13";
    EXPECT_FLOAT_EQ(vf.Player_Effective_Time(), 120.0f) << "field 31 against field 25";
    vf.Set_Base_time(false);
    EXPECT_FALSE(vf.has_Base_Time());
    EXPECT_FLOAT_EQ(vf.Player_Time(), 600.0f);
}

TEST_F(VideoFileDisplay, ModelPositionErrorsAreReportedWithTheirPlace) {
    heat_fixture::Normal_Mode normal;
    VF vf; // no file: no field duration
    EXPECT_EQ(vf.Synch_time(1000), 0);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].number, vb::errDivisionByZero);
    EXPECT_EQ(normal.reports[0].location, "Synch_time of Class Module cls_AVI_handler");
    EXPECT_EQ(vf.Synch_percentage(10), 0);
    EXPECT_EQ(normal.reports.size(), 1u) << "no fields: position 0, nothing wrong";
}

// ---- Analysis, selection, comments and graph objects ----

// The header as the file holds it, read by a second object.
std::string Stored(const std::string& path, const std::string& xpath) {
    VF reader;
    EXPECT_TRUE(reader.Open_File(path));
    return heat_fixture::Header_Element(reader, xpath);
}

TEST_F(VideoFileDisplay, ImpactTopAndSelectionBySuffix) {
    const std::string path = Make("golf", {.frames = 20, .golf = true});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.Read_RGB_sample(7, true);
    vf.Set_Specific_Impact_Field(17);
    EXPECT_EQ(vf.Impact_field(), 17);
    EXPECT_EQ(Stored(path, "//impact_field"), "17");
    // A heat file has no "this frame" impact: unchanged, but written back.
    vf.Header().Impact_field(99);
    vf.Set_This_Impact_Frame();
    EXPECT_EQ(Stored(path, "//impact_field"), "99");
    vf.Set_Specific_Top_Frame(4);
    EXPECT_EQ(Stored(path, "//top_field"), "4");

    vf.Set_Start_frame();
    vf.Set_End_frame();
    EXPECT_EQ(vf.Selection_start(), 7);
    EXPECT_EQ(vf.Selection_end(), 7);
    vf.Clear_Start_Frame();
    EXPECT_EQ(vf.Selection_start(), 0);
    EXPECT_EQ(vf.Selection_end(), 7);
    vf.Clear_End_Frame();
    EXPECT_EQ(Stored(path, "//stream_header[@id='1']/sel_end"), "0");

    vf.Set_Selrect_stream1(400, 10, 700, 20);
    for (auto [side, v] : {std::pair{"b", 400}, {"t", 20}, {"l", 10}, {"r", 700}})
        EXPECT_EQ(vf.Header().Selection_Rectangle(1, side), v) << side;
    VF reader;
    ASSERT_TRUE(reader.Open_File(path));
    EXPECT_EQ(reader.Header().Selection_Rectangle(1, "b"), 400);
    EXPECT_EQ(reader.Header().Selection_Rectangle(1, "r"), 700);
}

TEST_F(VideoFileDisplay, TrimmedRangeSetsTheFieldCount) {
    const std::string path = Make("trim", {.frames = 100, .width = 8, .height = 8, .golf = true});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Num_fields(), 200);
    vf.Header().trimmed_Start_Field(10);
    vf.Header().trimmed_End_Field(0);
    for (int call = 1; call <= 3; ++call) {
        vf.Calculate_Number_of_Fields();
        EXPECT_EQ(vf.Num_fields(), 190) << "call " << call << " counts from the whole file again";
    }
    EXPECT_EQ(vf.Trimmed_Start(), 10);
    vf.Header().trimmed_End_Field(110);
    vf.Calculate_Number_of_Fields();
    EXPECT_EQ(vf.Num_fields(), 100);
    EXPECT_EQ(vf.Trimmed_End(), 110);
    // The trimmed start is where field times begin.
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_display_test>(8, 8);
    int32_t field = 15;
    vf.Draw_RGB_Field(field, box);
    EXPECT_EQ(vf.Effective_time(), 100);
    EXPECT_FALSE(vf.Has_DV_Header());
}

TEST_F(VideoFileDisplay, HeaderPassThroughsReachTheirElements) {
    const std::string path = Make("pass", {.frames = 2, .width = 8, .height = 8, .golf = true});
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_TRUE(vf.is_Tidewick());
    struct Row {
        const char* name;
        std::function<void(VF&)> let;
        std::function<std::string(VF&)> get;
        const char* xpath;
        const char* stored;
    };
    const std::vector<Row> rows = {
        {"File_comment1", [](VF& v) { v.File_comment1("JPG bench 4 ms"); },
         [](VF& v) { return v.File_comment1(); }, "//file_comment1", "JPG bench 4 ms"},
        {"comment 3", [](VF& v) { v.comment(3, "third"); }, [](VF& v) { return v.comment(3); },
         "//file_comment3", "third"},
        {"Subject_name", [](VF& v) { v.Subject_name("K1 200 m"); }, [](VF& v) { return v.Subject_name(); },
         "//subject_name", "K1 200 m"},
        {"SpecApp", [](VF& v) { v.SpecApp("Canoe"); }, [](VF& v) { return v.SpecApp(); }, "//specapp1",
         "Canoe"},
        {"Camera_ID", [](VF& v) { v.Camera_ID(1, "cam-7"); }, [](VF& v) { return v.Camera_ID(1); },
         "//stream_header[@id='1']/camera_ID", "cam-7"},
    };
    for (const Row& r : rows) {
        r.let(vf);
        EXPECT_EQ(r.get(vf), r.stored) << r.name;
        EXPECT_EQ(heat_fixture::Header_Element(vf, r.xpath), r.stored) << r.name;
    }
    // The graph objects keep their fifteen values in order.
    vf.Save_Graph_object(3, 2, 1, 0x00FF8040, 1, 2, true, 10, 20, 30, 40, 50, 60, 70, 80);
    int16_t type = 0, layer = 0, linetype = 0, width = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0,
            x4 = 0, y4 = 0;
    int32_t color = 0;
    bool filled = false;
    vf.Load_Graph_object(3, type, layer, color, linetype, width, filled, x1, y1, x2, y2, x3, y3, x4, y4);
    EXPECT_EQ(
        std::vector<int32_t>({type, layer, color, linetype, width, filled, x1, y1, x2, y2, x3, y3, x4, y4}),
        std::vector<int32_t>({2, 1, 0x00FF8040, 1, 2, 1, 10, 20, 30, 40, 50, 60, 70, 80}));
    vf.Set_Frames_no(2);
    EXPECT_EQ(Stored(path, "//num_frames"), "2");
}

TEST_F(VideoFileDisplay, XmlDumpHoldsTheLastDumpOnly) {
    VF vf;
    vf.Dump_XML_String("<a>long text</a>");
    vf.Dump_XML_String("<b/>");
    const std::string folder = g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder;
    EXPECT_EQ(test_env::read_file(folder + "/dumpxml.xml"), "<b/>");
}

} // namespace
