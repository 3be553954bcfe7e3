// The overlay over the replay window's large picture, as a heat shows it:
// the key colour lets the frame through, lane marks and goal line land at
// their places once the overlay is stretched to the picture, upright and
// rotated; the extra line from the header; the drawing without a file and
// with the marks switched off.
#include "Frm_kanot_2.h"

#include "Heat_Fixture.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace {

class Overlay_Window : public ::testing::Test {
protected:
    void SetUp() override {
        Wire_Program();
        static const bool initialised = [] {
            Tidewick_Initialization();
            return true;
        }();
        (void)initialised;
        Frm_kanot_2().Unload(); // the initialisation loads it to set its timing method
        forms::Install_Event_Pump();
        forms::Install_Font_Substitutes();
        dir = test_env::make_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        g_AppData_Folder = dir;
        g_Ini_File_Path = dir + "/Tidewick_HDMI.ini";
        test_env::write_file(g_Ini_File_Path, "");
        setenv("TIDEWICK_DEVELOPMENT", "1", 1);
        g_Compiled = false;
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        // Marks 0 and 1 at (50, 40) and (50, 70); the rest at (20, 30).
        Write_Ini("Canoe", "Lanes", "0050004000500070", g_Ini_File_Path);
        Frm_kanot_2().Show();
        QApplication::processEvents();
        g_Show_Lanes = g_Show_Goalline = true;
        g_Goalline_Inverted = false;
        g_Program_Mode = 10;
        g_Num_Lanes_Shown = 2;
        const int32_t goal[4] = {150, 0, 150, 99};
        std::copy_n(goal, 4, g_Goal_Line_Points);
    }
    void TearDown() override {
        Frm_kanot_2().Unload();
        if (auto* f = Replay_Video_File_If_Any()) f->Close_File();
        Release_Replay_Video_File();
    }
    // A heat of 200 x 100 frames opened in the replay side's file object.
    void open_heat(int32_t width = 200, int32_t height = 100) {
        auto recipe = heat_fixture::Small_Recipe(dir + "/heat.qf3", 90000);
        recipe.width = width;
        recipe.height = height;
        std::string error;
        ASSERT_TRUE(make_heat::Make_Heat(recipe, 3, &error)) << error;
        Release_Replay_Video_File();
        ASSERT_TRUE(Replay_Video_File().Open_File(recipe.path));
    }
    // Shows the frame in a picture of w x h pixels and lays the overlay over it.
    QImage show(int32_t w, int32_t h, bool rotated) {
        auto& win = Frm_kanot_2();
        win.Picture_large.Move(0, 0, w, h);
        if (rotated) Replay_Video_File().Stream_rotated(1, true);
        g_Display_Width = static_cast<int16_t>(rotated ? 100 : 200);
        g_Display_Height = static_cast<int16_t>(rotated ? 200 : 100);
        win.Create_obj_Graphics();
        int16_t frame = 2;
        Replay_Video_File().Draw_RGB_frame(frame, win.Picture_large);
        before = win.Picture_large.Image().image().copy();
        bool refresh = false, marks_off = false;
        win.Draw_Graphics(refresh, marks_off);
        EXPECT_TRUE(refresh); // not playing: the picture is refreshed
        return win.Picture_large.Image().image();
    }
    static bool grey_fill(const QImage& img, int x, int y) {
        return img.pixelColor(x, y) == QColor(200, 200, 200);
    }
    static bool white(const QImage& img, int x, int y) {
        return img.pixelColor(x, y) == QColor(255, 255, 255);
    }

    std::string dir;
    QImage before;
};

TEST_F(Overlay_Window, MarksAndGoalLineAreStretchedWithThePicture) {
    open_heat();
    const QImage img = show(400, 200, false);
    ASSERT_TRUE(Frm_kanot_2().Grab().SavePng(test_env::output_dir() + "/replay_overlay_stretched.png"));
    EXPECT_EQ(Overlay_DIB().Width(), 200);
    // Overlay pixel (x, y) lands on picture pixels (2x, 2y) .. (2x + 1, 2y + 1).
    EXPECT_TRUE(grey_fill(img, 2 * 43, 2 * 40)); // mark 0, left of its number
    EXPECT_TRUE(grey_fill(img, 2 * 43, 2 * 70)); // mark 1
    EXPECT_TRUE(white(img, 2 * 150, 2 * 50));
    EXPECT_TRUE(white(img, 2 * 150 + 1, 2 * 50 + 1));
    EXPECT_FALSE(grey_fill(before, 2 * 43, 2 * 40));
    // Wherever the overlay holds its key colour the frame is untouched.
    int changed_outside = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) {
            const bool near_marks = x < 2 * 50 + 2 * 13 + 2 && y > 2 * 26 && y < 2 * 86;
            const bool guide_bands = x >= 2 * 50 - 2 && y > 2 * 26 && y < 2 * 86; // their dotted lines
            const bool goal = x >= 2 * 148 && x <= 2 * 153;
            if (!near_marks && !guide_bands && !goal)
                changed_outside += img.pixel(x, y) != before.pixel(x, y);
        }
    EXPECT_EQ(changed_outside, 0);
}

TEST_F(Overlay_Window, MarksSitOnTheRotatedPicture) {
    open_heat();
    const int32_t goal[4] = {0, 150, 99, 150};
    std::copy_n(goal, 4, g_Goal_Line_Points);
    const QImage img = show(300, 600, true);
    ASSERT_TRUE(Frm_kanot_2().Grab().SavePng(test_env::output_dir() + "/replay_overlay_rotated.png"));
    EXPECT_EQ(Overlay_DIB().Width(), 100);
    EXPECT_EQ(Overlay_DIB().Height(), 200);
    EXPECT_TRUE(grey_fill(img, 3 * 43 + 1, 3 * 40 + 1));
    EXPECT_TRUE(grey_fill(img, 3 * 43 + 1, 3 * 70 + 1));
    EXPECT_TRUE(white(img, 3 * 80 + 1, 3 * 150 + 1));
    EXPECT_EQ(img.pixel(3 * 90, 3 * 190), before.pixel(3 * 90, 3 * 190));
}

TEST_F(Overlay_Window, WithoutAFileTheGoalLineIsDrawnButNoLaneMarks) {
    Frm_kanot_2().Picture_large.Move(0, 0, 200, 100);
    g_Display_Width = 200;
    g_Display_Height = 100;
    Frm_kanot_2().Create_obj_Graphics();
    bool refresh = false, marks_off = false;
    Frm_kanot_2().Draw_Graphics(refresh, marks_off);
    const QImage img = Frm_kanot_2().Picture_large.Image().image();
    EXPECT_TRUE(white(img, 150, 50));
    EXPECT_FALSE(grey_fill(img, 43, 40));
}

TEST_F(Overlay_Window, MarksOffLeavesTheExtraLineAndPlayingLeavesTheRefresh) {
    open_heat();
    Replay_Video_File().Hdr_spare1("60,20");
    auto& win = Frm_kanot_2();
    win.item_auto_detect.Checked(true);
    win.Picture_large.Move(0, 0, 200, 100);
    g_Display_Width = 200;
    g_Display_Height = 100;
    win.Create_obj_Graphics();
    win.Overlay_Changed = true;
    win.Playing = true;
    bool refresh = false, marks_off = true;
    win.Draw_Graphics(refresh, marks_off);
    EXPECT_FALSE(refresh);
    EXPECT_FALSE(win.Overlay_Changed);
    const QImage img = win.Picture_large.Image().image();
    EXPECT_EQ(img.pixelColor(60, 20), QColor(255, 0, 0)); // the extra line, red
    EXPECT_EQ(img.pixelColor(41, 20), QColor(255, 0, 0));
    EXPECT_FALSE(white(img, 150, 50));
    EXPECT_FALSE(grey_fill(img, 43, 40));
    EXPECT_EQ(gdi::GetPixel(Overlay_DIB().hDC(), 43, 40), heat_fixture::kKey);
    win.Playing = false;
    win.item_auto_detect.Checked(false);
}

TEST_F(Overlay_Window, ExtraLineFromTheHeader) {
    open_heat();
    auto& win = Frm_kanot_2();
    heat_fixture::Normal_Mode normal;
    struct Case {
        const char* field;
        int16_t x, y;
    };
    win.Extra_Line_X = 7;
    win.Extra_Line_Y = 8;
    for (const Case c : {Case{"0000", 7, 8},
                         {"120,40", 120, 40},
                         {"abc", 120, 40},
                         {"1,2,3", 120, 40},
                         {"99999,1", 120, 40},
                         {",5", 120, 40},
                         {" 30 , 9", 30, 9}}) {
        Replay_Video_File().Hdr_spare1(c.field);
        win.Read_Extra_line();
        EXPECT_EQ(win.Extra_Line_X, c.x) << c.field;
        EXPECT_EQ(win.Extra_Line_Y, c.y) << c.field;
    }
    EXPECT_TRUE(normal.reports.empty());
}

} // namespace
