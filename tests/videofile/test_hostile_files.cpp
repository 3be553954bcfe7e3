// Video files damaged on purpose, each made by the few lines below from a
// file of the station's own writer or of ffmpeg: every one must be read or
// refused cleanly, without hanging, crashing or allocating what the file
// cannot hold. Each case once did one of these.
#include "Cls_XML_header.h"
#include "Heat_Fixture.h"
#include "QF3_format.h"
#include "TestEnv.h"
#include "cls_VideoFile_handler.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using VF = cls_VideoFile_handler;

void Put32(std::string& b, size_t at, int32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

std::string Le32(int32_t v) {
    std::string b(4, '\0');
    Put32(b, 0, v);
    return b;
}

std::string Chunk(const std::string& tag, const std::string& data) {
    return tag + Le32(static_cast<int32_t>(data.size())) + data;
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test_env::make_dir(std::string("hostile-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // Two 64x48 MJPEG frames in an AVI with an idx1 index, by ffmpeg.
    std::string Avi() {
        const std::string path = dir + "/source.avi";
        std::string out;
        EXPECT_EQ(test_env::run(
                      "ffmpeg -v error -y -f lavfi -i color=c=gray:s=64x48:r=25 -frames:v 2 -c:v mjpeg '" +
                          path + "' 2>&1",
                      &out),
                  0)
            << out;
        return test_env::read_file(path);
    }

    // The AVI with a top-level chunk put in before its movie list.
    static std::string Before_Movie(std::string avi, const std::string& chunk) {
        const size_t movi = avi.find("movi");
        EXPECT_NE(movi, std::string::npos);
        avi.insert(movi - 8, chunk);
        Put32(avi, 4, heat_fixture::Get32(avi, 4) + static_cast<int32_t>(chunk.size()));
        return avi;
    }

    // The AVI with a chunk appended at its end, where the station puts its own.
    static std::string Appended(std::string avi, const std::string& chunk) {
        avi += chunk;
        Put32(avi, 4, static_cast<int32_t>(avi.size()) - 8);
        return avi;
    }

    // The offset of the main header's fields.
    static size_t Avih(const std::string& avi) { return avi.find("avih") + 8; }

    // A small heat file of three 32x24 samples by the station's writer.
    std::string Heat() {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/source.qf3", 3000);
        recipe.width = 32;
        recipe.height = 24;
        std::string error;
        EXPECT_TRUE(make_heat::Make_Heat(recipe, 3, &error)) << error;
        return test_env::read_file(recipe.path);
    }

    // The heat file's header text with one element's text replaced.
    static std::string Heat_Header_Field(std::string heat, const std::string& name,
                                         const std::string& value) {
        std::string xml = heat.substr(12, static_cast<size_t>(heat_fixture::Get32(heat, 8)));
        const size_t open = xml.find("<" + name + ">");
        const size_t close = xml.find("</" + name + ">");
        EXPECT_NE(open, std::string::npos) << name;
        xml.replace(open + name.size() + 2, close - open - name.size() - 2, value);
        EXPECT_LE(xml.size(), static_cast<size_t>(qf3::kXML_Field_Size));
        std::memcpy(heat.data() + 12, xml.data(), xml.size());
        Put32(heat, 8, static_cast<int32_t>(xml.size()));
        return heat;
    }

    // The picture size in the frame header of the JPEG of sample `n`.
    static std::string Sample_Picture_Size(std::string heat, int n, uint16_t w, uint16_t h) {
        const int32_t sample_size = qf3::kRecord_Overhead + heat_fixture::Get32(heat, qf3::kBlock_Size + 44);
        const size_t at = static_cast<size_t>(qf3::Sample_Offset(n, sample_size));
        const size_t sof = heat.find("\xFF\xC0", at + qf3::kRecord_Head_Size);
        EXPECT_NE(sof, std::string::npos);
        heat[sof + 5] = static_cast<char>(h >> 8), heat[sof + 6] = static_cast<char>(h);
        heat[sof + 7] = static_cast<char>(w >> 8), heat[sof + 8] = static_cast<char>(w);
        return heat;
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir + "/" + name;
        test_env::write_file(path, bytes);
        return path;
    }

    std::string dir;
    heat_fixture::Normal_Mode normal;
};

// As deep as the header-text cap lets a chunk nest.
TEST_F(HostileFiles, AviHeaderTextNestedDeeplyIsReadWithoutRecursion) {
    std::string text = "<?xml version=\"1.0\"?>";
    for (int i = 0; i < 4500; ++i)
        text += "<a>";
    for (int i = 0; i < 4500; ++i)
        text += "</a>";
    ASSERT_LE(text.size(), 32000u);
    const std::string path = Write("deep.avi", Appended(Avi(), Chunk("QFXM", text)));
    VF vf;
    vf.Read_only(true);
    EXPECT_TRUE(vf.Open_AVI_File(path));
    vf.Close_File();
}

TEST_F(HostileFiles, AviInfoItemOfNoBytesIsRead) {
    const std::string path = Write(
        "info.avi", Before_Movie(Avi(), Chunk("LIST", "INFO" + Chunk("ISFT", "") + Chunk("INAM", "xy"))));
    VF vf;
    vf.Read_only(true);
    ASSERT_TRUE(vf.Open_AVI_File(path));
    EXPECT_EQ(vf.Num_Frames(), 2);
    vf.Close_File();
}

TEST_F(HostileFiles, Qf2HeaderOfNoXmlIsRefused) {
    const std::string dv_path = dir + "/one.dv";
    std::string out;
    ASSERT_EQ(test_env::run(
                  "ffmpeg -v error -y -f lavfi -i color=c=gray:s=720x576:r=25 -frames:v 1 -target pal-dv '" +
                      dv_path + "' 2>&1",
                  &out),
              0)
        << out;
    const std::string dv = test_env::read_file(dv_path);
    const std::string path = dir + "/empty.qf2";
    {
        VF w;
        w.File_name(path);
        w.Create_File();
        w.Initiate_QFN_File();
        w.Header().Streams_no(1);
        w.Write_XML_Header();
        w.Append_DV_frame(reinterpret_cast<const uint8_t*>(dv.data()));
        w.Close_File();
    }
    std::string qf2 = test_env::read_file(path);
    Put32(qf2, 12, 0); // no XML at all
    test_env::write_file(path, qf2);
    VF vf;
    vf.Read_only(true);
    EXPECT_FALSE(vf.Open_File(path)) << "a header naming no streams";
    EXPECT_FALSE(vf.File_open());
}

TEST_F(HostileFiles, SamplePictureLargerThanAnyFrameIsRefusedAndTheFrameKeepsItsSize) {
    const std::string path = Write("big.qf3", Sample_Picture_Size(Heat(), 2, 20000, 20000));
    VF vf;
    vf.Read_only(true);
    ASSERT_TRUE(vf.Open_File(path));
    vf.Read_RGB_sample(1, true); // the frame takes the file's size
    vf.Read_RGB_sample(2, true);
    EXPECT_EQ(vf.Decoded_Frame().Width(), 32);
    EXPECT_EQ(vf.Decoded_Frame().Height(), 24);
    vf.Read_RGB_sample(3, true); // the next sample reads as ever
    EXPECT_EQ(vf.Current_Sample(), 3);
    EXPECT_EQ(vf.Decoded_Frame().Width(), 32);
    vf.Close_File();
}

TEST_F(HostileFiles, SdvSampleCountBeyondTheFileIsNotTakenAsItIs) {
    std::string record(64, '\0');
    std::memcpy(record.data(), "ORDV", 4);
    Put32(record, 4, 64);
    Put32(record, 8, INT32_MAX);
    record[12] = 1;
    const std::string path = Write("many.sdv", record + std::string(144000, '\x1F'));
    VF vf;
    vf.Read_only(true);
    if (vf.Open_File(path)) {
        EXPECT_LE(vf.Num_Frames(), 1);
        EXPECT_GE(vf.Clip_length(), 0);
        vf.Close_File();
    }
}

// ---- Faults the video file reader once had, each mended: they stay so ----

// Endless chunk walk: an idx1 chunk of 4 bytes before the movie list leaves the walk where it was.
TEST_F(HostileFiles, AviIndexChunkBeforeTheMovieEndsTheWalk) {
    const std::string path = Write("idx1.avi", Before_Movie(Avi(), Chunk("idx1", "\0\0\0\0")));
    VF vf;
    vf.Read_only(true);
    vf.Open_AVI_File(path); // returns at all
    vf.Close_File();
}

// No cap on the AVI header-text chunk: heat files cap their header, AVI files read any length.
TEST_F(HostileFiles, AviHeaderTextAboveTheCapIsRefused) {
    const std::string path =
        Write("long.avi", Appended(Avi(), Chunk("QFXM", "<a>" + std::string(200000, 'x') + "</a>")));
    VF vf;
    vf.Read_only(true);
    EXPECT_FALSE(vf.Open_AVI_File(path));
    EXPECT_FALSE(vf.File_open());
}

// Main header width and height taken as they are: the frame drawing's bitmaps follow them.
TEST_F(HostileFiles, AviMainHeaderSizeBeyondAnyFrameIsRefused) {
    std::string avi = Avi();
    Put32(avi, Avih(avi) + 32, 30000);
    Put32(avi, Avih(avi) + 36, 20000);
    const std::string path = Write("wide.avi", avi);
    VF vf;
    vf.Read_only(true);
    EXPECT_FALSE(vf.Open_AVI_File(path));
    EXPECT_FALSE(normal.reports.empty() && test_env::dialogs().shown.empty()) << "refused with a message";
}

// Signed overflow (twice the frame count, duration x count) and float-to-integer overflow of the play length.
TEST_F(HostileFiles, AviFrameCountAndDurationAtTheirLimitsDoNotOverflow) {
    std::string avi = Avi();
    Put32(avi, Avih(avi), INT32_MAX);      // microseconds per frame
    Put32(avi, Avih(avi) + 16, INT32_MAX); // frames
    const std::string path = Write("long.avi", avi);
    VF vf;
    vf.Read_only(true);
    if (vf.Open_AVI_File(path)) {
        EXPECT_GE(vf.Num_fields(), 0);
        EXPECT_GE(vf.Clip_length(), 0);
        vf.Close_File();
    }
}

// The text-index bounds check has no lower bound, and the buffer is allocated before the read is refused.
TEST_F(HostileFiles, AviTextIndexEntryOutsideTheFileIsRefusedBeforeAllocating) {
    std::string avi = Avi();
    const size_t idx1 = avi.rfind("idx1");
    ASSERT_NE(idx1, std::string::npos);
    avi += "01db" + Le32(0) + Le32(-2000000000) + Le32(1000000000);
    Put32(avi, idx1 + 4, heat_fixture::Get32(avi, idx1 + 4) + 16);
    Put32(avi, 4, heat_fixture::Get32(avi, 4) + 16);
    const std::string path = Write("text.avi", avi);
    VF vf;
    vf.Read_only(true);
    ASSERT_TRUE(vf.Open_AVI_File(path));
    normal.reports.clear();
    vf.Read_Frame(1);
    EXPECT_EQ(normal.reports.size(), 1u) << "the text chunk is refused";
    vf.Close_File();
}

// The header's frame size allocates three bitmaps of that size while the file opens.
TEST_F(HostileFiles, HeatHeaderFrameSizeBeyondAnyFrameIsRefused) {
    const std::string heat = Heat_Header_Field(Heat_Header_Field(Heat(), "RGB_X", "30000"), "RGB_Y", "20000");
    const std::string path = Write("wide.qf3", heat);
    VF vf;
    vf.Read_only(true);
    EXPECT_FALSE(vf.Open_File(path));
    EXPECT_FALSE(vf.File_open());
}

// A sample's picture of another size than the file's is decoded (at its own size) before it is compared.
TEST_F(HostileFiles, SamplePictureOfAnotherSizeIsRefusedBeforeDecoding) {
    const std::string path = Write("other.qf3", Sample_Picture_Size(Heat(), 2, 4000, 3000));
    VF vf;
    vf.Read_only(true);
    ASSERT_TRUE(vf.Open_File(path));
    vf.Read_RGB_sample(1, true); // the frame takes the file's size
    vf.Read_RGB_sample(2, true);
    EXPECT_EQ(vf.Decoded_Frame().Width(), 32);
    EXPECT_EQ(vf.Decoded_Frame().Height(), 24);
    vf.Close_File();
}

} // namespace
