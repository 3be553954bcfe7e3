#pragma once
// What the video file object knows of the DV material it reads: the "qf1"/
// "qf2" record and header text, the raw "dv" offset, the frame read last (of
// an "sdv" or AVI file too), its extra data block and trace record, and the
// fields drawn from it. Made at open and dropped at close, so nothing of one
// file reaches the next.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct DV_Reader {
    // The per-frame record of the DV-based kinds read last.
    struct DV_Extra_Data {
        int32_t Time_Stamp = 0;
        int32_t Capture_Mill = 0;
        int32_t Heat_Start = 0;
        int32_t Frame_Time = 0;
        int16_t Camera_Offset = 0;
        int16_t Camera = 0;
    };

    bool Raw_DV = false;
    bool Stream_Buffer = false;
    std::array<uint8_t, 20> QFN_Header{};
    std::vector<uint8_t> QFN_XML;
    int64_t After_QFN_Record = 21;
    int64_t After_QFN_XML = 0;
    int32_t QFN_Header_Len = 0;
    int32_t Last_TC_Frame = 0;
    int16_t DV_Offset = 0;

    std::vector<uint8_t> Frame_Buffer;
    std::vector<uint8_t> Streams_Buffer;
    const uint8_t* Frame_Data = nullptr;
    int32_t Frame_Data_Size = 0;
    int32_t Buffered_Frame = 0;
    int16_t Current_Stream = 1;
    int32_t Current_Frame = 0;
    int64_t Frame_Position = 0;
    int32_t Frame_Percent = 0;
    double Frame_Start_Ms = 0;
    uint8_t* Frame_Marker_Address = nullptr;

    int32_t DV_Picture_Frame = 0; // the buffered frame the picture holds, 0 = none
    int32_t Decode_Result = 0;
    std::string Decode_Note;
    int32_t Last_Field_Drawn = 0;
    int16_t Last_Stream_Drawn = 0;
    std::array<int32_t, 3> Stream_Frame_Decoded{};
    bool Frames_In_Store = false;

    std::array<uint8_t, 192> DV_Extra_Block{};
    int32_t DV_Extra_Offset = 0;
    bool DV_Extra_Searched = false;
    bool DV_Extra_Data_Flag = false;
    DV_Extra_Data DV_Extra;

    std::array<uint8_t, 88> Trace_Data{};
    std::array<uint8_t, 88> Read_Trace{};
    std::vector<std::array<uint8_t, 88>> Trace_Array;
};
