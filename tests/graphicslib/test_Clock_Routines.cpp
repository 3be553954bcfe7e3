// The clock, cycle counter and version routines, and the by-name binding's
// errors when the library or a routine is missing.
#include "Module_OrvelGraphics.h"
#include "VbError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <regex>

namespace {

// Restores the library's default name after a test that changed it.
struct DefaultLibraryAfterwards {
    ~DefaultLibraryAfterwards() { orvel_graphics::Set_Library_Name(""); }
};

TEST(GetCycleCount, NeverGoesBack) {
    uint64_t last = GetCycleCount();
    for (int i = 0; i < 1000; ++i) {
        const uint64_t now = GetCycleCount();
        EXPECT_GE(now, last);
        last = now;
    }
}

TEST(CPU_Speed, CountsCyclesOverOneSecond) {
    const auto t0 = std::chrono::steady_clock::now();
    const float mhz = CPU_Speed();
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(elapsed, std::chrono::milliseconds(999));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    // Any processor of this century, or the nanosecond counter (1000) where there is no time-stamp counter.
    EXPECT_GT(mhz, 200.0f);
    EXPECT_LT(mhz, 10000.0f);
}

TEST(BlendVersion, ReleaseAndBuildDateInANewBlockEachCall) {
    char* first = BlendVersion();
    char* second = BlendVersion();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    const size_t len = strnlen(first, 64);
    EXPECT_LE(len, 63u);
    const std::string text(first, len);
    EXPECT_TRUE(std::regex_match(text, std::regex("Release (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                                  "[1-9][0-9]? [0-9]{4}")))
        << text;
    EXPECT_STREQ(first, second);
    EXPECT_EQ(BlendVersion_Text(), text);
    std::free(first);
    std::free(second);
}

TEST(Binding, MissingLibraryIsFileNotFoundAtTheCall) {
    DefaultLibraryAfterwards restore;
    orvel_graphics::Set_Library_Name("libOrvelGraphics-not-there.so");
    uint8_t frame[12] = {};
    try {
        FlipImageRGB24(frame, 2, 2);
        FAIL() << "no error raised";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.description(), "File not found: libOrvelGraphics-not-there.so");
    }
    // Every routine fails the same way while the library stays missing.
    EXPECT_THROW(BlendVersion(), vb::VbError);
    EXPECT_THROW(GetCycleCount(), vb::VbError);
    // Once it is there again, the next call binds.
    orvel_graphics::Set_Library_Name("");
    EXPECT_EQ(FlipImageRGB24(frame, 2, 2), 1);
}

TEST(Binding, MissingRoutineIsEntryPointNotFound) {
    DefaultLibraryAfterwards restore;
    // A library that is there but holds none of the routines.
    orvel_graphics::Set_Library_Name("libm.so.6");
    uint8_t a[12] = {}, b[12] = {}, c[12] = {};
    try {
        ABlend(a, b, c, 2, 2, 15);
        FAIL() << "no error raised";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 453);
        EXPECT_EQ(e.description(), "Can't find DLL entry point ABlend in OrvelGraphics");
    }
    try {
        Rotate90(a, b, 2, 2, 0);
        FAIL() << "no error raised";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.description(), "Can't find DLL entry point Rotate90 in OrvelGraphics");
    }
}

TEST(Binding, FindsTheLibraryBesideTheProgram) {
    // The test's folder is on no search path of the system; the default
    // name is found there because the loader looks beside the program first.
    orvel_graphics::Unload_Library();
    EXPECT_EQ(orvel_graphics::Default_Library_Name(), "libOrvelGraphics.so");
    EXPECT_GT(GetCycleCount(), 0u);
}

} // namespace
