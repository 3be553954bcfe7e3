#pragma once
// Encoding one picture as a DV frame (25 Mbit/s), for frames the program
// makes itself rather than reads.
#include <cstdint>
#include <vector>

namespace dv {

// Encodes a picture of packed red-green-blue bytes, the top row first,
// 720 x 576 (`pal`) or 720 x 480, into one DV frame of 144000 or 120000
// bytes. Empty when the picture has the wrong size or the encoder fails.
std::vector<uint8_t> Encode_Frame(const std::vector<uint8_t>& rgb_top_down, bool pal);

} // namespace dv
