// The lane results of the open heat: ranking and places, clearing, writing
// the records into a heat file's header (read back by Python from the
// bytes), and the small services of the results window and the exporters.
#include "Heat_Fixture.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "VbError.h"
#include "cls_VideoFile_handler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

struct Lane_Input {
    int32_t result = Result_None;
    int32_t click = 0;
};

// N lane marks numbered 0..N-1, as the loaders leave the collection.
void Marks(int32_t n) {
    Lane_Collection().Clear();
    for (int16_t i = 0; i < n; ++i) {
        auto lane = std::make_shared<Cls_lane>();
        lane->Lane_number(i);
        lane->time(1234);
        Lane_Collection().Add(lane);
    }
}

// What the window's Complete_Result_Array does with the records: copy lane
// index i to position i + 1, its lane set to i, then sort.
void Rank(const std::vector<Lane_Input>& lanes) {
    for (int16_t i = 0; i < 16; ++i) {
        const Lane_Input in = i < static_cast<int16_t>(lanes.size()) ? lanes[i] : Lane_Input{};
        Lane_Result_Array[i] = {i, in.result, in.click, 0};
        Lane_Active_Heat_Array[i + 1] = Lane_Result_Array[i];
        Lane_Active_Heat_Array[i + 1].lane = i;
    }
    Lane_Active_Heat_Array_Sort();
}

std::vector<int16_t> Ranked_Lanes() {
    std::vector<int16_t> lanes;
    for (int32_t p = 1; p <= 16; ++p)
        lanes.push_back(Lane_Active_Heat_Array[p].lane);
    return lanes;
}

TEST(Lane_results, RankingOrdersTimesThenCodesThenNoResult) {
    Marks(16);
    Rank({
        {5000, 10},                 // 0: tie with lane 2, attached later
        {4000, 20},                 // 1
        {5000, 5},                  // 2
        {Result_Did_Not_Start, 1},  // 3
        {Result_Disqualified, 50},  // 4
        {Result_Did_Not_Finish, 3}, // 5: both did not finish, marked after lane 6
        {Result_Did_Not_Finish, 2}, // 6
        {-40, 99},                  // 7: before the start signal still ranks by its signed time
        {99999999, 7},              // 8: the largest time below the codes
    });
    EXPECT_EQ(Ranked_Lanes(), (std::vector<int16_t>{7, 1, 2, 0, 8, 4, 3, 6, 5, 9, 10, 11, 12, 13, 14, 15}));
    const int16_t places[16] = {4, 2, 3, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 0, 0, 0};
    const int16_t positions[16] = {4, 2, 3, 7, 6, 9, 8, 1, 5, 10, 11, 12, 13, 14, 15, 16};
    for (int16_t lane = 0; lane < 16; ++lane) {
        EXPECT_EQ(Lane_To_Place(lane), places[lane]) << "lane " << lane;
        EXPECT_EQ(Find_Place(lane), positions[lane]) << "lane " << lane;
    }
    EXPECT_EQ(Lane_To_Place(16), 0);
}

TEST(Lane_results, WithoutResultsTheRankingIsLaneOrder) {
    Marks(6);
    Rank({});
    EXPECT_EQ(Ranked_Lanes(), (std::vector<int16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    for (int16_t lane = 0; lane < 6; ++lane) {
        EXPECT_EQ(Find_Place(lane), lane + 1);
        EXPECT_EQ(Lane_To_Place(lane), 0);
    }
    // Find_Place looks only as far as there are lane marks.
    EXPECT_EQ(Find_Place(6), 0);
}

TEST(Lane_results, FindPlaceBeyondSixteenMarksIsReported) {
    heat_fixture::Normal_Mode normal;
    Marks(17);
    Rank({});
    EXPECT_EQ(Find_Place(15), 16);
    EXPECT_EQ(Find_Place(16), 0);
    ASSERT_EQ(normal.reports.size(), 1u);
    EXPECT_EQ(normal.reports[0].number, vb::errSubscriptOutOfRange);
    EXPECT_EQ(normal.reports[0].location, "Find_Place of Module Module_Tidewick");
}

TEST(Lane_results, ClearLaneObjectsZeroesTheTimesAndKeepsTheMarks) {
    Marks(5);
    Clear_Lane_Objects();
    ASSERT_EQ(Lane_Collection().Count(), 5);
    for (int32_t i = 1; i <= 5; ++i) {
        EXPECT_EQ(Lane_Collection().Item(i).time(), 0);
        EXPECT_EQ(Lane_Collection().Item(i).Lane_number(), i - 1);
    }
}

TEST(Lane_results, ClearAllResultsWithoutAFileTouchesNoFile) {
    Release_Replay_Video_File();
    Rank({{5000, 10}, {Result_Disqualified, 3}});
    Lane_Result_Array[0].goal_field = 250;
    int completed = 0;
    On_Complete_Result_Array = [&] { ++completed; };
    Clear_All_Results();
    On_Complete_Result_Array = nullptr;
    for (int16_t i = 0; i < 16; ++i) {
        EXPECT_EQ(Lane_Result_Array[i].result, 0);
        EXPECT_EQ(Lane_Result_Array[i].click_time, 0);
        EXPECT_EQ(Lane_Result_Array[i].goal_field, 0);
    }
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(Replay_Video_File_If_Any(), nullptr)
        << "asking whether a file is open must not create the file object";
}

// The records of heat 1 as Python reads them from the file's bytes.
std::string Stored_Lanes(const std::string& path) {
    std::string out;
    EXPECT_EQ(test_env::run("python3 " + heat_fixture::Source_Dir() + "/tests/replay/lane_records.py '" +
                                path + "' 2>&1",
                            &out),
              0)
        << out;
    return out;
}

TEST(Lane_results, RecordsAreWrittenIntoTheOpenHeatFile) {
    heat_fixture::Development_Mode development;
    const std::string path = test_env::make_dir("lanes") + "/Heat7_a.qf3";
    std::string error;
    ASSERT_TRUE(make_heat::Make_Heat(heat_fixture::Small_Recipe(path), 3, &error)) << error;
    Release_Replay_Video_File();
    ASSERT_TRUE(Replay_Video_File().Open_File(path));

    for (int16_t i = 0; i < 16; ++i)
        Lane_Result_Array[i] = {i, 0, 0, 0};
    Lane_Result_Array[0] = {0, 61230, 1500000, 40001}; // a field number beyond 16 bits
    Lane_Result_Array[3] = {3, Result_Did_Not_Finish, -20, 0};
    Lane_Result_Array[15] = {15, 59990, 1499000, 3};
    Update_File_from_Array();

    std::ostringstream expected;
    for (int i = 0; i < 16; ++i) {
        const Lane_Result_Record& r = Lane_Result_Array[i];
        expected << i << " " << r.result << " " << r.click_time << " " << r.goal_field << "\n";
    }
    EXPECT_EQ(Stored_Lanes(path), expected.str());

    int completed = 0;
    On_Complete_Result_Array = [&] { ++completed; };
    Clear_All_Results();
    On_Complete_Result_Array = nullptr;
    std::ostringstream zeros;
    for (int i = 0; i < 16; ++i)
        zeros << i << " 0 0 0\n";
    EXPECT_EQ(Stored_Lanes(path), zeros.str());
    EXPECT_EQ(completed, 1);
    Release_Replay_Video_File();
}

TEST(Lane_results, HeatNumberFromFilename) {
    struct Case {
        const char* name;
        const char* number;
    };
    for (const Case c : {Case{"Heat12_a.qf3", "12"},
                         {"heat3_b", "3"},
                         {"Heat_5", ""},
                         {"Heat12.qf3", ""},
                         {"Heat1_Heat2_x", "2"},
                         {"/data/Heat 4-B_2016.qf3", " 4-B"},
                         {"race.qf3", ""},
                         {"heat9_Heat", ""},
                         {"HEAT8_x", ""}})
        EXPECT_EQ(Heat_number_from_Filename(c.name), c.number) << c.name;
}

TEST(Lane_results, EventNameComesFromTheSettings) {
    g_Ini_File_Path = test_env::make_dir("event") + "/Tidewick_HDMI.ini";
    g_Event_Name.clear();
    Load_Event_name();
    EXPECT_EQ(g_Event_Name, "NOEVENT");
    ASSERT_EQ(Write_Ini("Canoe", "event_name", "Spring regatta 2016", g_Ini_File_Path), 1);
    Load_Event_name();
    EXPECT_EQ(g_Event_Name, "Spring regatta 2016");
}

TEST(Lane_results, TimeParts) {
    struct Case {
        int32_t mill;
        int16_t h, m, s, t;
    };
    const int32_t hms = ((1 * 60 + 2) * 60 + 3) * 1000;
    for (const Case c : {Case{hms + 456, 1, 2, 3, 45},
                         {25 * 3600000, 1, 0, 0, 0},
                         {0, 0, 0, 0, 0},
                         {59999, 0, 0, 59, 99},
                         {1995, 0, 0, 1, 99},
                         {86399999, 23, 59, 59, 99},
                         {86400000 + 61010, 0, 1, 1, 1}}) {
        EXPECT_EQ(Display_mill_hms("h", c.mill), c.h) << c.mill;
        EXPECT_EQ(Display_mill_hms("m", c.mill), c.m) << c.mill;
        EXPECT_EQ(Display_mill_hms("s", c.mill), c.s) << c.mill;
        EXPECT_EQ(Display_mill_hms("t", c.mill), c.t) << c.mill;
    }
    EXPECT_EQ(Display_mill_hms("H", hms), 0);
    EXPECT_EQ(Display_mill_hms("x", hms), 0);
}

} // namespace
