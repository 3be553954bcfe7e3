// The shared overlay: lane marks and the live preview's goal line read from
// the settings (damaged texts included), the hit test of the marks, the goal
// field of a place, and what the drawing leaves in the overlay bitmap.
#include "Heat_Fixture.h"
#include "Lane_Collection.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "VbError.h"
#include "cDIBSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

constexpr gdi::COLORREF kWhite = gdi::RGB(255, 255, 255);

class Overlay_Test : public ::testing::Test {
protected:
    void SetUp() override {
        g_Ini_File_Path = test_env::make_dir("overlay") + "/Tidewick_HDMI.ini";
        test_env::write_file(g_Ini_File_Path, "");
        g_Overlay_Key_Colour = heat_fixture::kKey;
        g_Show_Lanes = g_Show_Goalline = true;
        g_Goalline_Inverted = false;
        g_Program_Mode = 0;
        g_Num_Lanes_Shown = 0;
        Lane_Collection().Clear();
    }
    static void Canoe(const char* key, const std::string& value) {
        Write_Ini("Canoe", key, value, g_Ini_File_Path);
    }
    static std::vector<std::array<int32_t, 3>> Marks() {
        std::vector<std::array<int32_t, 3>> out;
        for (const auto& lane : Lane_Collection())
            out.push_back({lane->Lane_number(), lane->X(), lane->Y()});
        return out;
    }
    static gdi::COLORREF At(int32_t x, int32_t y) { return gdi::GetPixel(Overlay_DIB().hDC(), x, y); }
};

TEST_F(Overlay_Test, LanesSettingGivesSixteenMarks) {
    struct Case {
        const char* text; // nullptr: the key is missing
        int32_t x0, y0, x1, y1, x15, y15;
        int16_t lane_num; // -1: not read
    };
    const std::string full = [] {
        std::string s;
        for (int i = 0; i < 16; ++i) {
            char group[9];
            std::snprintf(group, sizeof group, "%04d%04d", 100 + i, 500 + 10 * i);
            s += group;
        }
        return s;
    }();
    const Case cases[] = {
        {nullptr, 0, 0, 15, 20, 225, 300, -1},
        {"None", 0, 0, 15, 20, 225, 300, -1},
        {"01000200", 100, 200, 20, 30, 20, 30, 5},
        {"0100020", 100, 20, 20, 30, 20, 30, 5}, // the Y group cut short
        {full.c_str(), 100, 500, 101, 510, 115, 650, 5},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.text) Canoe("Lanes", c.text);
        g_Preview_Lane_Num = -1;
        Load_Lanes_and_Goalline();
        const auto m = Marks();
        ASSERT_EQ(m.size(), 16u) << (c.text ? c.text : "(missing)");
        for (int32_t i = 0; i < 16; ++i)
            EXPECT_EQ(m[i][0], i);
        EXPECT_EQ((std::array<int32_t, 6>{m[0][1], m[0][2], m[1][1], m[1][2], m[15][1], m[15][2]}),
                  (std::array<int32_t, 6>{c.x0, c.y0, c.x1, c.y1, c.x15, c.y15}))
            << (c.text ? c.text : "(missing)");
        EXPECT_EQ(g_Preview_Lane_Num, c.lane_num);
    }
    SetUp();
    Canoe("Lanes", "01000200");
    Canoe("Lane_num", "8");
    Load_Lanes();
    EXPECT_EQ(g_Preview_Lane_Num, 8);
}

TEST_F(Overlay_Test, DamagedSettingsAreReportedAndKeepWhatWasRead) {
    heat_fixture::Normal_Mode normal;
    Canoe("Lanes", "01000200x3000400");
    Canoe("Goalline", "7,8,9");
    std::copy_n(std::array<int32_t, 4>{1, 1, 1, 1}.begin(), 4, g_Live_Goal_Points);
    Load_Lanes_and_Goalline(); // the goal line is still read after the lanes failed
    EXPECT_EQ(Marks(), (std::vector<std::array<int32_t, 3>>{{0, 100, 200}}));
    EXPECT_EQ((std::array<int32_t, 4>{g_Live_Goal_Points[0], g_Live_Goal_Points[1], g_Live_Goal_Points[2],
                                      g_Live_Goal_Points[3]}),
              (std::array<int32_t, 4>{7, 8, 9, 1}));
    ASSERT_EQ(normal.reports.size(), 2u);
    EXPECT_EQ(normal.reports[0].number, vb::errTypeMismatch);
    EXPECT_EQ(normal.reports[0].location, "Load_Lanes of Form Frm_kanot");
    EXPECT_EQ(normal.reports[1].number, vb::errSubscriptOutOfRange);
    EXPECT_EQ(normal.reports[1].location, "Load_Goalline of Form Frm_kanot");

    normal.reports.clear();
    Canoe("Goalline", "5,abc,6,7");
    Load_Goalline();
    EXPECT_EQ(g_Live_Goal_Points[0], 5);
    EXPECT_EQ(g_Live_Goal_Points[1], 8);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].number, vb::errTypeMismatch);
}

TEST_F(Overlay_Test, GoallineSettingReadsOrKeepsTheLine) {
    Canoe("Goalline", "320,050,320,900");
    Load_Goalline();
    EXPECT_EQ((std::array<int32_t, 4>{g_Live_Goal_Points[0], g_Live_Goal_Points[1], g_Live_Goal_Points[2],
                                      g_Live_Goal_Points[3]}),
              (std::array<int32_t, 4>{320, 50, 320, 900}));
    Canoe("Goalline", "None");
    Load_Goalline();
    EXPECT_EQ(g_Live_Goal_Points[3], 900);
}

TEST_F(Overlay_Test, HitTestAnswersTheFirstMarkInCollectionOrder) {
    Canoe("Lanes", "0100010001100100"); // marks 0 and 1 overlap; 2.. at (20, 30)
    Load_Lanes();
    g_Selected_Lane_Index = 0;
    Check_within_lanes(105, 100);
    EXPECT_EQ(g_Selected_Lane, 0);
    EXPECT_EQ(g_Selected_Lane_Index, 1);
    Check_within_lanes(120, 100);
    EXPECT_EQ(g_Selected_Lane, 1);
    EXPECT_EQ(g_Selected_Lane_Index, 2);
    Check_within_lanes(400, 400);
    EXPECT_EQ(g_Selected_Lane, -1);
    EXPECT_EQ(g_Selected_Lane_Index, 2); // kept
    Check_within_lanes(20, 30);          // every mark is tested, drawn or not
    EXPECT_EQ(g_Selected_Lane, 2);
}

// The answering squares of the live goal line's ends reach 6 pixels beyond
// the drawn box to the right and below; the start point wins an overlap.
TEST_F(Overlay_Test, SelectionBoxesOfTheLiveGoalLine) {
    const int32_t line[4] = {100, 100, 110, 105};
    std::copy(line, line + 4, g_Live_Goal_Points);
    struct Case {
        float x, y;
        int16_t box;
    };
    const Case cases[] = {
        {100, 100, 1}, {107, 100, 1},    {94.5f, 100, 1}, {94, 100, 0}, {111.9f, 111.9f, 1},
        {112, 100, 2}, {121.9f, 105, 2}, {122, 105, 0},   {100, 90, 0}, {105, 103, 1},
    };
    for (const Case& c : cases) {
        g_Selected_Box = 9;
        Check_Within_Selection_Boxes(c.x, c.y);
        EXPECT_EQ(g_Selected_Box, c.box) << c.x << "," << c.y;
    }
}

TEST_F(Overlay_Test, DisplayOptionsFromTheSettings) {
    Load_options();
    EXPECT_TRUE(g_Opt_Show_Lanes);
    EXPECT_FALSE(g_Opt_Flip_Lanes);
    EXPECT_TRUE(g_Opt_Show_Goalline);
    EXPECT_TRUE(g_Opt_Rotate);
    EXPECT_FALSE(g_Opt_Lane_Zero) << "a missing Lane_Zero reads as False";
    Canoe("ShowLanes", "False");
    Canoe("FlipLanes", "True");
    Canoe("ShowGoalline", "true"); // only the exact text True is True
    Canoe("Rotate", "False");
    Canoe("Lane_Zero", "True");
    Load_options();
    EXPECT_FALSE(g_Opt_Show_Lanes);
    EXPECT_TRUE(g_Opt_Flip_Lanes);
    EXPECT_FALSE(g_Opt_Show_Goalline);
    EXPECT_FALSE(g_Opt_Rotate);
    EXPECT_TRUE(g_Opt_Lane_Zero);
    EXPECT_FALSE(g_Options_Loading);
}

TEST_F(Overlay_Test, GoalFieldOfAPlace) {
    for (int32_t p = 1; p <= 16; ++p)
        Lane_Active_Heat_Array[p].goal_field = 1000 + p;
    Lane_Active_Heat_Array[16].goal_field = 70000; // a field beyond 16 bits survives
    const std::pair<double, int32_t> cases[] = {{0, 0},  {1, 1001}, {2.4, 1002}, {16, 70000},
                                                {17, 0}, {-1, 0},   {0.4, 0}};
    heat_fixture::Normal_Mode normal;
    for (const auto& [place, field] : cases)
        EXPECT_EQ(Go_to_Goal_field(place), field) << place;
    EXPECT_TRUE(normal.reports.empty());
}

TEST_F(Overlay_Test, DrawingLeavesKeyMarksAndGoalLine) {
    ASSERT_TRUE(Overlay_DIB().Create(400, 300));
    Canoe("Lanes", "0100020000500100");
    Load_Lanes();
    g_Num_Lanes_Shown = 2;
    const int32_t line[4] = {300, 10, 300, 290};
    std::copy_n(line, 4, g_Goal_Line_Points);
    Clear_Graphics();
    EXPECT_EQ(At(0, 0), heat_fixture::kKey);
    EXPECT_EQ(At(399, 299), heat_fixture::kKey);
    Draw_Goal_line();
    Draw_lanes(false);
    Overlay_DIB().SavePicture(test_env::output_dir() + "/overlay_module.bmp");
    EXPECT_EQ(At(300, 150), kWhite);
    EXPECT_EQ(At(92, 200), gdi::RGB(200, 200, 200)); // mark 0: grey fill left of its number
    EXPECT_EQ(At(42, 100), gdi::RGB(200, 200, 200));
    EXPECT_EQ(At(20, 30), heat_fixture::kKey); // mark 2 is not drawn
    EXPECT_EQ(At(250, 150), heat_fixture::kKey);

    // Dark goal line; the live preview's line and boxes in mode 1.
    Clear_Graphics();
    g_Goalline_Inverted = true;
    Draw_Goal_line();
    EXPECT_EQ(At(300, 150), gdi::RGB(25, 25, 25));
    Clear_Graphics();
    g_Program_Mode = 1;
    const int32_t live[4] = {50, 40, 50, 260};
    std::copy_n(live, 4, g_Live_Goal_Points);
    Draw_Goal_line();
    EXPECT_EQ(At(50, 150), gdi::RGB(25, 25, 25));
    EXPECT_EQ(At(300, 150), heat_fixture::kKey);
    EXPECT_EQ(At(44, 36), gdi::RGB(0, 0, 255)); // box corner: (50 - 6, 40 - 6) .. +12
    EXPECT_EQ(At(40, 40), heat_fixture::kKey);

    // Switched off: nothing.
    Clear_Graphics();
    g_Show_Lanes = g_Show_Goalline = false;
    Draw_Goal_line();
    Draw_lanes(false);
    EXPECT_EQ(At(92, 200), heat_fixture::kKey);
    EXPECT_EQ(At(50, 150), heat_fixture::kKey);
}

TEST_F(Overlay_Test, DrawingFailuresAreReported) {
    heat_fixture::Normal_Mode normal;
    ASSERT_TRUE(Overlay_DIB().Create(400, 300));
    Canoe("Lanes", "0100020000500100");
    Load_Lanes();
    Lane_Collection().Remove(3); // fourteen marks left
    g_Num_Lanes_Shown = 16;
    Clear_Graphics();
    Draw_lanes(false);
    EXPECT_EQ(At(92, 200), gdi::RGB(200, 200, 200)); // the marks before the gap are drawn
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].number, vb::errInvalidProcedureCall);
    EXPECT_EQ(normal.reports[0].location, "Draw_lanes of Form Frm_kanot");

    const int32_t line[4] = {40000, 0, 10, 10};
    std::copy_n(line, 4, g_Goal_Line_Points);
    Clear_Graphics();
    Draw_Goal_line();
    EXPECT_EQ(At(10, 5), heat_fixture::kKey);
    ASSERT_EQ(normal.reports.size(), 2u);
    EXPECT_EQ(normal.reports[1].number, vb::errOverflow);
    EXPECT_EQ(normal.reports[1].location, "Draw_Goal_line of Form Frm_kanot");
}

} // namespace
