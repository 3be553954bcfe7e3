#pragma once
// What the video file object knows of the "qf3" heat file it reads: the
// sample read last, its record, and the facts of the header block. Made at
// open and dropped at close, so nothing of one heat reaches the next file.
#include "QF3_format.h"

#include <cstdint>
#include <string>
#include <vector>

struct QF3_Reader {
    int32_t Current_Sample = 0;
    bool Current_Decoded = false;
    qf3::Sample_Head Read_Head{};
    std::vector<uint8_t> Read_Record;
    std::vector<uint8_t> Spare_Record;
    const uint8_t* Sample_Pixels = nullptr;
    int32_t Sample_Size = 0;
    int64_t First_Sample_Addr = 0; // 1-based
    int32_t Num_RGB_Frames = 0;
    int16_t QF3_Quality = 0;
    std::string QF3_Codec;
    std::string QF3_fourcc;
    int16_t RGB_X = 0;
    int16_t RGB_Y = 0;
    bool QF3_Interlaced = false;
    bool RGB_Open_OK = false;
    int64_t After_XML_Pos = 0; // 1-based
    int32_t Frame_Length = 0;
};
