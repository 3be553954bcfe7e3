// Heat files on the reading side: the bytes against the layout (checked by an
// outside script), samples and their times read back, damaged files refused
// with their reason, and the facts of the open file.
#include "Cls_XML_header.h"
#include "DIB_Canvas.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "Module_dependant.h"
#include "Module_trace.h"
#include "QF3_format.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using heat_fixture::Check_QF3;
using heat_fixture::Small_Recipe;

std::string Make(const std::string& name, int32_t frames, int32_t slot = 6000, int32_t w = 64,
                 int32_t h = 48) {
    const std::string path = test_env::make_dir("qf3_" + name) + "/" + name + ".qf3";
    make_heat::Heat_Recipe recipe = Small_Recipe(path, slot);
    recipe.width = w;
    recipe.height = h;
    std::string error;
    EXPECT_TRUE(make_heat::Make_Heat(recipe, frames, &error)) << error;
    return path;
}

void Poke(const std::string& path, int64_t offset, const void* bytes, size_t n) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(n));
}

// Peak signal-to-noise ratio of two bitmaps of one size, in dB.
double Psnr(const cDIBSection& a, const cDIBSection& b) {
    double sum = 0;
    int64_t n = 0;
    for (int32_t row = 0; row < a.Height(); ++row) {
        const uint8_t* pa = a.DIBSectionBitsPtr() + static_cast<int64_t>(row) * a.BytesPerScanLine();
        const uint8_t* pb = b.DIBSectionBitsPtr() + static_cast<int64_t>(row) * b.BytesPerScanLine();
        for (int32_t i = 0; i < a.Width() * 3; ++i, ++n)
            sum += (pa[i] - pb[i]) * double(pa[i] - pb[i]);
    }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(n)));
}

struct VideoFileQf3Read : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override { test_env::dialogs().clear(); }
};

TEST_F(VideoFileQf3Read, GoldenBytesOfEmptyAndThreeFrameFiles) {
    std::string out;
    const std::string empty = Make("empty", 0);
    ASSERT_EQ(Check_QF3(empty, "--frames 0", &out), 0) << out;
    EXPECT_NE(out.find("size=32016"), std::string::npos) << out;

    const std::string three = Make("three", 3, 6000);
    ASSERT_EQ(Check_QF3(three, "--frames 3 --slot 6000 --segments 1", &out), 0) << out;
    EXPECT_NE(out.find("size=50184"), std::string::npos) << out;
    EXPECT_NE(out.find("sample3=44128"), std::string::npos) << out;
    EXPECT_NE(out.find("sample_size=6056"), std::string::npos) << out;
}

TEST_F(VideoFileQf3Read, SamplesReadBackWithTheirTimesAndPictures) {
    const std::string path = Make("five", 5);
    const make_heat::Heat_Recipe recipe = Small_Recipe(path);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Num_Frames(), 5);
    EXPECT_EQ(vf.Width(), 64);
    EXPECT_EQ(vf.Height(), 48);
    EXPECT_EQ(vf.Num_fields(), 10);
    EXPECT_EQ(vf.mill_per_frame(), 40);
    EXPECT_EQ(vf.Clip_length(), 200);
    EXPECT_EQ(vf.Current_Sample(), 5); // the pre-reads leave the last sample current
    cDIBSection expected;
    expected.Create(64, 48);
    for (int32_t n = 1; n <= 5; ++n) {
        vf.Read_RGB_sample(n, true);
        EXPECT_EQ(vf.QF3_Capture_mill(), make_heat::Capture_Mill_Of(recipe, n));
        EXPECT_EQ(vf.QF3_Capture_local(),
                  recipe.start_local_mill + make_heat::Capture_Mill_Of(recipe, n) - recipe.start_pc_mill);
        EXPECT_EQ(vf.Capture_HDMI_events(), n);
        EXPECT_EQ(vf.QF3_Compression_Quality(), 80);
        EXPECT_EQ(vf.Rounded_Capture_Time(), Round_To_Multiple(vf.QF3_Capture_mill(), 40) - 10);
        make_heat::Fill_Synthetic_Frame(expected, n, false);
        ASSERT_EQ(vf.Sample_Pixels(), vf.Decoded_Frame().DIBSectionBitsPtr());
        EXPECT_GT(Psnr(vf.Decoded_Frame(), expected), 22) << n; // quality 80, sharp lane lines
    }
    // Beyond the end: nothing changes, nothing is reported.
    vf.Read_RGB_sample(6, true);
    EXPECT_EQ(vf.Current_Sample(), 5);
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
}

TEST_F(VideoFileQf3Read, ReadingTheCurrentSampleAgainDecodesItWhenAsked) {
    const std::string path = Make("again", 3);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    ASSERT_EQ(vf.Current_Sample(), 3);
    EXPECT_EQ(vf.Sample_Pixels(), nullptr); // read at open without decoding
    vf.Read_RGB_sample(3, true);
    ASSERT_NE(vf.Sample_Pixels(), nullptr);
    cDIBSection expected;
    expected.Create(64, 48);
    make_heat::Fill_Synthetic_Frame(expected, 3, false);
    EXPECT_GT(Psnr(vf.Decoded_Frame(), expected), 22);

    // Sample 0 reads sample 1 and says so in the event log.
    vf.Read_RGB_sample(0, false);
    EXPECT_EQ(vf.Current_Sample(), 1);
    const std::string log = test_env::read_file(Get_Local_AppData_Folder() + "/Tidewick_eventlog.txt");
    EXPECT_NE(log.find("!!! FNum 0->1 File: " + path), std::string::npos);
}

TEST_F(VideoFileQf3Read, CutPictureOfASampleIsToldAndTheLastFrameStays) {
    const std::string path = Make("cut", 3);
    constexpr int64_t kRecord = 6000 + 56;
    const int64_t length_at = 32016 + kRecord + 30; // JPEG length of sample 2
    int32_t length = 0;
    {
        std::ifstream f(path, std::ios::binary);
        f.seekg(length_at);
        f.read(reinterpret_cast<char*>(&length), 4);
    }
    ASSERT_GT(length, 100);
    heat_fixture::Poke32(path, length_at, length / 2);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.Read_RGB_sample(1, true);
    cDIBSection first;
    first.Create(64, 48);
    std::memcpy(first.DIBSectionBitsPtr(), vf.Decoded_Frame().DIBSectionBitsPtr(),
                static_cast<size_t>(first.SizeImage()));
    test_env::dialogs().clear();
    vf.Read_RGB_sample(2, true);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Cannot read Image Data from file."});
    EXPECT_EQ(Psnr(vf.Decoded_Frame(), first), 99) << "the frame shown before stays, not half grey";
    vf.Read_RGB_sample(3, true);
    cDIBSection third;
    third.Create(64, 48);
    make_heat::Fill_Synthetic_Frame(third, 3, false);
    EXPECT_GT(Psnr(vf.Decoded_Frame(), third), 22) << "the next whole sample decodes";
}

// The header block with its frame count replaced, the XML length kept true.
void Set_Header_Frames(const std::string& path, int32_t from, int32_t to) {
    std::string bytes = test_env::read_file(path);
    int32_t xml_length = 0;
    std::memcpy(&xml_length, bytes.data() + 8, 4);
    std::string xml = bytes.substr(12, static_cast<size_t>(xml_length));
    const std::string old_text = "<num_frames>" + std::to_string(from) + "</num_frames>";
    const size_t at = xml.find(old_text);
    ASSERT_NE(at, std::string::npos);
    xml.replace(at, old_text.size(), "<num_frames>" + std::to_string(to) + "</num_frames>");
    ASSERT_LE(xml.size(), 32000u);
    std::string field(32000, '\0');
    field.replace(0, xml.size(), xml);
    const int32_t new_length = static_cast<int32_t>(xml.size());
    Poke(path, 8, &new_length, 4);
    Poke(path, 12, field.data(), field.size());
}

TEST_F(VideoFileQf3Read, HeaderFrameCountIsBoundToTheWholeRecordsHeld) {
    struct Case {
        int32_t header, opened;
        int64_t cut; // bytes cut off the end
        bool logged;
    };
    const Case cases[] = {{999999, 5, 0, true}, {5, 5, 0, false}, {3, 3, 0, false}, {5, 4, 100, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.header) + " cut " + std::to_string(c.cut));
        const std::string path = Make("bound" + std::to_string(c.header) + "_" + std::to_string(c.cut), 5);
        Set_Header_Frames(path, 5, c.header);
        if (c.cut) std::filesystem::resize_file(path, std::filesystem::file_size(path) - c.cut);
        const std::string log_path = Get_Local_AppData_Folder() + "/Tidewick_eventlog.txt";
        const size_t log_before = test_env::read_file(log_path).size();
        cls_VideoFile_handler vf;
        ASSERT_TRUE(vf.Open_File(path));
        EXPECT_EQ(vf.Num_Frames(), c.opened);
        EXPECT_EQ(vf.Num_fields(), 2 * c.opened);
        const std::string logged = test_env::read_file(log_path).substr(log_before);
        EXPECT_EQ(logged.find("header says " + std::to_string(c.header) + " frames, the file holds " +
                              std::to_string(c.opened) + " whole records") != std::string::npos,
                  c.logged)
            << logged;
    }
}

TEST_F(VideoFileQf3Read, DecodedBitmapFollowsEveryChangeOfFrameSize) {
    const std::string a = Make("size_a", 2, 6000, 64, 48);
    const std::string b = Make("size_b", 2, 9000, 64, 96);
    cls_VideoFile_handler vf;
    EXPECT_EQ(vf.DIB_sizes(), "0,0 0,0") << "no frame is made before a file says its size";
    EXPECT_EQ(vf.Display_HDC(), nullptr);
    ASSERT_TRUE(vf.Open_File(a));
    EXPECT_EQ(vf.DIB_sizes(), "0,0 0,0") << "nor by an open that reads no picture";
    ASSERT_NE(vf.Display_HDC(), nullptr);
    EXPECT_EQ(gdi::SurfaceWidth(vf.Display_HDC()), 64);
    DIB_Canvas picture(64, 96);
    int32_t field = 1;
    vf.Draw_RGB_Field(field, picture);
    EXPECT_EQ(vf.DIB_sizes(), "64,48 64,48");
    // The same size again: the bitmaps of the last file serve, none is made
    // (a new one would come cleared).
    vf.DV_Field_Picture(1).DIBSectionBitsPtr()[0] = 77;
    gdi::SetPixel(vf.Display_HDC(), 1, 1, gdi::RGB(10, 20, 30));
    vf.Close_File();
    EXPECT_EQ(vf.Display_HDC(), nullptr) << "no display without a file";
    ASSERT_TRUE(vf.Open_File(a));
    EXPECT_EQ(vf.DV_Field_Picture(1).DIBSectionBitsPtr()[0], 77);
    EXPECT_EQ(gdi::GetPixel(vf.Display_HDC(), 1, 1), gdi::RGB(10, 20, 30));
    ASSERT_TRUE(vf.Open_File(b)); // same width, other height
    vf.Draw_RGB_Field(field, picture);
    EXPECT_EQ(vf.Decoded_Frame().Height(), 96);
    EXPECT_EQ(vf.DIB_sizes(), "64,96 64,96");
    EXPECT_EQ(gdi::SurfaceHeight(vf.Display_HDC()), 96);
}

// A damaged file gives its reason; nothing is read past a buffer (the suite
// also runs under AddressSanitizer).
struct Damage {
    const char* name;
    int64_t offset; // where the bad value goes; -1: truncate to `value` bytes
    int32_t value;
    int32_t sample; // 0: the open fails; n: reading sample n fails
    const char* reason;
};

constexpr int64_t kRec1 = qf3::kBlock_Size;
constexpr int64_t kRec2 = qf3::kBlock_Size + 6056;
constexpr int64_t kRec3 = qf3::kBlock_Size + 2 * 6056;

const Damage kDamages[] = {
    {"block cut short", -1, 20000, 0, "cut short"},
    {"XML length negative", 8, -5, 0, "text length -5"},
    {"XML length too large", 8, 40000, 0, "text length 40000"},
    {"XML length zero", 8, 0, 0, "text length 0"},
    {"XML text damaged", 12, 0x3c3c3c3c, 0, "damaged header"},
    {"slot of sample 1 negative", kRec1 + 44, -6000, 0, "damaged slot size -6000"},
    {"slot of sample 1 huge", kRec1 + 44, 0x7fffffff, 0, "damaged slot size"},
    {"slot of sample 1 zero", kRec1 + 44, 0, 0, "damaged slot size 0"},
    {"slot of sample 2 other", kRec2 + 44, 5000, 2, "the file's records 6056"},
    {"slot of sample 2 negative", kRec2 + 44, -1, 2, "damaged slot size -1"},
    {"JPEG length too large", kRec2 + 30, 6001, 2, "damaged picture length 6001"},
    {"JPEG length negative", kRec2 + 30, -20, 2, "damaged picture length -20"},
    {"JPEG length zero", kRec2 + 30, 0, 2, "damaged picture length 0"},
    {"last record cut short", -1, static_cast<int32_t>(kRec3 + 3000), 3, "cut short"},
};

TEST_F(VideoFileQf3Read, DamagedFilesGiveTheirReason) {
    for (const Damage& d : kDamages) {
        SCOPED_TRACE(d.name);
        const std::string path = Make("damaged", 3);
        if (d.offset < 0)
            std::filesystem::resize_file(path, static_cast<uintmax_t>(d.value));
        else
            heat_fixture::Poke32(path, d.offset, d.value);
        cls_VideoFile_handler vf;
        try {
            ASSERT_TRUE(vf.Open_File(path));
            ASSERT_NE(d.sample, 0) << "opened";
            vf.Read_RGB_sample(1, false);
            vf.Read_RGB_sample(d.sample, true);
            ADD_FAILURE() << "no error";
        } catch (const vb::VbError& e) {
            EXPECT_NE(e.description().find(d.reason), std::string::npos) << e.description();
        }
    }
}

TEST_F(VideoFileQf3Read, DamagedFilesInTheNormalModeAreToldAndNotOpened) {
    heat_fixture::Normal_Mode normal;
    const std::string path = Make("damaged_normal", 3);
    heat_fixture::Poke32(path, 8, 40000);
    cls_VideoFile_handler vf;
    EXPECT_FALSE(vf.Open_File(path));
    EXPECT_FALSE(vf.File_open());
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].location, "Open_file of Class Module Class_RGB_file_handler");
    EXPECT_NE(normal.reports[0].description.find("text length 40000"), std::string::npos);

    // A damaged picture inside a readable file: the decoder says it cannot read it.
    const std::string junk = Make("junk_picture", 3);
    const std::string noise(100, '\x42');
    Poke(junk, kRec2 + 52, noise.data(), noise.size());
    normal.reports.clear();
    test_env::dialogs().clear();
    ASSERT_TRUE(vf.Open_File(junk));
    vf.Read_RGB_sample(2, true);
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0], "Failed to read JPG");
    // A truncated last record: the heat opens with its whole records, and a
    // read of the cut one reports.
    const std::string cut = Make("cut_normal", 3);
    std::filesystem::resize_file(cut, static_cast<uintmax_t>(kRec3 + 100));
    normal.reports.clear();
    ASSERT_TRUE(vf.Open_File(cut));
    EXPECT_TRUE(normal.reports.empty());
    EXPECT_EQ(vf.Num_Frames(), 2);
    vf.Read_RGB_sample(3, true);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].location, "Read_RGB_sample of Class Module Class_RGB_file_handler");
    vf.Read_RGB_sample(2, true);
    EXPECT_EQ(vf.Current_Sample(), 2);
}

TEST_F(VideoFileQf3Read, OpenRefusesWhatIsNoHeatFile) {
    heat_fixture::Normal_Mode normal;
    const std::string dir = test_env::make_dir("qf3_open");
    cls_VideoFile_handler vf;
    EXPECT_FALSE(vf.Open_File(dir + "/missing.qf3"));
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    test_env::write_file(dir + "/short.qf3", std::string(99, 'x'));
    EXPECT_FALSE(vf.Open_File(dir + "/short.qf3"));
    test_env::write_file(dir + "/other.txt", std::string(200, 'x'));
    EXPECT_FALSE(vf.Open_File(dir + "/other.txt"));
    const std::string good = Make("upper", 2);
    const std::string upper = dir + "/upper.QF3";
    std::filesystem::copy_file(good, upper);
    EXPECT_FALSE(vf.Open_File(upper)); // passes the suffix check, matches no kind
    EXPECT_FALSE(vf.File_open());
    const std::vector<std::string> expected = {"Corrupt file, (Invalid file length)",
                                               "cls_AVI_handler can't open this file type! " + dir +
                                                   "/other.txt"};
    EXPECT_EQ(test_env::dialogs().prompts(), expected);
}

TEST_F(VideoFileQf3Read, HeaderTooLongForItsFieldIsRefusedAndTheBlockKept) {
    const std::string path = Make("long", 2);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.Heat_result(1, 3, 61230);
    vf.Write_XML_Header();
    const std::string before = test_env::read_file(path);
    vf.Heat_comment(1, std::string(33000, 'a'));
    try {
        vf.Write_XML_Header();
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 59);
        EXPECT_NE(e.description().find("left as it was"), std::string::npos);
    }
    {
        heat_fixture::Normal_Mode normal;
        vf.Write_XML_Header();
        ASSERT_EQ(normal.reports.size(), 1u);
        EXPECT_EQ(normal.reports[0].location, "Write_QF3_header of Class Module cls_VideoFile_handler");
    }
    vf.Close_File();
    EXPECT_EQ(test_env::read_file(path), before);
    cls_VideoFile_handler again;
    ASSERT_TRUE(again.Open_File(path));
    EXPECT_EQ(again.Heat_result(1, 3), 61230);
}

TEST_F(VideoFileQf3Read, PropertiesOfFilesWithAndWithoutFrames) {
    const std::string empty = Make("props_empty", 0);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(empty));
    const std::string none = vf.QF3_Properties();
    EXPECT_NE(none.find("Frames : 0\r\n"), std::string::npos) << none;
    EXPECT_NE(none.find("Average frame size : 0 kB"), std::string::npos) << none;

    const std::string three = Make("props_three", 3);
    ASSERT_TRUE(vf.Open_File(three));
    const std::string p = vf.QF3_Properties();
    EXPECT_EQ(p.substr(0, 20), "File size: 0 MB\r\nAve");
    EXPECT_NE(p.find("Average frame size : 16.3359375 kB\r\n"), std::string::npos)
        << p; // Int(50184 / 3) / 1024
    EXPECT_NE(p.find("Frames : 3\r\nSegments : 1\r\nRotated : False\r\nDimensions : 64*48\r\n"),
              std::string::npos)
        << p;
    EXPECT_NE(p.find("Fourcc : IJL\r\nCodec : Intel\r\nBase Quality : 80\r\n"), std::string::npos) << p;
    EXPECT_NE(p.find("Interlaced : True\r\n"), std::string::npos) << p;
}

TEST_F(VideoFileQf3Read, PrereadCountsPercentRightPastTwentyMegabytes) {
    const std::string path = Make("preread", 2);
    std::filesystem::resize_file(path, 25u * 1048576u);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    std::vector<int16_t> pct;
    vf.Prereadpct = [&](int16_t p) { pct.push_back(p); };
    vf.Preread_File();
    ASSERT_EQ(pct.size(), 25u);
    EXPECT_EQ(pct.front(), 4);
    EXPECT_EQ(pct[20], 84);
    EXPECT_EQ(pct.back(), 100);
}

TEST_F(VideoFileQf3Read, WholeFileReadIntoMemoryWhenAsked) {
    const std::string path = Make("memory", 2);
    cls_VideoFile_handler vf;
    std::vector<std::string> events;
    vf.StartPreread = [&] { events.push_back("start"); };
    vf.EndPreread = [&] { events.push_back("end"); };
    vf.Read_to_Memory(true);
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(events, (std::vector<std::string>{"start", "end"}));
}

TEST_F(VideoFileQf3Read, HeatsPastTwoGigabytesAndPast32767FramesReadToTheirEnd) {
    const std::string path = Make("big", 3);
    const int32_t last = 400000; // at 6056 bytes a record, sample 400000 lies past 2 GiB
    const int64_t offset = qf3::Sample_Offset(last, 6056);
    ASSERT_GT(offset, int64_t{1} << 31);
    std::string record = test_env::read_file(path).substr(static_cast<size_t>(kRec3), 6056);
    const int32_t mill = 987654;
    std::memcpy(&record[8], &mill, 4);
    std::filesystem::resize_file(path, static_cast<uintmax_t>(offset)); // sparse: no disk used
    Poke(path, offset, record.data(), record.size());
    {
        cls_VideoFile_handler vf;
        ASSERT_TRUE(vf.Open_File(path));
        std::string xml = vf.XML_Header_string();
        const size_t at = xml.find("<num_frames>3</num_frames>");
        ASSERT_NE(at, std::string::npos);
        xml.replace(at, 26, "<num_frames>400000</num_frames>");
        vf.XML_Header_string(xml);
        vf.Write_XML_Header();
        vf.Close_File();
    }
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_EQ(vf.Num_Frames(), last);
    EXPECT_EQ(vf.QF3_Num_Frames(), last);
    EXPECT_EQ(vf.RGB_video_adress(last), offset + 1);
    EXPECT_EQ(vf.Current_Sample(), last);
    EXPECT_EQ(vf.QF3_Capture_mill(), mill);
    vf.Read_RGB_sample(last, true);
    EXPECT_NE(vf.Sample_Pixels(), nullptr);
    EXPECT_EQ(vf.QF3_Num_fields(), 2 * last); // field counts are 32-bit
}

TEST_F(VideoFileQf3Read, RenameNeverReplacesAndSaysWhenTheMoveFails) {
    heat_fixture::Normal_Mode normal;
    const std::string path = Make("rename", 2);
    const std::string dir = path.substr(0, path.rfind('/') + 1);
    test_env::write_file(dir + "taken.qf3", "keep me");
    cls_VideoFile_handler vf;
    ASSERT_TRUE(vf.Open_File(path));
    g_Captures_Stopped = false;
    EXPECT_FALSE(vf.rename_file("taken.qf3"));
    EXPECT_TRUE(g_Captures_Stopped);
    EXPECT_EQ(test_env::dialogs().prompts().back(), "New file already exists!");
    EXPECT_EQ(test_env::read_file(dir + "taken.qf3"), "keep me");
    g_Captures_Stopped = false;

    EXPECT_FALSE(vf.rename_file("no_such_folder/x.qf3"));
    EXPECT_TRUE(vf.File_open());
    EXPECT_EQ(vf.File_name(), path);

    EXPECT_TRUE(vf.rename_file("renamed.qf3"));
    EXPECT_EQ(vf.File_name(), dir + "renamed.qf3");
    EXPECT_TRUE(vf.File_open());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(vf.Num_Frames(), 2);
}

TEST_F(VideoFileQf3Read, SampleSizeCheckFindsAMismatch) {
    const std::string path = Make("analyze", 3);
    cls_VideoFile_handler vf;
    vf.Analyze_Sample_Length(path);
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    {
        cls_VideoFile_handler w;
        ASSERT_TRUE(w.Open_File(path));
        w.RGB_Sample_Size(7000);
        w.Write_XML_Header();
    }
    vf.Analyze_Sample_Length(path);
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0], "sample size missmatch!");
    // The reader goes by the records, not by the damaged header figure.
    cls_VideoFile_handler r;
    ASSERT_TRUE(r.Open_File(path));
    r.Read_RGB_sample(2, true);
    EXPECT_EQ(r.Current_Sample(), 2);
}

} // namespace
