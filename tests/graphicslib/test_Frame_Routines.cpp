// The frame routines, called as the program calls them (bound by name from
// the library beside the test). Every frame lies between guard bytes and
// every byte of it, line padding included, starts with a random value; after
// a call the whole memory must equal a copy on which the expected change
// alone was made, so a stray write anywhere shows.
#include "Module_OrvelGraphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kGuard = 64;

size_t padded(int32_t pixels) {
    return (static_cast<size_t>(pixels) * 3 + 3) / 4 * 4;
}
size_t packed(int32_t pixels) {
    return static_cast<size_t>(pixels) * 3;
}

class Frame {
public:
    Frame(int32_t width, int32_t lines, size_t stride, unsigned seed)
        : width_(width), lines_(lines), stride_(stride),
          mem_(2 * kGuard + stride * static_cast<size_t>(lines)) {
        std::mt19937 rng(seed);
        for (auto& b : mem_)
            b = static_cast<uint8_t>(rng());
    }
    static Frame Padded(int32_t width, int32_t lines, unsigned seed) {
        return Frame(width, lines, padded(width), seed);
    }
    static Frame Packed(int32_t width, int32_t lines, unsigned seed) {
        return Frame(width, lines, packed(width), seed);
    }

    uint8_t* data() { return mem_.data() + kGuard; }
    uint8_t* line(int32_t y) { return data() + static_cast<size_t>(y) * stride_; }
    const uint8_t* line(int32_t y) const { return mem_.data() + kGuard + static_cast<size_t>(y) * stride_; }
    uint8_t* pixel(int32_t y, int32_t x) { return line(y) + 3 * static_cast<size_t>(x); }
    int32_t width() const { return width_; }
    int32_t lines() const { return lines_; }
    void fill_pixels(uint8_t b, uint8_t g, uint8_t r) {
        for (int32_t y = 0; y < lines_; ++y)
            for (int32_t x = 0; x < width_; ++x)
                set(y, x, b, g, r);
    }
    void set(int32_t y, int32_t x, uint8_t b, uint8_t g, uint8_t r) {
        uint8_t* p = pixel(y, x);
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }

    // Where the first difference from `other` lies, or "" when none.
    std::string first_difference(const Frame& other) const {
        for (size_t i = 0; i < mem_.size(); ++i) {
            if (mem_[i] == other.mem_[i]) continue;
            std::ostringstream where;
            if (i < kGuard) {
                where << "guard before the frame, byte " << i;
            } else if (i >= kGuard + stride_ * static_cast<size_t>(lines_)) {
                where << "guard after the frame, byte " << i - kGuard - stride_ * lines_;
            } else {
                const size_t off = i - kGuard, y = off / stride_, b = off % stride_;
                where << "line " << y << (b >= packed(width_) ? " padding" : "") << " byte " << b;
            }
            where << ": got " << int(mem_[i]) << ", expected " << int(other.mem_[i]);
            return where.str();
        }
        return {};
    }

private:
    int32_t width_, lines_;
    size_t stride_;
    std::vector<uint8_t> mem_;
};

#define EXPECT_SAME_MEMORY(actual, expected) EXPECT_EQ((actual).first_difference(expected), "")

// ---- the expected results, written as plainly as the rules read ----------

void expect_ablend(Frame& first, Frame& dst, Frame& second, int32_t w, int32_t h, int32_t weight) {
    for (int32_t y = 0; y < h; ++y)
        for (int32_t i = 0; i < 3 * w; ++i) {
            const int32_t a = first.line(y)[i], b = second.line(y)[i];
            dst.line(y)[i] = static_cast<uint8_t>((a * weight + b * (30 - weight)) / 30);
        }
}

int32_t luminance(const uint8_t* p) {
    return (81 * p[1] + 18 * p[2] + p[0]) / 100;
}

void expect_lblend(Frame& src, Frame& dst, int32_t w, int32_t h, int32_t mode) {
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t ls = luminance(src.pixel(y, x)), ld = luminance(dst.pixel(y, x));
            if ((mode == 1 && ls > ld + 30) || (mode == 2 && ls - 30 < ld))
                std::memcpy(dst.pixel(y, x), src.pixel(y, x), 3);
        }
}

void expect_flip(Frame& f, int32_t w, int32_t h) {
    for (int32_t y = 0; y < h; ++y)
        for (int32_t i = 0; i < w / 2; ++i)
            for (int c = 0; c < 3; ++c)
                std::swap(f.pixel(y, i)[c], f.pixel(y, w - 1 - i)[c]);
}

void expect_rotate(Frame& src, Frame& dst, int32_t w, int32_t h, int32_t flag) {
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c)
            std::memcpy(dst.pixel(c, flag != 0 ? r : h - 1 - r), src.pixel(r, c), 3);
}

struct Size {
    int32_t width, height;
};

std::string name(Size s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height);
}

// Odd and even sizes, sizes around the routines' 16- and 32-pixel blocks,
// and the 594-pixel width whose padded line is 1784 bytes.
const std::vector<Size> kSizes = {{1, 1},  {2, 1},   {1, 3},    {3, 2},   {4, 4},   {5, 3},   {7, 9},
                                  {15, 2}, {16, 3},  {17, 5},   {31, 4},  {32, 2},  {33, 7},  {47, 3},
                                  {48, 2}, {65, 11}, {100, 37}, {594, 6}, {6, 594}, {203, 71}};

// ---- ABlend --------------------------------------------------------------

TEST(ABlend, EveryBytePairAtEveryWeight) {
    // 256 x 256 byte pairs laid out over lines of 257 pixels (771 bytes, 1 padding byte).
    constexpr int32_t w = 257, h = 86;
    Frame first = Frame::Padded(w, h, 1), second = Frame::Padded(w, h, 2);
    for (int32_t y = 0, n = 0; y < h; ++y)
        for (int32_t i = 0; i < 3 * w; ++i, ++n) {
            first.line(y)[i] = static_cast<uint8_t>(n);
            second.line(y)[i] = static_cast<uint8_t>(n >> 8);
        }
    for (int32_t weight = 0; weight <= 30; ++weight) {
        Frame dst = Frame::Padded(w, h, 3), expected = dst;
        EXPECT_EQ(ABlend(first.data(), dst.data(), second.data(), w, h, weight), 1);
        expect_ablend(first, expected, second, w, h, weight);
        EXPECT_SAME_MEMORY(dst, expected) << "weight " << weight;
    }
}

TEST(ABlend, EndsOfTheScaleAndTheMiddle) {
    Frame a = Frame::Padded(5, 2, 4), b = Frame::Padded(5, 2, 5);
    a.fill_pixels(255, 255, 255);
    b.fill_pixels(0, 0, 0);
    Frame out = Frame::Padded(5, 2, 6);
    ABlend(a.data(), out.data(), b.data(), 5, 2, 30);
    EXPECT_EQ(std::memcmp(out.line(1), a.line(1), 15), 0);
    ABlend(a.data(), out.data(), b.data(), 5, 2, 0);
    EXPECT_EQ(std::memcmp(out.line(1), b.line(1), 15), 0);
    ABlend(a.data(), out.data(), b.data(), 5, 2, 15);
    EXPECT_EQ(out.pixel(1, 4)[2], 127);
}

TEST(ABlend, SizesAndInPlace) {
    for (const Size s : kSizes) {
        SCOPED_TRACE(name(s));
        Frame a = Frame::Padded(s.width, s.height, 7), b = Frame::Padded(s.width, s.height, 8);
        Frame dst = Frame::Padded(s.width, s.height, 9), expected = dst;
        EXPECT_EQ(ABlend(a.data(), dst.data(), b.data(), s.width, s.height, 11), 1);
        expect_ablend(a, expected, b, s.width, s.height, 11);
        EXPECT_SAME_MEMORY(dst, expected);

        // The destination is the first source, then the second.
        Frame in_place = a, want = a;
        ABlend(in_place.data(), in_place.data(), b.data(), s.width, s.height, 23);
        expect_ablend(a, want, b, s.width, s.height, 23);
        EXPECT_SAME_MEMORY(in_place, want);
        Frame in_place2 = b, want2 = b;
        ABlend(a.data(), in_place2.data(), in_place2.data(), s.width, s.height, 4);
        expect_ablend(a, want2, b, s.width, s.height, 4);
        EXPECT_SAME_MEMORY(in_place2, want2);
    }
}

TEST(ABlend, WeightOutsideTheScaleFollowsTheFormulaByteWise) {
    // Callers keep to 0..30; other weights give the 32-bit formula's low byte.
    for (int32_t weight : {-1, 31, 100, -300}) {
        Frame a = Frame::Padded(70, 3, 1), b = Frame::Padded(70, 3, 2), dst = Frame::Padded(70, 3, 3);
        Frame expected = dst;
        EXPECT_EQ(ABlend(a.data(), dst.data(), b.data(), 70, 3, weight), 1);
        expect_ablend(a, expected, b, 70, 3, weight);
        EXPECT_SAME_MEMORY(dst, expected) << "weight " << weight;
    }
}

TEST(ABlend, NoSizeWritesNothing) {
    Frame a = Frame::Padded(4, 4, 1), b = Frame::Padded(4, 4, 2), dst = Frame::Padded(4, 4, 3);
    const Frame before = dst;
    for (const Size s : std::vector<Size>{{0, 4}, {4, 0}, {-1, 4}, {4, -3}})
        EXPECT_EQ(ABlend(a.data(), dst.data(), b.data(), s.width, s.height, 15), 1);
    EXPECT_SAME_MEMORY(dst, before);
}

// ---- LBlend ----------------------------------------------------------------

TEST(LBlend, BrighterByMoreThan30Replaces) {
    struct Case {
        uint8_t src[3], dst[3]; // blue, green, red
        int32_t mode;
        bool replaced;
    };
    // Luminance = (81 G + 18 R + B) / 100.
    const Case cases[] = {
        {{255, 255, 255}, {0, 0, 0}, 1, true},    // white over black
        {{0, 0, 0}, {255, 255, 255}, 1, false},   // black over white
        {{0, 100, 0}, {0, 62, 0}, 1, true},       // 81 against 50: 31 above
        {{0, 100, 0}, {0, 63, 0}, 1, false},      // 81 against 51: exactly 30 above, no copy
        {{0, 100, 0}, {0, 63, 0}, 2, false},      // 81 - 30 is not below 51
        {{0, 100, 0}, {0, 65, 0}, 2, true},       // 81 - 30 is below 52
        {{0, 0, 255}, {0, 0, 0}, 1, true},        // red alone: 45 > 30
        {{255, 0, 0}, {0, 0, 0}, 1, false},       // blue alone: 2
        {{255, 255, 255}, {0, 0, 0}, 0, false},   // mode 0 changes nothing
        {{255, 255, 255}, {0, 0, 0}, 3, false},   // nor mode 3
        {{10, 10, 10}, {200, 200, 200}, 2, true}, // darker source, mode 2 copies
    };
    for (const Case& c : cases) {
        Frame src = Frame::Padded(3, 1, 1), dst = Frame::Padded(3, 1, 2);
        src.fill_pixels(c.src[0], c.src[1], c.src[2]);
        dst.fill_pixels(c.dst[0], c.dst[1], c.dst[2]);
        Frame expected = dst;
        EXPECT_EQ(LBlend(src.data(), dst.data(), 3, 1, c.mode), 1);
        expect_lblend(src, expected, 3, 1, c.mode);
        EXPECT_SAME_MEMORY(dst, expected);
        const bool replaced =
            std::memcmp(dst.pixel(0, 1), c.src, 3) == 0 && std::memcmp(c.src, c.dst, 3) != 0;
        EXPECT_EQ(replaced, c.replaced)
            << "src G " << int(c.src[1]) << " dst G " << int(c.dst[1]) << " mode " << c.mode;
    }
}

TEST(LBlend, SizesAndModes) {
    for (const Size s : kSizes)
        for (int32_t mode : {0, 1, 2, 3, -1}) {
            SCOPED_TRACE(name(s) + " mode " + std::to_string(mode));
            Frame src = Frame::Padded(s.width, s.height, 11), dst = Frame::Padded(s.width, s.height, 12);
            Frame expected = dst;
            EXPECT_EQ(LBlend(src.data(), dst.data(), s.width, s.height, mode), 1);
            expect_lblend(src, expected, s.width, s.height, mode);
            EXPECT_SAME_MEMORY(dst, expected);
        }
}

// Wide lines where most runs of pixels take nothing and a few single pixels
// are taken: at the ends of a run, across the 64-byte boundaries inside one,
// and in its second half alone; the other lines take nothing at all.
TEST(LBlend, FewPixelsTakenInWideLines) {
    constexpr int32_t w = 203, h = 3;
    const int32_t taken[] = {0, 21, 31, 32, 42, 63, 64, 127, 170, 191, 202};
    for (int32_t mode : {1, 2}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        Frame src = Frame::Padded(w, h, 51), dst = Frame::Padded(w, h, 52);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    dst.pixel(y, x)[c] = static_cast<uint8_t>(dst.pixel(y, x)[c] % 100);
                    // Mode 1 takes no equal pixel, mode 2 no pixel brighter by 120.
                    src.pixel(y, x)[c] = static_cast<uint8_t>(dst.pixel(y, x)[c] + (mode == 1 ? 0 : 120));
                }
        for (int32_t x : taken)
            for (int c = 0; c < 3; ++c)
                src.pixel(1, x)[c] = static_cast<uint8_t>(mode == 1 ? 200 + c : dst.pixel(1, x)[c] + 5 + c);
        Frame expected = dst;
        EXPECT_EQ(LBlend(src.data(), dst.data(), w, h, mode), 1);
        expect_lblend(src, expected, w, h, mode);
        EXPECT_SAME_MEMORY(dst, expected);
        for (int32_t x : taken)
            EXPECT_EQ(std::memcmp(dst.pixel(1, x), src.pixel(1, x), 3), 0) << "pixel " << x;
    }
}

// ---- FlipImageRGB24 ----------------------------------------------------------

TEST(FlipImageRGB24, FiveWideKeepsTheMiddlePixel) {
    Frame f = Frame::Padded(5, 2, 3);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 5; ++x)
            f.set(y, x, uint8_t(10 * x), uint8_t(10 * x + 1), uint8_t(10 * x + 2 + y));
    const Frame before = f;
    EXPECT_EQ(FlipImageRGB24(f.data(), 5, 2), 1);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(f.pixel(y, x)[0], 10 * (4 - x));
            EXPECT_EQ(f.pixel(y, x)[1], 10 * (4 - x) + 1);
            EXPECT_EQ(f.pixel(y, x)[2], 10 * (4 - x) + 2 + y);
        }
    FlipImageRGB24(f.data(), 5, 2);
    EXPECT_SAME_MEMORY(f, before);
}

TEST(FlipImageRGB24, SizesTwiceRestores) {
    std::vector<Size> sizes = kSizes;
    sizes.push_back({1920, 3});
    sizes.push_back({1921, 2});
    for (const Size s : sizes) {
        SCOPED_TRACE(name(s));
        Frame f = Frame::Padded(s.width, s.height, 13);
        const Frame before = f;
        Frame expected = f;
        EXPECT_EQ(FlipImageRGB24(f.data(), s.width, s.height), 1);
        expect_flip(expected, s.width, s.height);
        EXPECT_SAME_MEMORY(f, expected);
        FlipImageRGB24(f.data(), s.width, s.height);
        EXPECT_SAME_MEMORY(f, before);
    }
}

TEST(FlipImageRGB24, NoSizeWritesNothing) {
    Frame f = Frame::Padded(4, 3, 1);
    const Frame before = f;
    EXPECT_EQ(FlipImageRGB24(f.data(), 4, 0), 1);
    EXPECT_EQ(FlipImageRGB24(f.data(), 1, 3), 1);
    EXPECT_EQ(FlipImageRGB24(f.data(), 0, 3), 1);
    EXPECT_EQ(FlipImageRGB24(f.data(), -5, 3), 1);
    EXPECT_SAME_MEMORY(f, before);
}

// ---- Rotate90 ------------------------------------------------------------------

TEST(Rotate90, Width594TurnsWithPaddedLines) {
    constexpr int32_t n = 594;
    ASSERT_EQ(padded(n), 1784u);
    Frame src = Frame::Padded(n, n, 21), dst = Frame::Padded(n, n, 22);
    Frame expected = dst;
    EXPECT_EQ(Rotate90(src.data(), dst.data(), n, n, 0), 1);
    expect_rotate(src, expected, n, n, 0);
    EXPECT_SAME_MEMORY(dst, expected); // the two padding bytes of each line included
    for (int32_t c : {0, 1, 297, 593}) {
        EXPECT_EQ(std::memcmp(dst.pixel(c, 593), src.pixel(0, c), 3), 0);
        EXPECT_EQ(std::memcmp(dst.pixel(c, 0), src.pixel(593, c), 3), 0);
    }
}

TEST(Rotate90, SizesBothFlags) {
    std::vector<Size> sizes = kSizes;
    sizes.push_back({594, 37});
    sizes.push_back({37, 594});
    sizes.push_back({130, 129});
    for (const Size s : sizes)
        for (int32_t flag : {0, 1, -7}) {
            SCOPED_TRACE(name(s) + " flag " + std::to_string(flag));
            Frame src = Frame::Padded(s.width, s.height, 31);
            Frame dst = Frame::Padded(s.height, s.width, 32); // width lines of height pixels
            Frame expected = dst;
            EXPECT_EQ(Rotate90(src.data(), dst.data(), s.width, s.height, flag), 1);
            expect_rotate(src, expected, s.width, s.height, flag);
            EXPECT_SAME_MEMORY(dst, expected);
        }
}

TEST(Rotate90, TransposeTwiceRestoresAndFourTurnsToo) {
    for (const Size s : std::vector<Size>{{7, 3}, {594, 21}, {33, 64}}) {
        SCOPED_TRACE(name(s));
        Frame src = Frame::Padded(s.width, s.height, 41);
        Frame mid = Frame::Padded(s.height, s.width, 42);
        Frame back = src;
        Rotate90(src.data(), mid.data(), s.width, s.height, 1);
        Rotate90(mid.data(), back.data(), s.height, s.width, 1);
        EXPECT_SAME_MEMORY(back, src);

        Frame q1 = Frame::Padded(s.height, s.width, 43), q2 = Frame::Padded(s.width, s.height, 44);
        Frame q3 = Frame::Padded(s.height, s.width, 45), q4 = src;
        Rotate90(src.data(), q1.data(), s.width, s.height, 0);
        Rotate90(q1.data(), q2.data(), s.height, s.width, 0);
        Rotate90(q2.data(), q3.data(), s.width, s.height, 0);
        Rotate90(q3.data(), q4.data(), s.height, s.width, 0);
        EXPECT_SAME_MEMORY(q4, src);
    }
}

TEST(Rotate90, NoSizeWritesNothing) {
    Frame src = Frame::Padded(4, 4, 1), dst = Frame::Padded(4, 4, 2);
    const Frame before = dst;
    for (const Size s : std::vector<Size>{{0, 4}, {4, 0}, {-2, 4}, {4, -2}})
        EXPECT_EQ(Rotate90(src.data(), dst.data(), s.width, s.height, 0), 1);
    EXPECT_SAME_MEMORY(dst, before);
}

// ---- line doubling ---------------------------------------------------------------

// Line `from` of `src` copied over line `to` of `dst` (packed lines).
void copy_line(Frame& src, Frame& dst, int32_t from, int32_t to) {
    std::memcpy(dst.line(to), src.line(from), packed(src.width()));
}

TEST(deinterlaceFrame2, BothFieldsOnEvenHeights) {
    for (int32_t w : {1, 4, 5, 594, 720})
        for (int32_t h : {2, 4, 6, 576}) {
            for (int32_t field : {1, 2, 0, 3}) {
                if (field == 2 && h < 4) continue;
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " field " + std::to_string(field));
                Frame src = Frame::Packed(w, h, 51), dst = Frame::Packed(w, h, 52);
                Frame expected = dst;
                const Frame before = dst;
                EXPECT_EQ(deinterlaceFrame2(src.data(), dst.data(), w, h, field), 1);
                const int32_t first = field == 2 ? 1 : 0, last = field == 2 ? h - 3 : h - 2;
                for (int32_t j = first; j <= last; j += 2) {
                    copy_line(src, expected, j, j);
                    copy_line(src, expected, j, j + 1);
                }
                EXPECT_SAME_MEMORY(dst, expected);
                if (field == 2) {
                    EXPECT_EQ(std::memcmp(dst.line(0), before.line(0), packed(w)), 0);
                    EXPECT_EQ(std::memcmp(dst.line(h - 1), before.line(h - 1), packed(w)), 0);
                }
            }
        }
}

TEST(deinterlaceFrame2, OutsideTheLimitsStaysInsideTheFrame) {
    // Odd heights, and heights below the minimum: nothing is written past the frame's lines.
    for (int32_t h : {-2, 0, 1, 3, 5})
        for (int32_t field : {1, 2}) {
            SCOPED_TRACE("height " + std::to_string(h) + " field " + std::to_string(field));
            const int32_t lines = std::max(h, 0);
            Frame src = Frame::Packed(6, lines, 61), dst = Frame::Packed(6, lines, 62);
            Frame expected = dst;
            EXPECT_EQ(deinterlaceFrame2(src.data(), dst.data(), 6, h, field), 1);
            const int32_t first = field == 2 ? 1 : 0;
            for (int32_t j = first; j < lines; j += 2) {
                copy_line(src, expected, j, j);
                if (j + 1 < lines) copy_line(src, expected, j, j + 1);
            }
            EXPECT_SAME_MEMORY(dst, expected);
        }
}

TEST(deinterlaceFrame, PairsOfBothFields) {
    for (int32_t w : {3, 594})
        for (int32_t pairs : {1, 2, 3, 288})
            for (int32_t field : {1, 2}) {
                SCOPED_TRACE(std::to_string(w) + " wide, " + std::to_string(pairs) + " pairs, field " +
                             std::to_string(field));
                Frame f = Frame::Packed(w, 2 * pairs, 71);
                Frame expected = f;
                int dummy = 0;
                EXPECT_EQ(deinterlaceFrame(f.data(), &dummy, w, pairs, field), 1);
                if (field == 1) {
                    // Line 0 and the last line keep their content; one pair copies nothing.
                    for (int32_t k = 0; k <= pairs - 2; ++k)
                        copy_line(expected, expected, 2 * k + 1, 2 * k + 2);
                } else {
                    for (int32_t k = 0; k <= pairs - 1; ++k)
                        copy_line(expected, expected, 2 * k, 2 * k + 1);
                }
                EXPECT_SAME_MEMORY(f, expected);
            }
}

TEST(linedouble, EvenLinesDoubled) {
    for (int32_t w : {1, 5, 594})
        for (int32_t h : {2, 4, 10, 1, 3, 0}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            Frame f = Frame::Packed(w, h, 81);
            Frame expected = f;
            EXPECT_EQ(linedouble(f.data(), w, h), 1);
            for (int32_t j = 0; j + 1 < h; j += 2)
                copy_line(expected, expected, j, j + 1);
            EXPECT_SAME_MEMORY(f, expected);
        }
}

TEST(LineDoubling, PackedLinesLeaveThePaddedLayoutAlone) {
    // A 5-pixel line is 15 bytes packed but 16 padded: the doubling routines
    // take 15-byte lines, so the 16th byte of a padded frame's first line is
    // pixel data of their second line.
    Frame f = Frame::Packed(5, 4, 91);
    Frame expected = f;
    linedouble(f.data(), 5, 4);
    std::memcpy(expected.data() + 15, expected.data(), 15);
    std::memcpy(expected.data() + 45, expected.data() + 30, 15);
    EXPECT_SAME_MEMORY(f, expected);
}

} // namespace
