// Record heads of a heat file read on their own, for the analyses that need
// only a sample's clocks: a 52-byte read per sample instead of the whole
// record and its picture.
#include "cls_VideoFile_handler.h"

#include <cstring>

bool cls_VideoFile_handler::Read_RGB_sample_head(int32_t sample, qf3::Sample_Head& head) {
    // Only a heat file has its records' size; any other kind has no heads.
    if (!m_File.Is_Open() || sample < 1 || m_qf3->Sample_Size < qf3::kRecord_Overhead) return false;
    const int64_t offset = RGB_video_adress(sample) - 1;
    if (m_File.Read_At(offset, &head, qf3::kRecord_Head_Size) < qf3::kRecord_Head_Size) return false;
    return std::memcmp(head.Start_Marker, "RGBS", 4) == 0;
}
