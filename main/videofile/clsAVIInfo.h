#pragma once
// The header of a RIFF AVI file: main header, stream headers and formats,
// the INFO list, where the movi list and the idx1 index lie, and lookups of
// codec, audio format and INFO item names. Filled by ReadFile; every value
// is read-only for its users.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class clsAVIInfo {
public:
    clsAVIInfo();

    // Reads the header; True when a movi list was found.
    bool ReadFile(const std::string& file_name);

    bool AVI_valid() const { return m_AVI_valid; }
    int32_t Width() const { return m_Width; }
    int32_t Height() const { return m_Height; }
    int16_t BitDepth() const { return m_BitDepth; }
    int16_t Channels() const { return m_Channels; }
    int32_t SamplesPerSec() const { return m_SamplesPerSec; }
    int32_t FrameRate() const { return m_FrameRate; }
    // The main header's microseconds per frame: the exact rate where FrameRate is whole frames.
    int32_t MicroSecPerFrame() const { return m_MicroSecPerFrame; }
    int32_t PlayLength() const { return m_PlayLength; }
    int32_t NumFrames() const { return m_NumFrames; }
    int16_t NumStreams() const { return m_NumStreams; }
    bool HasVideo() const { return m_HasVideo; }
    bool HasAudio() const { return m_HasAudio; }
    std::string VideoCodec() const { return m_VideoCodec; }
    std::string AudioCodec() const { return m_AudioCodec; }
    int32_t NumCodecs();
    std::string AudioFormat() const { return m_AudioFormat; }
    std::string fileName() const { return m_fileName; }
    int64_t FileSize() const { return m_FileSize; }
    int32_t BytePerSec() const { return m_BytePerSec; }
    int32_t IndexOffset() const { return m_IndexOffset; }
    int32_t MovieOffset() const { return m_MovieOffset; }
    int32_t PadBytes() const { return m_PadBytes; }
    int32_t RIFFsize() const { return m_RIFFsize; }
    const uint8_t* bmi_address() const { return m_iavs ? nullptr : m_bmi; }
    bool iavs() const { return m_iavs; }
    int32_t AVIINFO_addr() const { return m_AVIINFO_addr; }

    std::string CodecToName(const std::string& tag);
    static std::string FormatTime(int32_t seconds);
    static std::string LongToFourCC(int32_t value);
    static int32_t FourCCToLong(const std::string& tag);
    int32_t GetInfoList(std::vector<int32_t>& tags) const;
    std::string QueryInfo(int32_t tag) const;
    static std::string GetInfoName(int32_t tag);
    static std::string Audio_Format_Name(int16_t format_tag);

    // Raised with "File not found or contains no data!", "Incorrect AVI
    // header", "File too large to parse".
    std::function<void(const std::string&)> Error_Message;
    // The message raised last (empty when none since the last ReadFile).
    const std::string& Last_Message() const { return m_Last_Message; }

private:
    void Clear();
    void Raise_Message(const std::string& text);
    void Build_Codec_Table();
    struct Info_Item {
        int32_t tag;
        std::string text;
    };
    struct Codec_Row {
        std::string tag, name;
    };

    bool m_AVI_valid = false;
    int32_t m_Width = 0, m_Height = 0;
    int16_t m_BitDepth = 0, m_Channels = 0;
    int32_t m_SamplesPerSec = 0, m_FrameRate = 0, m_PlayLength = 0, m_NumFrames = 0;
    int32_t m_MicroSecPerFrame = 0;
    int16_t m_NumStreams = 0;
    bool m_HasVideo = false, m_HasAudio = false;
    std::string m_VideoCodec, m_AudioCodec, m_AudioFormat, m_fileName;
    int64_t m_FileSize = 0;
    int32_t m_BytePerSec = 0, m_IndexOffset = 0, m_MovieOffset = 0, m_PadBytes = 0, m_RIFFsize = 0;
    bool m_iavs = false;
    int32_t m_AVIINFO_addr = 0;
    uint8_t m_bmi[40] = {};
    std::vector<uint32_t> m_Palette;
    std::vector<Info_Item> m_Info;
    std::vector<Codec_Row> m_Codecs;
    std::string m_Last_Message;
};
