#include "PixelCopy.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TW_HAVE_VBMI 1
#endif

namespace gdi {

namespace {

enum class Layout { Bgr24, Xrgb32, Other };

Layout layout_of(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_BGR888:
        return Layout::Bgr24;
    case QImage::Format_RGB32:
        return Layout::Xrgb32;
    default:
        return Layout::Other;
    }
}

constexpr uint32_t kOpaque = 0xFF000000u;

inline uint32_t load24(const uchar* p) {
    return kOpaque | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

inline void store24(uchar* p, uint32_t v) {
    p[0] = static_cast<uchar>(v);
    p[1] = static_cast<uchar>(v >> 8);
    p[2] = static_cast<uchar>(v >> 16);
}

inline uint32_t load32(const uchar* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void put32(uchar* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

// The row loops below are plain C++ over GCC/Clang vector types: the
// compiler turns each 16-byte shuffle into one or two byte-shuffle
// instructions of whatever the processor has. On x86, GCC makes a copy for
// each level of the instruction set and the best one is chosen at start-up
// (Clang 14 cannot clone templates: it builds the baseline only). Under
// ThreadSanitizer the choosing code would run, instrumented, before the
// sanitizer has started, and crash every program at load: baseline only.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(__clang__) &&                \
    !defined(__SANITIZE_THREAD__)
#define TW_ROW_CLONES __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define TW_ROW_CLONES
#endif

#if defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define TW_HAVE_SHUFFLE 1
#endif
#endif

#ifdef TW_HAVE_SHUFFLE
using Bytes16 = uint8_t __attribute__((vector_size(16)));

inline Bytes16 load16(const uchar* p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
using Bytes32 = uint8_t __attribute__((vector_size(32)));
inline void store32(uchar* p, const Bytes32& v) {
    std::memcpy(p, &v, sizeof v);
}
#endif

#ifdef TW_HAVE_VBMI
// Sixteen pixels spread to sixteen 0xFFRRGGBB words: their 48 bytes read at
// once (the masked read takes nothing past them, so a row's last pixels are
// safe), one byte permute across the whole register, the fourth byte set.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i spread16_vbmi(const uchar* in) {
    alignas(64) static constexpr uint8_t kSpread[64] = {
        0,  1,  2,  0,  3,  4,  5,  0,  6,  7,  8,  0,  9,  10, 11, 0,  12, 13, 14, 0,  15, 16,
        17, 0,  18, 19, 20, 0,  21, 22, 23, 0,  24, 25, 26, 0,  27, 28, 29, 0,  30, 31, 32, 0,
        33, 34, 35, 0,  36, 37, 38, 0,  39, 40, 41, 0,  42, 43, 44, 0,  45, 46, 47, 0};
    constexpr __mmask64 k48 = (__mmask64{1} << 48) - 1;
    return _mm512_or_si512(
        _mm512_permutexvar_epi8(_mm512_load_si512(kSpread), _mm512_maskz_loadu_epi8(k48, in)),
        _mm512_set1_epi32(static_cast<int>(kOpaque)));
}

// Sixteen pixels a step. This is the frame's way into a picture that keeps
// its picture, every frame: with it the copy runs at about the speed of its
// memory traffic.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int row_24_to_32_vbmi(uchar* out, const uchar* in,
                                                                             int n) {
    int i = 0;
    for (; i + 16 <= n; i += 16, in += 48, out += 64)
        _mm512_storeu_si512(out, spread16_vbmi(in));
    return i;
}

// TIDEWICK_GDI_NO_AVX512 in the environment keeps to the other paths, so
// that they can be tested on any machine.
bool has_vbmi() {
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vbmi") != 0 &&
               std::getenv("TIDEWICK_GDI_NO_AVX512") == nullptr;
    }();
    return yes;
}
#endif

// One unscaled row of n pixels from B, G, R bytes into 32-bit words. Eight
// pixels are two overlapping 16-byte reads, 12 bytes apart, and one 32-byte
// write: a shuffle that keeps each half's bytes in their half, with the
// fourth byte of each pixel set.
TW_ROW_CLONES void row_24_to_32_by8(uchar* out, const uchar* in, int n) {
    int i = 0;
#ifdef TW_HAVE_SHUFFLE
    if constexpr (std::endian::native == std::endian::little) {
        const Bytes32 alpha = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255,
                               0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
        // The second read takes 4 bytes past the eighth pixel: two pixels spare.
        for (; i + 10 <= n; i += 8, in += 24, out += 32) {
            const Bytes16 lo = load16(in), hi = load16(in + 12);
            const Bytes32 both =
                __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                        18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
            store32(out,
                    __builtin_shufflevector(both, both, 0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0, 16,
                                            17, 18, 16, 19, 20, 21, 16, 22, 23, 24, 16, 25, 26, 27, 16) |
                        alpha);
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels are three whole words in and four out.
        for (; i + 4 <= n; i += 4, in += 12, out += 16) {
            const uint32_t a = load32(in), b = load32(in + 4), c = load32(in + 8);
            put32(out, kOpaque | a);
            put32(out + 4, kOpaque | (a >> 24) | (b << 8));
            put32(out + 8, kOpaque | (b >> 16) | (c << 16));
            put32(out + 12, kOpaque | (c >> 8));
        }
    }
    for (; i < n; ++i, in += 3, out += 4)
        put32(out, load24(in));
}

void row_24_to_32(uchar* out, const uchar* in, int n) {
#ifdef TW_HAVE_VBMI
    if (has_vbmi()) {
        const int done = row_24_to_32_vbmi(out, in, n);
        in += 3 * static_cast<qsizetype>(done);
        out += 4 * static_cast<qsizetype>(done);
        n -= done;
    }
#endif
    row_24_to_32_by8(out, in, n);
}

void row_32_to_24(uchar* out, const uchar* in, int n) {
    for (int i = 0; i < n; ++i, in += 4, out += 3)
        store24(out, load32(in));
}

void row_32_to_32(uchar* out, const uchar* in, int n) {
    // Alpha forced opaque, as the 32-bit layout keeps it.
    for (int i = 0; i < n; ++i, in += 4, out += 4)
        put32(out, kOpaque | load32(in));
}

// One scaled row: destination pixel i takes the source pixel at byte offset
// offsets[i] of the row. The first `whole` pixels are followed by at least
// one more byte of their row, so a 24-bit pixel is read as one word.
template <Layout From, Layout Onto>
TW_ROW_CLONES void row_scaled(uchar* out, const uchar* in, const int32_t* offsets, int n, int whole) {
    int i = 0;
    if constexpr (From == Layout::Bgr24 && Onto == Layout::Xrgb32 &&
                  std::endian::native == std::endian::little) {
        for (; i < whole; ++i)
            put32(out + 4 * i, kOpaque | load32(in + offsets[i]));
    }
    for (; i < n; ++i) {
        const uchar* p = in + offsets[i];
        const uint32_t v = From == Layout::Bgr24 ? load24(p) : kOpaque | load32(p);
        if constexpr (Onto == Layout::Bgr24)
            store24(out + 3 * i, v);
        else
            put32(out + 4 * i, v);
    }
}

using Scaled_Row = void (*)(uchar*, const uchar*, const int32_t*, int, int);

Scaled_Row scaled_row_for(Layout from, Layout onto) {
    if (from == Layout::Bgr24)
        return onto == Layout::Bgr24 ? row_scaled<Layout::Bgr24, Layout::Bgr24>
                                     : row_scaled<Layout::Bgr24, Layout::Xrgb32>;
    return onto == Layout::Bgr24 ? row_scaled<Layout::Xrgb32, Layout::Bgr24>
                                 : row_scaled<Layout::Xrgb32, Layout::Xrgb32>;
}

// Source index under the centre of destination pixel i of n, for m source pixels.
inline int64_t nearest(int64_t i, int64_t n, int64_t m) {
    return (2 * i + 1) * m / (2 * n);
}

} // namespace

Key24::Key24(uchar blue, uchar green, uchar red) : b(blue), g(green), r(red) {
    for (int k = 0; k < static_cast<int>(sizeof run); k += 3) {
        run[k] = b;
        run[k + 1] = g;
        run[k + 2] = r;
    }
}

namespace {

#ifdef TW_HAVE_VBMI
// Sixty-four pixels a step: three 64-byte blocks, each against the key's
// bytes in the same places, the length of the runs an overlay is mostly made
// of. Returns where the first block with another pixel starts (or the last
// whole block ends); the caller finds the pixel.
__attribute__((target("avx512f,avx512bw"))) int skip_key24_avx512(const uchar* row, int i, int n,
                                                                  const Key24& key) {
    const __m512i k0 = _mm512_loadu_si512(key.run), k1 = _mm512_loadu_si512(key.run + 64),
                  k2 = _mm512_loadu_si512(key.run + 128);
    for (; i + 64 <= n; i += 64) {
        const uchar* p = row + 3 * static_cast<qsizetype>(i);
        if ((_mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p), k0) |
             _mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p + 64), k1) |
             _mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p + 128), k2)) != 0)
            break;
    }
    return i;
}
#endif

} // namespace

TW_ROW_CLONES int FirstNotKey24(const uchar* row, int i, int n, const Key24& key) {
#ifdef TW_HAVE_VBMI
    if (i + 64 <= n && has_vbmi()) i = skip_key24_avx512(row, i, n, key);
#endif
#ifdef TW_HAVE_SHUFFLE
    // Sixteen pixels are 48 bytes: three blocks, each against the key's
    // bytes in the same places.
    if (i + 16 <= n) {
        const Bytes16 k0 = load16(key.run), k1 = load16(key.run + 16), k2 = load16(key.run + 32);
        for (; i + 16 <= n; i += 16) {
            const uchar* p = row + 3 * static_cast<qsizetype>(i);
            const Bytes16 diff = (load16(p) ^ k0) | (load16(p + 16) ^ k1) | (load16(p + 32) ^ k2);
            uint64_t halves[2];
            std::memcpy(halves, &diff, sizeof halves);
            if ((halves[0] | halves[1]) != 0) break;
        }
    }
#endif
    for (const uchar* p = row + 3 * static_cast<qsizetype>(i); i < n; ++i, p += 3)
        if (p[0] != key.b || p[1] != key.g || p[2] != key.r) return i;
    return n;
}

namespace {

#ifdef TW_HAVE_VBMI
// Sixteen pixels spread to 32 bits, compared with the key there and stored
// through the mask of those that differ; returns that mask.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __mmask16
keyed_sixteen(uint32_t* out, const uchar* in, __m512i key32) {
    const __m512i px = spread16_vbmi(in);
    const __mmask16 differ = _mm512_cmpneq_epi32_mask(px, key32);
    _mm512_mask_storeu_epi32(out, differ, px);
    return differ;
}

// The stretch of a block of `width` pixels at `at` that its mask wrote.
inline void note_written(std::vector<Stretch>& wrote, int at, uint64_t mask, int width) {
    if (mask)
        wrote.push_back({at + __builtin_ctzll(mask), at + width - __builtin_clzll(mask << (64 - width))});
}

// Sixty-four pixels a step. A step of the key alone, most of an overlay, is
// only compared, as in the search above; any other is done sixteen pixels at
// a time by the masked store, so that a dotted line, a pixel or two between
// gaps as narrow, costs no more than a solid one. Returns the pixels
// done.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int
keyed_24_to_32_vbmi(uint32_t* out, const uchar* row, int n, const Key24& key, std::vector<Stretch>& wrote) {
    const __m512i key32 = _mm512_set1_epi32(static_cast<int>(load24(key.run)));
    const __m512i k0 = _mm512_loadu_si512(key.run), k1 = _mm512_loadu_si512(key.run + 64),
                  k2 = _mm512_loadu_si512(key.run + 128);
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        const uchar* p = row + 3 * static_cast<qsizetype>(i);
        if ((_mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p), k0) |
             _mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p + 64), k1) |
             _mm512_cmpneq_epi8_mask(_mm512_loadu_si512(p + 128), k2)) == 0)
            continue;
        uint64_t mask = 0;
        for (int q = 0; q < 4; ++q)
            mask |= uint64_t{keyed_sixteen(out + i + 16 * q, p + 48 * q, key32)} << (16 * q);
        note_written(wrote, i, mask, 64);
    }
    for (; i + 16 <= n; i += 16)
        note_written(wrote, i, keyed_sixteen(out + i, row + 3 * static_cast<qsizetype>(i), key32), 16);
    return i;
}
#endif

} // namespace

void CopyNotKey24To32(uint32_t* out, const uchar* row, int n, const Key24& key, std::vector<Stretch>& wrote) {
    int i = 0;
#ifdef TW_HAVE_VBMI
    if (has_vbmi()) i = keyed_24_to_32_vbmi(out, row, n, key, wrote);
#endif
    while ((i = FirstNotKey24(row, i, n, key)) < n) {
        // The run of other pixels, copied up to the next key pixel.
        const int first = i;
        for (const uchar* p = row + 3 * static_cast<qsizetype>(i);
             i < n && (p[0] != key.b || p[1] != key.g || p[2] != key.r); ++i, p += 3)
            out[i] = load24(p);
        wrote.push_back({first, i});
    }
}

bool CopyNearest(QImage& onto, const QRect& dest, const QImage& from, const QRect& source, bool flip) {
    const Layout lf = layout_of(from), lo = layout_of(onto);
    if (lf == Layout::Other || lo == Layout::Other) return false;
    if (source.isEmpty() || dest.isEmpty() || !from.rect().contains(source)) return false;
    if (from.constBits() == onto.constBits()) return false;
    const QRect clip = dest & onto.rect();
    if (clip.isEmpty()) return true;

    const int bpp_from = lf == Layout::Bgr24 ? 3 : 4, bpp_onto = lo == Layout::Bgr24 ? 3 : 4;
    const qsizetype stride_from = from.bytesPerLine(), stride_onto = onto.bytesPerLine();
    const uchar* const base_from = from.constBits();
    uchar* const base_onto = onto.bits();
    const int n = clip.width();
    const int first_col = clip.left() - dest.left();
    const bool unscaled_x = dest.width() == source.width();
    const bool unscaled_y = dest.height() == source.height();

    // Source row of each destination row, and where its pixels start.
    const auto source_row = [&](int dest_row) {
        const int64_t i = dest_row - dest.top();
        const int64_t k = unscaled_y ? i : nearest(i, dest.height(), source.height());
        return flip ? source.bottom() - static_cast<int>(k) : source.top() + static_cast<int>(k);
    };

    if (unscaled_x) {
        const qsizetype x_from = static_cast<qsizetype>(source.left() + first_col) * bpp_from;
        const qsizetype x_onto = static_cast<qsizetype>(clip.left()) * bpp_onto;
        for (int y = clip.top(); y <= clip.bottom(); ++y) {
            const uchar* in = base_from + source_row(y) * stride_from + x_from;
            uchar* out = base_onto + y * stride_onto + x_onto;
            if (lf == lo && lf == Layout::Bgr24)
                std::memcpy(out, in, static_cast<size_t>(n) * 3);
            else if (lf == Layout::Bgr24)
                row_24_to_32(out, in, n);
            else if (lo == Layout::Bgr24)
                row_32_to_24(out, in, n);
            else
                row_32_to_32(out, in, n);
        }
        return true;
    }

    std::vector<int32_t> offsets(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        offsets[static_cast<size_t>(i)] =
            (source.left() + static_cast<int32_t>(nearest(first_col + i, dest.width(), source.width()))) *
            bpp_from;
    // Pixels before the one that shows the source's last column.
    int whole = 0;
    while (whole < n && offsets[static_cast<size_t>(whole)] / bpp_from < from.width() - 1)
        ++whole;
    const Scaled_Row row = scaled_row_for(lf, lo);
    const qsizetype x_onto = static_cast<qsizetype>(clip.left()) * bpp_onto;
    int previous = -1;
    for (int y = clip.top(); y <= clip.bottom(); ++y) {
        const int sy = source_row(y);
        uchar* out = base_onto + y * stride_onto + x_onto;
        if (sy == previous) {
            // A source row shown on more than one row is worked out once.
            std::memcpy(out, out - stride_onto, static_cast<size_t>(n) * static_cast<size_t>(bpp_onto));
            continue;
        }
        row(out, base_from + sy * stride_from, offsets.data(), n, whole);
        previous = sy;
    }
    return true;
}

} // namespace gdi
