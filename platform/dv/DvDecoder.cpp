#include "DvDecoder.h"

#include <libdv/dv.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace dv {

// libdv's decoder of one code word of a block's coefficients, exported by
// the library though its headers do not declare it: the check of a frame's
// blocks below steps through the bits with it, exactly as the decoder will.
// `bits` holds the next 16 bits of the stream in its low 16 bits, the first
// one highest; `maxbits` tells how many of them the block still holds. A
// negative run is no coefficient: the block's end with amp 0, too few bits
// with len -1, or a code that is none with len -2.
extern "C" {
struct dv_code_word {
    int8_t run;
    int8_t len;
    int16_t amp;
};
void dv_decode_vlc(int bits, int maxbits, dv_code_word* result);
// The same for 16 bits or more, as libdv's passes decode whole words.
void __dv_decode_vlc(int bits, dv_code_word* result);
}

struct Decoder::Impl {
    dv_decoder_t* decoder = nullptr;
    std::vector<uint8_t> rgb;    // top-down, packed red-green-blue, as libdv writes it
    std::vector<uint8_t> mended; // a damaged frame with its overrunning blocks cut short
};

Decoder::Decoder() : m_impl(std::make_unique<Impl>()) {
    m_impl->decoder = dv_decoder_new(0, 0, 0);
    if (m_impl->decoder) {
        m_impl->decoder->quality = DV_QUALITY_BEST;
    }
}

Decoder::~Decoder() {
    if (m_impl->decoder) dv_decoder_free(m_impl->decoder);
}

int32_t Frame_Size_Of(const uint8_t* frame, size_t size) {
    // Header block ID: section type 0 and the reserved bit set in byte 0,
    // DIF sequence 0 in byte 1, block number 0; the DSF bit (byte 3, bit 7)
    // tells 625/50 from 525/60.
    if (!frame || size < 80) return 0;
    if ((frame[0] & 0xF0) != 0x10 || (frame[1] & 0xF0) != 0 || frame[2] != 0) return 0;
    return (frame[3] & 0x80) ? kPal_Frame_Size : kNtsc_Frame_Size;
}

namespace {

// Sixteen pixels red-green-blue to blue-green-red: 48 bytes as three
// 16-byte vectors, each byte of the result taken from its place in them. A
// byte moved at a time cost more than the pixel, above all in a sanitizer
// build, which checks every access: here there are six.
using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Bytes32 = uint8_t __attribute__((vector_size(32)));

void Swap_Red_Blue_16(const uint8_t* from, uint8_t* to) {
    Bytes16 a, b, c;
    std::memcpy(&a, from, 16);
    std::memcpy(&b, from + 16, 16);
    std::memcpy(&c, from + 32, 16);
    // Pixel p's bytes lie at 3p, 3p + 1, 3p + 2 of the 48; a lane of 16 and
    // up in a two-vector pick is the second vector's.
    const Bytes16 x = __builtin_shufflevector(a, b, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 17);
    const Bytes32 ab = __builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    const Bytes32 bc = __builtin_shufflevector(b, c, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    // Bytes 16 to 31: 16 and 17 end pixel 5 (its red at 15), 30 and 31 start
    // pixel 10 (its blue at 32).
    const Bytes16 y1 =
        __builtin_shufflevector(ab, ab, 16, 15, 20, 19, 18, 23, 22, 21, 26, 25, 24, 29, 28, 27, 0, 31);
    const Bytes16 y = __builtin_shufflevector(y1, c, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 15);
    const Bytes16 z =
        __builtin_shufflevector(bc, bc, 14, 19, 18, 17, 22, 21, 20, 25, 24, 23, 28, 27, 26, 31, 30, 29);
    std::memcpy(to, &x, 16);
    std::memcpy(to + 16, &y, 16);
    std::memcpy(to + 32, &z, 16);
}

// The layout of a frame's video (IEC 61834-2): each DIF sequence of 150
// blocks of 80 bytes opens with 6 blocks of header, subcode and video
// auxiliary data; then come 27 video segments of 5 blocks, an audio block
// before every third. A video block holds one macroblock: a byte of
// quantisation after its 3-byte ID, then the areas of 4 luminance and 2
// colour-difference 8x8 blocks, each starting with a 12-bit DC term, mode
// and class, then its coefficients' code words.
constexpr int32_t kDif_Block = 80;
constexpr int32_t kSequence_Blocks = 150;
constexpr int32_t kSegments = 27;
constexpr int32_t kSegment_Blocks = 5;
// Where each block's area starts in its video block, and where the last ends.
constexpr int32_t kArea_Byte[7] = {4, 18, 32, 46, 60, 70, 80};
constexpr int32_t kDc_Bits = 12;
// The code word that ends a block's coefficients: "0110".
constexpr uint32_t kEnd_Of_Block = 0x6;

// Bit `at` of the frame on, 16 bits in the low 16, the first highest; bits
// past the frame read as 0 (the decoder masks those past the block away).
uint32_t Next_16_Bits(const uint8_t* frame, size_t size, size_t at) {
    const size_t byte = at / 8;
    uint32_t window = 0;
    for (size_t i = 0; i < 3; ++i)
        window = (window << 8) | (byte + i < size ? frame[byte + i] : 0u);
    return (window >> (8 - at % 8)) & 0xFFFF;
}

// The code word at the 16 bits of `bits` for a block with 16 bits or more
// left, as libdv's first pass reads it (with the library's inline decoder):
// one lookup each. A few patterns that are no code word come out here with
// run 0 and a negative length, which the passes take as a coefficient and
// a jump of the read position by 254 bits, far out of the block. Made on
// first use, after a decoder has built libdv's tables.
const dv_code_word* Whole_Words() {
    static const std::vector<dv_code_word> table = [] {
        std::vector<dv_code_word> t(0x10000);
        for (int bits = 0; bits < 0x10000; ++bits)
            __dv_decode_vlc(bits, &t[static_cast<size_t>(bits)]);
        return t;
    }();
    return table.data();
}

dv_code_word Word_At(const uint8_t* frame, size_t size, size_t at, size_t left, const dv_code_word* whole) {
    const uint32_t bits = Next_16_Bits(frame, size, at);
    if (left >= 16) return whole[bits];
    dv_code_word w{};
    dv_decode_vlc(static_cast<int>(bits), static_cast<int>(left), &w);
    return w;
}

// Whether libdv's first pass cannot read a block's own area, from bit
// `from` to `end`, safely: when a coefficient lands past the 64 of the 8x8
// block (that pass, unlike the later ones, does not stop at the 64th: it
// writes on over the block's bookkeeping, the next block's and, from the
// last block of a segment, the decoder's stack), or when a word is one that
// jumps out of the block.
bool Read_Past_The_Block(const uint8_t* frame, size_t size, size_t from, size_t end,
                         const dv_code_word* whole) {
    int32_t next = 1; // coefficient 0 is the DC term
    for (size_t at = from;;) {
        const dv_code_word w = Word_At(frame, size, at, end - at, whole);
        if (w.run < 0) return false; // the end of block, or the pass stops here
        if (w.len <= 0) return true;
        next += w.run;
        if (next > 63) return true;
        ++next;
        at += static_cast<size_t>(w.len);
    }
}

// Calls `damaged(from, end)`, with its words' area, for each block of the
// frame whose own code words libdv's first pass cannot read safely.
template <class F> void For_Each_Damaged_Block(const uint8_t* frame, size_t size, F&& damaged) {
    const dv_code_word* whole = Whole_Words();
    const size_t sequences = size / (static_cast<size_t>(kSequence_Blocks) * kDif_Block);
    for (size_t q = 0; q < sequences; ++q) {
        for (int32_t s = 0; s < kSegments; ++s) {
            const size_t first_block = q * kSequence_Blocks + 6 + static_cast<size_t>(s / 3 + 1) +
                                       static_cast<size_t>(s) * kSegment_Blocks;
            for (int32_t m = 0; m < kSegment_Blocks; ++m) {
                const size_t block_bit = (first_block + static_cast<size_t>(m)) * kDif_Block * 8;
                for (int32_t b = 0; b < 6; ++b) {
                    const size_t from = block_bit + static_cast<size_t>(kArea_Byte[b]) * 8 + kDc_Bits;
                    const size_t end = block_bit + static_cast<size_t>(kArea_Byte[b + 1]) * 8;
                    if (Read_Past_The_Block(frame, size, from, end, whole)) damaged(from, end);
                }
            }
        }
    }
}

// Sets the bits from `from` to `end` to `pattern`'s (its last bits first
// in line), zeros past its `length`.
void Set_Bits(uint8_t* frame, size_t from, size_t end, uint32_t pattern, size_t length) {
    for (size_t at = from; at < end; ++at) {
        const size_t i = at - from;
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (at % 8));
        if (i < length && ((pattern >> (length - 1 - i)) & 1u))
            frame[at / 8] |= mask;
        else
            frame[at / 8] &= static_cast<uint8_t>(~mask);
    }
}

} // namespace

Recent_Pictures::Recent_Pictures(size_t count) : m_kept(std::max<size_t>(count, 1)) {}

const Picture* Recent_Pictures::Decode(Decoder& decoder, const uint8_t* frame, size_t size) {
    Kept* oldest = &m_kept.front();
    for (Kept& k : m_kept) {
        if (frame && !k.bytes.empty() && k.bytes.size() == size &&
            std::memcmp(k.bytes.data(), frame, size) == 0) {
            k.used = ++m_clock;
            return &k.picture;
        }
        if (k.used < oldest->used) oldest = &k;
    }
    oldest->bytes.clear(); // the picture is no longer that of its bytes until the decode ends
    if (!decoder.Decode(frame, size, oldest->picture)) return nullptr;
    oldest->bytes.assign(frame, frame + size);
    oldest->used = ++m_clock;
    return &oldest->picture;
}

bool Decoder::Decode(const uint8_t* frame, size_t size, Picture& out) {
    m_error.clear();
    m_mended_blocks = 0;
    if (!m_impl->decoder) {
        m_error = "DV decoder could not be made";
        return false;
    }
    if (!frame ||
        (size != static_cast<size_t>(kPal_Frame_Size) && size != static_cast<size_t>(kNtsc_Frame_Size))) {
        m_error = "Not a DV frame size: " + std::to_string(size);
        return false;
    }
    const int32_t named = Frame_Size_Of(frame, size);
    if (named == 0) {
        m_error = "No DV header block";
        return false;
    }
    if (static_cast<size_t>(named) != size) {
        m_error = "DV header names a frame of " + std::to_string(named) + " bytes, " + std::to_string(size) +
                  " given";
        return false;
    }
    dv_decoder_t* d = m_impl->decoder;
    if (dv_parse_header(d, frame) < 0 || d->frame_size != size || d->width <= 0 || d->height <= 0) {
        m_error = "DV header refused";
        return false;
    }
    // libdv reads damaged blocks past their end (see Read_Past_The_Block),
    // so they are mended in a copy first: each ends at once and keeps its DC
    // term, its mean colour, showing as a flat square. The rest of its area
    // is cleared (zeros read as coefficients of 1, one a word), as the later
    // passes lend it to blocks that ran out.
    For_Each_Damaged_Block(frame, size, [&](size_t from, size_t end) {
        if (m_mended_blocks++ == 0) m_impl->mended.assign(frame, frame + size);
        Set_Bits(m_impl->mended.data(), from, end, kEnd_Of_Block, 4);
    });
    const uint8_t* bytes = m_mended_blocks ? m_impl->mended.data() : frame;
    const int32_t w = d->width, h = d->height;
    // The decoder writes every pixel: the buffers are sized, never cleared,
    // and keep their memory from frame to frame.
    m_impl->rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    uint8_t* pixels[3] = {m_impl->rgb.data(), nullptr, nullptr};
    int pitches[3] = {w * 3, 0, 0};
    dv_decode_full_frame(d, bytes, e_dv_color_rgb, pixels, pitches);

    out.width = w;
    out.height = h;
    out.stride = (w * 3 + 3) & ~3;
    out.pal = size == static_cast<size_t>(kPal_Frame_Size);
    out.bits.resize(static_cast<size_t>(out.stride) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = m_impl->rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
        uint8_t* dst = out.bits.data() + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(out.stride);
        const size_t row = static_cast<size_t>(w) * 3;
        size_t i = 0;
        // Sixteen pixels a step: a test per pixel cost more than the pixel.
        for (; i + 48 <= row; i += 48) {
            Swap_Red_Blue_16(src + i, dst + i);
        }
        for (; i < row; i += 3) {
            dst[i] = src[i + 2];
            dst[i + 1] = src[i + 1];
            dst[i + 2] = src[i];
        }
        std::fill(dst + row, dst + out.stride, uint8_t{0}); // the row's padding
    }
    return true;
}

} // namespace dv
