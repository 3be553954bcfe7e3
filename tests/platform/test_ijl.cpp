#include "Ijl.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace ijl;

// A bottom-up BGR picture whose top half is red and bottom half blue.
struct Picture {
    int w, h, stride;
    std::vector<uint8_t> px;
    Picture(int w_, int h_)
        : w(w_), h(h_), stride((w_ * 3 + 3) & ~3), px(static_cast<size_t>(stride * h_), 0x5A) {
        for (int row = 0; row < h; ++row) {
            const bool top_half = row >= h / 2; // row 0 in memory is the bottom of the picture
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &px[static_cast<size_t>(row * stride + x * 3)];
                p[0] = top_half ? 0 : 255;
                p[1] = 0;
                p[2] = top_half ? 255 : 0;
            }
        }
    }
};

int32_t encode(const Picture& pic, std::vector<uint8_t>& out, int32_t capacity, int quality = 80) {
    JPEG_CORE_PROPERTIES p;
    EXPECT_EQ(ijlInit(&p), IJL_OK);
    p.DIBWidth = pic.w;
    p.DIBHeight = -pic.h;
    p.DIBBytes = const_cast<uint8_t*>(pic.px.data());
    p.DIBPadBytes = pic.stride - pic.w * 3;
    p.JPGWidth = pic.w;
    p.JPGHeight = pic.h;
    p.jquality = quality;
    p.JPGBytes = out.data();
    p.JPGSizeBytes = capacity;
    const int32_t r = ijlWrite(&p, IJL_JBUFF_WRITEWHOLEIMAGE);
    ijlFree(&p);
    return r == IJL_OK ? p.JPGSizeBytes : r;
}

TEST(Ijl, RoundTripStaysUprightWithPaddedRows) {
    for (int w : {333, 440, 8}) {
        Picture pic(w, 64);
        std::vector<uint8_t> jpg(200000);
        const int32_t len = encode(pic, jpg, static_cast<int32_t>(jpg.size()));
        ASSERT_GT(len, 0);
        EXPECT_EQ(jpg[0], 0xFF);
        EXPECT_EQ(jpg[1], 0xD8);

        JPEG_CORE_PROPERTIES p;
        ASSERT_EQ(ijlInit(&p), IJL_OK);
        p.JPGBytes = jpg.data();
        p.JPGSizeBytes = len;
        ASSERT_EQ(ijlRead(&p, IJL_JBUFF_READPARAMS), IJL_OK);
        EXPECT_EQ(p.JPGWidth, w);
        EXPECT_EQ(p.JPGHeight, 64);
        EXPECT_EQ(p.JPGChannels, 3);
        Picture back(w, 64);
        std::fill(back.px.begin(), back.px.end(), 0x77);
        p.DIBWidth = w;
        p.DIBHeight = -64;
        p.DIBPadBytes = back.stride - 3 * w;
        p.DIBBytes = back.px.data();
        ASSERT_EQ(ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);
        ijlFree(&p);
        const uint8_t* bottom = &back.px[static_cast<size_t>(2 * back.stride + 3)];
        const uint8_t* top = &back.px[static_cast<size_t>(61 * back.stride + 3)];
        EXPECT_GT(bottom[0], 200);
        EXPECT_LT(bottom[2], 50);
        EXPECT_GT(top[2], 200);
        EXPECT_LT(top[0], 50);
        // Padding bytes at the end of each row are the bitmap's own.
        if (back.stride > 3 * w) {
            EXPECT_EQ(back.px[static_cast<size_t>(3 * w)], 0x77);
        }
    }
}

TEST(Ijl, SmallBufferFailsWithoutWritingPastIt) {
    Picture pic(440, 200);
    std::vector<uint8_t> jpg(200000, 0xCC);
    const int32_t full = encode(pic, jpg, static_cast<int32_t>(jpg.size()));
    ASSERT_GT(full, 100);
    std::vector<uint8_t> small(full - 1 + 16, 0xCC);
    EXPECT_EQ(encode(pic, small, full - 1), IJL_BUFFER_TOO_SMALL);
    for (size_t i = 0; i < small.size(); ++i)
        ASSERT_EQ(small[i], 0xCC) << i;
    // Small pictures: the library's worst case exceeds width x height x 3.
    Picture tiny(2, 2);
    std::vector<uint8_t> t(12 + 16, 0xCC);
    EXPECT_EQ(encode(tiny, t, 12), IJL_BUFFER_TOO_SMALL);
    for (size_t i = 12; i < t.size(); ++i)
        ASSERT_EQ(t[i], 0xCC);
}

TEST(Ijl, DamagedInputFails) {
    Picture pic(64, 64);
    std::vector<uint8_t> jpg(100000);
    const int32_t len = encode(pic, jpg, 100000);
    ASSERT_GT(len, 0);
    JPEG_CORE_PROPERTIES p;
    ijlInit(&p);
    std::vector<uint8_t> junk(500, 0x42);
    p.JPGBytes = junk.data();
    p.JPGSizeBytes = 500;
    EXPECT_NE(ijlRead(&p, IJL_JBUFF_READPARAMS), IJL_OK);
    // A bitmap of the wrong size is refused, never overrun.
    p.JPGBytes = jpg.data();
    p.JPGSizeBytes = len;
    Picture other(32, 32);
    p.DIBBytes = other.px.data();
    p.DIBWidth = 32;
    p.DIBHeight = -32;
    p.DIBPadBytes = 0;
    EXPECT_NE(ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);
    ijlFree(&p);
    // A record that was never initialised is refused.
    JPEG_CORE_PROPERTIES raw;
    EXPECT_EQ(ijlRead(&raw, IJL_JBUFF_READPARAMS), IJL_INVALID_JPEG_PROPERTIES);
}

// The picture's size as its frame header (SOF0) tells it, rewritten.
void set_size(std::vector<uint8_t>& jpg, int32_t len, uint16_t w, uint16_t h) {
    for (int32_t i = 0; i + 8 < len; ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 5] = static_cast<uint8_t>(h >> 8), jpg[i + 6] = static_cast<uint8_t>(h);
            jpg[i + 7] = static_cast<uint8_t>(w >> 8), jpg[i + 8] = static_cast<uint8_t>(w);
            return;
        }
    FAIL() << "no frame header";
}

TEST(Ijl, PictureLargerThanAnyFrameIsRefusedBeforeDecoding) {
    Picture pic(64, 64);
    std::vector<uint8_t> jpg(100000);
    const int32_t len = encode(pic, jpg, 100000);
    ASSERT_GT(len, 0);
    struct Case {
        uint16_t w, h;
        int32_t result;
    };
    for (const Case c : {Case{20000, 20000, IJL_UNSUPPORTED_FRAME},
                         {64, kMaxFrameSide + 1, IJL_UNSUPPORTED_FRAME},
                         {kMaxFrameSide + 1, 64, IJL_UNSUPPORTED_FRAME},
                         {64, kMaxFrameSide, IJL_OK}}) {
        std::vector<uint8_t> big = jpg;
        set_size(big, len, c.w, c.h);
        JPEG_CORE_PROPERTIES p;
        ijlInit(&p);
        p.JPGBytes = big.data();
        p.JPGSizeBytes = len;
        EXPECT_EQ(ijlRead(&p, IJL_JBUFF_READPARAMS), c.result) << c.w << "x" << c.h;
        // A whole-image read is refused alike, whatever bitmap it is given.
        p.DIBBytes = pic.px.data();
        p.DIBWidth = c.w;
        p.DIBHeight = -c.h;
        if (c.result != IJL_OK) {
            EXPECT_EQ(ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE), c.result);
        }
        ijlFree(&p);
    }
}

} // namespace
