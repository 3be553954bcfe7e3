#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "TestEnv.h"
#include "TraceChannel.h"
#include "TraceListener.h"
#include "VbString.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

namespace {

using Listener = test_env::TraceListener;

TEST(Trace, NoViewerMeansNothingSentAndOneSearch) {
    Reset_Tracer();
    Send_Trace("abc", 12);
    EXPECT_TRUE(g_Tracer_Searched);
    EXPECT_EQ(g_Tracer_hWnd, 0);
    // A viewer started after the first search is not found in this run.
    Listener late;
    for (int i = 0; i < 100; ++i)
        Send_Trace("line", i);
    EXPECT_TRUE(late.received().empty());
    EXPECT_EQ(g_Tracer_hWnd, 0);
}

TEST(Trace, LineHasThePrefixAndTabAfterEveryItem) {
    Listener viewer;
    Reset_Tracer();
    g_Compiled = true;
    Send_Trace("abc", 12);
    g_Compiled = false;
    Trace_String("*Set_Source_from_Saved, begin");
    const auto lines = viewer.received();
    ASSERT_EQ(lines.size(), 2u);
    // Each line starts with the program's own name.
    const std::string name = program_invocation_short_name;
    const std::regex first("^" + name + R"( C: \d+: \d+: \d{8} \d{6}: abc\t12\t$)");
    EXPECT_TRUE(std::regex_match(lines[0], first)) << lines[0];
    const std::regex second("^" + name + R"( I: \d+: \d+: \d{8} \d{6}: \*Set_Source_from_Saved, begin\t$)");
    EXPECT_TRUE(std::regex_match(lines[1], second)) << lines[1];
    EXPECT_EQ(lines[0].find(std::to_string(getpid())), name.size() + 4);
}

TEST(Trace, GoneViewerLosesLinesWithoutBlockingOrFailing) {
    auto viewer = std::make_unique<Listener>();
    Reset_Tracer();
    Send_Trace("first");
    ASSERT_EQ(viewer->received().size(), 1u);
    const auto handle = g_Tracer_hWnd;
    viewer.reset();
    // Far more lines than a socket buffer holds: a blocking send would hang here.
    for (int i = 0; i < 10000; ++i)
        Send_Trace("lost", i);
    // A viewer started in the viewer's place now is not the one that was found:
    // the lines sent meanwhile are lost, not queued for it, and the run keeps its handle.
    Listener next;
    Send_Trace("after");
    EXPECT_TRUE(next.received().empty());
    EXPECT_EQ(g_Tracer_hWnd, handle);
    // The next search finds the new viewer.
    Reset_Tracer();
    Send_Trace("found");
    const auto lines = next.received();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("found"), std::string::npos);
}

TEST(EventLog, TwoCallsGiveTwoDatedLines) {
    g_AppData_Folder = test_env::make_dir("eventlog");
    Write_Event_Log(" first");
    Write_Event_Log(" second");
    const std::string text = test_env::read_file(g_AppData_Folder + "/Tidewick_eventlog.txt");
    const std::regex two(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d first\n\d{4}-\d\d-\d\d \d\d:\d\d:\d\d second\n$)");
    EXPECT_TRUE(std::regex_match(text, two)) << text;
}

TEST(EventLog, UnwritableFolderShowsLogErrorInTheNormalMode) {
    test_env::dialogs().clear();
    g_AppData_Folder = test_env::root() + "/does/not/exist";
    g_Compiled = true;
    Write_Event_Log(" x");
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Log error"});
    g_Compiled = false;
    EXPECT_ANY_THROW(Write_Event_Log(" x"));
}

TEST(AppData, FolderIsCreatedAndFailureFallsBackToADefinedFolder) {
    const std::string wanted = test_env::root() + "/xdg-new";
    setenv("XDG_DATA_HOME", wanted.c_str(), 1);
    EXPECT_EQ(Get_Local_AppData_Folder(), wanted);
    EXPECT_TRUE(std::filesystem::is_directory(wanted));

    // No usable folder: a file stands where the folder should be.
    const std::string blocked = test_env::root() + "/blocked";
    test_env::write_file(blocked, "x");
    setenv("XDG_DATA_HOME", (blocked + "/sub").c_str(), 1);
    test_env::dialogs().clear();
    const std::string first = Get_Local_AppData_Folder();
    const std::string second = Get_Local_AppData_Folder();
    EXPECT_EQ(first, second);
    EXPECT_TRUE(std::filesystem::is_directory(first));
    EXPECT_NE(first, std::filesystem::current_path().string());
    EXPECT_NE(first, "/");
    EXPECT_EQ(first.find("Tidewick-"), first.rfind('/') + 1);
    EXPECT_EQ(test_env::dialogs().shown.size(), 1u); // reported once
}

} // namespace
