// Heat files on the writing side, in the capture window's order: creation,
// heat start, capture runs appended and closed, and what the writer refuses.
#include "Cls_XML_header.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "QF3_format.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace {

using heat_fixture::Check_QF3;
using heat_fixture::Small_Recipe;

struct VideoFileQf3Write : ::testing::Test {
    heat_fixture::Development_Mode dev;
    void SetUp() override {
        test_env::dialogs().clear();
        g_Captures_Stopped = false;
    }
    std::string Path(const std::string& name) {
        return test_env::make_dir("write_" + name) + "/" + name + ".qf3";
    }
};

TEST_F(VideoFileQf3Write, CaptureOrderRunTwiceGivesOneFileOfBothRuns) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("twice"));
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    EXPECT_EQ(make_heat::Capture_Run(vf, recipe, 1, 50), 50);
    make_heat::Heat_Start(vf, recipe);
    EXPECT_EQ(make_heat::Capture_Run(vf, recipe, 51, 20), 20);

    const std::string dump = test_env::make_dir("write_twice_jpegs");
    std::string out;
    ASSERT_EQ(Check_QF3(recipe.path, "--frames 70 --segments 2 --slot 6000 --dump " + dump, &out), 0) << out;
    EXPECT_NE(out.find("size=" + std::to_string(32016 + 70 * 6056)), std::string::npos) << out;
    // ffmpeg reads every picture the file holds.
    std::string err;
    ASSERT_EQ(test_env::run("ffmpeg -v error -i '" + dump + "/sample%04d.jpg' -f null - 2>&1", &err), 0)
        << err;
    EXPECT_TRUE(err.empty()) << err;
    std::string frames;
    test_env::run(
        "ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 '" +
            dump + "/sample%04d.jpg'",
        &frames);
    EXPECT_EQ(frames.substr(0, 2), "70");

    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Num_Frames(), 70);
    EXPECT_EQ(rd.Segments_Num(), 2);
    EXPECT_EQ(rd.Header().RGB_Sample_Size(), 6056);
    EXPECT_EQ(rd.Measured_fps(), 25);
    EXPECT_EQ(rd.Start_PC_Mill_time(1), recipe.start_pc_mill);
    EXPECT_EQ(rd.Event_name(), recipe.event_name);
    EXPECT_EQ(rd.Lane_count(), 9);
    for (int32_t n = 1; n <= 70; ++n) {
        rd.Read_RGB_sample(n, n % 10 == 0);
        ASSERT_EQ(rd.Current_Sample(), n);
        EXPECT_EQ(rd.QF3_Capture_mill(), make_heat::Capture_Mill_Of(recipe, n));
        EXPECT_EQ(rd.Capture_HDMI_events(), n);
    }
    EXPECT_LE(rd.Largest_JPG(), 6000);
    EXPECT_GT(rd.Smallest_JPG(), 0);
    EXPECT_LE(rd.Smallest_JPG(), rd.Largest_JPG());
}

TEST_F(VideoFileQf3Write, CreationNeverReusesAnExistingFile) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("exists"));
    std::string error;
    ASSERT_TRUE(make_heat::Make_Heat(recipe, 3, &error)) << error;
    const std::string before = test_env::read_file(recipe.path);
    cls_VideoFile_handler vf;
    EXPECT_FALSE(make_heat::New_Heat_File(vf, recipe));
    EXPECT_FALSE(vf.File_open());
    EXPECT_TRUE(g_Captures_Stopped);
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0].rfind("File error! Check capture folder! \r\n58 ", 0), 0u);
    EXPECT_EQ(test_env::read_file(recipe.path), before);
}

TEST_F(VideoFileQf3Write, LaterRunsKeepTheSlotSizeOfTheFile) {
    make_heat::Heat_Recipe recipe = Small_Recipe(Path("slot"), 6000);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    make_heat::Capture_Run(vf, recipe, 1, 3);
    recipe.slot_size = 9000; // a later heat start asks for another slot
    make_heat::Heat_Start(vf, recipe);
    make_heat::Capture_Run(vf, recipe, 4, 2);
    cls_VideoFile_handler other; // as a new capture window would
    make_heat::Capture_Run(other, recipe, 6, 1);
    std::string out;
    EXPECT_EQ(Check_QF3(recipe.path, "--frames 6 --segments 3 --slot 6000", &out), 0) << out;
}

TEST_F(VideoFileQf3Write, OneFrameOpeningsCountAndStayReadable) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("single"));
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    make_heat::Capture_Run(vf, recipe, 1, 1);
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Num_Frames(), 1);
    EXPECT_EQ(rd.Header().RGB_Sample_Size(), 0); // one record: nothing measured yet
    make_heat::Capture_Run(vf, recipe, 2, 1);    // and another single-frame run
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Num_Frames(), 2);
    rd.Read_RGB_sample(1, true);
    rd.Read_RGB_sample(2, true);
    EXPECT_EQ(rd.QF3_Capture_mill(), make_heat::Capture_Mill_Of(recipe, 2));
    make_heat::Capture_Run(vf, recipe, 3, 2);
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Header().RGB_Sample_Size(), 6000 + 56);
}

TEST_F(VideoFileQf3Write, PicturesLongerThanTheSlotAreLeftOut) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("too_long"), 6000);
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    vf.Open_RGB_File();
    vf.Position_at_End();
    std::vector<uint8_t> jpeg(8000, 0xAB);
    jpeg[0] = 0xFF;
    jpeg[1] = 0xD8;
    vf.Append_Compressed_RGB_Frame(1, 100040, 40, 80, 6001, jpeg.data(), 1);
    vf.Append_Compressed_RGB_Frame(1, 100080, 40, 80, -1, jpeg.data(), 2);
    vf.Close_File();
    EXPECT_EQ(std::filesystem::file_size(recipe.path), 32016u);
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Num_Frames(), 0);
}

TEST_F(VideoFileQf3Write, AppendingWithNoOpenFileMarksTheCapturesStoppedAndReports) {
    heat_fixture::Normal_Mode normal;
    cls_VideoFile_handler vf;
    vf.File_name(Path("closed"));
    std::vector<uint8_t> jpeg(100, 0);
    vf.Append_Compressed_RGB_Frame(1, 2, 3, 80, 100, jpeg.data(), 1);
    EXPECT_TRUE(g_Captures_Stopped);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].location,
              "Append_Compressed_RGB_Frame of Class Module cls_VideoFile_handler");
}

// Frames handed over as pixels: the writer compresses them itself.
struct Captured {
    std::vector<std::unique_ptr<cDIBSection>> pictures;
    std::vector<Captured_Frame> frames;
    void Add(int32_t w, int32_t h, bool noise, int32_t n) {
        auto dib = std::make_unique<cDIBSection>();
        dib->Create(w, h);
        if (noise) {
            std::mt19937 rng(static_cast<uint32_t>(n));
            for (int32_t i = 0; i < dib->SizeImage(); ++i)
                dib->DIBSectionBitsPtr()[i] = static_cast<uint8_t>(rng());
        } else {
            make_heat::Fill_Synthetic_Frame(*dib, n, false);
        }
        frames.push_back({36000000 + 40 * n, 100000 + 40 * n, 40, dib->DIBSectionBitsPtr()});
        pictures.push_back(std::move(dib));
    }
};

int32_t Jpeg_Size(cDIBSection& dib, int32_t quality) {
    std::vector<uint8_t> jpeg(1000000);
    int32_t size = static_cast<int32_t>(jpeg.size());
    Save_JPG_To_Buffer(dib, jpeg.data(), size, quality);
    return size;
}

TEST_F(VideoFileQf3Write, QualityLoopEndsAndNeverWritesALongerPicture) {
    Captured cap;
    cap.Add(320, 240, true, 1);  // noise
    cap.Add(320, 240, false, 2); // the synthetic picture
    // A slot the picture fits only at a lowered quality, and the noise never.
    const int32_t slot = (Jpeg_Size(*cap.pictures[1], 3) + Jpeg_Size(*cap.pictures[0], 3)) / 2;
    ASSERT_GT(Jpeg_Size(*cap.pictures[0], 3), slot);
    ASSERT_GT(Jpeg_Size(*cap.pictures[1], 80), slot);
    make_heat::Heat_Recipe recipe = Small_Recipe(Path("quality"), slot);
    recipe.width = 320;
    recipe.height = 240;
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    make_heat::Heat_Start(vf, recipe);
    vf.Captured_Frames(&cap.frames);
    vf.Append_RGB_Frame(1);
    vf.Append_RGB_Frame(2);
    vf.Close_File();
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    ASSERT_EQ(rd.Num_Frames(), 1);
    rd.Read_RGB_sample(1, true);
    EXPECT_EQ(rd.QF3_Capture_mill(), 100080);
    EXPECT_LE(rd.QF3_JPEG_Size(), slot);
    const std::vector<int16_t> steps = {68, 58, 49, 42, 36, 31, 26, 22, 19, 16, 14, 12, 10, 8, 7, 6, 5, 4, 3};
    EXPECT_NE(std::find(steps.begin(), steps.end(), rd.QF3_Compression_Quality()), steps.end())
        << rd.QF3_Compression_Quality();
}

TEST_F(VideoFileQf3Write, SlotSizeFromThreeTestCompressions) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("calc"));
    cls_VideoFile_handler vf;
    ASSERT_TRUE(make_heat::New_Heat_File(vf, recipe));
    Captured cap;
    for (int32_t n = 1; n <= 6; ++n)
        cap.Add(64, 48, false, n);
    vf.Compressed(false);
    vf.Calculate_Compressed_Size(cap.frames);
    EXPECT_EQ(vf.Rounded_Compressed_Size(), 0);
    vf.Compressed(true);
    vf.Codec_Text("Other");
    vf.Calculate_Compressed_Size(cap.frames);
    EXPECT_EQ(vf.Rounded_Compressed_Size(), 5000);
    vf.Codec_Text("Intel");
    vf.Calculate_Compressed_Size(cap.frames);
    int32_t largest = 0;
    for (int32_t item : {5, 3, 2}) { // Count - 1, Count / 2, 2
        std::vector<uint8_t> jpeg(100000);
        int32_t size = 100000;
        Save_JPG_To_Buffer(*cap.pictures[static_cast<size_t>(item - 1)], jpeg.data(), size, 80);
        largest = std::max(largest, size);
    }
    EXPECT_EQ(vf.Rounded_Compressed_Size(), (largest + 5500) / 1000 * 1000);
    vf.Close_File();
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    EXPECT_EQ(rd.Header().RGB_Image_Size(), (largest + 5500) / 1000 * 1000);
}

TEST_F(VideoFileQf3Write, FrameCountPast32767IsKeptWhole) {
    const make_heat::Heat_Recipe recipe = Small_Recipe(Path("long_heat"));
    std::string error;
    ASSERT_TRUE(make_heat::Make_Heat(recipe, 2, &error)) << error;
    {
        cls_VideoFile_handler vf;
        ASSERT_TRUE(vf.Open_File(recipe.path));
        vf.Header().Frames_no(32766);
        vf.Write_XML_Header();
    }
    cls_VideoFile_handler vf;
    make_heat::Capture_Run(vf, recipe, 3, 3);
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(recipe.path));
    // The header keeps the whole count; a reader takes no more frames than records.
    EXPECT_NE(rd.Get_DOM_string().find("<num_frames>32769</num_frames>"), std::string::npos);
    EXPECT_EQ(rd.Num_Frames(), 5);
}

} // namespace
