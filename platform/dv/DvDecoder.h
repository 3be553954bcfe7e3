#pragma once
// Decoding of one DV frame (IEC 61834 / SMPTE 314M 25 Mbit/s) into the
// program's picture layout: 24-bit blue-green-red, the bottom row first in
// memory, rows padded to a multiple of 4 bytes. It stands where the program
// had the installed DV codec decode for DrawDib.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dv {

// Bytes of one DV frame of each system.
inline constexpr int32_t kPal_Frame_Size = 144000;
inline constexpr int32_t kNtsc_Frame_Size = 120000;

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0; // bytes per row, a multiple of 4
    bool pal = true;
    std::vector<uint8_t> bits; // stride x height, bottom row first
};

class Decoder {
public:
    Decoder();
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes the frame of `size` bytes into `out`. False, with the reason in
    // last_error(), when the bytes are not a whole DV frame of either system
    // (a size other than 144000 or 120000, a header the decoder refuses, or a
    // header naming the other system); `out` is then left as it was.
    // A frame damaged inside its video blocks is decoded all the same; a
    // block libdv could not read safely shows as a flat square of its mean
    // colour (mended_blocks() counts them).
    bool Decode(const uint8_t* frame, size_t size, Picture& out);
    const std::string& last_error() const { return m_error; }
    // The blocks of the frame decoded last that were mended.
    int32_t mended_blocks() const { return m_mended_blocks; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
    int32_t m_mended_blocks = 0;
};

// The pictures of the last few frames decoded, each kept with the frame's
// bytes: a frame drawn again (the two frames of an overlay, a repaint, the
// other field of the frame shown) costs one comparison of its bytes, not a
// decode.
class Recent_Pictures {
public:
    explicit Recent_Pictures(size_t count);

    // The picture of the frame of `size` bytes: a kept one when the bytes are
    // those of a kept frame, else decoded by `decoder` in place of the one
    // used longest ago. Null when the decoder refuses the frame (the reason
    // in its last_error()); the kept pictures stay as they were.
    const Picture* Decode(Decoder& decoder, const uint8_t* frame, size_t size);

private:
    struct Kept {
        std::vector<uint8_t> bytes; // empty: no picture yet
        Picture picture;
        uint64_t used = 0;
    };
    std::vector<Kept> m_kept;
    uint64_t m_clock = 0;
};

// The frame size the header block of a DV frame names: 144000 for a 625/50
// frame, 120000 for 525/60, 0 when the bytes start no DV header block.
int32_t Frame_Size_Of(const uint8_t* frame, size_t size);

} // namespace dv
