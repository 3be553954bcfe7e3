// DV material: raw DV files made by ffmpeg opened, counted, their camera
// metadata read and their frames decoded upright against ffmpeg's own
// decode; "qf2" files written by the program's own writer and checked by an
// outside script; the trace record in DV frames; damaged files refused with
// their reason.
#include "Cls_XML_header.h"
#include "DV_Timecode_module.h"
#include "DvDecoder.h"
#include "Form.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PictureBox.h"
#include "TestEnv.h"
#include "TraceChannel.h"
#include "TraceListener.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

using VF = cls_VideoFile_handler;
constexpr int32_t kDV = 144000;

class Frm_dv_test : public forms::Form {
public:
    Frm_dv_test() : Form("Frm_dv_test") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 24000, 24000); }
};

// In pixels, as the replay window's pictures have them.
forms::PictureBox& Dv_Box(int32_t width_px, int32_t height_px) {
    forms::PictureBox& box = heat_fixture::Picture_Box<Frm_dv_test>(width_px, height_px);
    box.ScaleMode(3);
    return box;
}

// The test picture: top half white with a red block at the left, bottom
// half black; upside down or mirrored it reads differently everywhere.
const char* kPattern = "color=c=black:s=%s:r=%s,drawbox=x=0:y=0:w=iw:h=ih/2:color=white:t=fill,"
                       "drawbox=x=0:y=0:w=iw/4:h=ih/2:color=red:t=fill";

std::string Make_DV(const std::string& name, bool ntsc, int frames, const char* pattern = kPattern,
                    const std::string& aspect = "4:3") {
    const std::string dir = test_env::make_dir("dv_" + name);
    const std::string path = dir + "/" + name + ".dv";
    char graph[300];
    std::snprintf(graph, sizeof graph, pattern, ntsc ? "720x480" : "720x576", ntsc ? "30000/1001" : "25");
    const std::string cmd =
        std::string("TZ=UTC ffmpeg -v error -y -f lavfi -i '") + graph + "' -frames:v " +
        std::to_string(frames) + " -target " + (ntsc ? "ntsc-dv" : "pal-dv") + " -aspect " + aspect +
        " -timecode 10:20:30:12 -metadata creation_time=2009-06-14T13:05:09Z '" + path + "'";
    std::string out;
    EXPECT_EQ(test_env::run(cmd + " 2>&1", &out), 0) << out;
    return path;
}

// Pixel (x, y from the top) of a bottom-up bitmap as red, green, blue.
std::array<int, 3> Rgb(const cDIBSection& d, int32_t x, int32_t y) {
    const uint8_t* p =
        d.DIBSectionBitsPtr() + static_cast<int64_t>(d.Height() - 1 - y) * d.BytesPerScanLine() + 3 * x;
    return {p[2], p[1], p[0]};
}

// Pixel (x, y) of a picture control as red, green, blue.
std::array<int, 3> Box_Rgb(forms::PictureBox& box, int32_t x, int32_t y) {
    const gdi::COLORREF c = gdi::GetPixel(box.hDC(), x, y);
    return {gdi::GetRValue(c), gdi::GetGValue(c), gdi::GetBValue(c)};
}

bool Is_Red(std::array<int, 3> c) {
    return c[0] > 160 && c[1] < 90 && c[2] < 90;
}
bool Is_White(std::array<int, 3> c) {
    return c[0] > 200 && c[1] > 200 && c[2] > 200;
}
bool Is_Black(std::array<int, 3> c) {
    return c[0] < 50 && c[1] < 50 && c[2] < 50;
}

void Expect_Upright(const cDIBSection& d, const std::string& what) {
    const int32_t w = d.Width(), h = d.Height();
    EXPECT_TRUE(Is_Red(Rgb(d, w / 8, h / 4))) << what << ": top left is red";
    EXPECT_TRUE(Is_White(Rgb(d, w * 3 / 4, h / 4))) << what << ": top right is white";
    EXPECT_TRUE(Is_Black(Rgb(d, w / 8, h * 3 / 4))) << what << ": bottom left is black";
    EXPECT_TRUE(Is_Black(Rgb(d, w * 3 / 4, h * 3 / 4))) << what << ": bottom right is black";
}

// ffmpeg's own decode of frame `n` (from 0) as top-down BGR rows.
std::string Ffmpeg_Frame(const std::string& path, int n) {
    const std::string raw = path + ".f" + std::to_string(n) + ".bgr";
    std::string out;
    EXPECT_EQ(test_env::run("ffmpeg -v error -y -i '" + path + "' -vf 'select=eq(n\\," + std::to_string(n) +
                                ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 '" + raw + "' 2>&1",
                            &out),
              0)
        << out;
    return test_env::read_file(raw);
}

double Psnr_Against(const cDIBSection& d, const std::string& top_down_bgr) {
    const int32_t w = d.Width(), h = d.Height();
    if (top_down_bgr.size() != static_cast<size_t>(w) * h * 3) return 0;
    double sum = 0;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* ours = d.DIBSectionBitsPtr() + static_cast<int64_t>(h - 1 - y) * d.BytesPerScanLine();
        const auto* theirs =
            reinterpret_cast<const uint8_t*>(top_down_bgr.data()) + static_cast<int64_t>(y) * w * 3;
        for (int32_t i = 0; i < w * 3; ++i)
            sum += (ours[i] - theirs[i]) * double(ours[i] - theirs[i]);
    }
    const double mse = sum / (static_cast<double>(w) * h * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct VideoFileDV : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override { test_env::dialogs().clear(); }
};

// ---- Raw DV files ----

TEST_F(VideoFileDV, FfmpegDvFileOpensWithItsCountSystemAndCameraData) {
    struct Case {
        bool ntsc;
        int16_t height, mill_per_frame, fps, system;
        int32_t frame_size;
    };
    for (const Case c : {Case{false, 576, 40, 25, 50, 144000}, Case{true, 480, 33, 30, 60, 120000}}) {
        const std::string path = Make_DV(c.ntsc ? "ntsc" : "pal", c.ntsc, 4);
        VF vf;
        ASSERT_TRUE(vf.Open_File(path)) << path;
        EXPECT_EQ(vf.Current_File_Suffix(), "dv");
        EXPECT_EQ(vf.Num_Frames(), 4);
        EXPECT_EQ(vf.Num_fields(), 8);
        EXPECT_EQ(vf.NTSC(), c.ntsc);
        EXPECT_EQ(vf.Width(), 720);
        EXPECT_EQ(vf.Height(), c.height);
        EXPECT_EQ(vf.Frame_Rate(), c.fps);
        EXPECT_EQ(vf.DV_Frame_Size(), c.frame_size);
        EXPECT_EQ(g_DV.DV_System, c.system);
        EXPECT_EQ(DV_Field_Rate(), c.system);
        EXPECT_EQ(DV_Rec_DateTime(), "2009-06-14 13:05:09");
        EXPECT_EQ(DV_Timecode_Text(), "10:20:30 frame: 12");
        EXPECT_FALSE(DV_Is_Wide());

        // Each frame carries its own time code; the text joins the camera data.
        vf.Read_Frame(3);
        EXPECT_EQ(vf.Frame_Data_Size(), c.frame_size);
        const std::string text = vf.Timecode_string();
        EXPECT_NE(text.find("\r\nRec. date 2009-06-14 13:05:09\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Timecode: 10:20:30 frame: 14\r\n"), std::string::npos) << text;
        EXPECT_EQ(text.rfind("\r\nZoom = "), text.find("\r\nZoom = ")) << "the last item ends the text";
        EXPECT_EQ(vf.DV_data_hours(), 13);
        EXPECT_EQ(vf.DV_data_minutes(), 5);
        EXPECT_FALSE(vf.Wide_Screen());
        // A frame beyond the end reads the last one.
        vf.Read_Frame(99);
        EXPECT_EQ(vf.Buffered_Frame(), 4);
        vf.Close_File();
    }
}

TEST_F(VideoFileDV, DvFrameDrawsUprightAsFfmpegDecodesIt) {
    for (const bool ntsc : {false, true}) {
        const std::string path = Make_DV(ntsc ? "draw_ntsc" : "draw_pal", ntsc, 3);
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        cDIBSection into;
        into.Create(720, ntsc ? 480 : 576);
        int32_t frame = 0;
        vf.Draw_Frame(frame, nullptr, false, 1, into.hDC(), false);
        EXPECT_EQ(frame, 1) << "frame 0 draws frame 1 and says so";
        EXPECT_EQ(vf.Decode_Result(), 1);
        Expect_Upright(into, ntsc ? "NTSC" : "PAL");
        EXPECT_GT(Psnr_Against(into, Ffmpeg_Frame(path, 0)), 30.0);
        into.SavePicture(test_env::output_dir() + (ntsc ? "/dv_frame_ntsc.bmp" : "/dv_frame_pal.bmp"));
    }
}

TEST_F(VideoFileDV, FramesInStoreAndPictureModes) {
    const std::string path = Make_DV("modes", false, 2);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = Dv_Box(360, 288);
    cDIBSection shown;
    shown.Create(360, 288);
    const auto grab = [&] { gdi::BitBlt(shown.hDC(), 0, 0, 360, 288, box.hDC(), 0, 0, 13369376); };

    int32_t frame = 2;
    vf.Draw_Frame(frame, &box, false, 1, nullptr, false);
    grab();
    Expect_Upright(shown, "plain, stretched to the picture");
    EXPECT_FLOAT_EQ(vf.Player_Effective_Time(), 40.0f);

    vf.Draw_Frame(frame, &box, true, 1, nullptr, false);
    grab();
    EXPECT_TRUE(Is_Red(Rgb(shown, 360 - 45, 72))) << "mirrored: the red block is at the right";
    EXPECT_TRUE(Is_White(Rgb(shown, 45, 72)));

    // Rotated a quarter turn counter-clockwise: the top goes left, the red
    // top-left corner to the bottom left.
    vf.Draw_Frame(frame, &box, false, 1, nullptr, true);
    grab();
    EXPECT_TRUE(Is_Red(Rgb(shown, 40, 260))) << "rotated: red at the bottom left";
    EXPECT_TRUE(Is_White(Rgb(shown, 40, 30)));
    EXPECT_TRUE(Is_Black(Rgb(shown, 300, 150)));
    EXPECT_FLOAT_EQ(vf.Player_Effective_Time(), 40.0f) << "rotating leaves the time as it was";

    // Fields: line-doubled halves of the frame, each still upright.
    for (int32_t field : {1, 2, 3, 4}) {
        int16_t stream = 1;
        bool rotate = false;
        vf.Draw_field_3(field, box, stream, rotate);
        EXPECT_EQ(vf.eff_frameno(), (field + 1) / 2);
        EXPECT_EQ(vf.Field_To_Show(), field % 2 == 1 ? 1 : 2);
        grab();
        Expect_Upright(shown, "field " + std::to_string(field));
        Expect_Upright(vf.DV_Field_Picture(1), "field picture " + std::to_string(field));
    }
    shown.SavePicture(test_env::output_dir() + "/dv_field_4.bmp");

    // The row-copy variant: the field stretched over the picture, upright.
    for (const bool invert : {false, true}) {
        int32_t field = 3;
        int16_t stream = 1;
        bool inv = invert;
        vf.Draw_Field(field, box, inv, stream);
        grab();
        Expect_Upright(shown, invert ? "row copies, inverted" : "row copies");
        field = 5;
        vf.Draw_Field(field, box, inv, stream);
    }

    vf.Read_In_Bitmaps();
    vf.Close_File();
    EXPECT_FALSE(vf.File_open());
}

// ---- The metadata packs ----

struct Packs {
    std::array<uint8_t, 480> f{};
    Packs() { f.fill(0xFF); }
    void vaux(int block, int pack, std::array<uint8_t, 5> pc) {
        std::memcpy(f.data() + 80 * block + 3 + 5 * pack, pc.data(), 5);
    }
    void subcode(int block, int sync, std::array<uint8_t, 5> pc) {
        std::memcpy(f.data() + 80 * block + 3 + 8 * sync + 3, pc.data(), 5);
    }
};

TEST_F(VideoFileDV, MetadataPacksDecodeAsTheCameraWroteThem) {
    Packs none;
    DV_Header_Parse(none.f.data());
    EXPECT_EQ(DV_Timecode_Text(), "No information");
    EXPECT_EQ(DV_Timecode_Frame(), 0);
    EXPECT_EQ(DV_AE_Mode_Text(), "");
    EXPECT_EQ(g_DV.DV_WB_Text, "");
    EXPECT_EQ(DV_Focal_Text(), "No info");

    Packs p;
    p.vaux(3, 0, {0x60, 0xFF, 0xFF, 0xE0, 0xFF});
    p.vaux(3, 1, {0x61, 0x00, 0x07, 0xFF, 0xFF}); // display bits: wide
    p.vaux(3, 2, {0x62, 0xFF, 0x31, 0x12, 0x39}); // 31 Dec 39
    p.vaux(3, 3, {0x63, 0xFF, 0x59, 0x59, 0x23});
    p.vaux(4, 0, {0x70, 0x10, 0x22, 0xA4, 0xFF}); // iris 16, shutter priority, gain 2, WB mode 5, sunlight
    p.vaux(4, 1, {0x71, 0xFF, 0xFF, 0xFF, 0x30});
    p.vaux(5, 7, {0x7F, 0xFF, 0xFF, 0x3C, 0x00}); // raw 60: 1/250
    p.subcode(1, 2, {0x13, 0x00, 0x00, 0x00, 0x12});
    p.subcode(2, 0, {0x13, 0x05, 0x05, 0x05, 0x05}); // a later time code pack is skipped
    DV_Header_Parse(p.f.data());
    EXPECT_EQ(g_DV.DV_System, 50);
    EXPECT_TRUE(DV_Is_Wide());
    EXPECT_EQ(DV_Rec_DateTime(), "2039-12-31 23:59:59");
    EXPECT_FLOAT_EQ(g_DV.DV_F_Number, 4.0f);
    EXPECT_EQ(DV_AE_Mode_Text(), "Shutter priority");
    EXPECT_EQ(DV_AGC_Text(), "2");
    EXPECT_EQ(DV_WB_Text_All(), "Wb mode = Invalid ,Wb = Sunlight");
    EXPECT_EQ(DV_Focal_Text(), "No info") << "a focal length byte of 0xFF is no value";
    EXPECT_EQ(DV_Zoom_Text(), "3");
    EXPECT_EQ(DV_Shutter_Text(), "1/250");
    EXPECT_EQ(DV_Timecode_Text(), "12:00:00 frame: 0");
    EXPECT_EQ(DV_Timecode_Frame(), 1080000);

    p.vaux(3, 2, {0x62, 0xFF, 0x01, 0x01, 0x40});
    DV_Header_Parse(p.f.data());
    EXPECT_EQ(g_DV.DV_Rec_Year, 1940);
    DV_Header_Parse(nullptr);
    EXPECT_EQ(g_DV.DV_Rec_Year, 0) << "a parse always starts from nothing";
    // A short buffer is read as far as it goes, never past it.
    DV_Header_Parse(p.f.data(), 100);
    EXPECT_EQ(g_DV.DV_Rec_Year, 0);
}

// ---- "qf2" files ----

std::string Write_QF2(const std::string& name, const std::string& dv, int frames, int16_t streams = 1) {
    const std::string path = test_env::make_dir("qf2_" + name) + "/" + name + ".qf2";
    VF w;
    w.File_name(path);
    w.Create_File();
    w.Initiate_QFN_File();
    EXPECT_TRUE(w.File_Initiated());
    w.Header().Streams_no(streams);
    w.Hdr_spare1("Heat " + name);
    w.Write_XML_Header();
    for (int i = 0; i < frames; ++i)
        w.Append_DV_frame(reinterpret_cast<const uint8_t*>(dv.data()) +
                          static_cast<size_t>(i) % (dv.size() / kDV) * kDV);
    EXPECT_EQ(w.DV_frames_appended(), frames);
    w.Close_File();
    return path;
}

int Check_QF2(const std::string& path, const std::string& options, std::string* out) {
    return test_env::run("python3 " + heat_fixture::Source_Dir() + "/tests/videofile/check_qf2.py '" + path +
                             "' " + options + " 2>&1",
                         out);
}

TEST_F(VideoFileDV, Qf2WrittenByTheProgramMatchesTheLayoutAndReadsBack) {
    const std::string dv_path = Make_DV("qf2src", false, 4);
    const std::string dv = test_env::read_file(dv_path);
    const std::string path = Write_QF2("round", dv, 3);
    std::string out;
    EXPECT_EQ(Check_QF2(path, "--dv '" + dv_path + "' --frames 3", &out), 0) << out;
    EXPECT_NE(out.find("OK"), std::string::npos) << out;

    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Current_File_Suffix(), "qf2");
    EXPECT_EQ(vf.Num_Frames(), 3);
    EXPECT_EQ(vf.QFN_Header_Length(), 100005);
    EXPECT_EQ(vf.Hdr_spare1(), "Heat round");
    EXPECT_EQ(vf.Header().Streams_no(), 1);
    for (int32_t n = 1; n <= 3; ++n) {
        vf.Read_Frame(n, 1);
        ASSERT_NE(vf.Frame_Data(), nullptr);
        EXPECT_EQ(vf.Frame_Position(), 100005 + (n - 1) * static_cast<int64_t>(kDV) + 1);
        EXPECT_EQ(std::memcmp(vf.Frame_Data(), dv.data() + static_cast<size_t>(n - 1) * kDV, kDV), 0) << n;
    }
    cDIBSection into;
    into.Create(720, 576);
    int32_t frame = 2;
    vf.Draw_Frame(frame, nullptr, false, 1, into.hDC(), false);
    Expect_Upright(into, "qf2 frame 2");

    // Read into memory first, the frames are the same.
    VF mem;
    mem.Read_to_Memory(true);
    ASSERT_TRUE(mem.Open_File(path));
    int32_t length = 0;
    const uint8_t* address = nullptr;
    mem.Get_Frame(3, length, address);
    EXPECT_EQ(length, kDV);
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(std::memcmp(address, dv.data() + 2 * kDV, kDV), 0);
    mem.Close_File();

    // A header change reaches the file in place; frames stay where they were.
    vf.Hdr_spare1("Final A");
    vf.Write_XML_Header();
    vf.Close_File();
    EXPECT_EQ(Check_QF2(path, "--dv '" + dv_path + "' --frames 3", &out), 0) << out;
    VF again;
    ASSERT_TRUE(again.Open_File(path));
    EXPECT_EQ(again.Hdr_spare1(), "Final A");

    // Appending to the reopened file adds to the count at the close.
    again.Append_DV_frame(reinterpret_cast<const uint8_t*>(dv.data()) + 3 * kDV);
    again.Close_File();
    EXPECT_EQ(Check_QF2(path, "--frames 4", &out), 0) << out;
}

TEST_F(VideoFileDV, Qf2WithTwoStreamsReadsEachStreamOfItsSample) {
    const std::string dv = test_env::read_file(Make_DV("qf2two", false, 4));
    const std::string path = Write_QF2("two", dv, 6, 2);
    std::string out;
    EXPECT_EQ(Check_QF2(path, "", &out), 1) << "six frames are three samples of two: " << out;
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Num_Frames(), 3) << "a count past the samples held is cut to them";
    vf.Read_Frame(3, 2);
    EXPECT_EQ(vf.Frame_Position(), 100005 + 5 * static_cast<int64_t>(kDV) + 1);
    EXPECT_EQ(std::memcmp(vf.Frame_Data(), dv.data() + 1 * kDV, kDV), 0)
        << "frame 6 of the append is frame 2 of the source";
}

// The shared trace listener, with a fresh viewer search on both ends of its life.
class Trace_Viewer {
public:
    Trace_Viewer() { Reset_Tracer(); }
    ~Trace_Viewer() { Reset_Tracer(); }
    std::vector<std::string> lines_with(const std::string& text) {
        std::vector<std::string> lines;
        for (auto& line : listener_.received())
            if (line.find(text) != std::string::npos) lines.push_back(line);
        return lines;
    }

private:
    test_env::TraceListener listener_;
};

TEST_F(VideoFileDV, AppendingTellsATimeCodeThatSkipsAFrame) {
    const std::string dv = test_env::read_file(Make_DV("tcskip", false, 1));
    const auto frame_with = [&](uint8_t frames) {
        std::string f = dv.substr(0, kDV);
        for (int block = 1; block <= 2; ++block)
            for (int sync = 0; sync < 6; ++sync) {
                const size_t at = static_cast<size_t>(80 * block + 3 + 8 * sync + 3);
                const uint8_t pack[5] = {0x13, frames, 0, 0, 0};
                std::memcpy(f.data() + at, pack, 5);
            }
        return f;
    };
    std::string frames;
    for (const uint8_t tc : {0x03, 0x07, 0x11, 0x12, 0x14})
        frames += frame_with(tc);
    Trace_Viewer viewer;
    const std::string path = Write_QF2("tcskip", frames, 5);
    const auto lines = viewer.lines_with("Expected DV frame ");
    ASSERT_EQ(lines.size(), 1u) << "frame numbers up to 10 are never compared";
    EXPECT_NE(lines[0].find("Expected DV frame \t13\t Received frame \t14\t"), std::string::npos) << lines[0];
}

TEST_F(VideoFileDV, TraceRecordLandsInTheFrameOfTheFile) {
    const std::string dv = test_env::read_file(Make_DV("trace", false, 4));
    const std::string path = Write_QF2("trace", dv, 3);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = Dv_Box(180, 144);
    int32_t field = 4; // frame 2, second field
    int16_t stream = 1;
    bool rotate = false;
    vf.Draw_field_3(field, box, stream, rotate);
    vf.Update_Trace_Data(3, 100, 200);
    EXPECT_EQ(vf.Trace_X(3), 100);
    EXPECT_EQ(vf.Trace_Y(3), 200);
    EXPECT_THROW(vf.Update_Trace_Data(11, 1, 1), vb::VbError);
    vf.Close_File();

    const std::string bytes = test_env::read_file(path);
    const size_t rec = 100005 + kDV + 48008;
    EXPECT_EQ(bytes.substr(rec, 4), "QFTD");
    int16_t v[44];
    std::memcpy(v, bytes.data() + rec + 4, sizeof v);
    EXPECT_EQ(v[0], 87);
    EXPECT_EQ(v[2 + 5], 100) << "X of trace 3, field 2 is entry 5";
    EXPECT_EQ(v[22 + 5], 200);
    EXPECT_NE(bytes.substr(100005 + 48008, 4), "QFTD") << "frame 1 untouched";

    VF again;
    ASSERT_TRUE(again.Open_File(path));
    again.Read_Trace_Array();
    // Reading a frame takes its record from the array.
    again.Draw_field_3(field, box, stream, rotate);
    EXPECT_EQ(again.Trace_X(3), 100);
    EXPECT_EQ(again.Trace_Y(3), 200);
    int16_t x = 0, y = 0;
    again.Trace_Array_Coords(3, 4, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
    again.Trace_Array_Coords(3, 3, x, y);
    EXPECT_EQ(x, 0) << "field 1 of frame 2 holds no point";
}

TEST_F(VideoFileDV, ExtraDataBlockIsFoundOnceAndTimesTheFrame) {
    std::string dv = test_env::read_file(Make_DV("sscd", false, 4));
    struct Case {
        size_t at;
        int32_t offset, capture, rounded;
    };
    // A block found past index 15000 is found but not taken.
    for (const Case c : {Case{1000, 1000, 1040, 1030}, Case{20000, 20000, 0, -10}}) {
        std::string frames = dv;
        for (int n = 0; n < 4; ++n) {
            char* block = frames.data() + static_cast<size_t>(n) * kDV + c.at;
            std::memcpy(block, "SSCD", 4);
            const int32_t stamp = 5000 + n, capture = 1000 + 40 * n;
            std::memcpy(block + 12, &stamp, 4);
            std::memcpy(block + 24, &capture, 4);
        }
        const std::string path = Write_QF2("sscd" + std::to_string(c.at), frames, 4);
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        vf.Read_Frame(3, 1);
        EXPECT_EQ(vf.DV_Extra_Offset(), c.offset);
        vf.Read_Frame(2, 1);
        EXPECT_EQ(vf.Capture_mill_time(), c.capture) << c.at;
        EXPECT_EQ(vf.Rounded_Capture_Time(), c.rounded) << c.at;
        if (c.capture) {
            EXPECT_EQ(vf.Timestamp_long(), 5001);
        }
    }
}

TEST_F(VideoFileDV, HeaderTooLongForItsPlaceIsRefusedAndTheFileKept) {
    heat_fixture::Normal_Mode normal;
    const std::string dv_path = Make_DV("longhdr", false, 4);
    const std::string path = Write_QF2("longhdr", test_env::read_file(dv_path), 2);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.Hdr_spare1(std::string(100000, 'x'));
    vf.Write_XML_Header();
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].location, "Write_XML_header of Class Module cls_AVI_handler");
    EXPECT_NE(normal.reports[0].description.find("does not fit before the end marker"), std::string::npos);
    vf.Close_File();
    std::string out;
    EXPECT_EQ(Check_QF2(path, "--dv '" + dv_path + "' --frames 2", &out), 0) << out;
}

TEST_F(VideoFileDV, RefreshBeforeAnyReadDrawsNothing) {
    const std::string path = Make_DV("refresh", false, 1);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = Dv_Box(90, 72);
    gdi::SetPixel(box.hDC(), 45, 10, gdi::RGB(1, 2, 3));
    vf.Refresh_frame(box);
    EXPECT_EQ(gdi::GetPixel(box.hDC(), 45, 10), gdi::RGB(1, 2, 3));
    vf.Read_Frame(1);
    vf.Refresh_frame(box);
    EXPECT_NE(gdi::GetPixel(box.hDC(), 45, 10), gdi::RGB(1, 2, 3));
}

TEST_F(VideoFileDV, NextFileOnTheSameObjectShowsItsOwnPictures) {
    const std::string a = Make_DV("first", false, 2);
    const std::string b =
        Make_DV("second", false, 2, "color=c=white:s=%s:r=%s,drawbox=x=0:y=0:w=iw:h=ih/2:color=black:t=fill");
    VF vf;
    forms::PictureBox& box = Dv_Box(360, 288);
    int32_t field = 1;
    int16_t stream = 1;
    bool rotate = false;
    ASSERT_TRUE(vf.Open_File(a));
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_White(Rgb(vf.DV_Field_Picture(1), 600, 100)));
    ASSERT_TRUE(vf.Open_File(b));
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_Black(Rgb(vf.DV_Field_Picture(1), 600, 100))) << "the second file's field, not a repaint";
    int32_t frame = 1;
    vf.Draw_Frame(frame, &box, true, 1, nullptr, false);
    EXPECT_EQ(vf.Decode_Result(), 1) << "the mirror bitmap is made again for the new file";
    const gdi::COLORREF top = gdi::GetPixel(box.hDC(), 180, 60), bottom = gdi::GetPixel(box.hDC(), 180, 230);
    EXPECT_LT(gdi::GetRValue(top) + gdi::GetGValue(top) + gdi::GetBValue(top), 100);
    EXPECT_GT(gdi::GetRValue(bottom) + gdi::GetGValue(bottom) + gdi::GetBValue(bottom), 600);
}

TEST_F(VideoFileDV, DeinterlaceDoublesTheRowsOfTheFieldShown) {
    VF vf;
    cDIBSection source, target;
    source.Create(4, 6);
    target.Create(4, 6);
    for (int32_t r = 0; r < 6; ++r)
        std::memset(source.DIBSectionBitsPtr() + r * source.BytesPerScanLine(), 10 * r, 12);
    vf.Deinterlace_DIBS(target, source);
    // Field 1 (the object's start): storage rows 2 and 4 are copied up one row.
    const int expected[] = {0, 10, 20, 20, 40, 40};
    for (int32_t r = 0; r < 6; ++r)
        EXPECT_EQ(target.DIBSectionBitsPtr()[r * target.BytesPerScanLine()], expected[r]) << r;
}

TEST_F(VideoFileDV, RotatedPicturesTakeTheFilesOwnSize) {
    for (const bool ntsc : {false, true}) {
        SCOPED_TRACE(ntsc ? "NTSC" : "PAL");
        const int32_t h = ntsc ? 480 : 576;
        VF vf;
        ASSERT_TRUE(vf.Open_File(Make_DV(ntsc ? "rot_ntsc" : "rot_pal", ntsc, 2)));
        // Turned with the top edge to the left: the left half white with the
        // red block at its bottom, the right half black.
        forms::PictureBox& box = Dv_Box(h / 2, 360);
        const auto check = [&](const char* what) {
            SCOPED_TRACE(what);
            EXPECT_TRUE(Is_White(Box_Rgb(box, h / 8, 100)));
            EXPECT_TRUE(Is_White(Box_Rgb(box, h / 8, 200)));
            EXPECT_TRUE(Is_Red(Box_Rgb(box, h / 8, 330)));
            EXPECT_TRUE(Is_Black(Box_Rgb(box, h * 3 / 8, 30)));
            EXPECT_TRUE(Is_Black(Box_Rgb(box, h * 3 / 8, 330)));
        };
        int32_t field = 1;
        int16_t stream = 1;
        bool rotate = true;
        vf.Draw_field_3(field, box, stream, rotate);
        check("field");
        int32_t frame = 2;
        vf.Draw_Frame(frame, &box, false, 1, nullptr, true);
        check("frame");
        box.Image().SavePng(test_env::output_dir() + (ntsc ? "/dv_rotated_ntsc.png" : "/dv_rotated_pal.png"));
    }
}

TEST_F(VideoFileDV, FieldsDecodeTheirFrameOnceAndRepaintWithoutReading) {
    const std::string path = Make_DV("fields", false, 2);
    const std::string bytes = test_env::read_file(path);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    forms::PictureBox& box = Dv_Box(360, 288);
    int16_t stream = 1;
    bool rotate = false;
    int32_t field = 1;
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_Red(Rgb(vf.DV_Field_Picture(1), 100, 100)));
    // Frame 1 of the file turns to frame 2's bytes of another picture: a
    // second decode of frame 1 would show it.
    const std::string other =
        test_env::read_file(Make_DV("fields_other", false, 1, "color=c=black:s=%s:r=%s"));
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.write(other.data(), kDV);
    }
    field = 2;
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_Red(Rgb(vf.DV_Field_Picture(1), 100, 100))) << "field 2 of frame 1 is not decoded again";
    EXPECT_EQ(vf.Field_To_Show(), 2);
    // The same field again only repaints: the box shows it although it was painted over.
    gdi::SetPixel(box.hDC(), 50, 50, gdi::RGB(0, 0, 255));
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_Red(Box_Rgb(box, 50, 50)));
    // Rotating always draws anew (it reads and paints the rotated field).
    rotate = true;
    vf.Draw_field_3(field, box, stream, rotate);
    EXPECT_TRUE(Is_Black(Box_Rgb(box, 300, 200)));
    // A stream outside 1 to 3 is an error; in the normal mode it is reported.
    int16_t bad = 4;
    EXPECT_THROW(vf.Draw_field_3(field, box, bad, rotate), vb::VbError);
    heat_fixture::Normal_Mode normal;
    vf.Draw_field_3(field, box, bad, rotate);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].location, "Draw_field_3 of Class Module cls_AVI_handler");
    EXPECT_EQ(normal.reports[0].number, vb::errSubscriptOutOfRange);
}

TEST_F(VideoFileDV, TwoStreamsSideBySideAndEachTraceInItsOwnFrame) {
    // Stream 1 the test picture, stream 2 an all-white one.
    const std::string pattern = test_env::read_file(Make_DV("two_a", false, 1));
    const std::string white = test_env::read_file(Make_DV("two_b", false, 1, "color=c=white:s=%s:r=%s"));
    const std::string path = Write_QF2("two_side", pattern.substr(0, kDV) + white.substr(0, kDV), 4, 2);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    ASSERT_EQ(vf.Num_Video_streams(), 2);
    forms::PictureBox& box = Dv_Box(288, 360);
    bool rotate = true;
    int32_t field = 1;
    for (int16_t stream : {1, 2})
        vf.Draw_field_3(field, box, stream, rotate);
    // Stream 1 in the left half (its turned picture: white left, black right),
    // stream 2 white in the right half.
    EXPECT_TRUE(Is_White(Box_Rgb(box, 20, 100)));
    EXPECT_TRUE(Is_Black(Box_Rgb(box, 120, 100)));
    EXPECT_TRUE(Is_White(Box_Rgb(box, 200, 100)));
    EXPECT_TRUE(Is_White(Box_Rgb(box, 270, 300)));

    // A trace point of stream 2 lands in stream 2's frame only.
    const std::string before = test_env::read_file(path);
    int16_t stream = 2;
    rotate = false;
    field = 3; // frame 2
    vf.Draw_field_3(field, box, stream, rotate);
    vf.Update_Trace_Data(1, 11, 22);
    vf.Close_File();
    const std::string after = test_env::read_file(path);
    const size_t sample2 = 100005 + 2 * kDV;
    EXPECT_EQ(after.substr(sample2 + kDV + 48008, 4), "QFTD");
    EXPECT_EQ(after.substr(0, sample2 + kDV), before.substr(0, sample2 + kDV))
        << "stream 1 and frame 1 untouched";
    EXPECT_EQ(after.substr(sample2 + 2 * kDV), before.substr(sample2 + 2 * kDV)) << "later samples untouched";
}

// ---- Against ffprobe ----

struct Probe {
    int32_t width = 0, height = 0;
    std::string rate, aspect;
    std::vector<std::pair<int64_t, int64_t>> packets; // position, size
};

// What ffprobe prints about the first video stream for the given entries.
std::string Ffprobe_Text(const std::string& path, const std::string& entries) {
    std::string out;
    EXPECT_EQ(test_env::run("ffprobe -v error -select_streams v:0 -show_entries " + entries + " '" + path +
                                "' 2>&1",
                            &out),
              0)
        << out;
    return out;
}

Probe Ffprobe(const std::string& path) {
    Probe p;
    std::istringstream lines(
        Ffprobe_Text(path, "stream=width,height,r_frame_rate,display_aspect_ratio -of default=nw=1"));
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "width") p.width = std::stoi(value);
        if (key == "height") p.height = std::stoi(value);
        if (key == "r_frame_rate") p.rate = value;
        if (key == "display_aspect_ratio") p.aspect = value;
    }
    std::istringstream packets(Ffprobe_Text(path, "packet=pos,size -of csv=p=0"));
    for (std::string line; std::getline(packets, line);) {
        const size_t comma = line.find(',');
        if (comma != std::string::npos)
            p.packets.emplace_back(std::stoll(line.substr(comma + 1)), std::stoll(line.substr(0, comma)));
    }
    return p;
}

double Rate_Of(const std::string& fraction) {
    const size_t slash = fraction.find('/');
    return std::stod(fraction.substr(0, slash)) / std::stod(fraction.substr(slash + 1));
}

TEST_F(VideoFileDV, DvFilesAgreeWithFfprobeWholeAndCut) {
    struct Case {
        bool ntsc;
        const char* aspect;
        bool cut;
    };
    const Case cases[] = {{false, "4:3", false}, {true, "4:3", false}, {false, "16:9", false},
                          {true, "16:9", false}, {false, "4:3", true}, {true, "16:9", true}};
    for (const Case& c : cases) {
        const std::string name = std::string(c.ntsc ? "ntsc" : "pal") +
                                 (c.aspect[1] == '6' ? "_wide" : "_43") + (c.cut ? "_cut" : "");
        SCOPED_TRACE(name);
        std::string path = Make_DV(name, c.ntsc, 5, kPattern, c.aspect);
        if (c.cut) std::filesystem::resize_file(path, std::filesystem::file_size(path) - 50000);
        const Probe probe = Ffprobe(path);
        const int64_t length = static_cast<int64_t>(std::filesystem::file_size(path));
        std::vector<std::pair<int64_t, int64_t>> whole;
        for (const auto& p : probe.packets)
            if (p.first + p.second <= length) whole.push_back(p);
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        EXPECT_EQ(vf.Num_Frames(), static_cast<int32_t>(whole.size()))
            << "whole frames, as ffprobe lists them";
        EXPECT_EQ(vf.Num_Frames(), c.cut ? 4 : 5);
        EXPECT_EQ(vf.Width(), probe.width);
        EXPECT_EQ(vf.Height(), probe.height);
        EXPECT_EQ(vf.NTSC(), c.ntsc);
        vf.Read_Frame(1);
        EXPECT_EQ(vf.Parse_DV_header(), std::string(probe.aspect) == "16:9") << probe.aspect;
        EXPECT_NEAR(vf.Frame_Rate(), Rate_Of(probe.rate), 0.1) << probe.rate;
        const std::string bytes = test_env::read_file(path);
        for (int32_t n = 1; n <= vf.Num_Frames(); ++n) {
            vf.Read_Frame(n);
            const auto& [pos, size] = whole[static_cast<size_t>(n - 1)];
            ASSERT_EQ(vf.Frame_Data_Size(), size);
            EXPECT_EQ(std::memcmp(vf.Frame_Data(), bytes.data() + pos, static_cast<size_t>(size)), 0) << n;
            // Time codes run on from the one given to ffmpeg.
            vf.Parse_DV_header();
            EXPECT_EQ(DV_Timecode_Text(), "10:20:30 frame: " + std::to_string(11 + n)) << n;
        }
    }
}

// The player asks for the picture's shape before it has drawn anything: the
// answer comes from the first frame, read for the purpose, in either system.
TEST_F(VideoFileDV, WideScreenRightAfterOpenAsFfprobeSaysAndAfterAnyFrame) {
    struct Case {
        bool ntsc;
        const char* aspect;
    };
    for (const Case c : {Case{false, "16:9"}, Case{true, "16:9"}, Case{false, "4:3"}, Case{true, "4:3"}}) {
        const bool wide = std::string(c.aspect) == "16:9";
        const std::string name = std::string("shape_") + (c.ntsc ? "ntsc" : "pal") + (wide ? "_wide" : "_43");
        SCOPED_TRACE(name);
        const std::string path = Make_DV(name, c.ntsc, 5, kPattern, c.aspect);
        ASSERT_EQ(Ffprobe(path).aspect, c.aspect) << "ffmpeg wrote the shape asked for";
        VF vf;
        ASSERT_TRUE(vf.Open_File(path));
        EXPECT_EQ(vf.Wide_Screen(), wide) << "right after the open, no frame read";
        EXPECT_EQ(vf.Frame_in_store(), 1);
        vf.Read_Frame(4);
        EXPECT_EQ(vf.Wide_Screen(), wide) << "with a later frame in store";
        EXPECT_EQ(vf.Buffered_Frame(), 4) << "the answer reads no other frame";
        // The next file on the same object answers for itself, not from the last one's frame.
        vf.Close_File();
        const std::string other = Make_DV(name + "_other", c.ntsc, 2, kPattern, wide ? "4:3" : "16:9");
        ASSERT_TRUE(vf.Open_File(other));
        EXPECT_EQ(vf.Wide_Screen(), !wide);
    }
}

// ---- "sdv" files ----

std::string Make_SDV(const std::string& name, const std::string& dv, int32_t samples, int16_t streams) {
    std::string record(64, '\0');
    std::memcpy(record.data(), "ORDV", 4);
    const int32_t start = 64;
    std::memcpy(record.data() + 4, &start, 4);
    std::memcpy(record.data() + 8, &samples, 4);
    std::memcpy(record.data() + 12, &streams, 2);
    std::string file = record;
    for (int32_t i = 0; i < samples * streams; ++i)
        file += dv.substr(static_cast<size_t>(i % 4) * kDV, kDV);
    const std::string path = test_env::make_dir("sdv_" + name) + "/" + name + ".sdv";
    test_env::write_file(path, file);
    return path;
}

TEST_F(VideoFileDV, SdvFileReadsWholeSamplesAndKeepsItsSelection) {
    const std::string dv = test_env::read_file(Make_DV("sdvsrc", false, 4));
    const std::string path = Make_SDV("two", dv, 2, 2);
    VF vf(3);
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(g_Player_File_Kind[3], 2);
    EXPECT_EQ(vf.Num_Frames(), 2);
    EXPECT_EQ(vf.Num_Video_streams(), 2);
    EXPECT_TRUE(vf.is_DV());
    vf.Read_Frame(2, 2);
    EXPECT_EQ(vf.Frame_Position(), 64 + 2 * static_cast<int64_t>(kDV) + 1);
    EXPECT_EQ(std::memcmp(vf.Frame_Data(), dv.data() + 2 * kDV, kDV), 0) << "the sample's first frame";
    cDIBSection into;
    into.Create(720, 576);
    int32_t frame = 1;
    vf.Draw_Frame(frame, nullptr, false, 1, into.hDC(), false);
    Expect_Upright(into, "sdv frame 1");
    vf.Selection_start(120);
    vf.Selection_end(-7);
    vf.Close_File();
    EXPECT_EQ(g_Player_File_Kind[3], 0);
    const std::string bytes = test_env::read_file(path);
    int16_t sel[2];
    std::memcpy(sel, bytes.data() + 16, 4);
    EXPECT_EQ(sel[0], 120);
    EXPECT_EQ(sel[1], -7);
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Selection_start(), 120);
    EXPECT_EQ(vf.Selection_end(), -7);
}

// ---- Damaged files ----

TEST_F(VideoFileDV, DamagedQf2FilesAreRefusedWithTheirReason) {
    heat_fixture::Normal_Mode normal;
    const std::string dv = test_env::read_file(Make_DV("damsrc", false, 4));
    const std::string good = Write_QF2("good", dv, 2);
    struct Case {
        const char* name;
        int64_t offset; // -1: cut the file to `value` bytes
        int32_t value;
        const char* reason; // empty: opens
    };
    const Case cases[] = {
        {"xml_too_long", 12, 200000, "Invalid XML length 200000"},
        {"xml_negative", 12, -5, "Invalid XML length -5"},
        {"xml_past_end", -1, 3000, "Invalid XML length"},
        {"header_len_huge", 4, 1 << 30, "Invalid header length 1073741824"},
        {"header_len_negative", 4, -100005, "Invalid header length -100005"},
        {"header_len_zero", 4, 0, "Invalid header length 0"},
        {"cut_in_frame", -1, 100005 + kDV + 5000, ""},
    };
    for (const Case& c : cases) {
        const std::string path = test_env::make_dir("qf2_dam_" + std::string(c.name)) + "/d.qf2";
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        if (c.offset >= 0)
            heat_fixture::Poke32(path, c.offset, c.value);
        else
            std::filesystem::resize_file(path, static_cast<uintmax_t>(c.value));
        normal.reports.clear();
        VF vf;
        const bool opened = vf.Open_File(path);
        if (*c.reason == 0) {
            EXPECT_TRUE(opened) << c.name;
            EXPECT_EQ(vf.Num_Frames(), 1) << c.name << ": only whole frames count";
            continue;
        }
        EXPECT_FALSE(opened) << c.name;
        EXPECT_FALSE(vf.File_open()) << c.name;
        ASSERT_EQ(normal.reports.size(), 1u) << c.name;
        EXPECT_EQ(normal.reports[0].location, "Get_QFN_header of Class Module cls_AVI_handler");
        EXPECT_NE(normal.reports[0].description.find(c.reason), std::string::npos)
            << c.name << ": " << normal.reports[0].description;
    }

    // A header naming no streams is closed again without a report; one naming
    // more than the sample can hold is refused.
    for (const int16_t streams : {int16_t{0}, int16_t{99}, int16_t{-1}}) {
        const std::string path = test_env::make_dir("qf2_streams_" + std::to_string(streams)) + "/s.qf2";
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        {
            VF w;
            ASSERT_TRUE(w.Open_File(path));
            w.Header().Streams_no(streams);
            w.Write_XML_Header();
        }
        normal.reports.clear();
        VF vf;
        EXPECT_FALSE(vf.Open_File(path)) << streams;
        EXPECT_FALSE(vf.File_open()) << streams;
        EXPECT_EQ(normal.reports.size(), streams == 0 ? 0u : 1u) << streams;
    }
}

TEST_F(VideoFileDV, DamagedDvFilesAreRefusedWithTheirReason) {
    heat_fixture::Normal_Mode normal;
    const std::string dv = test_env::read_file(Make_DV("damdv", false, 2));
    const std::string dir = test_env::make_dir("dv_damaged");
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    std::string bad_header = dv;
    bad_header[0] = 0x55;
    const Case cases[] = {
        {"zeros", std::string(300000, '\0'), "no DV data in the first 1001 bytes"},
        {"cut_in_header", dv.substr(0, 300), "DV frame cut off"},
        {"not_dv", bad_header, "no DV header"},
        {"half_frame", dv.substr(0, 60000), "no whole DV frame"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name + ".dv";
        test_env::write_file(path, c.bytes);
        test_env::dialogs().clear();
        VF vf;
        EXPECT_FALSE(vf.Open_File(path)) << c.name;
        EXPECT_FALSE(vf.File_open()) << c.name;
        const auto prompts = test_env::dialogs().prompts();
        ASSERT_EQ(prompts.size(), 1u) << c.name;
        EXPECT_NE(prompts[0].find(" Open error! "), std::string::npos) << prompts[0];
        EXPECT_NE(prompts[0].find(c.reason), std::string::npos) << c.name << ": " << prompts[0];
    }
}

TEST_F(VideoFileDV, DamagedSdvFilesAreRefusedWithTheirReason) {
    heat_fixture::Normal_Mode normal;
    const std::string dv = test_env::read_file(Make_DV("damsdv", false, 4));
    const std::string good = test_env::read_file(Make_SDV("damsdv", dv, 2, 1));
    struct Case {
        const char* name;
        size_t offset;
        int32_t value;
        int width;
        const char* reason;
    };
    for (const Case c : {Case{"no_record", 0, 0x41414141, 4, "no DV header record"},
                         Case{"streams_zero", 12, 0, 2, "Invalid number of streams 0"},
                         Case{"streams_many", 12, 99, 2, "Invalid number of streams 99"},
                         Case{"start_past_end", 4, 1 << 30, 4, "Invalid DV start 1073741824"},
                         Case{"start_negative", 4, -1, 4, "Invalid DV start -1"}}) {
        std::string bytes = good;
        std::memcpy(bytes.data() + c.offset, &c.value, static_cast<size_t>(c.width));
        const std::string path = test_env::make_dir(std::string("sdv_dam_") + c.name) + "/d.sdv";
        test_env::write_file(path, bytes);
        test_env::dialogs().clear();
        VF vf;
        EXPECT_FALSE(vf.Open_File(path)) << c.name;
        const auto prompts = test_env::dialogs().prompts();
        ASSERT_EQ(prompts.size(), 1u) << c.name;
        EXPECT_NE(prompts[0].find(c.reason), std::string::npos) << prompts[0];
    }
    // A frame count past the samples held is cut to them.
    std::string bytes = good;
    const int32_t many = 1000;
    std::memcpy(bytes.data() + 8, &many, 4);
    const std::string path = test_env::make_dir("sdv_dam_count") + "/d.sdv";
    test_env::write_file(path, bytes);
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Num_Frames(), 2);
}

TEST_F(VideoFileDV, DecoderRefusesWhatIsNoWholeDvFrame) {
    const std::string dv = test_env::read_file(Make_DV("decoder", false, 1));
    dv::Decoder d;
    dv::Picture pic;
    const auto* p = reinterpret_cast<const uint8_t*>(dv.data());
    ASSERT_TRUE(d.Decode(p, kDV, pic)) << d.last_error();
    EXPECT_EQ(pic.width, 720);
    EXPECT_EQ(pic.height, 576);
    EXPECT_EQ(pic.stride, 2160);
    EXPECT_EQ(pic.bits.size(), 2160u * 576);
    const std::vector<uint8_t> zeros(kDV, 0);
    struct Case {
        const uint8_t* bytes;
        size_t size;
        const char* reason;
    };
    for (const Case c :
         {Case{p, 100000, "Not a DV frame size"}, Case{p, 0, "Not a DV frame size"},
          Case{nullptr, kDV, "Not a DV frame size"}, Case{zeros.data(), kDV, "No DV header block"},
          Case{p, 120000, "names a frame of 144000 bytes"}}) {
        dv::Picture untouched;
        EXPECT_FALSE(d.Decode(c.bytes, c.size, untouched)) << c.reason;
        EXPECT_NE(d.last_error().find(c.reason), std::string::npos) << d.last_error();
        EXPECT_TRUE(untouched.bits.empty());
    }
}

// libdv's first pass over each 8x8 block's own bits sets every coefficient
// where the run of zeros before it leads, and goes on past the block's 64
// when the bits say so: over the block's bookkeeping, the next block's and,
// from the last block of a segment, the decoder's stack. Such blocks are cut
// to their DC term before libdv sees the frame; the rest decodes as it was.
TEST_F(VideoFileDV, DecoderCutsBlocksLibdvWouldReadPastTheirEnd) {
    // Code words of 61 zeros and a zero: the second leads past coefficient 63.
    const std::string run_61 = "1111110111101";
    const auto write_bits = [](std::string& bytes, size_t at, const std::string& bits) {
        for (size_t i = 0; i < bits.size(); ++i, ++at) {
            const auto mask = static_cast<char>(0x80 >> (at % 8));
            bytes[at / 8] = static_cast<char>(bits[i] == '1' ? bytes[at / 8] | mask : bytes[at / 8] & ~mask);
        }
    };
    for (const bool ntsc : {false, true}) {
        SCOPED_TRACE(ntsc ? "525/60" : "625/50");
        const size_t size = ntsc ? 120000 : 144000;
        // A busy picture, so that each block has coefficients to lose.
        const std::string good =
            test_env::read_file(Make_DV(ntsc ? "overrun_ntsc" : "overrun", ntsc, 1, "mandelbrot=s=%s:r=%s"));
        ASSERT_EQ(good.size(), size);
        dv::Decoder d;
        dv::Picture before, after;
        ASSERT_TRUE(d.Decode(reinterpret_cast<const uint8_t*>(good.data()), size, before)) << d.last_error();
        EXPECT_EQ(d.mended_blocks(), 0);
        // The code words of the second luminance block of the frame's first
        // video block (the 8th DIF block), and of the last colour-difference
        // block of its last one, whose area ends with the frame; and a
        // pattern that is no code word ("1111110" and a run of 0 with no
        // amplitude), which libdv's first pass takes as a jump of 254 bits
        // out of the block, at the start of the first block of the 9th.
        std::string bad = good;
        write_bits(bad, (7 * 80 + 18) * 8 + 12, run_61 + run_61 + run_61 + run_61 + run_61 + run_61 + run_61);
        write_bits(bad, (size - 10) * 8 + 12, run_61 + run_61 + run_61 + run_61 + run_61);
        write_bits(bad, (8 * 80 + 4) * 8 + 12, "1111110000000");
        ASSERT_TRUE(d.Decode(reinterpret_cast<const uint8_t*>(bad.data()), size, after)) << d.last_error();
        EXPECT_EQ(d.mended_blocks(), 3);
        ASSERT_EQ(after.bits.size(), before.bits.size());
        // Only the macroblocks of those two video segments may change: two
        // times five of 256 pixels.
        size_t changed = 0;
        for (size_t i = 0; i < before.bits.size(); i += 3)
            changed += std::memcmp(&before.bits[i], &after.bits[i], 3) != 0;
        EXPECT_GT(changed, 0u);
        EXPECT_LE(changed, 2u * 5 * 256);
    }
}

TEST_F(VideoFileDV, RecentPicturesAreTheirOwnFramesDecodedOnce) {
    const std::string a = test_env::read_file(Make_DV("recent_a", false, 1));
    const std::string b = test_env::read_file(Make_DV("recent_b", false, 1, "color=c=blue:s=%s:r=%s"));
    std::string a2 = a;
    a2[80 * 60 + 20] ^= 0x5A; // a byte of a video block of the first DIF sequence
    const auto bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
    dv::Decoder d;
    const auto direct = [&](const std::string& s) {
        dv::Picture pic;
        EXPECT_TRUE(d.Decode(bytes(s), kDV, pic)) << d.last_error();
        return pic.bits;
    };
    dv::Recent_Pictures recent(2);
    const dv::Picture* pa = recent.Decode(d, bytes(a), kDV);
    ASSERT_NE(pa, nullptr);
    EXPECT_EQ(pa->bits, direct(a));
    const dv::Picture* pb = recent.Decode(d, bytes(b), kDV);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->bits, direct(b));
    EXPECT_NE(pa->bits, pb->bits) << "each frame keeps its own picture";
    EXPECT_EQ(recent.Decode(d, bytes(a), kDV), pa) << "the same bytes again: the kept picture";
    // One byte apart is another frame: it takes the place used longest ago (b's).
    const dv::Picture* p2 = recent.Decode(d, bytes(a2), kDV);
    ASSERT_EQ(p2, pb);
    EXPECT_EQ(p2->bits, direct(a2));
    EXPECT_EQ(recent.Decode(d, bytes(a), kDV), pa);
    EXPECT_EQ(pa->bits, direct(a));
    // A refused frame leaves the kept pictures as they were.
    const std::vector<uint8_t> zeros(kDV, 0);
    EXPECT_EQ(recent.Decode(d, zeros.data(), kDV), nullptr);
    EXPECT_EQ(recent.Decode(d, bytes(a2), kDV), p2);
    EXPECT_EQ(recent.Decode(d, bytes(b), kDV)->bits, direct(b));
}

// ---- One object for every kind ----

TEST_F(VideoFileDV, EachKindInTurnOnOneObjectShowsNothingOfTheLast) {
    const std::string dv_path = Make_DV("kinds", false, 4);
    const std::string dv = test_env::read_file(dv_path);
    const std::string qf2 = Write_QF2("kinds", dv, 3);
    const std::string sdv = Make_SDV("kinds", dv, 2, 1);
    const std::string ntsc = Make_DV("kinds_ntsc", true, 2);
    const std::string qf3 = test_env::make_dir("kinds_qf3") + "/kinds.qf3";
    {
        std::string error;
        ASSERT_TRUE(make_heat::Make_Heat(heat_fixture::Small_Recipe(qf3), 6, &error)) << error;
    }
    const std::string avi = test_env::make_dir("kinds_avi") + "/kinds.avi";
    std::string out;
    ASSERT_EQ(test_env::run("ffmpeg -v error -y -f lavfi -i testsrc=s=64x48:r=25 -frames:v 7 -c:v rawvideo "
                            "-pix_fmt bgr24 '" +
                                avi + "' 2>&1",
                            &out),
              0)
        << out;
    struct Kind {
        std::string path;
        bool avi;
        int32_t frames, width, height;
        bool ntsc;
    };
    const Kind kinds[] = {{qf3, false, 6, 64, 48, false},   {qf2, false, 3, 720, 576, false},
                          {ntsc, false, 2, 720, 480, true}, {sdv, false, 2, 720, 576, false},
                          {avi, true, 7, 64, 48, false},    {dv_path, false, 4, 720, 576, false},
                          {qf3, false, 6, 64, 48, false}};
    VF vf;
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.path);
        ASSERT_TRUE(k.avi ? vf.Open_AVI_File(k.path) : vf.Open_File(k.path));
        // Nothing read yet: none of the last file's frame, sample or index shows.
        EXPECT_EQ(vf.Frame_Data(), nullptr);
        EXPECT_EQ(vf.Buffered_Frame(), 0);
        EXPECT_EQ(vf.Frame_Position(), 0);
        EXPECT_EQ(vf.Capture_mill_time(), 0);
        EXPECT_EQ(vf.DV_Extra_Offset(), 0);
        EXPECT_EQ(vf.Has_Model(), 0);
        EXPECT_EQ(vf.Chunk_Address(7) != 0, k.avi);
        EXPECT_EQ(vf.Index_Collection().size(), k.avi ? static_cast<size_t>(k.frames) : 0u);
        if (k.path != qf3) {
            EXPECT_EQ(vf.Current_Sample(), 0);
            EXPECT_EQ(vf.QF3_Capture_mill(), 0);
        }
        EXPECT_EQ(vf.Num_Frames(), k.frames);
        EXPECT_EQ(vf.Width(), k.width);
        EXPECT_EQ(vf.Height(), k.height);
        EXPECT_EQ(vf.NTSC(), k.ntsc);
        // Read its last frame, so the next file has something to forget.
        if (k.path == qf3)
            vf.Read_RGB_sample(k.frames, true);
        else
            vf.Read_Frame(k.frames, 1);
    }
}

} // namespace
