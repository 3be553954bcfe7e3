#pragma once
// What the video file object knows of the AVI file it reads: the header
// reader, the own chunks found by the chunk walk, the frame and text indexes
// and the chunk read last. Made at open and dropped at close.
#include "cls_IDX.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class clsAVIInfo;

struct AVI_Reader {
    std::shared_ptr<clsAVIInfo> AVI_Info;
    std::array<uint8_t, 12> RIFF_Header{};
    std::array<uint8_t, 8> AVI_Chunk_Head{};
    std::array<uint8_t, 56> AVI_Main_Header{};
    std::vector<uint8_t> AVI_strh, AVI_strf;
    std::array<int32_t, 8> Chunk_Address{};
    int32_t Junk_Address = 0;
    int32_t JUNK_pos = 0;
    int32_t XML_chunk_pos = 0;
    std::vector<cls_IDX> Index_Collection;
    std::vector<cls_IDX> Text_Index_Collection;
    int32_t Index_Count = 0;
    int32_t Text_Index_Count = 0;
    bool Index_Valid = false, Index_Relative = false, Index_DV_Type1 = false;
    std::vector<std::pair<int32_t, int32_t>> ODML_Index;
    int32_t ODML_Base = 0;
    std::vector<uint8_t> Text_Buffer;
    int64_t Frame_Chunk_Address = 0;
    int32_t Frame_Chunk_Length = 0;
    int64_t Text_Address = 0;
    int32_t Text_Length_Value = 0;
};
