// The live preview as the operator uses it: the display factor for crops
// taller and shorter than the screen, lane marks and goal-line ends dragged
// with the mouse (at full size and scaled down), the lane count and the first
// lane, the resets, the save to the settings that the replay window reads on
// its next opening, the question on closing, and the live picture painted by
// the capture window with the overlay over it.
#include "CaptureTestSupport.h"
#include "Capture_Rig.h"
#include "Form_capture_multi_file.h"
#include "Frm_fullscreen.h"
#include "Frm_kanot_2.h"
#include "Lane_Collection.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
#include "QtServices.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cls_Capture_HDMI.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <string>
#include <vector>

namespace {

using capture_test::pump_until;

constexpr gdi::COLORREF kKey = gdi::RGB(128, 128, 128);

class Live_Preview : public capture_test::CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        Wire_Program();
        static const bool initialised = [] {
            Tidewick_Initialization();
            return true;
        }();
        (void)initialised;
        forms::Install_Event_Pump();
        dir = test_env::make_dir(std::string("preview-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        g_AppData_Folder = dir;
        g_Ini_File_Path = dir + "/Tidewick_HDMI.ini";
        test_env::write_file(g_Ini_File_Path, "");
        g_Compiled = false;
        g_Exiting = false;
        g_Overlay_Key_Colour = kKey;
        g_Program_Mode = 1;
        g_Max_Preview_Height = 0;
        g_Preview_Lane_Num = 0;
        Lane_Collection().Clear();
        g_Rotated_Crop = false;
        forms::set_screen_override(1920, 1000);
        test_env::dialogs().clear();
        Crop(332, 756);
    }
    void TearDown() override {
        P().Unload();
        Form_capture_multi_file().Unload();
        // Outside an event loop the unloaded windows go only when asked to;
        // a later activation must not meet them half gone.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        forms::set_screen_override(0, 0);
        CaptureTest::TearDown();
    }
    static class Frm_fullscreen& P() { return Frm_fullscreen(); }
    // The show flags come from the capture window's load (its step 8), as in
    // the program, where the preview is opened from that window.
    static void Load_Capture_Window() { Form_capture_multi_file().Load(); }
    static void Crop(int16_t w, int16_t h) {
        g_Capture_Crop_Width = w;
        g_Capture_Crop_Height = h;
    }
    static void Canoe(const char* key, const std::string& value) {
        Write_Ini("Canoe", key, value, g_Ini_File_Path);
    }
    static std::string Canoe(const char* key) { return Read_Ini("Canoe", key, g_Ini_File_Path, ""); }

    QWidget* Picture() { return test_env::widget_of(P(), "Picture_preview"); }
    // A press, a move and a release on the picture, in displayed pixels.
    void Drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(Picture(), button, Qt::NoModifier, from);
        QTest::mouseMove(Picture(), to);
        QTest::mouseRelease(Picture(), button, Qt::NoModifier, to);
    }
    static QPoint Mark(int32_t position) {
        const Cls_lane& l = Lane_Collection().Item(position);
        return {l.X(), l.Y()};
    }

    std::string dir;
};

TEST_F(Live_Preview, DisplayFactorFollowsTheCropAndTheWindowHeight) {
    P().Show();
    // As tall as the screen of 1000 pixels, less the menu bar.
    ASSERT_GT(g_Max_Preview_Height, 900);
    ASSERT_LE(g_Max_Preview_Height, 1000);
    struct Case {
        int16_t w, h;
    };
    for (const Case c : {Case{332, 756}, Case{440, 1080}, Case{594, 1056}, Case{332, 880}}) {
        SCOPED_TRACE(std::to_string(c.w) + "*" + std::to_string(c.h));
        Crop(c.w, c.h);
        P().Set_Preview_Size();
        const double h = P().ScaleHeight();
        const float factor = c.h <= h ? 1.0f : static_cast<float>(h / c.h);
        EXPECT_FLOAT_EQ(P().Display_Factor(), factor);
        EXPECT_NEAR(P().Picture_preview.ScaleHeight(), c.h * factor, 1.0);
        EXPECT_NEAR(P().Picture_preview.ScaleWidth(), c.w * factor, 1.0);
        EXPECT_EQ(Overlay_DIB().Width(), c.w);
        EXPECT_EQ(Overlay_DIB().Height(), c.h);
        // The options stand right of the picture, inside the window.
        EXPECT_GE(P().Frame_options.Left(), P().Picture_preview.Width());
        EXPECT_LE(P().Frame_options.Left() + P().Frame_options.Width(), P().ScaleWidth());
        const std::string caption =
            "Tidewick Live Preview " + std::to_string(c.w) + "*" + std::to_string(c.h);
        if (factor < 1)
            EXPECT_EQ(P().Caption().rfind(caption + " , displayed as: ", 0), 0u) << P().Caption();
        else
            EXPECT_EQ(P().Caption(), caption);
    }
}

// A window whose inner height is 1000 shows a crop of 440 by 1080 at
// 1000 / 1080: the displayed point (100, 100) is the frame point (108, 108).
TEST_F(Live_Preview, MouseDownPointIsInFramePixels) {
    Load_Capture_Window();
    forms::set_screen_override(1920, 1200);
    Crop(440, 1080);
    P().Show();
    P().Height(vb::CLng(P().Height() + (1000 - P().ScaleHeight()) * forms::kTwipsPerPixel));
    QApplication::processEvents();
    ASSERT_EQ(P().ScaleHeight(), 1000);
    EXPECT_FLOAT_EQ(P().Display_Factor(), 1000.0f / 1080.0f);
    QTest::mousePress(Picture(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(g_Drag_Start_X, 108);
    EXPECT_EQ(g_Drag_Start_Y, 108);
    QTest::mouseRelease(Picture(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));

    // A mark dragged on the scaled picture moves by the frame pixels the
    // mouse covered: 50 displayed pixels are 54 frame pixels.
    Canoe("Lanes", "01000200");
    Load_Lanes();
    const QPoint shown(vb::CLng(100 * 1000.0 / 1080), vb::CLng(200 * 1000.0 / 1080));
    Drag(shown, shown + QPoint(50, -50));
    EXPECT_EQ(Mark(1), QPoint(154, 146));

    // Reset, the goal line goes to the middle of the frame, not of the
    // picture that shows it scaled down (which would give 204, 100 to 900).
    P().Reset_Goal_line();
    EXPECT_EQ(std::vector<int32_t>(g_Live_Goal_Points, g_Live_Goal_Points + 4),
              (std::vector<int32_t>{220, 108, 220, 972}));
}

TEST_F(Live_Preview, DraggingMarksAndGoalLineEnds) {
    Load_Capture_Window();
    Canoe("Lanes", "01000200");
    Canoe("Goalline", "166,075,166,680");
    Canoe("Lane_num", "6");
    P().Show();
    ASSERT_FLOAT_EQ(P().Display_Factor(), 1.0f);
    struct Case {
        const char* what;
        QPoint from, to;
        Qt::MouseButton button;
        QPoint mark, start, end; // after the drag: mark 1, goal line start and end
    };
    const Case cases[] = {
        {"a mark by +30, -20", {100, 200}, {130, 180}, Qt::LeftButton, {130, 180}, {166, 75}, {166, 680}},
        {"grabbed off its centre", {125, 185}, {135, 195}, Qt::LeftButton, {140, 190}, {166, 75}, {166, 680}},
        {"a mark to x = 0 stays", {140, 190}, {0, 190}, Qt::LeftButton, {140, 190}, {166, 75}, {166, 680}},
        {"a mark to y = crop height stays",
         {140, 190},
         {140, 756},
         Qt::LeftButton,
         {140, 190},
         {166, 75},
         {166, 680}},
        {"a mark to x = 1 moves", {140, 190}, {1, 190}, Qt::LeftButton, {1, 190}, {166, 75}, {166, 680}},
        {"back", {1, 190}, {100, 200}, Qt::LeftButton, {100, 200}, {166, 75}, {166, 680}},
        {"a right drag on a mark moves nothing",
         {100, 200},
         {150, 250},
         Qt::RightButton,
         {100, 200},
         {166, 75},
         {166, 680}},
        {"the goal line's start", {170, 78}, {180, 98}, Qt::LeftButton, {100, 200}, {176, 95}, {166, 680}},
        {"its end, with the right button",
         {166, 680},
         {200, 700},
         Qt::RightButton,
         {100, 200},
         {176, 95},
         {200, 700}},
        {"its end out of the frame stays",
         {200, 700},
         {200, 756},
         Qt::LeftButton,
         {100, 200},
         {176, 95},
         {200, 700}},
        {"beside both ends nothing moves",
         {300, 400},
         {310, 420},
         Qt::LeftButton,
         {100, 200},
         {176, 95},
         {200, 700}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drag(c.from, c.to, c.button);
        EXPECT_EQ(Mark(1), c.mark);
        EXPECT_EQ(QPoint(g_Live_Goal_Points[0], g_Live_Goal_Points[1]), c.start);
        EXPECT_EQ(QPoint(g_Live_Goal_Points[2], g_Live_Goal_Points[3]), c.end);
        EXPECT_EQ(g_Drag_Lane, -1);
        EXPECT_EQ(g_Selected_Box, 0);
    }
    EXPECT_TRUE(P().Positions_Changed());

    // The goal line's ends do not move while it is hidden.
    P().Chk_Show_Goalline.Value(0);
    Drag({176, 95}, {186, 105});
    EXPECT_EQ(QPoint(g_Live_Goal_Points[0], g_Live_Goal_Points[1]), QPoint(176, 95));
    P().Chk_Show_Goalline.Value(1);
}

// The marks and the goal line show and move once the capture window has
// loaded: its load switches them on, whatever the replay window left.
TEST_F(Live_Preview, CaptureWindowLoadLetsThePreviewDrawAndDragTheMarks) {
    g_Show_Lanes = g_Show_Goalline = false;
    Canoe("Lanes", "00600100");
    Canoe("Goalline", "166,040,166,700");
    Canoe("Lane_num", "1");
    Canoe("ShowLanes", "True");
    Canoe("ShowGoalline", "True");
    auto& C = Form_capture_multi_file();
    C.Load();
    P().Show();
    P().Preview_Graphics();
    const auto colour = [&](int x, int y) {
        return static_cast<gdi::COLORREF>(P().Picture_preview.Point(x, y));
    };
    EXPECT_EQ(colour(166, 300), gdi::RGB(255, 255, 255)) << "the goal line";
    EXPECT_EQ(colour(53, 100), gdi::RGB(200, 200, 200)) << "the first mark";
    Drag({60, 100}, {90, 130});
    EXPECT_EQ(Mark(1), QPoint(90, 130));
    test_env::screenshot(P(), "live_preview_after_capture_load");
    C.Unload();
}

TEST_F(Live_Preview, SavedLanesAndGoalLineReachTheReplayWindow) {
    Load_Capture_Window();
    Canoe("Lanes", "00150020"); // "Lane_num" is read only beside stored lanes
    Canoe("Lane_num", "8");
    Canoe("Goalline", "166,075,166,680");
    P().Show();
    EXPECT_EQ(P().UpDown_Lanes.Value(), 8);
    EXPECT_EQ(P().Lbl_num_lanes.Caption(), "8");
    // "Lane_Zero" is missing: lanes count from 1.
    EXPECT_TRUE(P().Option_first_lane(1).Value());
    EXPECT_EQ(Lane_Collection().Item(1).Lane_number(), 1);
    EXPECT_EQ(Lane_Collection().Item(16).Lane_number(), 16);

    // Reset lane positions, answered OK, then Cancel leaves them.
    test_env::dialogs().answer_msg(forms::vbOK);
    P().item_reset_positions.Trigger();
    EXPECT_EQ(test_env::dialogs().shown.back().prompt, "This will reset all lane positions, are you sure?");
    EXPECT_EQ(test_env::dialogs().shown.back().title, "Tidewick Exit");
    EXPECT_EQ(test_env::dialogs().shown.back().buttons, forms::vbOKCancel | forms::vbDefaultButton2);
    for (int32_t i = 1; i <= 16; ++i)
        EXPECT_EQ(Mark(i), QPoint(20 * i + 10, 20 * i + 10));
    Drag({30, 30}, {5, 534});
    test_env::dialogs().answer_msg(forms::vbCancel);
    P().item_reset_positions.Trigger();
    EXPECT_EQ(Mark(1), QPoint(5, 534));

    // The goal line goes to the middle of the frame, whatever its display size.
    test_env::dialogs().answer_msg(forms::vbOK);
    P().item_reset_goal_line.Trigger();
    EXPECT_EQ(test_env::dialogs().shown.back().prompt, "This will reset Goal line position, are you sure?");
    EXPECT_EQ(std::vector<int32_t>(g_Live_Goal_Points, g_Live_Goal_Points + 4),
              (std::vector<int32_t>{166, 76, 166, 680}));

    // Lane 0 numbers the marks from 0; the count follows the up-down.
    QTest::mouseClick(test_env::widget_of(P(), "Option_first_lane(0)"), Qt::LeftButton, Qt::NoModifier,
                      QPoint(5, 5));
    EXPECT_EQ(Canoe("Lane_Zero"), "True");
    EXPECT_EQ(Lane_Collection().Item(1).Lane_number(), 0);
    EXPECT_EQ(Lane_Collection().Item(16).Lane_number(), 15);
    QWidget* up = test_env::widget_of(P(), "UpDown_Lanes")->findChild<QWidget*>("up");
    ASSERT_NE(up, nullptr);
    QTest::mouseClick(up, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseClick(up, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(g_Preview_Lane_Num, 10);
    EXPECT_EQ(Canoe("Lane_num"), "10");
    EXPECT_EQ(P().Lbl_num_lanes.Caption(), "10");

    // Options, goal line and all sixteen marks are saved.
    P().Chk_Flip_Lanemarks.Value(1);
    QTest::mouseClick(test_env::widget_of(P(), "Cmd_save_options"), Qt::LeftButton);
    EXPECT_FALSE(P().Positions_Changed());
    EXPECT_EQ(Canoe("ShowLanes"), "True");
    EXPECT_EQ(Canoe("FlipLanes"), "True");
    EXPECT_EQ(Canoe("ShowGoalline"), "True");
    EXPECT_EQ(Canoe("Goalline"), "166,076,166,680");
    std::string lanes = "00050534";
    for (int32_t i = 2; i <= 16; ++i)
        lanes += vb::FormatNumber(20 * i + 10, "0000") + vb::FormatNumber(20 * i + 10, "0000");
    EXPECT_EQ(Canoe("Lanes"), lanes);
    EXPECT_EQ(Canoe("Lanes").size(), 128u);
    // Closed without further moves: nothing is asked.
    test_env::dialogs().clear();
    P().item_close.Trigger();
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_FALSE(P().IsLoaded());

    // The replay window's next opening reads them.
    Lane_Collection().Clear();
    std::fill(g_Live_Goal_Points, g_Live_Goal_Points + 4, 0);
    Frm_kanot_2().Unload();
    Frm_kanot_2().Load();
    ASSERT_EQ(Lane_Collection().Count(), 16);
    EXPECT_EQ(Mark(1), QPoint(5, 534));
    EXPECT_EQ(Mark(16), QPoint(330, 330));
    EXPECT_EQ(std::vector<int32_t>(g_Live_Goal_Points, g_Live_Goal_Points + 4),
              (std::vector<int32_t>{166, 76, 166, 680}));
    EXPECT_EQ(g_Preview_Lane_Num, 10);
    Frm_kanot_2().Unload();
}

TEST_F(Live_Preview, ClosingAfterAMoveAsksToSave) {
    Load_Capture_Window();
    Canoe("Lanes", "01000200");
    struct Case {
        int32_t answer;
        const char* saved;
        QPoint mark_after; // in memory once closed
    };
    for (const Case& c :
         {Case{forms::vbCancel, "01000200", {100, 200}}, Case{forms::vbOK, "01200210", {120, 210}}}) {
        P().Show();
        Drag({100, 200}, {120, 210});
        test_env::dialogs().clear();
        test_env::dialogs().answer_msg(c.answer);
        P().item_close.Trigger();
        ASSERT_EQ(test_env::dialogs().prompts(),
                  std::vector<std::string>{"Lanes or goal line has been moved. Save your changes?"});
        EXPECT_EQ(test_env::dialogs().shown[0].title, "Tidewick Settings");
        EXPECT_FALSE(P().IsLoaded());
        EXPECT_EQ(Canoe("Lanes").substr(0, 8), c.saved);
        EXPECT_EQ(Mark(1), c.mark_after);
        EXPECT_EQ(g_Program_Mode, 0);
    }
}

// The capture window paints the synthetic camera's frames into the preview
// and the preview draws its marks and goal line over them.
TEST_F(Live_Preview, LivePictureWithTheOverlay) {
    Load_Capture_Window();
    win::FakeClock clock{100000};
    win::set_clock(&clock);
    Write_Ini("capturesettings", "friendlyname", "HDMI Capture", g_Ini_File_Path);
    Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
    Canoe("Lanes", "00600100010002000140030001800400");
    Canoe("Goalline", "166,040,166,700");
    Canoe("Lane_num", "4");
    Crop(332, 756);
    auto& C = Form_capture_multi_file();
    C.Show();
    if (!C.obj_Capture_HDMI() || !C.obj_Capture_HDMI()->Running()) {
        C.Set_Source_and_Property();
        C.Start_Camera();
    }
    ASSERT_NE(C.obj_Capture_HDMI(), nullptr);
    C.item_preview.Trigger();
    EXPECT_TRUE(P().Visible());
    EXPECT_TRUE(P().item_full_preview.Checked());
    EXPECT_EQ(g_Program_Mode, 1);
    cls_Capture_HDMI& cap = *C.obj_Capture_HDMI();
    ASSERT_TRUE(pump_until([&] { return cap.HDMI_events() >= 8; }));

    // The picture: the camera's frame, the goal line white, a mark's grey
    // circle, the key colour nowhere.
    const auto colour = [&](int x, int y) {
        return static_cast<gdi::COLORREF>(P().Picture_preview.Point(x, y));
    };
    EXPECT_EQ(colour(166, 300), gdi::RGB(255, 255, 255));
    EXPECT_EQ(colour(53, 100), gdi::RGB(200, 200, 200)); // the first mark, left of its number
    EXPECT_NE(colour(250, 600), kKey);
    const std::string out = test_env::output_dir();
    EXPECT_TRUE(P().Grab().SavePng(out + "/live_preview.png"));
    EXPECT_TRUE(C.Grab().SavePng(out + "/live_preview_capture_window.png"));

    // Unchecking "Video preview" hides it and ends the overlay mode.
    C.item_preview.Trigger();
    EXPECT_FALSE(P().Visible());
    EXPECT_EQ(g_Program_Mode, 0);
    // Closed from its own Close button, the capture window's entry is
    // cleared and the frames that follow leave the closed window alone.
    C.item_preview.Trigger();
    ASSERT_TRUE(P().Visible());
    QTest::mouseClick(test_env::widget_of(P(), "Command_close"), Qt::LeftButton);
    EXPECT_FALSE(P().IsLoaded());
    EXPECT_FALSE(C.item_preview.Checked());
    EXPECT_EQ(g_Program_Mode, 0);
    const int32_t seen = cap.HDMI_events();
    ASSERT_TRUE(pump_until([&] { return cap.HDMI_events() >= seen + 6; }));
    EXPECT_FALSE(P().IsLoaded());
    C.Terminate_obj_Capture_HDMI();
    C.Unload();
    win::set_clock(nullptr);
}

} // namespace
