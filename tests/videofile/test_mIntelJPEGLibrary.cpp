// The JPEG codec module against an outside witness: ffmpeg decodes what we
// encode, and what ffmpeg encodes decodes through us to the same picture,
// upright and unmirrored, at odd widths and in grey.
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// PSNR in dB of a bottom-up bitmap against top-down raw BGR rows.
double Psnr_Against_Raw(const cDIBSection& dib, const std::string& raw) {
    const int32_t w = dib.Width(), h = dib.Height();
    if (raw.size() != static_cast<size_t>(w) * h * 3) return -1;
    double sum = 0;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* p = dib.DIBSectionBitsPtr() + static_cast<int64_t>(h - 1 - y) * dib.BytesPerScanLine();
        const auto* q = reinterpret_cast<const uint8_t*>(raw.data()) + static_cast<int64_t>(y) * w * 3;
        for (int32_t i = 0; i < w * 3; ++i)
            sum += (p[i] - q[i]) * double(p[i] - q[i]);
    }
    const double mse = sum / (static_cast<double>(w) * h * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A picture with smooth colour and one grey block at the top left: any flip
// or mirror moves the block, and no sharp colour edge tests chroma
// upsampling instead of the codec.
void Fill_Smooth(cDIBSection& dib, bool grey) {
    const int32_t w = dib.Width(), h = dib.Height();
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* p = dib.DIBSectionBitsPtr() + static_cast<int64_t>(h - 1 - y) * dib.BytesPerScanLine();
        for (int32_t x = 0; x < w; ++x) {
            double b = 40 + 150.0 * x / w, g = 30 + 180.0 * y / h,
                   r = 110 + 60 * std::sin(x / 25.0 + y / 40.0);
            if (x < w / 4 && y < h / 4) b = g = r = 20; // the block, grey so only luminance changes
            if (grey) b = g = r = 0.11 * b + 0.59 * g + 0.30 * r;
            p[3 * x] = static_cast<uint8_t>(b);
            p[3 * x + 1] = static_cast<uint8_t>(g);
            p[3 * x + 2] = static_cast<uint8_t>(r);
        }
    }
}

std::string Raw_Of(const cDIBSection& dib) {
    std::string raw;
    for (int32_t y = 0; y < dib.Height(); ++y) {
        const auto* p = reinterpret_cast<const char*>(dib.DIBSectionBitsPtr()) +
                        static_cast<int64_t>(dib.Height() - 1 - y) * dib.BytesPerScanLine();
        raw.append(p, static_cast<size_t>(dib.Width()) * 3);
    }
    return raw;
}

std::string Ffmpeg_Decode(const std::string& jpg, const std::string& raw) {
    std::string out;
    test_env::run("ffmpeg -v error -y -i '" + jpg +
                      "' -sws_flags +accurate_rnd+full_chroma_int+bitexact -f rawvideo -pix_fmt bgr24 '" +
                      raw + "' 2>&1",
                  &out);
    return out;
}

struct JpegCodecModule : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override {
        if (!test_env::have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
        test_env::dialogs().clear();
    }
};

TEST_F(JpegCodecModule, FfmpegDecodesWhatWeEncodeUpright) {
    const std::string dir = test_env::make_dir("jpeg_ours");
    for (const bool grey : {false, true}) {
        for (const int32_t width : {333, 440}) {
            SCOPED_TRACE(std::to_string(width) + (grey ? " grey" : " colour"));
            cDIBSection pic;
            ASSERT_TRUE(pic.Create(width, 120));
            Fill_Smooth(pic, grey);
            std::vector<uint8_t> jpeg(500000);
            int32_t size = static_cast<int32_t>(jpeg.size());
            ASSERT_TRUE(Save_JPG_To_Buffer(pic, jpeg.data(), size, 90));
            const std::string jpg = dir + "/ours.jpg", raw = dir + "/ours.raw";
            test_env::write_file(
                jpg, std::string(reinterpret_cast<char*>(jpeg.data()), static_cast<size_t>(size)));
            const std::string err = Ffmpeg_Decode(jpg, raw);
            ASSERT_TRUE(err.empty()) << err;
            // A picture stored upside down or mirrored would be far below this.
            EXPECT_GT(Psnr_Against_Raw(pic, test_env::read_file(raw)), 35);
            cDIBSection back;
            ASSERT_TRUE(Load_JPG_From_Buffer(back, jpeg.data(), size));
            EXPECT_GT(Psnr_Against_Raw(back, test_env::read_file(raw)), 40);
        }
    }
}

TEST_F(JpegCodecModule, WhatFfmpegEncodesDecodesToTheSamePicture) {
    const std::string dir = test_env::make_dir("jpeg_theirs");
    struct Case {
        int32_t width;
        const char* pix_fmt;
    };
    for (const Case c :
         {Case{333, "yuvj444p"}, Case{440, "yuvj444p"}, Case{333, "gray"}, Case{440, "gray"}}) {
        SCOPED_TRACE(std::to_string(c.width) + " " + c.pix_fmt);
        const std::string src = dir + "/source.raw", jpg = dir + "/theirs.jpg", raw = dir + "/theirs.raw";
        cDIBSection source;
        source.Create(c.width, 90);
        Fill_Smooth(source, std::string(c.pix_fmt) == "gray");
        test_env::write_file(src, Raw_Of(source));
        std::string out;
        ASSERT_EQ(test_env::run("ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s " +
                                    std::to_string(c.width) + "x90 -i '" + src + "' -frames:v 1 -pix_fmt " +
                                    c.pix_fmt + " -q:v 1 '" + jpg + "' 2>&1",
                                &out),
                  0)
            << out;
        ASSERT_TRUE(Ffmpeg_Decode(jpg, raw).empty());
        const std::string bytes = test_env::read_file(jpg);
        cDIBSection dib;
        dib.Create(16, 16); // another size: the decoder makes the bitmap anew
        ASSERT_TRUE(Load_JPG_From_Buffer(dib, reinterpret_cast<const uint8_t*>(bytes.data()),
                                         static_cast<int32_t>(bytes.size())));
        EXPECT_EQ(dib.Width(), c.width);
        EXPECT_EQ(dib.Height(), 90);
        EXPECT_GT(Psnr_Against_Raw(dib, test_env::read_file(raw)), 40);
        EXPECT_GT(Psnr_Against_Raw(dib, Raw_Of(source)), 35); // and upright against the picture itself
    }
}

TEST_F(JpegCodecModule, TooSmallABufferRaises26001AndIsNeverOverrun) {
    cDIBSection pic;
    pic.Create(440, 200);
    make_heat::Fill_Synthetic_Frame(pic, 1, false);
    std::vector<uint8_t> jpeg(200000, 0xCC);
    int32_t full = static_cast<int32_t>(jpeg.size());
    ASSERT_TRUE(Save_JPG_To_Buffer(pic, jpeg.data(), full, 80));
    std::vector<uint8_t> small(static_cast<size_t>(full) + 64, 0xCC);
    int32_t size = full - 1;
    try {
        Save_JPG_To_Buffer(pic, small.data(), size, 80);
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 26001);
        EXPECT_EQ(e.source(), "Tidewick_HDMI.mIntelJPEGLibrary");
        EXPECT_EQ(e.description().rfind("Failed to save to JPG ", 0), 0u) << e.description();
    }
    EXPECT_EQ(size, full - 1);
    for (size_t i = static_cast<size_t>(full - 1); i < small.size(); ++i)
        ASSERT_EQ(small[i], 0xCC) << i;
    // A bitmap with no pixels is a failure of the same kind, not a crash.
    cDIBSection none;
    size = full;
    EXPECT_THROW(Save_JPG_To_Buffer(none, jpeg.data(), size, 80), vb::VbError);
}

TEST_F(JpegCodecModule, DamagedBytesAreToldAndAnswerFalse) {
    cDIBSection dib;
    std::vector<uint8_t> junk(500, 0x42);
    EXPECT_FALSE(Load_JPG_From_Buffer(dib, junk.data(), static_cast<int32_t>(junk.size())));
    EXPECT_FALSE(Load_JPG_From_Buffer(dib, junk.data(), 0));
    EXPECT_FALSE(Load_JPG_From_Buffer(dib, nullptr, 100));
    const std::vector<std::string> told(3, "Failed to read JPG");
    EXPECT_EQ(test_env::dialogs().prompts(), told);
}

TEST_F(JpegCodecModule, PictureCutShortFailsWithTheDecodersMessage) {
    cDIBSection pic;
    pic.Create(160, 120);
    Fill_Smooth(pic, false);
    std::vector<uint8_t> jpeg(200000);
    int32_t size = static_cast<int32_t>(jpeg.size());
    ASSERT_TRUE(Save_JPG_To_Buffer(pic, jpeg.data(), size, 80));
    // The header is whole in each cut: the parameters read, the picture does not.
    for (const int32_t cut : {size / 2, size * 9 / 10, size - 2}) {
        SCOPED_TRACE(cut);
        test_env::dialogs().clear();
        cDIBSection dib;
        EXPECT_FALSE(Load_JPG_From_Buffer(dib, jpeg.data(), cut));
        EXPECT_EQ(test_env::dialogs().prompts(),
                  std::vector<std::string>{"Cannot read Image Data from file."});
    }
    test_env::dialogs().clear();
    cDIBSection whole;
    EXPECT_TRUE(Load_JPG_From_Buffer(whole, jpeg.data(), size));
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
}

} // namespace
