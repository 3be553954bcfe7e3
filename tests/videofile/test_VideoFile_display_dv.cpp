// The display members on DV material: the information text of DV, AVI and
// DV-based heat files, the DV comment, the frame rate of an AVI header, the
// DV test frame of the frame-path benchmark and the file read timer.
#include "Cls_XML_header.h"
#include "Form.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "Module_dependant.h"
#include "PictureBox.h"
#include "VbConvert.h"
#include "VbError.h"
#include "WinClock.h"
#include "WinSystem.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using VF = cls_VideoFile_handler;
constexpr size_t kDV_Frame = 144000;

// PAL DV from ffmpeg: top half white with a red block at the left, bottom half black.
std::string Make_DV(const std::string& name, int frames) {
    const std::string path = test_env::make_dir("display_dv_" + name) + "/" + name + ".dv";
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i "
                            "'color=c=black:s=720x576:r=25,drawbox=x=0:y=0:w=iw:h=ih/2:color=white:t=fill,"
                            "drawbox=x=0:y=0:w=iw/4:h=ih/2:color=red:t=fill' -frames:v " +
                            std::to_string(frames) + " -target pal-dv '" + path + "' 2>&1";
    std::string out;
    EXPECT_EQ(test_env::run(cmd, &out), 0) << out;
    return path;
}

std::string Make_AVI(const std::string& name) {
    const std::string path = test_env::make_dir("display_avi_" + name) + "/" + name + ".avi";
    std::string out;
    EXPECT_EQ(test_env::run("ffmpeg -v error -y -f lavfi -i testsrc=s=64x48:r=25 -frames:v 5 -c:v rawvideo "
                            "-pix_fmt bgr24 '" +
                                path + "' 2>&1",
                            &out),
              0)
        << out;
    return path;
}

// A DV-based heat file written by the program, each frame carrying the
// capture's extra data block ("SSCD") at `block_at` when that is not 0.
std::string Write_QF2_With_Block(const std::string& name, std::string dv, int frames, size_t block_at,
                                 int16_t streams = 1) {
    if (block_at > 0)
        for (size_t f = 0; f * kDV_Frame < dv.size(); ++f) {
            std::memset(dv.data() + f * kDV_Frame + block_at, 0, 192);
            std::memcpy(dv.data() + f * kDV_Frame + block_at, "SSCD", 4);
        }
    const std::string path = test_env::make_dir("display_qf2_" + name) + "/" + name + ".qf2";
    VF w;
    w.File_name(path);
    w.Create_File();
    w.Initiate_QFN_File();
    w.Header().Streams_no(streams);
    w.Write_XML_Header();
    for (int i = 0; i < frames * streams; ++i)
        w.Append_DV_frame(reinterpret_cast<const uint8_t*>(dv.data()) +
                          static_cast<size_t>(i) % (dv.size() / kDV_Frame) * kDV_Frame);
    w.Close_File();
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "every line ends with a line break";
    return lines;
}

struct VideoFileDisplayDV : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override { test_env::dialogs().clear(); }
};

TEST_F(VideoFileDisplayDV, InformationTextOfDvFiles) {
    const std::string path = Make_DV("props", 3);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(
        Lines(vf.Property_String()),
        (std::vector<std::string>{"File name : " + path, "File size= 0.4 mByte", "Num frames = 3",
                                  "Dimensions w*h = 720 * 576", "NTSC: False", "Clip length = 0.1 sec"}));
}

TEST_F(VideoFileDisplayDV, InformationTextOfAviFilesWithoutXmlChunk) {
    const std::string path = Make_AVI("props");
    VF vf;
    ASSERT_TRUE(vf.Open_AVI_File(path));
    const std::vector<std::string> lines = Lines(vf.Property_String());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "File name : " + path);
    EXPECT_EQ(lines[2], "Num frames = 5");
    EXPECT_EQ(lines.back(), "Has XML chunk = False");
    for (const std::string& l : lines)
        EXPECT_EQ(l.find("Selection start/end"), std::string::npos);
}

TEST_F(VideoFileDisplayDV, InformationTextOfQf2FilesByStreamCount) {
    const std::string dv = test_env::read_file(Make_DV("qf2", 2));
    {
        VF vf;
        ASSERT_TRUE(vf.Open_File(Write_QF2_With_Block("one", dv, 3, 0)));
        const std::vector<std::string> lines = Lines(vf.Property_String());
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[2], "Num frames = 3");
        EXPECT_EQ(lines[3], "Num streams = 1");
        const auto fps = std::find_if(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.rfind("Fps = ", 0) == 0; });
        ASSERT_NE(fps, lines.end());
        EXPECT_EQ(*fps, "Fps = 25") << "frames a second, not fields";
        EXPECT_EQ(lines.back().rfind("Special application =  ", 0), 0u) << lines.back();
    }
    VF vf;
    ASSERT_TRUE(vf.Open_File(Write_QF2_With_Block("two", dv, 3, 0, 2)));
    const std::vector<std::string> lines = Lines(vf.Property_String());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Num frames = 3*2");
    EXPECT_EQ(lines.back(), "Stream 2 offset =  " + vb::CStr(vf.Header().Offset_fields(2)));
    EXPECT_TRUE(vf.Has_DV_Header());
}

// A stand-in for the replay window's large picture.
class Frm_display_dv_test : public forms::Form {
public:
    Frm_display_dv_test() : Form("Frm_display_dv_test") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 12000, 12000); }
};

TEST_F(VideoFileDisplayDV, OverlayTrailOfDvFramesIsTheDecodedPicture) {
    VF vf;
    ASSERT_TRUE(vf.Open_File(Make_DV("overlay", 3)));
    forms::PictureBox& box = forms::Instance<Frm_display_dv_test>().Picture1;
    box.Move(0, 0, 180 * 15, 144 * 15);
    box.ScaleMode(forms::vbPixels);
    const auto rgb = [&](int32_t x, int32_t y) {
        const uint32_t c = gdi::GetPixel(box.hDC(), x, y);
        return std::array<int, 3>{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                  static_cast<int>((c >> 16) & 0xFF)};
    };
    for (int16_t mode : {2, 4}) {
        vf.Overlay(mode);
        for (int32_t n : {1, 2, 3}) {
            int32_t frame = n;
            vf.Draw_Frame(frame, &box, false, 1, nullptr, false);
            EXPECT_GT(rgb(10, 10)[0], 200) << "red top left, mode " << mode << " frame " << n;
            EXPECT_LT(rgb(10, 10)[1], 60);
            EXPECT_GT(rgb(170, 10)[1], 200) << "white top right";
            EXPECT_LT(rgb(90, 130)[0], 40) << "black bottom";
        }
    }
}

TEST_F(VideoFileDisplayDV, CommentOfTheDvExtraDataBlock) {
    const std::string dv = test_env::read_file(Make_DV("comment", 2));
    const size_t block_at = 1000;
    const std::string path = Write_QF2_With_Block("comment", dv, 2, block_at);
    const std::string hundred = std::string(50, 'a') + std::string(50, 'b');
    {
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        vf.Read_Frame(2);
        EXPECT_EQ(vf.Read_Comment(), "") << "an empty field starts with a zero";
        vf.Write_comment(hundred);
        EXPECT_EQ(vf.Read_Comment(), hundred.substr(0, 80));
    }
    // In the file: frame 2's block, nothing before or after the field.
    const std::string before = dv;
    const std::string after = test_env::read_file(path);
    const size_t frame2 = after.size() - kDV_Frame; // the last frame of the file
    EXPECT_EQ(after.substr(frame2 + block_at + 82, 80), hundred.substr(0, 80));
    EXPECT_EQ(after.substr(frame2 + block_at + 162, 30), std::string(30, '\0'));
    EXPECT_EQ(after.substr(frame2, block_at), before.substr(kDV_Frame, block_at)) << "the picture data stays";
    VF again;
    ASSERT_TRUE(again.Open_File(path));
    again.Read_Frame(2);
    EXPECT_EQ(again.Read_Comment(), hundred.substr(0, 80));
    again.Read_Frame(1);
    EXPECT_EQ(again.Read_Comment(), "");

    // A frame without the block is never written over.
    const std::string plain = Write_QF2_With_Block("plain", dv, 2, 0);
    const std::string plain_before = test_env::read_file(plain);
    VF vf;
    ASSERT_TRUE(vf.Open_File(plain));
    vf.Read_Frame(1);
    EXPECT_THROW(vf.Write_comment("lost"), vb::VbError);
    vf.Close_File();
    EXPECT_EQ(test_env::read_file(plain), plain_before);
}

TEST_F(VideoFileDisplayDV, ReusedObjectKeepsNothingOfTheFileBefore) {
    const std::string dv = test_env::read_file(Make_DV("reuse", 2));
    const size_t block_at = 1000;
    const std::string first = Write_QF2_With_Block("reuse_block", dv, 2, block_at);
    {
        // The capture's time in frame 1's block.
        std::fstream f(first, std::ios::in | std::ios::out | std::ios::binary);
        const int32_t capture = 123456;
        f.seekp(static_cast<std::streamoff>(100005 + block_at + 24));
        f.write(reinterpret_cast<const char*>(&capture), 4);
    }
    const std::string second = Write_QF2_With_Block("reuse_plain", dv, 2, 0);
    const std::string second_bytes = test_env::read_file(second);
    VF vf;
    ASSERT_TRUE(vf.Open_File(first));
    vf.Read_Frame(1);
    vf.Write_comment("first file");
    ASSERT_EQ(vf.Capture_mill_time(), 123456);
    ASSERT_EQ(vf.DV_Extra_Offset(), static_cast<int32_t>(block_at));

    // Closing forgets the block and its times.
    vf.Close_File();
    EXPECT_EQ(vf.Read_Comment(), "");
    EXPECT_EQ(vf.Capture_mill_time(), 0);
    EXPECT_EQ(vf.DV_Extra_Block()[0], 0);

    // The next file, opened on the same object, shows none of it.
    ASSERT_TRUE(vf.Open_File(first));
    vf.Read_Frame(1);
    ASSERT_TRUE(vf.Open_File(second));
    EXPECT_EQ(vf.Capture_mill_time(), 0);
    EXPECT_EQ(vf.Read_Comment(), "");
    vf.Read_Frame(1);
    EXPECT_EQ(vf.Capture_mill_time(), 0);
    EXPECT_EQ(vf.DV_Extra_Offset(), 0);
    EXPECT_THROW(vf.Write_comment("lost"), vb::VbError);
    // A rewrite of a frame with no block found writes nothing.
    vf.Rewrite_DV_Extra_data();
    vf.Read_Frame(2);
    vf.Rewrite_DV_Extra_data();
    vf.Close_File();
    EXPECT_EQ(test_env::read_file(second), second_bytes) << "the second file's frames stay as they were";
}

TEST_F(VideoFileDisplayDV, ForcedFrameRateRewritesTheAviMainHeader) {
    const std::string path = Make_AVI("rate");
    VF vf;
    ASSERT_TRUE(vf.Open_AVI_File(path));
    const std::string before = test_env::read_file(path);
    // No header read yet: nothing is written.
    EXPECT_THROW(vf.Force_Framerate(30), vb::VbError);
    EXPECT_EQ(test_env::read_file(path), before);
    vf.Read_Headers();
    try {
        vf.Force_Framerate(0);
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), vb::errDivisionByZero);
    }
    EXPECT_EQ(test_env::read_file(path), before);
    vf.Force_Framerate(30);
    vf.Close_File();
    const std::string after = test_env::read_file(path);
    int32_t micro = 0;
    std::memcpy(&micro, after.data() + 32, 4);
    EXPECT_EQ(micro, 33333);
    EXPECT_EQ(after.substr(0, 32), before.substr(0, 32));
    EXPECT_EQ(after.substr(36), before.substr(36));
    // An outside reader still takes the file.
    std::string out;
    EXPECT_EQ(
        test_env::run("ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 '" +
                          path + "' 2>&1",
                      &out),
        0);
    EXPECT_EQ(out.substr(0, 1), "5") << out;
}

TEST_F(VideoFileDisplayDV, BenchmarkDecodesTheProgramsDvTestFrame) {
    // The frame is the program's own: nothing lies beside the program for it.
    VF prepared;
    prepared.Bench_Prepare();
    EXPECT_EQ(prepared.DIB_sizes().substr(0, 7), "720,576");
    VF vf;
    vf.Benchmark_Decomp_Once();
    const cDIBSection& frame = vf.Decoded_Frame();
    ASSERT_EQ(frame.Width(), 720);
    const auto at = [&](int32_t x, int32_t y) {
        const uint8_t* p =
            frame.DIBSectionBitsPtr() + static_cast<int64_t>(575 - y) * frame.BytesPerScanLine() + 3 * x;
        return std::array<int, 3>{p[2], p[1], p[0]};
    };
    EXPECT_GT(at(40, 100)[0], 200);
    EXPECT_LT(at(40, 100)[1], 60) << "red block top left";
    EXPECT_GT(at(600, 100)[1], 200) << "white top right";
    EXPECT_LT(at(360, 500)[0], 40) << "black bottom";
    // Later calls draw again.
    std::memset(const_cast<uint8_t*>(frame.DIBSectionBitsPtr()), 0, static_cast<size_t>(frame.SizeImage()));
    vf.Benchmark_Decomp_Once();
    EXPECT_GT(at(40, 100)[0], 200);
    // The other steps run on the same bitmaps.
    vf.Benchmark_Deint_Once();
    vf.Benchmark_Rotate_Once();
}

TEST_F(VideoFileDisplayDV, FileReadTimerShowsTheTimeOfOneRead) {
    class Ticking : public win::FakeClock {
    public:
        uint32_t time_get_time() override {
            const uint32_t now = FakeClock::time_get_time();
            advance(100);
            return now;
        }
    } clock;
    win::set_clock(&clock);
    VF vf;
    ASSERT_TRUE(vf.Open_File(Make_DV("getfile", 25)));
    vf.benchmark_getfile();
    win::set_clock(nullptr);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Get time = 5"});
}

} // namespace
