#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
#include "Screen.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        test_env::dialogs().clear();
        g_Ini_File_Path = test_env::make_dir("settings") + "/Tidewick_HDMI.ini";
        g_Compiled = true;
        Install_Error_Trap();
        forms::set_screen_override(1920, 1080, 1);
        g_Monitor_Count = 1;
    }
};

TEST_F(Settings, ReadRules) {
    test_env::write_file(g_Ini_File_Path,
                         "[Canoe]\nevent_name=Regatta\nLanes=\n[Settings]\ntimingcorrection=40\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    };
    for (const Case c : {
             Case{"Canoe", "event_name", "NOEVENT", "Regatta"},
             {"canoe", "event_name", "NOEVENT", "Regatta"}, // sections match without regard to case
             {"Canoe", "Lanes", "None", "None"},            // empty value reads as absent
             {"Canoe", "last_dir", "", "N/A"},              // empty default gives N/A
             {"Canoe", "Lanes", "", "N/A"},                 // ... also for an empty value
             {"Settings", "resultsdocked", "true", "true"}, // absent key: default
             {"Nowhere", "x", "dflt", "dflt"},              // absent section
             {"settings", "timingcorrection", "0", "40"},
         }) {
        EXPECT_EQ(Read_Ini(c.section, c.key, g_Ini_File_Path, c.def), c.expected)
            << c.section << "/" << c.key;
    }
    // "true" is the default of resultsdocked, but only "True" counts as True.
    EXPECT_FALSE(String_to_Bool(Read_Ini("Settings", "resultsdocked", g_Ini_File_Path, "true")));
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(Settings, WrittenValuesAreSeenAtOnceAndLongOnesComeBackCut) {
    ASSERT_EQ(Write_Ini("Settings", "timing", "framecount", g_Ini_File_Path), 1);
    EXPECT_EQ(Read_Ini("settings", "TIMING", g_Ini_File_Path, "frametimestamp"), "framecount");
    ASSERT_EQ(Write_Ini("Canoe", "last_dir", std::string(700, 'd'), g_Ini_File_Path), 1);
    EXPECT_EQ(Read_Ini("Canoe", "last_dir", g_Ini_File_Path, "").size(), 511u);
}

TEST_F(Settings, FailedWriteIsReportedAndReturnsItsResult) {
    const std::string bad = test_env::root() + "/no/such/folder/x.ini";
    EXPECT_EQ(Write_Ini("Canoe", "k", "v", bad), 0);
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    const auto& box = test_env::dialogs().shown[0];
    EXPECT_EQ(box.title, " QFN Error");
    EXPECT_EQ(box.buttons, forms::vbCritical);
    EXPECT_EQ(box.prompt.rfind("Writing to INI file failed! Path = " + bad + "\n Error = ", 0), 0u)
        << box.prompt;
}

TEST_F(Settings, ValueWithLineBreakIsRefusedAndCannotCorruptTheFile) {
    ASSERT_EQ(Write_Ini("Canoe", "event_name", "Regatta", g_Ini_File_Path), 1);
    EXPECT_EQ(Write_Ini("Canoe", "event_name", "x\n[Settings]\ntiming=framecount", g_Ini_File_Path), 0);
    EXPECT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(Read_Ini("Canoe", "event_name", g_Ini_File_Path, ""), "Regatta");
    EXPECT_EQ(Read_Ini("Settings", "timing", g_Ini_File_Path, "frametimestamp"), "frametimestamp");
}

TEST_F(Settings, StoreFormPos) {
    struct Case {
        int32_t left, top;
        int16_t monitors;
        const char* stored; // "" = nothing stored
    };
    for (const Case c : {Case{1200, 450, 1, "1200,450,9000,6000"},
                         {-150, -150, 1, "-150,-150,9000,6000"},
                         {-32000, -32000, 1, ""}, // minimised on the only screen
                         {-151, 10, 1, ""},
                         {-32000, 300, 2, "-32000,300,9000,6000"}}) {
        std::remove(g_Ini_File_Path.c_str());
        g_Monitor_Count = c.monitors;
        Store_Form_Pos("Frm_results", c.left, c.top, 9000, 6000);
        EXPECT_EQ(Read_Ini("windowpos", "Frm_results", g_Ini_File_Path, ""), *c.stored ? c.stored : "N/A")
            << c.left << "," << c.top;
    }
}

TEST_F(Settings, GetFormPos) {
    // Screen 1920 x 1080 pixels = 28800 x 16200 twips.
    struct Case {
        const char* stored; // nullptr = no entry
        int32_t left, top, width, height;
    };
    for (const Case c : {Case{nullptr, 0, 0, 111, 222},
                         {"1200,450,9000,6000", 1200, 450, 9000, 6000},
                         {"100,200", 100, 200, 111, 222},
                         {"100,200,300", 100, 200, 300, 222},
                         {"-151,-5000", 0, 0, 111, 222},
                         {"-150,-150", -150, -150, 111, 222},
                         {"28801,16201", 0, 0, 111, 222},
                         {"28800,16200", 28800, 16200, 111, 222},
                         {"40000,300,9000,6000", 0, 300, 9000, 6000}, // beyond 16 bits: second monitor
                         {"-45000,300", 0, 300, 111, 222}}) {
        std::remove(g_Ini_File_Path.c_str());
        if (c.stored) Write_Ini("windowpos", "Frm_x", c.stored, g_Ini_File_Path);
        int32_t l = 7, t = 8, w = 111, h = 222;
        Get_Form_Pos("Frm_x", l, t, w, h);
        EXPECT_EQ(l, c.left) << (c.stored ? c.stored : "none");
        EXPECT_EQ(t, c.top) << (c.stored ? c.stored : "none");
        EXPECT_EQ(w, c.width) << (c.stored ? c.stored : "none");
        EXPECT_EQ(h, c.height) << (c.stored ? c.stored : "none");
    }
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(Settings, GetFormPosWithOneFieldChangesNothing) {
    Write_Ini("windowpos", "Frm_x", "123", g_Ini_File_Path);
    int32_t l = 7, t = 8, w = 1, h = 2;
    Get_Form_Pos("Frm_x", l, t, w, h);
    EXPECT_EQ(l, 7);
    EXPECT_EQ(t, 8);
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0], "Get_Form_Pos error ");

    // The development mode does not trap: the error reaches the caller.
    g_Compiled = false;
    EXPECT_ANY_THROW(Get_Form_Pos("Frm_x", l, t, w, h));
}

TEST(SettingsStart, ReadWithEmptyPathRunsTheInitialisationOnce) {
    Wire_Program(); // the initialisation sets the main window's timing method
    test_env::dialogs().clear();
    g_Ini_File_Path.clear();
    Reset_Initialization_Guard();
    EXPECT_EQ(Read_Ini("Canoe", "event_name", g_Ini_File_Path, "NOEVENT"), "NOEVENT");
    EXPECT_EQ(g_Ini_File_Path, std::string(getenv("XDG_DATA_HOME")) + "/Tidewick_HDMI.ini");
    EXPECT_EQ(g_Program_Title.rfind("Tidewick_HDMI,", 0), 0u);
    // The capture library is not registered in this test: its check says so first.
    // (Its timing step loads the main window, whose load runs it once more, as in the program.)
    const auto prompts = test_env::dialogs().prompts();
    ASSERT_GE(prompts.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(prompts.begin(), prompts.begin() + 2),
              (std::vector<std::string>{
                  "An important system file (OrvelCap5.dll) is missing in this Tidewick installation!",
                  "Tidewick_HDMI.ini not found"}));
    EXPECT_EQ(m_saved_Video_prop_num, "-1");
    EXPECT_EQ(m_saved_Friendly_name, "noname");
    // A second read does not run it again.
    Read_Ini("Canoe", "event_name", g_Ini_File_Path, "NOEVENT");
    EXPECT_EQ(test_env::dialogs().prompts().size(), prompts.size());
}

} // namespace
