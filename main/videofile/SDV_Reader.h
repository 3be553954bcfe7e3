#pragma once
// The DV header record of the "sdv" file the video file object reads. Made
// at open and dropped at close.
#include <array>
#include <cstdint>

struct SDV_Reader {
    std::array<uint8_t, 64> DV_Header_Record{};
    int32_t DV_Start = 0;
    bool Has_Model = false;
};
