// The diagnostics: calibration window, disk write tests, processor usage and
// the XML check.
#include "Class_disk_mem_perf.h"
#include "Form_calibrate.h"
#include "Module_diagnostics.h"
#include "Module_trace.h"
#include "Registry.h"
#include "TestEnv.h"
#include "VbError.h"
#include "WinClock.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A multimedia timer that answers the given readings in turn (the last one
// stays), so a test decides how long a disk test took.
class ScriptedClock : public win::FakeClock {
public:
    explicit ScriptedClock(std::deque<uint32_t> readings) : readings_(std::move(readings)) {}
    uint32_t time_get_time() override {
        const uint32_t v = readings_.front();
        if (readings_.size() > 1) readings_.pop_front();
        return v;
    }

private:
    std::deque<uint32_t> readings_;
};

struct ClockScope {
    explicit ClockScope(win::Clock& c) { win::set_clock(&c); }
    ~ClockScope() { win::set_clock(nullptr); }
};

// ---- Calibration window ----

class Calibrate : public ::testing::Test {
protected:
    void SetUp() override {
        form().Unload();
        form().Cycle_Source = [this] { return cycles; };
        win::set_clock(&clock);
    }
    void TearDown() override {
        form().Unload();
        win::set_clock(nullptr);
    }
    static class Form_calibrate& form() { return Form_calibrate(); }
    uint64_t cycles = 0;
    win::FakeClock clock{5000};
};

TEST_F(Calibrate, LoadsWithItsCaptionsAndTheTimerStopped) {
    auto& f = form();
    EXPECT_EQ(f.Caption(), "Calibrate");
    EXPECT_EQ(f.Cmd_start.Caption(), "Start");
    EXPECT_EQ(f.Cmd_get.Caption(), "Get");
    EXPECT_EQ(f.Cmd_end.Caption(), "End");
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_EQ(f.Timer1.Interval(), 1000);
}

TEST_F(Calibrate, GetBeforeStartShowsTheCounterAndLeavesTheRate) {
    auto& f = form();
    f.Lbl_cycles_per_second.Caption("untouched");
    const std::pair<uint64_t, std::string> cases[] = {
        {123456789, "12345.6789"}, {30000000000ull, "3000000"}, {12345, "1.2345"}, {10, "0.001"}, {0, "0"}};
    for (const auto& [raw, text] : cases) {
        cycles = raw;
        f.Cmd_get.Value(true);
        EXPECT_EQ(f.Lbl_CycleCount.Caption(), text) << raw;
    }
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "untouched");
    EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(Calibrate, RateIsTheIncreasePerWholeSecondAndEndFreezesIt) {
    auto& f = form();
    cycles = 1'000'000;
    f.Cmd_start.Value(true);
    EXPECT_TRUE(f.Timer1.Enabled());
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "") << "nothing shown until the first tick";

    // A 3 GHz processor, the tick a little late: 1.2 s round to one whole second.
    cycles += 3'600'000'000ull;
    clock.advance(1200);
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "360000");

    // 2.5 s round to 2 (halves to even), 3.5 s to 4.
    cycles = 1'000'000 + 5'000'000'000ull;
    clock.advance(1300);
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "250000");
    cycles = 1'000'000 + 7'000'000'000ull;
    clock.advance(1000);
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "175000");

    cycles = 1'000'000 + 3'000'000'000ull * 5;
    clock.advance(1500);
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "300000");

    f.Cmd_get.Value(true);
    const std::string count = f.Lbl_CycleCount.Caption();
    f.Cmd_end.Value(true);
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "300000");
    EXPECT_EQ(f.Lbl_CycleCount.Caption(), count);
}

TEST_F(Calibrate, TickWithinHalfASecondOfStartWaitsForTheNext) {
    auto& f = form();
    f.Cmd_start.Value(true);
    cycles = 1'000'000;
    clock.advance(400);
    f.Timer1_Timer(); // no whole second yet: no division by zero
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "");
    clock.advance(600);
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "100");
}

TEST_F(Calibrate, TimerWrapBetweenStartAndTickStillGivesTheElapsedTime) {
    win::FakeClock near_wrap(0xFFFFFE00u);
    win::set_clock(&near_wrap);
    auto& f = form();
    f.Cmd_start.Value(true);
    near_wrap.advance(1000);
    cycles = 20'000'000;
    f.Timer1_Timer();
    EXPECT_EQ(f.Lbl_cycles_per_second.Caption(), "2000");
}

TEST(Fixed4Text, NegativeAndExtremeValues) {
    EXPECT_EQ(Fixed4_Text(-12345), "-1.2345");
    EXPECT_EQ(Fixed4_Text(-5), "-0.0005");
    EXPECT_EQ(Fixed4_Text(INT64_MIN), "-922337203685477.5808");
}

// ---- Disk tests ----

class DiskPerf : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(Class_disk_mem_perf::Perftest_Path());
        fs::remove(Class_disk_mem_perf::Testperf_Path());
        test_env::dialogs().clear();
    }
};

TEST_F(DiskPerf, SpeedTexts) {
    struct Case {
        int64_t bytes;
        uint32_t ms;
        const char* text;
    };
    const Case cases[] = {
        {104'857'600, 1000, "100 MBytes/sec"}, {375'000'000, 3000, "119.2 MBytes/sec"},
        {50'000'000, 500, "95.4 MBytes/sec"},  {1'048'576, 10, "100 MBytes/sec"},
        {5'000'000, 7000, "0.7 MBytes/sec"},   {1'000, 1000, "0 MBytes/sec"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Disk_Speed_Text(c.bytes, c.ms), c.text) << c.bytes << " in " << c.ms;
}

TEST_F(DiskPerf, DiskPerfWritesItsBlocksAndLeavesNoFile) {
    // 1 MiB written in 10 ms: 100 MB a second.
    ScriptedClock clock({5000, 5010});
    ClockScope scope(clock);
    test_env::write_file(Class_disk_mem_perf::Perftest_Path(), "left from an earlier run");
    Class_disk_mem_perf perf(262'144, 4, 1);
    EXPECT_EQ(perf.DiskPerf(), "100 MBytes/sec");
    EXPECT_FALSE(fs::exists(Class_disk_mem_perf::Perftest_Path()));
    EXPECT_EQ(fs::path(Class_disk_mem_perf::Perftest_Path()).parent_path(),
              fs::path(Get_Local_AppData_Folder()));
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(DiskPerf, DiskPerf2LeavesTestperfInTheAppDataFolder) {
    ScriptedClock clock({100, 600});
    ClockScope scope(clock);
    Class_disk_mem_perf perf(100'000, 1, 10);
    EXPECT_EQ(perf.DiskPerf2(), "1.9 MBytes/sec");
    const fs::path file = fs::path(Get_Local_AppData_Folder()) / "testperf.txt";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 1'000'000u) << "ten blocks one after the other";
    const std::string bytes = test_env::read_file(file.string());
    EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos) << "zero blocks";

    // A second run starts a new file rather than growing the old one.
    ScriptedClock later({700, 701});
    win::set_clock(&later);
    Class_disk_mem_perf smaller(1'000, 1, 3);
    EXPECT_EQ(smaller.DiskPerf2(), "2.9 MBytes/sec");
    EXPECT_EQ(fs::file_size(file), 3'000u);
}

TEST_F(DiskPerf, TestThatTookNoTimeFailsForTheCaller) {
    ScriptedClock clock({0, 0});
    ClockScope scope(clock);
    // A division by zero for the caller; DiskPerf still leaves no file behind.
    Class_disk_mem_perf instant(1'000, 3, 2);
    try {
        instant.DiskPerf();
        FAIL() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), vb::errDivisionByZero);
    }
    EXPECT_FALSE(fs::exists(Class_disk_mem_perf::Perftest_Path()));
    EXPECT_THROW(instant.DiskPerf2(), vb::VbError);
    EXPECT_TRUE(fs::exists(Class_disk_mem_perf::Testperf_Path()));
}

TEST_F(DiskPerf, Disk2ThatCannotCreateItsFileReportsTheSystemError) {
    // A folder where the file should be: the create fails with EISDIR (21).
    fs::create_directories(Class_disk_mem_perf::Testperf_Path());
    Class_disk_mem_perf perf(1'000, 1, 1);
    EXPECT_EQ(perf.DiskPerf2(), "");
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt, "Last error = 21");
    EXPECT_EQ(test_env::dialogs().shown[0].buttons, 0);
    EXPECT_EQ(test_env::dialogs().shown[0].title, "");
    fs::remove(Class_disk_mem_perf::Testperf_Path());
}

TEST_F(DiskPerf, DiskPerfThatCannotOpenItsFileFailsForTheCaller) {
    fs::create_directories(Class_disk_mem_perf::Perftest_Path() + "/inside");
    Class_disk_mem_perf perf(1'000, 1, 1);
    try {
        perf.DiskPerf();
        FAIL() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_NE(e.number(), 0);
    }
    fs::remove_all(Class_disk_mem_perf::Perftest_Path());
}

// ---- Processor usage ----

TEST(CPUUsage, ZeroWithoutTheDynamicDataKeyAndTheValueWhenItIsThere) {
    const std::string dir = test_env::make_dir("cpu-registry");
    registry::SetRegistryFilePath(dir + "/registry.txt");
    EXPECT_EQ(Get_CPU_Usage(), 0);

    registry::HKEY key = 0;
    ASSERT_EQ(registry::RegCreateKeyExA(registry::HKEY_DYN_DATA, "PerfStats\\StatData", 0, "", 0,
                                        registry::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              registry::ERROR_SUCCESS);
    EXPECT_EQ(Get_CPU_Usage(), 0) << "key without the value";
    const int32_t usage = 37;
    ASSERT_EQ(registry::RegSetValueExA(key, "KERNEL\\CPUUsage", 0, registry::REG_DWORD, &usage, 4),
              registry::ERROR_SUCCESS);
    registry::RegCloseKey(key);
    EXPECT_EQ(Get_CPU_Usage(), 37);
    registry::SetRegistryFilePath({});
}

// ---- XML check ----

TEST(ValidateXML, WellFormedShowsNothingBrokenShowsOneMessage) {
    test_env::dialogs().clear();
    Validate_XML_string("<?xml version=\"1.0\"?>\r\n<header><a x=\"1\">text</a></header>");
    EXPECT_TRUE(test_env::dialogs().shown.empty());

    Validate_XML_string("<header>\r\n<a>text\r\n</header>");
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    const auto& box = test_env::dialogs().shown[0];
    EXPECT_EQ(box.prompt.rfind("Sub Validate_XML_string failed! reason = ", 0), 0u) << box.prompt;
    EXPECT_NE(box.prompt.find(" line = 3 srctext = </header>"), std::string::npos) << box.prompt;
    EXPECT_EQ(box.buttons, 0);
    EXPECT_EQ(box.title, "");
}

TEST(ValidateXML, AgreesWithXmllint) {
    if (!test_env::have_tool("xmllint")) GTEST_SKIP() << "xmllint not installed";
    const std::string texts[] = {
        "<a/>",
        "<a><b></a>",
        "<a x=\"1\" x=\"2\"/>",
        "<a>&nbsp;</a>",
        "<a>&amp;&lt;&#65;</a>",
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<!-- c -->\r\n<a>t</a>\r\n",
        "<a></a><b></b>",
        "text only",
        "<a><![CDATA[<not a tag>]]></a>",
    };
    const std::string dir = test_env::make_dir("xmllint");
    for (size_t i = 0; i < std::size(texts); ++i) {
        const std::string path = dir + "/" + std::to_string(i) + ".xml";
        test_env::write_file(path, texts[i]);
        const bool well_formed = test_env::run("xmllint --noout '" + path + "' 2>/dev/null") == 0;
        test_env::dialogs().clear();
        Validate_XML_string(texts[i]);
        EXPECT_EQ(test_env::dialogs().shown.empty(), well_formed) << texts[i];
    }
}

} // namespace
