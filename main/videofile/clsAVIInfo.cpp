#include "clsAVIInfo.h"

#include "Module_dependant.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "Video_file_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using video_file_io::Get16;
using video_file_io::Get32;
std::string Tag(const uint8_t* p) {
    return std::string(reinterpret_cast<const char*>(p), 4);
}

// Reads through one open file from a 1-based position that moves on, as the
// program's sequential binary reads did.
struct Reader {
    video_file_io::File file;
    int64_t position = 1;
    int64_t got = 0; // bytes of the last read that were in the file
    void Read(void* target, int64_t n) {
        got = file.Read_At(position - 1, target, n);
        position += n;
    }
};

} // namespace

clsAVIInfo::clsAVIInfo() {
    Send_Trace("*ClsAVIInfo Initialize");
}

void clsAVIInfo::Clear() {
    m_AVI_valid = false;
    m_Width = m_Height = 0;
    m_FrameRate = m_PlayLength = m_NumFrames = m_MicroSecPerFrame = 0;
    m_NumStreams = 0;
    m_HasVideo = m_HasAudio = false;
    m_BitDepth = m_Channels = 0;
    m_SamplesPerSec = 0;
    m_FileSize = 0;
    m_BytePerSec = m_IndexOffset = m_MovieOffset = m_PadBytes = 0;
    m_VideoCodec.clear();
    m_AudioCodec.clear();
    m_AudioFormat.clear();
    m_fileName.clear();
    m_Info.clear();
}

void clsAVIInfo::Raise_Message(const std::string& text) {
    m_Last_Message = text;
    if (Error_Message) Error_Message(text);
}

bool clsAVIInfo::ReadFile(const std::string& file_name) {
    Send_Trace("*clsAVIInfo ReadFile, begin");
    Clear();
    m_Last_Message.clear();
    const int64_t length = Get_File_Size(file_name);
    if (length <= 0) {
        Raise_Message("File not found or contains no data!");
        Send_Trace("*clsAVIInfo ReadFile, end");
        return false;
    }
    Reader r;
    r.file.Open(file_name, video_file_io::Mode::Read);
    uint8_t riff[12], list[12], chunk[8], avih[56];
    r.Read(riff, 12);
    r.Read(list, 12);
    r.Read(chunk, 8);
    m_AVIINFO_addr = static_cast<int32_t>(r.position);
    r.Read(avih, 56);
    if (Tag(riff) != "RIFF" || Tag(riff + 8) != "AVI " || Tag(list) != "LIST" || Tag(list + 8) != "hdrl" ||
        Tag(chunk) != "avih" || r.got < 56) {
        Raise_Message("Incorrect AVI header");
        m_AVI_valid = false;
        Send_Trace("*clsAVIInfo ReadFile, end");
        return false;
    }
    m_AVI_valid = true;
    m_RIFFsize = Get32(riff + 4);
    int64_t pos = r.position;
    int64_t info_left = 0;
    std::string last_type;
    uint8_t strh[48] = {};
    while (pos < length) {
        const int64_t step_from = pos;
        uint8_t head[8];
        r.Read(head, 8);
        if (r.got < 8) break; // a chunk header cut off by the end of the file
        const std::string tag = Tag(head);
        int64_t size = Get32(head + 4);
        if (size < 0) break;
        size = (size + 1) / 2 * 2;
        if (tag == "LIST") {
            const int64_t list_size = size;
            uint8_t type[4];
            r.Read(type, 4);
            const std::string list_type = Tag(type);
            if (list_type == "movi") {
                m_MovieOffset = static_cast<int32_t>(r.position - 5);
                pos += list_size + 8;
                r.position = pos;
            } else if (list_type == "INFO") {
                info_left = list_size;
            }
            pos += 12;
        } else if (tag == "strh") {
            r.Read(strh, 48);
            last_type = Tag(strh);
        } else if (tag == "strf") {
            if (last_type == "vids") {
                m_HasVideo = true;
                m_VideoCodec = Tag(strh + 4);
                r.Read(m_bmi, 40);
                const int16_t bits = Get16(m_bmi + 14);
                if (bits < 9) {
                    int32_t colours = Get32(m_bmi + 32);
                    if (colours < 2) colours = 1 << std::max<int16_t>(bits, 0);
                    // A palette never holds more entries than 8 bits can index.
                    colours = std::clamp(colours, 0, 256);
                    m_Palette.assign(static_cast<size_t>(colours), 0);
                    r.Read(m_Palette.data(), 4 * static_cast<int64_t>(colours));
                }
                if (m_VideoCodec == std::string(4, '\0')) m_VideoCodec = LongToFourCC(Get32(m_bmi + 16));
            } else if (last_type == "auds") {
                m_HasAudio = true;
                m_AudioCodec = Tag(strh + 4);
                uint8_t wf[16] = {};
                r.Read(wf, size >= 16 ? 16 : 14);
                m_Channels = Get16(wf + 2);
                m_SamplesPerSec = Get32(wf + 4);
                m_BytePerSec = Get32(wf + 8);
                m_AudioFormat = Audio_Format_Name(Get16(wf));
            }
            if (last_type == "iavs") {
                m_iavs = true;
                m_HasVideo = true;
                m_VideoCodec = "dvsd";
                m_NumFrames = Get32(avih + 16);
                const int32_t buffer = Get32(avih + 28);
                if (buffer == 144000 || buffer == 144008) {
                    m_FrameRate = 25;
                    m_Width = 720;
                    m_Height = 576;
                } else if (buffer == 120000 || buffer == 120008) {
                    m_Width = 720;
                    m_Height = 480;
                    m_FrameRate = 29;
                }
            }
        } else if (tag == "idx1") {
            m_IndexOffset = static_cast<int32_t>(r.position - 9);
            pos -= 12;
        } else if (tag == "JUNK" || tag == "JUNQ") {
            m_PadBytes += static_cast<int32_t>(size);
        } else if (info_left > 0) {
            // Never more than the file holds: a damaged size would ask for gigabytes.
            std::vector<uint8_t> text(
                static_cast<size_t>(std::min<int64_t>(size, length - (r.position - 1))));
            r.Read(text.data(), static_cast<int64_t>(text.size()));
            m_Info.push_back({FourCCToLong(tag), Bytes_to_String(text)});
        }
        if (2147483648LL - (pos + 1) <= size) {
            Raise_Message("File too large to parse");
            break;
        }
        if (tag != "LIST") {
            pos += size + 8;
            if (info_left != 0) {
                info_left -= size + 8;
                if (info_left < 1) info_left = 0;
            }
            r.position = pos;
        }
        // A step that does not move forward would walk the same chunk for ever.
        if (pos <= step_from) break;
    }
    if (m_MovieOffset != 0) {
        m_MicroSecPerFrame = std::max(Get32(avih), 0);
        if (!m_iavs) {
            m_Width = Get32(avih + 32);
            m_Height = Get32(avih + 36);
            const int32_t usec = Get32(avih);
            m_FrameRate = usec > 0 ? 1000000 / usec : 0;
            // Whole seconds of play never exceed what an int holds for any header values.
            m_PlayLength = static_cast<int32_t>(
                std::clamp(std::nearbyint(usec / 1000000.0 * Get32(avih + 16)), 0.0, double{INT32_MAX}));
            m_NumFrames = Get32(avih + 16);
            m_NumStreams = static_cast<int16_t>(Get32(avih + 24));
        }
        m_BitDepth = m_HasVideo ? Get16(m_bmi + 14) : int16_t{0};
        m_fileName = file_name;
        m_FileSize = length;
        if (!m_HasAudio) {
            m_Channels = 0;
            m_SamplesPerSec = 0;
            m_BytePerSec = 0;
        }
    } else {
        Clear();
    }
    Send_Trace("*clsAVIInfo ReadFile, end");
    return m_MovieOffset != 0;
}

// ---- Names ----

std::string clsAVIInfo::FormatTime(int32_t seconds) {
    std::string out;
    bool days = false;
    if (seconds >= 86400) {
        out += std::to_string(seconds / 86400) + ":";
        seconds %= 86400;
        days = true;
    }
    if (seconds >= 3600 || days) {
        out += days ? vb::FormatNumber(seconds / 3600, "00") : std::to_string(seconds / 3600);
        out += ":";
        seconds %= 3600;
    }
    out += vb::FormatNumber(seconds / 60, "00") + ":" + vb::FormatNumber(seconds % 60, "00");
    return out;
}

std::string clsAVIInfo::LongToFourCC(int32_t value) {
    std::string s(4, '\0');
    std::memcpy(s.data(), &value, 4);
    return s;
}

int32_t clsAVIInfo::FourCCToLong(const std::string& tag) {
    if (tag.size() != 4) return 0;
    int32_t v;
    std::memcpy(&v, tag.data(), 4);
    return v;
}

int32_t clsAVIInfo::GetInfoList(std::vector<int32_t>& tags) const {
    if (m_Info.empty()) return 0;
    tags.clear();
    for (const Info_Item& i : m_Info)
        tags.push_back(i.tag);
    return static_cast<int32_t>(tags.size());
}

std::string clsAVIInfo::QueryInfo(int32_t tag) const {
    for (const Info_Item& i : m_Info)
        if (i.tag == tag) return i.text;
    return {};
}

std::string clsAVIInfo::GetInfoName(int32_t tag) {
    static const char* const names[][2] = {{"INFO", "Info list"},     {"IARL", "Archival location"},
                                           {"IART", "Artist"},        {"ICMS", "Commissioned"},
                                           {"ICMT", "Comments"},      {"ICOP", "Copyright"},
                                           {"ICRD", "Creation date"}, {"ICRP", "Cropped"},
                                           {"IDIM", "Dimensions"},    {"IDPI", "Dots per inch"},
                                           {"IENG", "Engineer"},      {"IGNR", "Genre"},
                                           {"IID3", "ID3 tag"},       {"IKEY", "Keywords"},
                                           {"ILGT", "Lightness"},     {"ILYC", "Lyrics"},
                                           {"IMED", "Medium"},        {"IMP3", "MP3"},
                                           {"INAM", "Name/Title"},    {"IPLT", "Palette setting"},
                                           {"IPRD", "Product"},       {"ISBJ", "Subject"},
                                           {"ISFT", "Software"},      {"ISHP", "Sharpness"},
                                           {"ISRC", "Source"},        {"ISRF", "Source form"},
                                           {"ITCH", "Technician"},    {"DISP", "Sound Scheme title"}};
    const std::string t = LongToFourCC(tag);
    for (const auto& n : names)
        if (t == n[0]) return n[1];
    if (t[0] == 'I' || t[0] == 'i') return t.substr(1);
    return std::to_string(tag);
}

std::string clsAVIInfo::Audio_Format_Name(int16_t format_tag) {
    struct Row {
        int16_t tag;
        const char* name;
    };
    static const Row rows[] = {
        {-2, "Microsoft extensible"},
        {-1, "Development stage codec"},
        {0, "Unknown Microsoft format"},
        {1, "Microsoft PCM"},
        {2, "Microsoft ADPCM"},
        {3, "Microsoft IEEE float"},
        {4, "Compaq VSELP"},
        {5, "IBM CVSD"},
        {6, "Microsoft a-Law"},
        {7, "Microsoft u-Law"},
        {8, "Microsoft DTS"},
        {9, "DRM"},
        {16, "OKI ADPCM"},
        {17, "Intel IMA/DVI ADPCM"},
        {18, "Videologic MediaSpace ADPCM"},
        {19, "Sierra ADPCM"},
        {20, "Antex G723 ADPCM"},
        {21, "DSP Solutions DIGISTD"},
        {22, "DSP Solutions DIGIFIX"},
        {23, "Dialogic OKI ADPCM"},
        {24, "MediaVision ADPCM"},
        {25, "HP CU"},
        {32, "Yamaha ADPCM"},
        {33, "Speech Compression SONARC"},
        {34, "DSP Group TrueSpeech"},
        {35, "Echo Speech EchoSC1"},
        {36, "Audiofile AF36"},
        {37, "APTX"},
        {38, "AudioFile AF10"},
        {39, "Prosody 1612"},
        {40, "LRC"},
        {48, "Dolby AC2"},
        {49, "Microsoft GSM 6.10"},
        {50, "MSNAudio"},
        {51, "Antex ADPCME"},
        {52, "Control Resources VQLPC"},
        {53, "DSP Solutions DIGIREAL"},
        {54, "DSP Solutions DIGIADPCM"},
        {55, "Control Resources CR10"},
        {56, "Natural MicroSystems VBXADPCM"},
        {57, "Crystal IMA ADPCM"},
        {58, "EchoSC3"},
        {59, "Rockwell ADPCM"},
        {60, "Rockwell DIGITALK"},
        {61, "Xebec"},
        {64, "Antex G721 ADPCM"},
        {65, "Antex G728 CELP"},
        {66, "Microsoft MSG723"},
        {80, "Microsoft MPEG"},
        {82, "RT24"},
        {83, "PAC"},
        {85, "MPEG Layer-3"},
        {89, "Lucent Technologies G723"},
        {96, "Cirrus"},
        {97, "ESS Technology ESPCM"},
        {98, "Voxware"},
        {99, "Canopus Atrac"},
        {100, "APICOM G726 ADPCM"},
        {101, "APICOM G722 ADPCM"},
        {103, "Microsoft DSAT display"},
        {105, "Voxware Byte Aligned"},
        {112, "Voxware AC8"},
        {113, "Voxware AC10"},
        {114, "Voxware AC16"},
        {115, "Voxware AC20"},
        {116, "Voxware MetaVoice"},
        {117, "Voxware MetaSound"},
        {118, "Voxware RT29HW"},
        {119, "Voxware VR12"},
        {120, "Voxware VR18"},
        {121, "Voxware TQ40"},
        {128, "Softsound"},
        {129, "Voxware TQ60"},
        {130, "Microsoft MSRT24"},
        {131, "AT&T G729A"},
        {132, "Motion Pixels MVI MV12"},
        {133, "DataFusion G726"},
        {134, "DataFusion GSM610"},
        {136, "Iterated Systems ISIAudio"},
        {137, "Onlive"},
        {145, "Siemens SBC24"},
        {146, "Sonic Foundry Dolby AC3 SPDIF"},
        {147, "MediaSonic G723"},
        {148, "Aculab Prosody 8kbps"},
        {151, "ZyXEL ADPCM"},
        {152, "Philips LPCBB"},
        {153, "Studer Packed"},
        {160, "Malden PhonyTalk"},
        {256, "Rhetorex ADPCM"},
        {257, "IBM u-Law"},
        {273, "Vivo G723"},
        {274, "Vivo Siren"},
        {291, "Digital G723"},
        {293, "Sanyo LD ADPCM"},
        {304, "Sipro Lab ACEPLNET"},
        {305, "Sipro Lab ACELP4800"},
        {306, "Sipro Lab ACELP8V3"},
        {307, "Sipro Lab G729"},
        {308, "Sipro Lab G729A"},
        {309, "Sipro Lab Kelvin"},
        {320, "Dictaphone G726 ADPCM"},
        {336, "Qualcomm PureVoice"},
        {337, "Qualcomm HalfRate"},
        {341, "Ring Zero Systems TUBGSM"},
        {352, "Microsoft Audio 1"},
        {353, "Windows Media Audio 2"},
        {368, "Unisys NAP ADPCM"},
        {369, "Unisys NAP ULAW"},
        {370, "Unisys NAP ALAW"},
        {371, "Unisys NAP 16K"},
        {512, "Creative Labs ADPCM"},
        {514, "Creative Labs FastSpeech8"},
        {515, "Creative Labs FastSpeech10"},
        {528, "UHER ADPCM"},
        {544, "Quarterdeck"},
        {560, "I-link VC"},
        {576, "Aureal RAW SPORT"},
        {577, "ESST AC3"},
        {592, "Interactive Products HSX"},
        {593, "Interactive Products RPELP"},
        {608, "Consistent Software CS2"},
        {624, "Sony SCX"},
        {768, "Fujitsu FM Towns Snd"},
        {1024, "BTV Digital"},
        {1025, "Intel Music Coder"},
        {1026, "Ligos Indeo Audio"},
        {1104, "QDesign Music"},
        {1664, "AT&T VME VMPCM"},
        {1665, "AT&T TPC"},
        {4096, "Olivetti GSM"},
        {4097, "Olivetti ADPCM"},
        {4098, "Olivetti CELP"},
        {4099, "Olivetti SBC"},
        {4100, "Olivetti OPR"},
        {4352, "Lernout & Hauspie"},
        {5120, "Norris"},
        {5376, "AT&T ISIAudio"},
        {8192, "Fast Multimedia AG DVM (AC3)"},
    };
    for (const Row& r : rows)
        if (r.tag == format_tag) return r.name;
    return "Unknown audio format";
}

// ---- Codec names ----

void clsAVIInfo::Build_Codec_Table() {
    // An empty name repeats the name of the row before, as the table was kept.
    const auto add = [this](const std::string& tag, const std::string& name) {
        m_Codecs.push_back({tag, name.empty() && !m_Codecs.empty() ? m_Codecs.back().name : name});
    };
    const auto range = [&](const std::string& stem, int from, int to, const std::string& name) {
        for (int i = from; i <= to; ++i)
            add(stem + std::to_string(i), i == from ? name : "");
    };
    add(std::string(4, '\0'), "Uncompressed");
    add("DIB ", "");
    add("RGB ", "");
    add("RAW ", "");
    add("3IV1", "3IVX MPEG4-based");
    add("3IV2", "");
    add("AASC", "Autodesk Animator");
    add("AFLI", "");
    add("AFLC", "");
    add("ABYR", "Kensington");
    add("AEMI", "Array VideoONE MPEG1-I Capture");
    add("AMPG", "Array VideoONE MPEG");
    add("ANIM", "Intel RDX");
    add("AP41", "AngelPotion Definitive");
    add("ASV1", "Asus Video");
    add("ASV2", "");
    add("ASVX", "");
    add("AUR2", "Aura 2 YUV 4:2:2");
    add("AURA", "Aura 1 YUV 4:1:1");
    add("BINK", "Bink Video");
    add("BT20", "Brooktree MediaStream");
    add("BTCV", "Brooktree Composite Video");
    add("BW10", "Broadway MPEG Capture");
    add("CC12", "Intel YUV12");
    add("CDVC", "Canopus DV");
    add("CFCC", "DPS Perception");
    add("CGDI", "Microsoft Office 97 Camcorder Video");
    add("CHAM", "Winnov Caviara Champagne");
    add("CJPG", "Creative WebCam JPEG");
    add("CPLA", "Weitek YUV 4:2:0");
    add("CRAM", "Microsoft Video 1");
    add("MSVC", "");
    add("WHAM", "");
    add("CVID", "Radius Cinepak");
    add("CWLT", "Microsoft Color WLT DIB");
    add("GWLT", "Microsoft Greyscale WLT DIB");
    add("CYUV", "Creative Labs YUV");
    add("CYUY", "ATI YUV");
    add("DIV2", "MS MPEG-4 V2");
    add("DIV5", "DivX");
    add("DIVX", "");
    add("DMB1", "Matrox Rainbow Runner MJPEG");
    add("DMB2", "");
    add("DSVD", "DV");
    add("DVSD", "");
    add("DUCK", "Duck TrueMotion 1.0");
    add("DVE2", "InSoft DVE-2 Videoconferencing");
    add("DVX1", "Lucent DVX1000SP Video Decoder");
    add("DVX2", "Lucent DVX2000S Video Decoder");
    add("DVX3", "Lucent DVX3000S Video Decoder");
    add("DXT1", "DirectX Compressed Texture");
    add("DXT2", "");
    add("DXT3", "");
    add("DXT4", "");
    add("DXT5", "");
    add("DXTC", "");
    add("ELK0", "Elsa Quick Codec");
    add("ESCP", "Eidos Escape");
    add("ETV1", "eTreppid Video");
    add("ETV2", "");
    add("ETVC", "");
    add("FLJP", "D-Vision Field Encoded Motion JPEG");
    add("FRWA", "SoftLab-Nsk Forward Motion JPEG w/ alpha channel");
    add("FRWD", "SoftLab-Nsk Forward Motion JPEG");
    add("GLZW", "Motion LZW");
    add("GPEG", "Motion JPEG");
    range("H26", 0, 9, "Intel ITU H.26x");
    add("HFYU", "Huffyuv Lossless Codec");
    add("HMCR", "Rendition Motion Compensation Format");
    add("HMRR", "");
    add("i263", "Intel ITU H.263");
    add("i420", "Intel Indeo 4");
    add("IAN ", "Intel RDX");
    add("ICLB", "InSoft CellB Videoconferencing");
    add("IGOR", "Power DVD");
    add("IJPG", "Intergraph JPEG");
    add("ILVC", "Intel Layered Video");
    add("ILVR", "ITU-T H.263+");
    add("IPDV", "I-O Data Device Giga AVI DV");
    add("IR21", "Intel Indeo 2.1");
    range("IV3", 0, 9, "Ligos Indeo 3");
    add("IV32", "");
    range("IV4", 0, 9, "Ligos Indeo Interactive");
    add("IV50", "Ligos Indeo 5");
    add("JPGL", "Pegasus Lossless JPEG");
    add("KMVC", "Karl Morton's Video Codec");
    add("LEAD", "LEAD Video Codec");
    add("Ljpg", "LEAD MJPEG Codec");
    add("M263", "Microsoft H.263");
    add("M261", "Microsoft H.261");
    add("MC12", "ATI Motion Compensation Format");
    add("MCAM", "");
    add("mJPG", "IBM Motion JPEG w/ Huffman Tables");
    add("MJPG", "Motion JPEG");
    add("MP42", "Microsoft MPEG-4 V2");
    add("MP43", "Microsoft MPEG-4 V3");
    add("MP4S", "Microsoft MPEG-4");
    add("MPEG", "MPEG-1");
    add("MPG4", "Microsoft MPEG-4 V1");
    add("MPGI", "Sigma Designs MPEG");
    add("MRCA", "FAST Multimedia Martin Regen Codec");
    add("MRLE", "Microsoft RLE");
    add("RLE ", "");
    range("MTX", 1, 9, "Matrox Motion JPEG");
    add("MWV1", "Aware Motion Wavelets");
    add("nAVI", "SMR Codec");
    add("NTN1", "Nogatech Video Compression 1");
    range("NVS", 0, 5, "nVidia GeForce Texture");
    range("NVT", 0, 5, "nVidia GeForce Texture");
    add("PDVC", "I-O Data Device Digital Video Capture DV");
    add("PGVV", "Radius Video Vision");
    add("PIM1", "Pegasus Imaging");
    add("PIM2", "");
    add("PIMJ", "Pegasus Imaging Lossless JPEG");
    add("PVEZ", "Horizons Technology PowerEZ");
    add("PVMM", "PacketVideo Corporation MPEG-4");
    add("PVW2", "Pegasus Imaging Wavelet Compression");
    add("qpeq", "Q-Team QPEG 1.1");
    add("QPEG", "Q-Team QPEG 1.0");
    add("RGBT", "Computer Concepts 32-bit support");
    add("RT21", "Intel Indeo 2.1");
    add("rv20", "RealVideo G2");
    add("rv30", "RealVideo 8");
    add("RVX ", "Intel RDX");
    add("s422", "Tekram VideoCap C210 YUV 4:2:2");
    add("SDCC", "Sun Communication Digital Camera Codec");
    add("SFMC", "Crystal Net SFM Codec");
    add("SMSC", "Radius");
    add("SMSD", "");
    add("smsv", "WorldConnect Wavelet Video");
    add("SPIG", "Radius Spigot");
    add("SQZ2", "Microsoft VXTreme Video Codec V2");
    add("SV10", "Sorenson Video R1");
    add("STVA", "ST CMOS Imager Data (Bayer)");
    add("STVB", "ST CMOS Imager Data (Nudged Bayer)");
    add("STVC", "ST CMOS Imager Data (Bunched)");
    add("STVX", "ST CMOS Imager Data (Extended CODEC Data Format)");
    add("STVY", "ST CMOS Imager Data (Extended CODEC Data Format with Correction Data)");
    add("SVQ1", "Sorenson Video");
    add("TLMS", "TeraLogic Motion Intraframe Codec");
    add("TLST", "TeraLogic Motion Intraframe Codec");
    add("TMIC", "");
    add("TM20", "Duck TrueMotion 2.0");
    add("TM2X", "");
    add("TMOT", "Horizons Technology TrueMotion S");
    add("TR20", "Duck TrueMotion RT 2.0");
    add("TSCC", "TechSmith Screen Capture Codec");
    add("TV10", "Tecomac Low-Bit Rate Codec");
    add("TVJP", "Pinnacle/Truevision Targa 2000 board");
    add("TVMJ", "");
    add("TY2C", "Trident Decompression Driver");
    add("TY2N", "");
    add("TY0N", "");
    add("UCOD", "eMajix.com ClearVideo");
    add("ULTI", "IBM Ultimotion");
    add("V261", "Lucent VX2000S");
    add("VCR1", "ATI Video Codec 1");
    add("VCR2", "ATI Video Codec 2");
    add("VDOM", "VDOnet VDOWave");
    add("VDOW", "");
    add("VDTZ", "Darim Vision VideoTizer YUV");
    add("VGPX", "Alaris VideoGramPiX");
    add("VIDS", "Vitec Multimedia YUV 4:2:2 CCIR 601 for V422");
    add("VIVO", "Vivo H.263 v2.00");
    add("VIXL", "Miro/Pinnacle Video XL");
    add("VLV1", "VideoLogic/PURE Digital Videologic Capture");
    add("VP30", "On2 VP3.0");
    add("VP31", "On2 VP3.1");
    add("VX1K", "Lucent VX1000S Video Codec");
    add("VX2K", "Lucent VX2000S Video Codec");
    add("VXSP", "Lucent VX1000SP Video Codec");
    add("VYU9", "ATI YUV");
    add("VYUY", "");
    add("WBVC", "Winbond W9960");
    add("WINX", "Winnov Software Compression");
    add("WJPG", "AverMedia Winbond JPEG");
    add("WNV1", "Winnov Hardware Compression");
    add("x263", "Xirlink H.263");
    add("XLV0", "NetXL Video Decoder");
    add("XMPG", "Xing MPEG");
    add("Y41P", "Brooktree YUV 4:1:1");
    add("Y8  ", "Grayscale video");
    add("YC12", "Intel YUV 12 codec");
    add("YUV8", "Winnov Caviar YUV8");
    add("YUY2", "Microsoft RAW YUV 4:2:2");
    add("YUYV", "Canopus Compressed YUV format");
    add("ZLIB", "ZLib lossless compresion");
    add("ZPEG", "Metheus Video Zipper");
    add("XVID", "XviD open source MPEG-4");
}

int32_t clsAVIInfo::NumCodecs() {
    if (m_Codecs.empty()) Build_Codec_Table();
    return static_cast<int32_t>(m_Codecs.size());
}

std::string clsAVIInfo::CodecToName(const std::string& tag) {
    if (tag.size() != 4) return {};
    if (m_Codecs.empty()) Build_Codec_Table();
    const auto upper = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string wanted = upper(tag);
    for (const Codec_Row& row : m_Codecs)
        if (upper(row.tag) == wanted) return row.name.empty() ? "Unknown" : row.name;
    return "Unknown";
}
