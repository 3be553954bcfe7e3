// The seven frame routines. They run on every replayed and captured frame, so
// each walks its buffers once, in memory order where it can, many bytes a
// step: explicit vector code where the processor has it, otherwise fixed-size
// chunks the compiler vectorises. No routine allocates or keeps state; none
// touches a byte outside the lines (and line lengths) it is given.
#include "OrvelGraphics.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVEL_X86 1
#endif

namespace {

using std::ptrdiff_t;
using std::size_t;

// Lines of the blend, mirror and rotate routines are padded to 4 bytes.
ptrdiff_t padded_stride(int32_t pixels) {
    return (static_cast<ptrdiff_t>(pixels) * 3 + 3) / 4 * 4;
}

#ifdef ORVEL_X86
// Processor features, read once when the library is loaded; they choose the
// code path, never a result. ORVELGRAPHICS_PLAIN in the environment keeps to
// the plain paths, so that they can be tested on any machine.
struct Cpu {
    bool ssse3 = false;
    bool avx2 = false;
    bool avx512vbmi = false; // with AVX-512 BW: byte permutes across a whole 64-byte register
};
Cpu g_cpu;

__attribute__((constructor)) void read_cpu_features() {
    __builtin_cpu_init();
    if (std::getenv("ORVELGRAPHICS_PLAIN") != nullptr) return;
    g_cpu.ssse3 = __builtin_cpu_supports("ssse3") != 0;
    g_cpu.avx2 = __builtin_cpu_supports("avx2") != 0;
    // ORVELGRAPHICS_AVX2 keeps to the AVX2 paths (tests of those on any machine).
    g_cpu.avx512vbmi = __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vbmi") != 0 &&
                       std::getenv("ORVELGRAPHICS_AVX2") == nullptr;
}

inline const Cpu& cpu() {
    return g_cpu;
}
#endif

// ---- ABlend ---------------------------------------------------------------

constexpr size_t kBlendChunk = 64;

// Weight within 0..30: every intermediate fits 16 bits, which lets the
// division by 30 become a vector multiply. The chunk is read whole before it
// is written, so the destination may be either source.
void blend_line_generic(const uint8_t* a, uint8_t* d, const uint8_t* b, size_t n, uint16_t wa, size_t i) {
    const uint16_t wb = static_cast<uint16_t>(30 - wa);
    for (; i + kBlendChunk <= n; i += kBlendChunk) {
        uint8_t ta[kBlendChunk], tb[kBlendChunk];
        std::memcpy(ta, a + i, kBlendChunk);
        std::memcpy(tb, b + i, kBlendChunk);
        for (size_t k = 0; k < kBlendChunk; ++k)
            ta[k] = static_cast<uint8_t>(static_cast<uint16_t>(ta[k] * wa + tb[k] * wb) / 30);
        std::memcpy(d + i, ta, kBlendChunk);
    }
    for (; i < n; ++i)
        d[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * wa + b[i] * wb) / 30);
}

#ifdef ORVEL_X86
// first x w + second x (30 - w) for byte pairs in one multiply-add; then the
// division by 30 as (x * 17477) >> 19, exact for every x up to 255 x 30.
__attribute__((target("avx2"))) size_t blend_avx2(const uint8_t* a, uint8_t* d, const uint8_t* b, size_t n,
                                                  uint16_t wa) {
    const __m256i weights = _mm256_set1_epi16(static_cast<int16_t>(wa | ((30 - wa) << 8)));
    const __m256i magic = _mm256_set1_epi16(static_cast<int16_t>(17477));
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        __m256i lo = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(va, vb), weights);
        __m256i hi = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(va, vb), weights);
        lo = _mm256_srli_epi16(_mm256_mulhi_epu16(lo, magic), 3);
        hi = _mm256_srli_epi16(_mm256_mulhi_epu16(hi, magic), 3);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

#endif

// Any other weight (outside what callers pass): the plain 32-bit formula.
void blend_line_any(const uint8_t* a, uint8_t* d, const uint8_t* b, size_t n, int32_t w) {
    for (size_t i = 0; i < n; ++i) {
        const int64_t v =
            (static_cast<int64_t>(a[i]) * w + static_cast<int64_t>(b[i]) * (30 - static_cast<int64_t>(w))) /
            30;
        d[i] = static_cast<uint8_t>(static_cast<int32_t>(v));
    }
}

void blend_line(const uint8_t* a, uint8_t* d, const uint8_t* b, size_t n, uint16_t wa) {
    size_t done = 0;
#ifdef ORVEL_X86
    if (cpu().avx2) done = blend_avx2(a, d, b, n, wa);
#endif
    blend_line_generic(a, d, b, n, wa, done);
}

// ---- LBlend ---------------------------------------------------------------

constexpr size_t kLumaChunk = 16; // pixels

// Green weighs 81, red 18, blue 1 (pixel bytes are blue, green, red).
inline int32_t luma(const uint8_t* px) {
    return (81 * px[1] + 18 * px[2] + px[0]) / 100;
}

template <int Mode> inline bool takes(int32_t ls, int32_t ld) {
    if constexpr (Mode == 1)
        return ls > ld + 30;
    else
        return ls - 30 < ld;
}

template <int Mode> void lblend_line_generic(const uint8_t* s, uint8_t* d, size_t pixels, size_t p) {
    for (; p + kLumaChunk <= pixels; p += kLumaChunk) {
        uint8_t ts[kLumaChunk * 3], td[kLumaChunk * 3];
        std::memcpy(ts, s + 3 * p, sizeof ts);
        std::memcpy(td, d + 3 * p, sizeof td);
        // Masks rather than branches: whether a pixel is taken is as good as random.
        uint8_t mask[kLumaChunk * 3];
        for (size_t k = 0; k < kLumaChunk; ++k) {
            const uint8_t m = takes<Mode>(luma(ts + 3 * k), luma(td + 3 * k)) ? 0xFF : 0x00;
            mask[3 * k] = mask[3 * k + 1] = mask[3 * k + 2] = m;
        }
        for (size_t i = 0; i < sizeof td; ++i)
            td[i] = static_cast<uint8_t>((ts[i] & mask[i]) | (td[i] & ~mask[i]));
        std::memcpy(d + 3 * p, td, sizeof td);
    }
    for (; p < pixels; ++p)
        if (takes<Mode>(luma(s + 3 * p), luma(d + 3 * p))) std::memcpy(d + 3 * p, s + 3 * p, 3);
}

#ifdef ORVEL_X86
// Byte shuffles over 16 pixels held in three 16-byte registers. For pixels
// 8h..8h+7 (half h, lying in registers h and h + 1): `green_red` gathers each
// pixel's green and red side by side, `blue` its blue widened to 16 bits;
// `spread` turns one mask byte per pixel into three.
struct LumaShuffles {
    alignas(16) int8_t green_red[2][2][16];
    alignas(16) int8_t blue[2][2][16];
    alignas(16) int8_t spread[3][16];
};
constexpr LumaShuffles make_luma_shuffles() {
    LumaShuffles t{};
    for (int h = 0; h < 2; ++h)
        for (int r = 0; r < 2; ++r)
            for (int j = 0; j < 16; ++j) {
                const int pixel = 8 * h + j / 2;
                const int gr = 3 * pixel + 1 + j % 2; // green, then red
                const int b = 3 * pixel;
                const int reg = h + r;
                t.green_red[h][r][j] = static_cast<int8_t>(gr / 16 == reg ? gr % 16 : -128);
                t.blue[h][r][j] = static_cast<int8_t>(j % 2 == 0 && b / 16 == reg ? b % 16 : -128);
            }
    for (int o = 0; o < 3; ++o)
        for (int j = 0; j < 16; ++j)
            t.spread[o][j] = static_cast<int8_t>((16 * o + j) / 3);
    return t;
}
constexpr LumaShuffles kLuma = make_luma_shuffles();

__attribute__((target("avx2"))) inline __m256i shuffle_mask(const int8_t* m) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(m)));
}

// Luminances of pixels 8h..8h+7 of each lane as 16-bit values: 81 G + 18 R
// in one multiply-add, plus B, divided by 100 as (x * 41944) >> 22, exact up
// to 255 x 100.
__attribute__((target("avx2"))) inline __m256i luma8(const __m256i in[3], int h) {
    const __m256i weights = _mm256_set1_epi16(static_cast<int16_t>(81 | (18 << 8)));
    const __m256i gr = _mm256_or_si256(_mm256_shuffle_epi8(in[h], shuffle_mask(kLuma.green_red[h][0])),
                                       _mm256_shuffle_epi8(in[h + 1], shuffle_mask(kLuma.green_red[h][1])));
    const __m256i b = _mm256_or_si256(_mm256_shuffle_epi8(in[h], shuffle_mask(kLuma.blue[h][0])),
                                      _mm256_shuffle_epi8(in[h + 1], shuffle_mask(kLuma.blue[h][1])));
    const __m256i sum = _mm256_add_epi16(_mm256_maddubs_epi16(gr, weights), b);
    return _mm256_srli_epi16(_mm256_mulhi_epu16(sum, _mm256_set1_epi16(static_cast<int16_t>(41944))), 6);
}

// 32 pixels a step: 16 in each 128-bit lane, so that every shuffle stays in
// its lane. The source and destination are both read before anything is
// written.
template <int Mode>
__attribute__((target("avx2"))) size_t lblend_avx2(const uint8_t* s, uint8_t* d, size_t pixels) {
    const __m256i thirty = _mm256_set1_epi16(30);
    size_t p = 0;
    for (; p + 32 <= pixels; p += 32) {
        const uint8_t* sp = s + 3 * p;
        uint8_t* dp = d + 3 * p;
        __m256i vs[3], vd[3];
        for (int k = 0; k < 3; ++k) {
            vs[k] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(sp + 48 + 16 * k),
                                        reinterpret_cast<const __m128i*>(sp + 16 * k));
            vd[k] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(dp + 48 + 16 * k),
                                        reinterpret_cast<const __m128i*>(dp + 16 * k));
        }
        __m256i take[2];
        for (int h = 0; h < 2; ++h) {
            const __m256i ls = luma8(vs, h), ld = luma8(vd, h);
            take[h] = Mode == 1 ? _mm256_cmpgt_epi16(ls, _mm256_add_epi16(ld, thirty))
                                : _mm256_cmpgt_epi16(ld, _mm256_sub_epi16(ls, thirty));
        }
        const __m256i per_pixel = _mm256_packs_epi16(take[0], take[1]);
        for (int k = 0; k < 3; ++k) {
            const __m256i m = _mm256_shuffle_epi8(per_pixel, shuffle_mask(kLuma.spread[k]));
            const __m256i out = _mm256_blendv_epi8(vd[k], vs[k], m);
            _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(dp + 48 + 16 * k),
                                 reinterpret_cast<__m128i*>(dp + 16 * k), out);
        }
    }
    return p;
}

// 64 pixels a step in three 64-byte registers, each byte permute reaching
// across two of them: `green_red[h]` gathers the green and red of pixels
// 32h..32h+31 side by side from registers h and h + 1, `blue[h]` their blue
// (widened to 16 bits by a zeroing mask); `spread[k]` picks for each byte of
// register k the high byte of its pixel's 16-bit decision.
struct Luma512Tables {
    alignas(64) uint8_t green_red[2][64];
    alignas(64) uint8_t blue[2][64];
    alignas(64) uint8_t spread[3][64];
};
constexpr Luma512Tables make_luma512() {
    Luma512Tables t{};
    for (int h = 0; h < 2; ++h)
        for (int j = 0; j < 32; ++j) {
            const int first = 96 * h + 3 * j - 64 * h; // the pixel's blue, from register h
            t.green_red[h][2 * j] = static_cast<uint8_t>(first + 1);
            t.green_red[h][2 * j + 1] = static_cast<uint8_t>(first + 2);
            t.blue[h][2 * j] = static_cast<uint8_t>(first);
        }
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 64; ++j)
            t.spread[k][j] = static_cast<uint8_t>(2 * ((64 * k + j) / 3) + 1);
    return t;
}
constexpr Luma512Tables kLuma512 = make_luma512();

// Pixel sums 81 G + 18 R + B of pixels 32h..32h+31 as 16-bit values, plus
// `bias`, divided by 100 as (x * 41944) >> 22: exact while x stays below
// 43700 (the sums reach 25500, the bias is 0 or 3000).
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i luma32(const __m512i in[3], int h,
                                                                             __m512i bias) {
    const __m512i gr = _mm512_permutex2var_epi8(in[h], _mm512_load_si512(kLuma512.green_red[h]), in[h + 1]);
    const __m512i b = _mm512_maskz_permutex2var_epi8(0x5555555555555555ull, in[h],
                                                     _mm512_load_si512(kLuma512.blue[h]), in[h + 1]);
    const __m512i sum = _mm512_add_epi16(
        _mm512_add_epi16(_mm512_maddubs_epi16(gr, _mm512_set1_epi16(static_cast<int16_t>(81 | (18 << 8)))),
                         b),
        bias);
    return _mm512_srli_epi16(_mm512_mulhi_epu16(sum, _mm512_set1_epi16(static_cast<int16_t>(41944))), 6);
}

// Both modes compare the source's luminance with the destination's plus 30:
// the sign of the 16-bit difference, taken one way round or the other, is
// the decision, spread to the pixel's three bytes as a whole-byte mask. A
// block that takes no pixel is not stored, so its lines stay clean. Both
// images are held in registers until the three stores: a build that read
// the destination again between its stores ran at half the speed here.
template <int Mode>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) size_t lblend_avx512(const uint8_t* s, uint8_t* d,
                                                                            size_t pixels) {
    const __m512i none = _mm512_setzero_si512(), plus_thirty = _mm512_set1_epi16(3000);
    size_t p = 0;
    for (; p + 64 <= pixels; p += 64) {
        const uint8_t* sp = s + 3 * p;
        uint8_t* dp = d + 3 * p;
        __m512i vs[3], vd[3];
        for (int k = 0; k < 3; ++k) {
            vs[k] = _mm512_loadu_si512(sp + 64 * k);
            vd[k] = _mm512_loadu_si512(dp + 64 * k);
        }
        __m512i take[2];
        for (int h = 0; h < 2; ++h) {
            const __m512i ls = luma32(vs, h, none), ld30 = luma32(vd, h, plus_thirty);
            take[h] =
                _mm512_srai_epi16(Mode == 1 ? _mm512_sub_epi16(ld30, ls) : _mm512_sub_epi16(ls, ld30), 15);
        }
        const __m512i any = _mm512_or_si512(take[0], take[1]);
        if (_mm512_test_epi16_mask(any, any) == 0) continue;
        for (int k = 0; k < 3; ++k) {
            const __m512i m =
                _mm512_permutex2var_epi8(take[0], _mm512_load_si512(kLuma512.spread[k]), take[1]);
            // m ? source : destination
            _mm512_storeu_si512(dp + 64 * k, _mm512_ternarylogic_epi32(m, vs[k], vd[k], 0xCA));
        }
    }
    return p;
}
#endif

template <int Mode> void lblend_line(const uint8_t* s, uint8_t* d, size_t pixels) {
    size_t done = 0;
#ifdef ORVEL_X86
    if (cpu().avx512vbmi) done = lblend_avx512<Mode>(s, d, pixels);
    if (cpu().avx2) done += lblend_avx2<Mode>(s + 3 * done, d + 3 * done, pixels - done);
#endif
    lblend_line_generic<Mode>(s, d, pixels, done);
}

// ---- FlipImageRGB24 -------------------------------------------------------

inline void swap_pixels(uint8_t* a, uint8_t* b) {
    uint8_t t[3];
    std::memcpy(t, a, 3);
    std::memcpy(a, b, 3);
    std::memcpy(b, t, 3);
}

// Pixels [from, to] exchanged end for end.
inline void flip_span(uint8_t* line, ptrdiff_t from, ptrdiff_t to) {
    for (; from < to; ++from, --to)
        swap_pixels(line + 3 * from, line + 3 * to);
}

#ifdef ORVEL_X86
// Byte shuffles that reverse the order of 16 pixels held in three 16-byte
// registers: output register o takes from input register s the bytes named
// in kRev[o][s] (0x80 = none).
struct Rev48 {
    alignas(16) int8_t m[3][3][16];
};
constexpr Rev48 make_rev48() {
    Rev48 r{};
    for (int o = 0; o < 3; ++o)
        for (int s = 0; s < 3; ++s)
            for (int j = 0; j < 16; ++j) {
                const int k = 16 * o + j;
                const int src = 3 * (15 - k / 3) + k % 3;
                r.m[o][s][j] = static_cast<int8_t>(src / 16 == s ? src % 16 : -128);
            }
    return r;
}
constexpr Rev48 kRev = make_rev48();

__attribute__((target("ssse3"))) inline void load_reversed16(const uint8_t* p, __m128i out[3]) {
    const __m128i in[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
    for (int o = 0; o < 3; ++o) {
        __m128i acc = _mm_setzero_si128();
        for (int s = 0; s < 3; ++s)
            acc = _mm_or_si128(
                acc, _mm_shuffle_epi8(in[s], _mm_load_si128(reinterpret_cast<const __m128i*>(kRev.m[o][s]))));
        out[o] = acc;
    }
}

// Blocks of 16 pixels from both ends meet in the middle; what remains between
// them is exchanged pixel by pixel.
__attribute__((target("ssse3"))) void flip_line_ssse3(uint8_t* line, ptrdiff_t width) {
    ptrdiff_t i = 0, j = width - 16;
    for (; i + 16 <= j; i += 16, j -= 16) {
        __m128i left[3], right[3];
        load_reversed16(line + 3 * i, left);
        load_reversed16(line + 3 * j, right);
        for (int o = 0; o < 3; ++o) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(line + 3 * i + 16 * o), right[o]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(line + 3 * j + 16 * o), left[o]);
        }
    }
    flip_span(line, i, j + 15);
}

#endif

// ---- Rotate90 -------------------------------------------------------------

// Tiles of this many destination lines by destination pixels stay in the
// second-level cache while one side is walked across the other's lines.
constexpr int32_t kRotateLines = 16;
constexpr int32_t kRotatePixels = 256;

struct RotateJob {
    const uint8_t* src;
    uint8_t* dst;
    int32_t width, height;
    ptrdiff_t src_stride, dst_stride;
};

// Destination line c, pixel x, comes from source column c of line x
// (transposing) or of line height - 1 - x (turning).
template <bool Transpose> inline const uint8_t* source_pixel(const RotateJob& j, int32_t c, int32_t x) {
    const ptrdiff_t r = Transpose ? x : j.height - 1 - x;
    return j.src + r * j.src_stride + static_cast<ptrdiff_t>(c) * 3;
}

inline uint8_t* destination_line(const RotateJob& j, int32_t c) {
    return j.dst + c * j.dst_stride;
}

// Each span writes pixels x .. x1 - 1 of destination line c.
using RotateSpan = void (*)(const RotateJob&, int32_t c, int32_t x, int32_t x1);

template <bool Transpose> void span_scalar(const RotateJob& j, int32_t c, int32_t x, int32_t x1) {
    uint8_t* out = destination_line(j, c);
    for (; x < x1; ++x)
        std::memcpy(out + 3 * x, source_pixel<Transpose>(j, c, x), 3);
}

template <RotateSpan Span> void rotate_tiled(const RotateJob& j) {
    for (int32_t c0 = 0; c0 < j.width; c0 += kRotateLines) {
        const int32_t c1 = std::min(j.width, c0 + kRotateLines);
        for (int32_t x0 = 0; x0 < j.height; x0 += kRotatePixels) {
            const int32_t x1 = std::min(j.height, x0 + kRotatePixels);
            for (int32_t c = c0; c < c1; ++c)
                Span(j, c, x0, x1);
        }
    }
}

#ifdef ORVEL_X86
// The vector spans fetch each source pixel as 4 bytes, pack them to 3 and
// store whole registers: the bytes stored too many belong to the next pixels
// of the same destination line, which are written after them (a line is
// always filled in increasing pixel order, the tiles included), and no store
// reaches past a line's pixels. The fetch of the source's last column starts
// one byte early, so that it never reads past a line's pixels either.
constexpr int8_t kPack[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128};
constexpr int8_t kPackLast[16] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15, -128, -128, -128, -128};

// A single-column source has no byte before its pixels to start from.
inline bool vector_fetch_possible(const RotateJob& j, int32_t c) {
    return !(c == j.width - 1 && c == 0);
}

template <bool Transpose>
__attribute__((target("ssse3"))) void span_ssse3(const RotateJob& j, int32_t c, int32_t x, int32_t x1) {
    if (vector_fetch_possible(j, c)) {
        uint8_t* out = destination_line(j, c);
        const bool last = c == j.width - 1;
        const ptrdiff_t back = last ? 1 : 0;
        const ptrdiff_t step = Transpose ? j.src_stride : -j.src_stride;
        const __m128i pack = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last ? kPackLast : kPack));
        for (; x + 4 <= x1 && 3 * static_cast<ptrdiff_t>(x) + 16 <= 3 * static_cast<ptrdiff_t>(j.height);
             x += 4) {
            const uint8_t* p = source_pixel<Transpose>(j, c, x) - back;
            uint32_t w0, w1, w2, w3;
            std::memcpy(&w0, p, 4);
            std::memcpy(&w1, p + step, 4);
            std::memcpy(&w2, p + 2 * step, 4);
            std::memcpy(&w3, p + 3 * step, 4);
            const __m128i v = _mm_setr_epi32(static_cast<int>(w0), static_cast<int>(w1), static_cast<int>(w2),
                                             static_cast<int>(w3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(v, pack));
        }
    }
    span_scalar<Transpose>(j, c, x, x1);
}

// Blocks of 4 destination lines by 8 pixels: eight 16-byte loads (4 pixels
// each) from eight source lines, the pixels widened to 4 bytes, two 4 x 4
// transpositions side by side (one per 128-bit lane), the pixels packed to 3
// bytes again and each line's 24 bytes stored as 32 (the same rule for the
// bytes stored too many). The loads stay within the lines' pixels for
// c + 5 < width.
template <bool Transpose>
__attribute__((target("avx2"))) void block8_avx2(const RotateJob& j, int32_t c, int32_t x) {
    const __m256i widen = _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0, 1,
                                           2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    const __m256i pack =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kPack)));
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    __m256i r[4];
    for (int k = 0; k < 4; ++k)
        r[k] = _mm256_shuffle_epi8(
            _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(source_pixel<Transpose>(j, c, x + 4 + k)),
                                reinterpret_cast<const __m128i*>(source_pixel<Transpose>(j, c, x + k))),
            widen);
    const __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i d[4] = {_mm256_unpacklo_epi64(t0, t2), _mm256_unpackhi_epi64(t0, t2),
                          _mm256_unpacklo_epi64(t1, t3), _mm256_unpackhi_epi64(t1, t3)};
    for (int i = 0; i < 4; ++i)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination_line(j, c + i) + 3 * x),
                            _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(d[i], pack), join));
}

// One tile: the blocks, and the spans for what the blocks cannot take (a
// line's last pixels, the source's last columns).
template <bool Transpose>
__attribute__((target("avx2"))) void tile_avx2(const RotateJob& j, int32_t c0, int32_t c1, int32_t x0,
                                               int32_t x1) {
    const ptrdiff_t pixel_bytes = 3 * static_cast<ptrdiff_t>(j.height);
    int32_t c = c0;
    for (; c + 4 <= c1 && c + 5 < j.width; c += 4) {
        int32_t x = x0;
        for (; x + 8 <= x1 && 3 * static_cast<ptrdiff_t>(x) + 32 <= pixel_bytes; x += 8)
            block8_avx2<Transpose>(j, c, x);
        for (int32_t i = 0; i < 4; ++i)
            span_ssse3<Transpose>(j, c + i, x, x1);
    }
    for (; c < c1; ++c)
        span_ssse3<Transpose>(j, c, x0, x1);
}

template <bool Transpose> __attribute__((target("avx2"))) void rotate_avx2(const RotateJob& j) {
    for (int32_t c0 = 0; c0 < j.width; c0 += kRotateLines) {
        const int32_t c1 = std::min(j.width, c0 + kRotateLines);
        for (int32_t x0 = 0; x0 < j.height; x0 += kRotatePixels)
            tile_avx2<Transpose>(j, c0, c1, x0, std::min(j.height, x0 + kRotatePixels));
    }
}

// GCC 12 takes the undefined register some AVX-512 intrinsics start from for
// an uninitialised variable.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// Blocks of 16 destination lines by 16 pixels: sixteen loads of exactly 48
// bytes (16 pixels), one from each of 16 source lines, the pixels widened to
// 4 bytes, one 16 x 16 transposition of 4-byte elements in registers, the
// pixels packed to 3 bytes again and each destination line's 48 bytes stored
// exactly. Every source byte loaded is used and no byte is stored twice.
struct Rotate512Tables {
    alignas(64) uint8_t widen[64];
    alignas(64) uint8_t pack[64];
};
constexpr Rotate512Tables make_rotate512() {
    Rotate512Tables t{};
    for (int b = 0; b < 64; ++b) {
        t.widen[b] = static_cast<uint8_t>(b / 4 * 3 + (b % 4 < 3 ? b % 4 : 2));
        t.pack[b] = static_cast<uint8_t>(b < 48 ? b / 3 * 4 + b % 3 : 0);
    }
    return t;
}
constexpr Rotate512Tables kRotate512 = make_rotate512();
constexpr __mmask64 kPixels16 = 0xFFFFFFFFFFFFull; // 48 bytes

// `in` is the block's first source pixel, `step` the distance to the source
// line of the next destination pixel; `out` the block's first destination
// pixel. Plain values rather than the job: the stores could alias a job read
// through a reference, which would then be read again after every store.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline void
block16_avx512(const uint8_t* in, ptrdiff_t step, uint8_t* out, ptrdiff_t out_stride) {
    const __m512i widen = _mm512_load_si512(kRotate512.widen);
    const __m512i pack = _mm512_load_si512(kRotate512.pack);
    __m512i r[16], t[16];
    for (int k = 0; k < 16; ++k)
        r[k] = _mm512_permutexvar_epi8(widen, _mm512_maskz_loadu_epi8(kPixels16, in + k * step));
    // Within each 128-bit lane L, t[4i + k] holds column 4L + k of rows 4i .. 4i + 3.
    for (int i = 0; i < 8; i += 2) {
        const __m512i a0 = _mm512_unpacklo_epi32(r[2 * i], r[2 * i + 1]);
        const __m512i a1 = _mm512_unpackhi_epi32(r[2 * i], r[2 * i + 1]);
        const __m512i b0 = _mm512_unpacklo_epi32(r[2 * i + 2], r[2 * i + 3]);
        const __m512i b1 = _mm512_unpackhi_epi32(r[2 * i + 2], r[2 * i + 3]);
        t[2 * i] = _mm512_unpacklo_epi64(a0, b0);
        t[2 * i + 1] = _mm512_unpackhi_epi64(a0, b0);
        t[2 * i + 2] = _mm512_unpacklo_epi64(a1, b1);
        t[2 * i + 3] = _mm512_unpackhi_epi64(a1, b1);
    }
    for (int k = 0; k < 4; ++k) {
        const __m512i lo0 = _mm512_shuffle_i32x4(t[k], t[4 + k], _MM_SHUFFLE(1, 0, 1, 0));
        const __m512i lo1 = _mm512_shuffle_i32x4(t[8 + k], t[12 + k], _MM_SHUFFLE(1, 0, 1, 0));
        const __m512i hi0 = _mm512_shuffle_i32x4(t[k], t[4 + k], _MM_SHUFFLE(3, 2, 3, 2));
        const __m512i hi1 = _mm512_shuffle_i32x4(t[8 + k], t[12 + k], _MM_SHUFFLE(3, 2, 3, 2));
        const __m512i lines[4] = {_mm512_shuffle_i32x4(lo0, lo1, _MM_SHUFFLE(2, 0, 2, 0)),
                                  _mm512_shuffle_i32x4(lo0, lo1, _MM_SHUFFLE(3, 1, 3, 1)),
                                  _mm512_shuffle_i32x4(hi0, hi1, _MM_SHUFFLE(2, 0, 2, 0)),
                                  _mm512_shuffle_i32x4(hi0, hi1, _MM_SHUFFLE(3, 1, 3, 1))};
        for (int l = 0; l < 4; ++l)
            _mm512_mask_storeu_epi8(out + (4 * l + k) * out_stride, kPixels16,
                                    _mm512_permutexvar_epi8(pack, lines[l]));
    }
}

// A strip of `Blocks` blocks side by side, walked down the whole source,
// then spans for a line's last pixels. Each step reads 48 x Blocks
// contiguous bytes of 16 source lines. The walk crosses a page with every
// line, where the processor's own prefetch stops, so the lines one step
// further down are fetched ahead by hand.
template <bool Transpose, int Blocks>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void strip_avx512(const RotateJob& j, int32_t c0) {
    constexpr ptrdiff_t kBytes = 48 * Blocks;
    const ptrdiff_t step = Transpose ? j.src_stride : -j.src_stride, out_stride = j.dst_stride;
    const int32_t height = j.height;
    const uint8_t* first = source_pixel<Transpose>(j, c0, 0);
    uint8_t* line = destination_line(j, c0);
    int32_t x = 0;
    for (; x + 16 <= height; x += 16) {
        const uint8_t* in = first + x * step;
        uint8_t* out = line + 3 * static_cast<ptrdiff_t>(x);
        if (x + 32 <= height)
            for (int32_t k = 16; k < 32; ++k) {
                const char* p = reinterpret_cast<const char*>(in + k * step);
                for (ptrdiff_t b = 0; b < kBytes; b += 64)
                    _mm_prefetch(p + b, _MM_HINT_T0);
                _mm_prefetch(p + kBytes - 1, _MM_HINT_T0);
            }
        for (int b = 0; b < Blocks; ++b)
            block16_avx512(in + 48 * b, step, out + 16 * b * out_stride, out_stride);
    }
    if (x < height)
        for (int32_t c = c0; c < c0 + 16 * Blocks; ++c)
            span_ssse3<Transpose>(j, c, x, height);
}

// Strips four blocks wide, then one block wide; fewer than 16 columns left
// go as with AVX2.
template <bool Transpose>
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx2"))) void rotate_avx512(const RotateJob& j) {
    int32_t c0 = 0;
    for (; c0 + 64 <= j.width; c0 += 64)
        strip_avx512<Transpose, 4>(j, c0);
    for (; c0 + 16 <= j.width; c0 += 16)
        strip_avx512<Transpose, 1>(j, c0);
    if (c0 < j.width) tile_avx2<Transpose>(j, c0, j.width, 0, j.height);
}
#pragma GCC diagnostic pop
#endif

template <bool Transpose> void rotate(const RotateJob& j) {
#ifdef ORVEL_X86
    if (cpu().avx512vbmi && cpu().avx2 && cpu().ssse3) return rotate_avx512<Transpose>(j);
    if (cpu().avx2) return rotate_avx2<Transpose>(j);
    if (cpu().ssse3) return rotate_tiled<span_ssse3<Transpose>>(j);
#endif
    rotate_tiled<span_scalar<Transpose>>(j);
}

// ---- line doubling ----------------------------------------------------------

// One packed line of `line` bytes from line `from` of `src` onto line `to` of
// `dst`, provided both lie within the `lines` lines of the buffers.
inline void copy_line(const uint8_t* src, uint8_t* dst, size_t line, ptrdiff_t from, ptrdiff_t to,
                      ptrdiff_t lines) {
    if (from < 0 || to < 0 || from >= lines || to >= lines) return;
    const uint8_t* s = src + from * static_cast<ptrdiff_t>(line);
    uint8_t* d = dst + to * static_cast<ptrdiff_t>(line);
    if (s != d) std::memcpy(d, s, line);
}

} // namespace

int16_t ABlend(uint8_t* first, uint8_t* destination, uint8_t* second, int32_t width, int32_t height,
               int32_t weight) {
    if (height <= 0 || width <= 0) return 1;
    const ptrdiff_t stride = padded_stride(width);
    const size_t bytes = static_cast<size_t>(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t off = y * stride;
        if (weight >= 0 && weight <= 30)
            blend_line(first + off, destination + off, second + off, bytes, static_cast<uint16_t>(weight));
        else
            blend_line_any(first + off, destination + off, second + off, bytes, weight);
    }
    return 1;
}

int16_t LBlend(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t mode) {
    if (height <= 0 || width <= 0 || (mode != 1 && mode != 2)) return 1;
    const ptrdiff_t stride = padded_stride(width);
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t off = y * stride;
        if (mode == 1)
            lblend_line<1>(source + off, destination + off, static_cast<size_t>(width));
        else
            lblend_line<2>(source + off, destination + off, static_cast<size_t>(width));
    }
    return 1;
}

int16_t FlipImageRGB24(uint8_t* frame, int32_t width, int32_t height) {
    if (height <= 0 || width / 2 <= 0) return 1;
    const ptrdiff_t stride = padded_stride(width);
#ifdef ORVEL_X86
    if (cpu().ssse3) {
        for (int32_t y = 0; y < height; ++y)
            flip_line_ssse3(frame + y * stride, width);
        return 1;
    }
#endif
    for (int32_t y = 0; y < height; ++y)
        flip_span(frame + y * stride, 0, width - 1);
    return 1;
}

int16_t Rotate90(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t transpose) {
    if (height <= 0 || width <= 0) return 1;
    const RotateJob job{source, destination, width, height, padded_stride(width), padded_stride(height)};
    if (transpose != 0)
        rotate<true>(job);
    else
        rotate<false>(job);
    return 1;
}

int16_t deinterlaceFrame(uint8_t* frame, void* /*unused*/, int32_t width, int32_t pairs, int32_t field) {
    if (width <= 0) return 1;
    const size_t line = static_cast<size_t>(width) * 3;
    const ptrdiff_t lines = 2 * static_cast<ptrdiff_t>(pairs);
    if (field == 1) {
        for (ptrdiff_t k = 0; k <= pairs - 2; ++k)
            copy_line(frame, frame, line, 2 * k + 1, 2 * k + 2, lines);
    } else {
        for (ptrdiff_t k = 0; k <= pairs - 1; ++k)
            copy_line(frame, frame, line, 2 * k, 2 * k + 1, lines);
    }
    return 1;
}

int16_t deinterlaceFrame2(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                          int32_t field) {
    if (width <= 0) return 1;
    const size_t line = static_cast<size_t>(width) * 3;
    ptrdiff_t j = field == 2 ? 1 : 0;
    ptrdiff_t remaining = field == 2 ? static_cast<ptrdiff_t>(height) - 2 : height;
    do {
        copy_line(source, destination, line, j, j, height);
        copy_line(source, destination, line, j, j + 1, height);
        j += 2;
        remaining -= 2;
    } while (remaining > 0);
    return 1;
}

int16_t linedouble(uint8_t* frame, int32_t width, int32_t height) {
    if (width <= 0) return 1;
    const size_t line = static_cast<size_t>(width) * 3;
    ptrdiff_t j = 0;
    ptrdiff_t remaining = height;
    do {
        copy_line(frame, frame, line, j, j + 1, height);
        j += 2;
        remaining -= 2;
    } while (remaining > 0);
    return 1;
}
