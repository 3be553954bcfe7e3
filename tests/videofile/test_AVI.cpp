// AVI files made by ffmpeg (DV with PCM audio, MJPEG, BGR24): the header
// reader's values, the chunk walk, the frame index and the frames read
// through it; the system's own chunks appended; damaged files refused with
// their reason, never read past a buffer.
#include "Cls_XML_header.h"
#include "Heat_Fixture.h"
#include "TestEnv.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "clsAVIInfo.h"
#include "cls_VideoFile_handler.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using VF = cls_VideoFile_handler;

struct Avi_Kind {
    const char* name;
    const char* args; // ffmpeg arguments after the inputs
    const char* size;
    bool audio;
    const char* codec;
    int32_t width, height, frames, frame_length;
    int16_t bits;
};

const Avi_Kind kKinds[] = {
    {"dvpcm", "-t 0.16 -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le -ac 2", "720x576", true, "dvsd", 720, 576,
     4, 144000, 24},
    {"mjpeg", "-frames:v 4 -c:v mjpeg", "160x120", false, "MJPG", 160, 120, 4, 0, 24},
    {"bgr24", "-frames:v 3 -c:v rawvideo -pix_fmt bgr24", "64x48", false, "\0\0\0\0", 64, 48, 3, 64 * 48 * 3,
     24},
};

std::string Make_AVI(const Avi_Kind& k, const std::string& dir_name) {
    const std::string path = test_env::make_dir(dir_name) + "/" + k.name + ".avi";
    std::string cmd = std::string("ffmpeg -v error -y -f lavfi -i 'color=c=black:s=") + k.size +
                      ":r=25,drawbox=x=0:y=0:w=iw:h=ih/2:color=white:t=fill'";
    if (k.audio) cmd += " -f lavfi -i 'sine=frequency=440:sample_rate=48000'";
    cmd += std::string(" ") + k.args + " '" + path + "' 2>&1";
    std::string out;
    EXPECT_EQ(test_env::run(cmd, &out), 0) << out;
    return path;
}

std::string At(const std::string& path, int64_t offset, size_t n) {
    return test_env::read_file(path).substr(static_cast<size_t>(offset), n);
}

struct AVI : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override { test_env::dialogs().clear(); }
};

TEST_F(AVI, HeaderReaderTakesWhatFfmpegWrote) {
    for (const Avi_Kind& k : kKinds) {
        const std::string path = Make_AVI(k, "avi_info");
        clsAVIInfo info;
        std::vector<std::string> messages;
        info.Error_Message = [&](const std::string& m) { messages.push_back(m); };
        ASSERT_TRUE(info.ReadFile(path)) << k.name;
        EXPECT_TRUE(messages.empty()) << k.name << ": " << (messages.empty() ? "" : messages[0]);
        EXPECT_TRUE(info.AVI_valid());
        EXPECT_TRUE(info.HasVideo());
        EXPECT_EQ(info.VideoCodec(), std::string(k.codec, 4)) << k.name;
        EXPECT_EQ(info.Width(), k.width) << k.name;
        EXPECT_EQ(info.Height(), k.height) << k.name;
        EXPECT_EQ(info.NumFrames(), k.frames) << k.name;
        EXPECT_EQ(info.FrameRate(), 25) << k.name;
        EXPECT_EQ(info.NumStreams(), k.audio ? 2 : 1) << k.name;
        EXPECT_EQ(info.BitDepth(), k.bits) << k.name;
        EXPECT_EQ(info.HasAudio(), k.audio) << k.name;
        EXPECT_EQ(info.AudioFormat(), k.audio ? "Microsoft PCM" : "") << k.name;
        EXPECT_EQ(info.Channels(), k.audio ? 2 : 0) << k.name;
        EXPECT_EQ(info.SamplesPerSec(), k.audio ? 48000 : 0) << k.name;
        EXPECT_EQ(info.BytePerSec(), k.audio ? 192000 : 0) << k.name;
        EXPECT_EQ(info.FileSize(), static_cast<int64_t>(std::filesystem::file_size(path)));
        EXPECT_EQ(info.RIFFsize(), info.FileSize() - 8);
        EXPECT_EQ(info.AVIINFO_addr(), 33);
        EXPECT_EQ(At(path, info.MovieOffset(), 4), "movi") << k.name;
        EXPECT_EQ(At(path, info.IndexOffset(), 4), "idx1") << k.name;
        EXPECT_NE(info.CodecToName(info.VideoCodec()), "Unknown") << k.name;
    }
}

TEST_F(AVI, ChunkWalkIndexAndFramesOfEachKind) {
    for (const Avi_Kind& k : kKinds) {
        const std::string path = Make_AVI(k, "avi_walk");
        const std::string bytes = test_env::read_file(path);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path)) << k.name;
        const clsAVIInfo& info = *vf.AVI_Info();
        EXPECT_EQ(vf.Chunk_Address(7), info.IndexOffset() + 1) << "the walk finds idx1 where the reader did";
        EXPECT_EQ(vf.Chunk_Address(0), 0) << "no header chunk of our own yet";
        EXPECT_EQ(vf.Num_Frames(), k.frames);
        EXPECT_EQ(vf.Clip_length(), 40 * k.frames) << k.name;
        ASSERT_EQ(vf.Index_Collection().size(), static_cast<size_t>(k.frames)) << k.name;
        EXPECT_TRUE(vf.Text_Index_Collection().empty()) << "audio entries enter neither collection";
        EXPECT_FALSE(vf.Has_Text_Stream());
        EXPECT_TRUE(vf.Index_Valid());
        EXPECT_TRUE(vf.Index_Relative()) << "ffmpeg counts from the movi tag";
        for (int32_t n = 1; n <= k.frames; ++n) {
            const cls_IDX& e = vf.Index_Collection()[static_cast<size_t>(n - 1)];
            EXPECT_EQ(e.ckid, "00dc");
            EXPECT_EQ(vf.Index_flag(n), e.dwFlags);
            vf.Read_Frame(n);
            EXPECT_EQ(vf.Frame_Chunk_Address(), e.dwChunkOffset + info.MovieOffset());
            EXPECT_EQ(bytes.substr(static_cast<size_t>(vf.Frame_Chunk_Address()), 4), "00dc");
            EXPECT_EQ(vf.Frame_Data_Size(), e.dwChunkLength);
            if (k.frame_length) {
                EXPECT_EQ(e.dwChunkLength, k.frame_length) << k.name;
            }
            ASSERT_NE(vf.Frame_Data(), nullptr);
            EXPECT_EQ(std::memcmp(vf.Frame_Data(), bytes.data() + vf.Frame_Chunk_Address() + 8,
                                  static_cast<size_t>(e.dwChunkLength)),
                      0)
                << k.name << " frame " << n;
        }
        const uint8_t* data = vf.Frame_Data();
        if (std::string(k.name) == "mjpeg") {
            EXPECT_EQ(data[0], 0xFF);
            EXPECT_EQ(data[1], 0xD8);
        } else if (std::string(k.name) == "bgr24") {
            // Uncompressed rows as stored: one end of the frame white, the other black.
            const uint8_t* last = data + (k.height - 1) * k.width * 3;
            EXPECT_GT(std::abs((data[0] + data[1] + data[2]) - (last[0] + last[1] + last[2])), 700);
        } else {
            cDIBSection into;
            into.Create(720, 576);
            int32_t frame = 2;
            vf.Draw_Frame(frame, nullptr, false, 1, into.hDC(), false);
            EXPECT_EQ(vf.Decode_Result(), 1);
            const uint8_t* top = into.DIBSectionBitsPtr() + 500 * into.BytesPerScanLine() + 300;
            const uint8_t* bottom = into.DIBSectionBitsPtr() + 50 * into.BytesPerScanLine() + 300;
            EXPECT_GT(top[0] + top[1] + top[2], 600) << "upright: white at the top";
            EXPECT_LT(bottom[0] + bottom[1] + bottom[2], 100);
        }
        vf.Read_Frame(99);
        EXPECT_EQ(vf.Buffered_Frame(), k.frames) << "past the end reads the last frame";
        vf.Close_File();
    }
}

// The frame rate, frame count and packets ffprobe finds.
struct Avi_Probe {
    std::string rate;
    int32_t width = 0, height = 0, packets = 0;
};

Avi_Probe Ffprobe_Video(const std::string& path) {
    std::string out;
    EXPECT_EQ(test_env::run("ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                            "stream=r_frame_rate,width,height,nb_read_packets -of csv=p=0 '" +
                                path + "' 2>&1",
                            &out),
              0)
        << out;
    Avi_Probe p;
    char rate[32] = {};
    EXPECT_EQ(std::sscanf(out.c_str(), "%d,%d,%31[^,],%d", &p.width, &p.height, rate, &p.packets), 4) << out;
    p.rate = rate;
    return p;
}

std::string One_Place(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    std::string s = text;
    if (s.size() > 2 && s.substr(s.size() - 2) == ".0") s.resize(s.size() - 2);
    return s;
}

TEST_F(AVI, EachKindAgreesWithFfprobeAndItsCutCopyIsRefused) {
    std::vector<std::pair<std::string, std::string>> files; // name, path
    for (const Avi_Kind& k : kKinds)
        files.emplace_back(k.name, Make_AVI(k, std::string("avi_probe_") + k.name));
    const std::string ntsc = test_env::make_dir("avi_probe_ntsc") + "/dvntsc.avi";
    std::string out;
    ASSERT_EQ(
        test_env::run("ffmpeg -v error -y -f lavfi -i 'color=c=black:s=720x480:r=30000/1001' -frames:v 4 "
                      "-c:v dvvideo -pix_fmt yuv411p '" +
                          ntsc + "' 2>&1",
                      &out),
        0)
        << out;
    files.emplace_back("dvntsc", ntsc);
    for (const auto& [name, path] : files) {
        SCOPED_TRACE(name);
        const Avi_Probe probe = Ffprobe_Video(path);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path));
        EXPECT_EQ(vf.Num_Frames(), probe.packets);
        EXPECT_EQ(vf.Width(), probe.width);
        EXPECT_EQ(vf.Height(), probe.height);
        EXPECT_EQ(vf.NTSC(), probe.height == 480);
        const size_t slash = probe.rate.find('/');
        const double rate = std::stod(probe.rate.substr(0, slash)) / std::stod(probe.rate.substr(slash + 1));
        const std::string text = vf.Property_String();
        EXPECT_NE(text.find("\r\nFps = " + One_Place(rate) + "\r\n"), std::string::npos) << text;
        // The frames are ffmpeg's packets, byte for byte.
        const std::string copied = path + ".video";
        ASSERT_EQ(test_env::run("ffmpeg -v error -y -i '" + path + "' -map 0:v:0 -c copy -f data '" + copied +
                                    "' 2>&1",
                                &out),
                  0)
            << out;
        std::string ours;
        for (int32_t n = 1; n <= vf.Num_Frames(); ++n) {
            vf.Read_Frame(n);
            ours.append(reinterpret_cast<const char*>(vf.Frame_Data()),
                        static_cast<size_t>(vf.Frame_Data_Size()));
        }
        EXPECT_TRUE(ours == test_env::read_file(copied)) << ours.size();
        vf.Close_File();

        // Cut in the middle of its frames: no index is left, and the file is
        // refused with the message, never read from its own head.
        const std::string cut = test_env::make_dir("avi_cut_" + name) + "/cut.avi";
        std::filesystem::copy_file(path, cut, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 6 / 10);
        test_env::dialogs().clear();
        VF cut_vf;
        EXPECT_FALSE(cut_vf.Open_AVI_File(cut));
        EXPECT_FALSE(cut_vf.File_open());
    }
}

TEST_F(AVI, NamesAndTimes) {
    clsAVIInfo info;
    EXPECT_EQ(info.NumCodecs(), 234);
    EXPECT_EQ(info.CodecToName("dvsd"), info.CodecToName("DVSD"));
    EXPECT_NE(info.CodecToName("dvsd"), "Unknown");
    EXPECT_EQ(info.CodecToName("DIB "), "Uncompressed");
    EXPECT_EQ(info.CodecToName("XVID"), "XviD open source MPEG-4");
    EXPECT_EQ(info.CodecToName("QQQQ"), "Unknown");
    EXPECT_EQ(info.CodecToName("dvs"), "");
    EXPECT_EQ(clsAVIInfo::FormatTime(3725), "1:02:05");
    EXPECT_EQ(clsAVIInfo::FormatTime(59), "00:59");
    EXPECT_EQ(clsAVIInfo::FormatTime(90061), "1:01:01:01");
    for (const char* tag : {"MJPG", "dvsd", "01wb", "\x01\x02\x03\x04"})
        EXPECT_EQ(clsAVIInfo::LongToFourCC(clsAVIInfo::FourCCToLong(tag)), tag);
    EXPECT_EQ(clsAVIInfo::FourCCToLong("abc"), 0);
    EXPECT_EQ(clsAVIInfo::GetInfoName(clsAVIInfo::FourCCToLong("ISFT")), "Software");
    EXPECT_EQ(clsAVIInfo::GetInfoName(clsAVIInfo::FourCCToLong("IXYZ")), "XYZ");
    EXPECT_EQ(clsAVIInfo::GetInfoName(clsAVIInfo::FourCCToLong("ABCD")),
              std::to_string(clsAVIInfo::FourCCToLong("ABCD")));
    EXPECT_EQ(clsAVIInfo::Audio_Format_Name(1), "Microsoft PCM");
    EXPECT_EQ(clsAVIInfo::Audio_Format_Name(85), "MPEG Layer-3");
    EXPECT_EQ(clsAVIInfo::Audio_Format_Name(-2), "Microsoft extensible");
    EXPECT_EQ(clsAVIInfo::Audio_Format_Name(12345), "Unknown audio format");
}

TEST_F(AVI, OwnHeaderChunkIsAppendedAndFoundAgain) {
    const std::string path = Make_AVI(kKinds[1], "avi_own");
    const auto before = static_cast<int64_t>(std::filesystem::file_size(path));
    VF vf;
    ASSERT_TRUE(vf.Open_AVI_File(path));
    vf.Header().Create_Header();
    vf.Hdr_spare1("own chunk");
    test_env::dialogs().clear();
    vf.Append_XML_header();
    // The header text is checked before it is written; a good one shows nothing.
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    const std::string bytes = test_env::read_file(path);
    ASSERT_EQ(static_cast<int64_t>(bytes.size()), before + 8 + 30000);
    EXPECT_EQ(bytes.substr(static_cast<size_t>(before), 4), "QFXM");
    EXPECT_EQ(heat_fixture::Get32(bytes, static_cast<size_t>(before) + 4), 30000);
    EXPECT_EQ(heat_fixture::Get32(bytes, 4), static_cast<int32_t>(bytes.size()) - 8);
    EXPECT_EQ(vf.Chunk_Address(0), before + 1);
    EXPECT_TRUE(vf.Has_XML_header());
    EXPECT_EQ(bytes.back(), ' ') << "the text is padded with blanks";

    // A header change goes into the chunk in place.
    vf.Hdr_spare1("kept in place");
    vf.Write_XML_Header();
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());

    vf.Append_DV_header();
    const std::string after = test_env::read_file(path);
    EXPECT_EQ(after.substr(bytes.size(), 4), "ORHD");
    EXPECT_EQ(heat_fixture::Get32(after, bytes.size() + 4), 23860);
    EXPECT_EQ(after.substr(bytes.size() + 8, 4), "ORDV");
    EXPECT_EQ(heat_fixture::Get32(after, bytes.size() + 12), 21974);
    EXPECT_EQ(heat_fixture::Get32(after, 4), static_cast<int32_t>(after.size()) - 8);
    vf.Close_File();

    // Walked again from scratch, both chunks are found and the frames still read.
    VF again;
    ASSERT_TRUE(again.Open_AVI_File(path));
    EXPECT_EQ(again.Chunk_Address(0), before + 1);
    EXPECT_EQ(again.Chunk_Address(6), static_cast<int32_t>(bytes.size()) + 1);
    EXPECT_EQ(again.Hdr_spare1(), "kept in place");
    again.Read_Frame(4);
    EXPECT_EQ(again.Frame_Data()[0], 0xFF);

    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    if (::access(path.c_str(), W_OK) != 0) { // root writes anyway
        VF ro;
        ASSERT_TRUE(ro.Open_AVI_File(path));
        test_env::dialogs().clear();
        ro.Append_XML_header();
        EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"File is Read Only!"});
    }
}

TEST_F(AVI, TextChunksAndChannelNames) {
    // The audio chunks of a DV file serve as a text stream once their index
    // entries are tagged "01db".
    const std::string path = Make_AVI(kKinds[0], "avi_text");
    std::string bytes = test_env::read_file(path);
    const size_t idx1 = bytes.find("idx1");
    for (size_t at = idx1 + 8; at + 16 <= bytes.size(); at += 16)
        if (bytes.compare(at, 4, "01wb") == 0) bytes.replace(at, 4, "01db");
    test_env::write_file(path, bytes);
    VF vf;
    ASSERT_TRUE(vf.Open_AVI_File(path));
    ASSERT_TRUE(vf.Has_Text_Stream());
    const cls_IDX first = vf.Text_Index_Collection().front();
    EXPECT_EQ(vf.Text_Length(), first.dwChunkLength);
    vf.Read_Frame(1);
    int32_t length = 0;
    const uint8_t* address = nullptr;
    vf.Get_Text_buffer(1, length, address);
    EXPECT_EQ(length, first.dwChunkLength);
    const size_t data = static_cast<size_t>(first.dwChunkOffset + vf.AVI_Info()->MovieOffset()) + 8;
    // The chunk as it lies, its 8-byte header first.
    EXPECT_EQ(std::memcmp(address, bytes.data() + data - 8, static_cast<size_t>(length)), 0);

    const std::vector<uint8_t> text(static_cast<size_t>(length - 12), 0x5A);
    vf.Put_Text_buffer(text.data(), length - 12);
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    const std::string written = test_env::read_file(path);
    EXPECT_EQ(written.substr(data + 4, text.size()), std::string(text.size(), 'Z'));
    EXPECT_EQ(written.substr(data + 4 + text.size(), 8), bytes.substr(data + 4 + text.size(), 8))
        << "nothing past the chunk";
    vf.Put_Text_buffer(text.data(), length - 11);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Text buffer overflow at rewrite!"});

    // Channel names in 40-character fields behind a table's chunk header.
    EXPECT_EQ(vf.Data_Channel_Name(1), "") << "no table";
    vf.Channel_Table_Position(vf.Junk_Address() - 8);
    vf.Write_channel_name(1, "Lane 1 speed");
    vf.Write_channel_name(2, std::string(50, 'n'));
    EXPECT_EQ(vf.Data_Channel_Name(1), "Lane 1 speed");
    EXPECT_EQ(vf.Data_Channel_Name(2), std::string(40, 'n'));
    vf.Close_File();
    EXPECT_EQ(vf.Data_Channel_Name(1), "") << "no file open";
}

TEST_F(AVI, OpenDmlProbeReadsTheStandardIndex) {
    // A small ffmpeg file has no OpenDML index: one is laid into its filler,
    // its entries the idx1 entries' offsets and sizes.
    const std::string path = Make_AVI(kKinds[1], "avi_odml");
    std::string bytes = test_env::read_file(path);
    const size_t junk = bytes.find("JUNK") + 8;
    const size_t idx1 = bytes.find("idx1") + 8;
    const int32_t n = 4;
    std::string ix(32 + 8 * n, '\0');
    const auto put32 = [&](size_t at, int32_t v) { std::memcpy(ix.data() + at, &v, 4); };
    std::memcpy(ix.data(), "ix00", 4);
    put32(4, 24 + 8 * n);
    ix[8] = 2;  // longs per entry
    ix[11] = 1; // standard index of chunks
    put32(12, n);
    std::memcpy(ix.data() + 16, "00dc", 4);
    for (int32_t i = 0; i < n; ++i) {
        put32(32 + 8 * static_cast<size_t>(i),
              heat_fixture::Get32(bytes, idx1 + 16 * static_cast<size_t>(i) + 8) + 8);
        put32(36 + 8 * static_cast<size_t>(i),
              heat_fixture::Get32(bytes, idx1 + 16 * static_cast<size_t>(i) + 12));
    }
    bytes.replace(junk, ix.size(), ix);
    test_env::write_file(path, bytes);

    VF vf;
    ASSERT_TRUE(vf.Open_AVI_File(path));
    ASSERT_TRUE(vf.Read_ODML_Index());
    // One entry more than in use.
    ASSERT_EQ(vf.ODML_Index().size(), static_cast<size_t>(n) + 1);
    for (size_t i = 0; i < static_cast<size_t>(n); ++i)
        EXPECT_EQ(vf.ODML_Index()[i].second, vf.Index_Collection()[i].dwChunkLength) << i;

    // An entry count past its chunk is refused.
    put32(12, 100000);
    bytes.replace(junk, ix.size(), ix);
    test_env::write_file(path, bytes);
    VF bad;
    ASSERT_TRUE(bad.Open_AVI_File(path));
    EXPECT_THROW(bad.Read_ODML_Index(), vb::VbError);
}

// ---- Damaged files ----

TEST_F(AVI, DamagedHeadersEndTheReadWithTheirMessage) {
    const std::string good = Make_AVI(kKinds[0], "avi_damaged_src");
    const std::string bytes = test_env::read_file(good);
    const size_t strf = bytes.find("strf");
    const size_t junk = bytes.find("JUNK");
    struct Case {
        const char* name;
        int64_t offset; // -1: cut the file to `value` bytes; -2: a text at the offset
        int32_t value;
        const char* text;
        bool read;
        const char* message;
    };
    const Case cases[] = {
        {"not_hdrl", 20, 0, "hdrX", false, "Incorrect AVI header"},
        {"not_riff", 0, 0, "RIFX", false, "Incorrect AVI header"},
        {"cut_before_movi", -1, 3000, nullptr, false, ""},
        {"cut_in_header", -1, 40, nullptr, false, "Incorrect AVI header"},
        {"empty", -1, 0, nullptr, false, "File not found or contains no data!"},
        {"strf_huge", static_cast<int64_t>(strf) + 4, 0x7FFFFFF0, nullptr, false, "File too large to parse"},
        {"junk_negative", static_cast<int64_t>(junk) + 4, -8, nullptr, false, ""},
    };
    for (const Case& c : cases) {
        const std::string path = test_env::make_dir(std::string("avi_dam_") + c.name) + "/d.avi";
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        if (c.offset == -1)
            std::filesystem::resize_file(path, static_cast<uintmax_t>(c.value));
        else if (c.text) {
            std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(c.offset);
            f.write(c.text, 4);
        } else
            heat_fixture::Poke32(path, c.offset, c.value);
        clsAVIInfo info;
        EXPECT_EQ(info.ReadFile(path), c.read) << c.name;
        EXPECT_EQ(info.Last_Message(), c.message) << c.name;
        EXPECT_EQ(info.MovieOffset(), 0) << c.name;
        EXPECT_EQ(info.NumFrames(), 0) << c.name << ": values of a failed read are cleared";
        VF vf;
        EXPECT_FALSE(vf.Open_AVI_File(path)) << c.name;
        EXPECT_FALSE(vf.File_open()) << c.name;
    }
}

TEST_F(AVI, DamagedIndexesAndChunksAreRefused) {
    const std::string good = Make_AVI(kKinds[1], "avi_index_src");
    const std::string bytes = test_env::read_file(good);
    const int64_t idx1 = static_cast<int64_t>(bytes.find("idx1"));
    const int64_t movi = static_cast<int64_t>(bytes.find("movi"));
    const auto copy = [&](const std::string& name) {
        const std::string path = test_env::make_dir("avi_idx_" + name) + "/d.avi";
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        return path;
    };
    // Index sizes out of range are refused without a message.
    for (const int32_t size : {16 * 150001, 0, 8}) {
        const std::string path = copy("size" + std::to_string(size));
        heat_fixture::Poke32(path, idx1 + 4, size);
        test_env::dialogs().clear();
        VF vf;
        EXPECT_FALSE(vf.Open_AVI_File(path)) << size;
        EXPECT_TRUE(test_env::dialogs().prompts().empty()) << size;
    }
    // A size that is no multiple of 16 counts whole entries only: the part
    // entry is not one, even when an entry-like record follows the chunk.
    for (const int32_t extra : {4, 8, 12}) {
        const std::string path = copy("part" + std::to_string(extra));
        int32_t size = 0;
        std::memcpy(&size, bytes.data() + idx1 + 4, 4);
        ASSERT_EQ(idx1 + 8 + size, static_cast<int64_t>(bytes.size())) << "ffmpeg ends the file with idx1";
        heat_fixture::Poke32(path, idx1 + 4, size + extra);
        std::ofstream(path, std::ios::app | std::ios::binary).write("00dc\x10\0\0\0\4\0\0\0\1\0\0\0", 16);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path));
        EXPECT_EQ(vf.Index_Collection().size(), 4u) << extra;
    }
    // An index longer than the file holds keeps its whole entries only.
    {
        const std::string path = copy("long");
        heat_fixture::Poke32(path, idx1 + 4, 16 * 1000);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path));
        EXPECT_EQ(vf.Index_Collection().size(), 4u);
    }
    // Entries naming chunks outside the file: that frame fails with its
    // reason, the others still read.
    struct Entry_Case {
        const char* name;
        int field; // 2 = offset, 3 = length
        int32_t value;
    };
    for (const Entry_Case c : {Entry_Case{"length_huge", 3, 0x7FFFFF00}, Entry_Case{"length_negative", 3, -1},
                               Entry_Case{"offset_past_end", 2, 1 << 30},
                               Entry_Case{"offset_negative", 2, static_cast<int32_t>(-movi - 100)}}) {
        const std::string path = copy(c.name);
        heat_fixture::Poke32(path, idx1 + 8 + 16 * 1 + 4 * c.field, c.value);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path)) << c.name;
        try {
            vf.Read_Frame(2);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const vb::VbError& e) {
            EXPECT_NE(e.description().find("Invalid AVI chunk of frame 2"), std::string::npos)
                << e.description();
        }
        vf.Read_Frame(3);
        EXPECT_EQ(vf.Frame_Data()[0], 0xFF) << c.name;
    }
    // A chunk of zero length reads nothing.
    {
        const std::string path = copy("length_zero");
        heat_fixture::Poke32(path, idx1 + 8 + 16 + 12, 0);
        VF vf;
        ASSERT_TRUE(vf.Open_AVI_File(path));
        vf.Read_Frame(1);
        const uint8_t* first = vf.Frame_Data();
        vf.Read_Frame(2);
        EXPECT_EQ(vf.Frame_Data(), first) << "the buffer keeps frame 1";
        EXPECT_EQ(vf.Buffered_Frame(), 1);
    }
    // The top-level walk refuses a negative chunk size in the normal mode's report.
    {
        heat_fixture::Normal_Mode normal;
        const std::string path = copy("walk_negative");
        heat_fixture::Poke32(path, idx1 + 4, -100);
        VF vf;
        EXPECT_FALSE(vf.Open_AVI_File(path));
        ASSERT_EQ(normal.reports.size(), 1u);
        EXPECT_EQ(normal.reports[0].location, "Open_AVI_File of Class Module cls_AVI_handler");
        EXPECT_NE(normal.reports[0].description.find("Invalid chunk size -100"), std::string::npos);
    }
}

} // namespace
