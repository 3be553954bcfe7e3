#pragma once
// DirectShow media-type records as fixed-width structures. AM_MEDIA_TYPE has
// the 64-bit layout (pointers are 8 bytes) because its address is handed to
// the program as text and read there directly; VIDEOINFOHEADER,
// BITMAPINFOHEADER and WAVEFORMATEX are the same on every platform.
// A record made here owns its format block (malloc'ed); FreeMediaType frees
// the block, DeleteMediaType the block and the record.
#include "ComResult.h"
#include "Gdi.h"
#include "Guid.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace dshow {

using com::GUID;
using com::HRESULT;
using REFERENCE_TIME = int64_t; // units of 100 ns

struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(RECT) == 16);

// The drawing layer's bitmap header (its header only: this layer links no Qt).
using gdi::BITMAPINFOHEADER;
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    uint32_t dwBitRate = 0;
    uint32_t dwBitErrorRate = 0;
    REFERENCE_TIME AvgTimePerFrame = 0;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88);
static_assert(offsetof(VIDEOINFOHEADER, AvgTimePerFrame) == 40);
static_assert(offsetof(VIDEOINFOHEADER, bmiHeader) + offsetof(BITMAPINFOHEADER, biWidth) == 52);

#pragma pack(push, 1)
struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    int32_t bFixedSizeSamples = 0;
    int32_t bTemporalCompression = 0;
    uint32_t lSampleSize = 0;
    GUID formattype;
    uint32_t reserved0 = 0;
    uint64_t pUnk = 0; // always 0 here
    uint32_t cbFormat = 0;
    uint32_t reserved1 = 0;
    uint8_t* pbFormat = nullptr;
};
static_assert(sizeof(AM_MEDIA_TYPE) == 88);
static_assert(offsetof(AM_MEDIA_TYPE, pbFormat) == 80);
static_assert(sizeof(uint8_t*) == 8);

// The media-type identifiers.
inline constexpr GUID MEDIATYPE_Video = com::MakeGuid("73646976-0000-0010-8000-00AA00389B71");
inline constexpr GUID MEDIATYPE_Audio = com::MakeGuid("73647561-0000-0010-8000-00AA00389B71");
inline constexpr GUID MEDIATYPE_Stream = com::MakeGuid("E436EB83-524F-11CE-9F53-0020AF0BA770");
inline constexpr GUID MEDIASUBTYPE_RGB24 = com::MakeGuid("E436EB7D-524F-11CE-9F53-0020AF0BA770");
inline constexpr GUID MEDIASUBTYPE_RGB32 = com::MakeGuid("E436EB7E-524F-11CE-9F53-0020AF0BA770");
inline constexpr GUID MEDIASUBTYPE_PCM = com::MakeGuid("00000001-0000-0010-8000-00AA00389B71");
inline constexpr GUID MEDIASUBTYPE_Avi = com::MakeGuid("E436EB88-524F-11CE-9F53-0020AF0BA770");
inline constexpr GUID FORMAT_VideoInfo = com::MakeGuid("05589F80-C356-11CE-BF01-00AA0055595A");
inline constexpr GUID FORMAT_WaveFormatEx = com::MakeGuid("05589F81-C356-11CE-BF01-00AA0055595A");

// The subtype of a four-character code: {XXXXXXXX-0000-0010-8000-00AA00389B71}.
constexpr GUID FourCCSubtype(uint32_t fourcc) {
    GUID g = com::MakeGuid("00000000-0000-0010-8000-00AA00389B71");
    g.Data1 = fourcc;
    return g;
}
constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
inline constexpr GUID MEDIASUBTYPE_dvsd = FourCCSubtype(MakeFourCC('d', 'v', 's', 'd'));
inline constexpr GUID MEDIASUBTYPE_YUY2 = FourCCSubtype(MakeFourCC('Y', 'U', 'Y', '2'));
inline constexpr GUID MEDIASUBTYPE_MJPG = FourCCSubtype(MakeFourCC('M', 'J', 'P', 'G'));
inline constexpr GUID MEDIASUBTYPE_I420 = FourCCSubtype(MakeFourCC('I', '4', '2', '0'));
inline constexpr GUID MEDIASUBTYPE_NV12 = FourCCSubtype(MakeFourCC('N', 'V', '1', '2'));

// Bytes of one row of a 24-bit picture: padded to 4 bytes.
constexpr int64_t Rgb24Stride(int64_t width) {
    return (width * 3 + 3) & ~int64_t(3);
}

// Deep copy (the format block too); false when out of memory.
bool CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE& src);
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE& src);
void FreeMediaType(AM_MEDIA_TYPE& mt);
void DeleteMediaType(AM_MEDIA_TYPE* mt);

// The format block as a video or audio header, or null when it is not one.
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt);
const WAVEFORMATEX* WaveFormat(const AM_MEDIA_TYPE& mt);

// One stream format in plain terms: what the capture devices list and what
// the filters pass along when they connect.
struct StreamFormat {
    GUID majortype;
    GUID subtype;
    // video
    int32_t width = 0, height = 0;
    int32_t fpsNum = 0, fpsDen = 1;
    bool dvSystemStream = false; // DV with its audio interleaved (needs splitting)
    // audio (PCM)
    int32_t channels = 0, rate = 0, bits = 0;
    // a byte stream: the file it comes from
    std::string location;

    bool isVideo() const { return majortype == MEDIATYPE_Video; }
    bool isAudio() const { return majortype == MEDIATYPE_Audio; }
    // Bytes of one sample as the sink sees it (0 when it varies).
    uint32_t sampleSize() const;
    friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

// A full media-type record (format block included) for a format; and back.
AM_MEDIA_TYPE MakeMediaType(const StreamFormat& f);
bool FormatFromMediaType(const AM_MEDIA_TYPE& mt, StreamFormat& out);

// Short names used in the synthetic-device description: "RGB24", "YUY2", "MJPG", "dvsd", "I420", "NV12".
bool SubtypeFromName(const std::string& name, GUID& out);

} // namespace dshow
