// The JPEG compression benchmark: its figure from the multimedia timer, the
// report lines the start-up window builds from it, and the debug window of
// the capture's compression statistics.
#include "Class_JPG_Bench.h"
#include "Form_Tidewick_HDMI_debug.h"
#include "Heat_Fixture.h"
#include "Module_qfn_Globals.h"
#include "Picture.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "WinClock.h"
#include "mIntelJPEGLibrary.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

// The multimedia timer moves on by `step` milliseconds at every reading, so
// ten compressions take exactly `step` ms between the two readings.
class Ticking_Clock : public win::FakeClock {
public:
    explicit Ticking_Clock(uint32_t step) : step_(step) {}
    uint32_t time_get_time() override {
        const uint32_t now = win::FakeClock::time_get_time();
        advance(step_);
        return now;
    }

private:
    uint32_t step_;
};

struct Clock_Scope {
    explicit Clock_Scope(win::Clock* c) { win::set_clock(c); }
    ~Clock_Scope() { win::set_clock(nullptr); }
};

// The start-up window's benchmark lines: one per crop caption.
std::string Report_Lines(Class_JPG_Bench& bench, const std::vector<std::string>& captions) {
    std::string text;
    for (const std::string& caption : captions) {
        const std::vector<std::string> wh = vb::Split(caption, "*");
        text += "\r\n" + caption + " =  " +
                std::to_string(bench.JPG_Bench(vb::CInt(wh[0]), vb::CInt(wh[1]))) + "ms";
    }
    return text;
}

TEST(JPG_Bench, AverageOfTenCompressionsRoundedDown) {
    struct Case {
        uint32_t ten_take_ms;
        int16_t average;
    };
    for (const Case c : {Case{9, 0}, {10, 1}, {95, 9}, {1234, 123}}) {
        Ticking_Clock clock(c.ten_take_ms);
        Clock_Scope scope(&clock);
        Class_JPG_Bench bench;
        EXPECT_EQ(bench.JPG_Bench(440, 1080), c.average) << c.ten_take_ms;
        EXPECT_EQ(bench.Last_Result(), c.average);
    }
}

TEST(JPG_Bench, ReportLinesForEveryCropSize) {
    Ticking_Clock clock(73);
    Clock_Scope scope(&clock);
    Class_JPG_Bench bench; // one object for the whole list, as the start-up window keeps it
    EXPECT_EQ(Report_Lines(bench, {"440*1080", "720*576", "1920*1080"}),
              "\r\n440*1080 =  7ms\r\n720*576 =  7ms\r\n1920*1080 =  7ms");
    EXPECT_TRUE(test_env::dialogs().shown.empty()) << "no compression failed";
}

TEST(JPG_Bench, RealTimerGivesASmallFigureForABlankFrame) {
    Class_JPG_Bench bench;
    const int16_t ms = bench.JPG_Bench(1920, 1080);
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
}

TEST(JPG_Bench, EncoderFailureReachesTheCaller) {
    Class_JPG_Bench bench;
    try {
        bench.JPG_Bench(0, 0); // no bitmap: nothing to compress
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), kJPEG_Save_Error);
    }
    EXPECT_THROW(bench.Fill_Picture(), vb::VbError) << "a plain picture has no circles to draw";
}

TEST(JPG_Bench, DebugWindowLabelsVersionAndClipboardPicture) {
    const std::string title = g_Program_Title, version = g_Program_Version;
    g_Program_Title = "Tidewick_HDMI, test";
    g_Program_Version = "1.2.3";
    win::FakeClock clock;
    clock.set_wall(std::chrono::system_clock::now());
    Clock_Scope scope(&clock);
    forms::MemoryClipboard clipboard;
    forms::set_clipboard_service(&clipboard);

    class Form_Tidewick_HDMI_debug& f = Form_Tidewick_HDMI_debug();
    f.Show();
    EXPECT_EQ(f.Caption(), "Tidewick HDMI debug");
    EXPECT_EQ(f.Label.Caption(), "Largest seen JPG");
    EXPECT_EQ(f.Label1.Caption(), "Smallest seen JPG");
    EXPECT_EQ(f.Label2.Caption(), "Number of HDMI:s");
    EXPECT_EQ(f.Label3.Caption(), "Average JPG");
    EXPECT_EQ(f.Label4.Caption(), "Measured fps");
    EXPECT_EQ(f.Label_fps.Caption(), "");
    EXPECT_EQ(f.Command_form_to_Clipboard.Caption(), "Form to Clipboard");
    EXPECT_TRUE(std::regex_match(f.Label_version.Caption(),
                                 std::regex("JPG performance Tidewick_HDMI, test 1\\.2\\.3 "
                                            "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d")))
        << f.Label_version.Caption();

    clipboard.SetText("older text");
    f.Label_max_dircomp_size.Caption("48213");
    f.Command_form_to_Clipboard.Value(true);
    EXPECT_EQ(clipboard.GetText(), "") << "cleared before the picture goes on";
    const forms::Picture picture = clipboard.GetData();
    ASSERT_FALSE(picture.IsNull());
    EXPECT_EQ(picture.Width(), static_cast<int32_t>(vb::RoundHalfEven(f.Width() / 15.0)))
        << "the whole window";
    EXPECT_EQ(picture.Height(), static_cast<int32_t>(vb::RoundHalfEven(f.Height() / 15.0)));
    picture.SavePng(test_env::output_dir() + "/Form_Tidewick_HDMI_debug.png");
    f.Unload();
    forms::set_clipboard_service(nullptr);
    g_Program_Title = title;
    g_Program_Version = version;
}

} // namespace
