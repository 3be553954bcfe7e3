#pragma once
// The bytes of a "qf3" heat file: a 32016-byte header block holding the XML
// header, then sample records of one picture each, all of one size. Other
// tools and years of stored heats rely on these offsets; every number is
// little-endian and the members are packed with no gaps.
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "heat files are little-endian on disk");

namespace qf3 {

inline constexpr int32_t kBlock_Size = 32016;
inline constexpr int32_t kXML_Field_Size = 32000;
// Bytes a sample record holds besides its image slot: 42 of fields, the
// slot's 10-byte array descriptor, 4 of end marker.
inline constexpr int32_t kRecord_Overhead = 56;
inline constexpr int32_t kRecord_Head_Size = 52;
inline constexpr int32_t kRecord_Tail_Size = 4;

#pragma pack(push, 1)

struct Header_Block {
    char Magic[4];        // "QFN3"
    int32_t Block_Length; // 32016
    int32_t XML_Length;   // characters of the XML text
    uint8_t XML_Text[kXML_Field_Size];
    char End_Magic[4]; // "QFNX"
};

// A sample record up to its image slot; the slot (slot size bytes) and the
// end marker "RGBF" follow.
struct Sample_Head {
    char Start_Marker[4]; // "RGBS"
    int32_t Reserved_1;
    int32_t Capture_Mill;
    int32_t Capture_Delta;
    int32_t Capture_Local;
    int32_t Reserved_2;
    int16_t Quality;
    int32_t Reserved_3;
    int32_t JPEG_Length;
    int32_t Capture_Events;
    char Middle_Marker[4]; // "RGBE"
    // The slot's array descriptor: one dimension, its element count (the
    // slot size) and its lower bound 1.
    int16_t Slot_Dimensions;
    int32_t Slot_Count;
    int32_t Slot_Lower_Bound;
};

#pragma pack(pop)

static_assert(sizeof(Header_Block) == kBlock_Size);
static_assert(offsetof(Header_Block, Block_Length) == 4);
static_assert(offsetof(Header_Block, XML_Length) == 8);
static_assert(offsetof(Header_Block, XML_Text) == 12);
static_assert(offsetof(Header_Block, End_Magic) == 32012);

static_assert(sizeof(Sample_Head) == kRecord_Head_Size);
static_assert(offsetof(Sample_Head, Reserved_1) == 4);
static_assert(offsetof(Sample_Head, Capture_Mill) == 8);
static_assert(offsetof(Sample_Head, Capture_Delta) == 12);
static_assert(offsetof(Sample_Head, Capture_Local) == 16);
static_assert(offsetof(Sample_Head, Reserved_2) == 20);
static_assert(offsetof(Sample_Head, Quality) == 24);
static_assert(offsetof(Sample_Head, Reserved_3) == 26);
static_assert(offsetof(Sample_Head, JPEG_Length) == 30);
static_assert(offsetof(Sample_Head, Capture_Events) == 34);
static_assert(offsetof(Sample_Head, Middle_Marker) == 38);
static_assert(offsetof(Sample_Head, Slot_Dimensions) == 42);
static_assert(offsetof(Sample_Head, Slot_Count) == 44);
static_assert(offsetof(Sample_Head, Slot_Lower_Bound) == 48);
static_assert(kRecord_Head_Size + kRecord_Tail_Size == kRecord_Overhead);

// No capture crop comes near this; a larger slot is a damaged descriptor.
inline constexpr int64_t kMax_Slot_Size = 64 * 1024 * 1024;

// 0-based file offset of sample n (from 1) in a file of this sample size.
inline constexpr int64_t Sample_Offset(int64_t n, int64_t sample_size) {
    return kBlock_Size + (n - 1) * sample_size;
}

} // namespace qf3
