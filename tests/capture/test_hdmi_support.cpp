// The media-type summary over records laid out as the capture library hands them out.
#include "MediaType.h"
#include "Module_HDMI_Support.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "VbTrap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Record {
    dshow::AM_MEDIA_TYPE amt;
    dshow::VIDEOINFOHEADER vih;
    Record(int32_t w, int32_t h, int64_t avg) {
        vih.bmiHeader.biWidth = w;
        vih.bmiHeader.biHeight = h;
        vih.AvgTimePerFrame = avg;
        amt.cbFormat = sizeof vih;
        amt.pbFormat = reinterpret_cast<uint8_t*>(&vih);
    }
    int64_t address() const { return reinterpret_cast<int64_t>(&amt); }
};

TEST(Process_AMT, FormatTextOfWidthHeightAndRate) {
    const struct {
        int32_t w, h;
        int64_t avg;
        const char* text;
    } cases[] = {
        {1920, 1080, 400000, "1920*1080/25"}, {1280, 720, 166833, "1280*720/59.9"},
        {1280, 720, 333667, "1280*720/30"},   {720, 576, 400000, "720*576/25"},
        {1920, 1080, 200000, "1920*1080/50"}, {640, 480, 666667, "640*480/15"},
        {1920, 1080, 416667, "1920*1080/24"}, {320, 240, 1333333, "320*240/7.5"},
    };
    for (const auto& c : cases) {
        Record r(c.w, c.h, c.avg);
        EXPECT_EQ(Process_AMT(r.address()), c.text) << c.avg;
    }
}

TEST(Process_AMT, RecordsWithoutAUsableVideoBlockAreCorrupt) {
    Record no_block(1920, 1080, 400000);
    no_block.amt.pbFormat = nullptr;
    EXPECT_EQ(Process_AMT(no_block.address()), "Corrupt data!");
    Record short_block(1920, 1080, 400000);
    short_block.amt.cbFormat = 40; // an audio-sized block: a video header would be read past its end
    EXPECT_EQ(Process_AMT(short_block.address()), "Corrupt data!");
    EXPECT_EQ(Process_AMT(0), "Corrupt data!");
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST(Process_AMT, ZeroFrameTimeIsReportedAndGivesEmptyText) {
    Record r(1920, 1080, 0);
    vb::SetTrappingEnabled([] { return g_Compiled; });
    g_Compiled = false; // the development mode lets the error through
    EXPECT_ANY_THROW(Process_AMT(r.address()));
    g_Compiled = true;
    EXPECT_EQ(Process_AMT(r.address()), "");
    g_Compiled = false;
}

} // namespace
