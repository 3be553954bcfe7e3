#include "DvEncoder.h"

#include "DvDecoder.h"

#include <libdv/dv.h>

namespace dv {

std::vector<uint8_t> Encode_Frame(const std::vector<uint8_t>& rgb_top_down, bool pal) {
    const int32_t height = pal ? 576 : 480;
    if (rgb_top_down.size() != static_cast<size_t>(720) * height * 3) return {};
    dv_encoder_t* encoder = dv_encoder_new(0, 0, 0);
    if (!encoder) return {};
    encoder->isPAL = pal ? 1 : 0;
    encoder->is16x9 = 0;
    encoder->vlc_encode_passes = 3;
    encoder->static_qno = 0;
    encoder->force_dct = DV_DCT_AUTO;
    std::vector<uint8_t> frame(static_cast<size_t>(pal ? kPal_Frame_Size : kNtsc_Frame_Size), 0);
    // The encoder reads its input without writing it; its signature is older than const.
    uint8_t* planes[3] = {const_cast<uint8_t*>(rgb_top_down.data()), nullptr, nullptr};
    const int result = dv_encode_full_frame(encoder, planes, e_dv_color_rgb, frame.data());
    dv_encoder_free(encoder);
    if (result < 0) return {};
    return frame;
}

} // namespace dv
