#include "DvDecoder.h"

#include <libdv/dv.h>

#include <algorithm>
#include <cstring>

namespace dv {

struct Decoder::Impl {
    dv_decoder_t* decoder = nullptr;
    std::vector<uint8_t> rgb; // top-down, packed red-green-blue, as libdv writes it
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

bool Decoder::Decode(const uint8_t* frame, size_t size, Picture& out) {
    m_error.clear();
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
    const int32_t w = d->width, h = d->height;
    // The decoder writes every pixel: the buffers are sized, never cleared,
    // and keep their memory from frame to frame.
    m_impl->rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    uint8_t* pixels[3] = {m_impl->rgb.data(), nullptr, nullptr};
    int pitches[3] = {w * 3, 0, 0};
    dv_decode_full_frame(d, frame, e_dv_color_rgb, pixels, pitches);

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
        // Sixteen pixels a step at fixed offsets, which the compiler lays out
        // flat: a test per pixel cost more than the pixel.
        for (; i + 48 <= row; i += 48) {
            const uint8_t* from = src + i;
            uint8_t* to = dst + i;
            for (size_t k = 0; k < 48; k += 3) {
                to[k] = from[k + 2];
                to[k + 1] = from[k + 1];
                to[k + 2] = from[k];
            }
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
