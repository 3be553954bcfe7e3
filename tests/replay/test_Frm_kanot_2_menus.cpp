// The replay window's menu commands as the operator chooses them, the
// goal-line colour detection on a heat made by the program's own writer,
// the frame-range export read back by ffprobe, and the file properties
// printed to PDF and read back by pdftotext with the progress window seen.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "FolderBrowser.h"
#include "Form_Auto_detect.h"
#include "Form_capture_multi_file.h"
#include "Form_properties.h"
#include "Frm_export.h"
#include "Frm_progress.h"
#include "Frm_results.h"
#include "Heat_Fixture.h"
#include "KeyState.h"
#include "Keys.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Printer.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

using test_env::process_events;

// Paints a picture of one colour (0x00BBGGRR) with an optional block of another.
struct Block {
    int32_t left = 0, top = 0, right = -1, bottom = -1; // inclusive, top-down rows
    uint32_t colour = 0;
};
void paint(cDIBSection& dib, uint32_t background, const Block& block) {
    const int32_t w = dib.Width(), h = dib.Height(), stride = dib.BytesPerScanLine();
    uint8_t* bits = dib.DIBSectionBitsPtr();
    for (int32_t row = 0; row < h; ++row) {
        const int32_t y = h - 1 - row; // the first row in memory is the bottom one
        for (int32_t x = 0; x < w; ++x) {
            const bool in = x >= block.left && x <= block.right && y >= block.top && y <= block.bottom;
            const uint32_t c = in ? block.colour : background;
            uint8_t* p = bits + static_cast<int64_t>(row) * stride + 3 * x;
            p[0] = static_cast<uint8_t>(c >> 16);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c);
        }
    }
}

// Records the field shown whenever a message box comes up.
class Field_Recording_Dialogs : public forms::ScriptedDialogs {
public:
    int32_t msg_box(const std::string& prompt, int32_t buttons, const std::string& title) override {
        fields.push_back(Frm_kanot_2().Slider_play.Value());
        return ScriptedDialogs::msg_box(prompt, buttons, title);
    }
    std::vector<int32_t> fields;
};

constexpr uint32_t kWater = 0x00A05A3C; // RGB(60, 90, 160)
constexpr uint32_t kBoat = 0x001E28DC;  // RGB(220, 40, 30)

class ReplayMenus : public ::testing::Test {
protected:
    void SetUp() override {
        dir = Set_Up_Replay_Test(clock);
        forms::Install_Key_State_Feed();
        g_Compiled = true;
        reports.clear();
        vb::SetTrappingEnabled([] { return g_Compiled; });
        vb::SetErrorHandler([this](const vb::VbError&, const std::string& location, const std::string&) {
            reports.push_back(location);
        });
        Release_Replay_Video_File();
        Frm_kanot_2().Extra_Line_Y = 0;
        test_env::dialogs().clear();
        win::clear_keys();
        Frm_kanot_2().Show();
        process_events();
    }
    void TearDown() override {
        for (forms::Form* f : std::initializer_list<forms::Form*>{&Frm_export(), &Form_properties(),
                                                                  &Frm_progress(), &Form_Auto_detect()})
            f->Unload();
        Frm_kanot_2().Unload();
        Release_Replay_Video_File();
        forms::set_folder_browse_hook(nullptr);
        forms::set_printer_service(nullptr);
        forms::set_dialog_service(&test_env::dialogs());
        win::set_clock(nullptr);
        win::clear_keys();
    }
    std::string make(const std::string& name, int32_t frames, int32_t width = 64, int32_t height = 48,
                     std::function<void(cDIBSection&, int32_t)> fill = nullptr) {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name, 0);
        recipe.width = width;
        recipe.height = height;
        recipe.fill = std::move(fill);
        return heat_fixture::Make_Small_Heat(recipe, frames);
    }
    // Rewrites header fields of a heat file made above, before the window opens it.
    void edit(const std::string& path, const std::function<void(cls_VideoFile_handler&)>& change) {
        cls_VideoFile_handler vf;
        vf.File_name(path);
        vf.Open_RGB_File();
        ASSERT_TRUE(vf.File_open());
        change(vf);
        vf.Write_XML_Header();
        vf.Close_File();
    }

    win::FakeClock clock{5000};
    std::vector<std::string> reports;
    std::string dir;
};

// ---- The commands, by menu ----

TEST_F(ReplayMenus, ToggleItemsSwitchTheirCheckMarkAndNothingElse) {
    auto& w = Frm_kanot_2();
    for (forms::Menu* item : {&w.item_check_timing, &w.item_display_HSL, &w.item_disp_xy,
                              &w.item_display_sample_data, &w.item_taskbar}) {
        SCOPED_TRACE(item->Name());
        const bool before = item->Checked();
        item->Trigger();
        EXPECT_NE(item->Checked(), before);
        item->Trigger();
        EXPECT_EQ(item->Checked(), before);
    }
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(ReplayMenus, UseThisSizeStoresTheWindowsPositionOnlyWhenSwitchedOn) {
    auto& w = Frm_kanot_2();
    w.Move(600, 1200, w.Width(), 9000);
    w.item_use_size.Trigger();
    EXPECT_TRUE(w.item_use_size.Checked());
    EXPECT_EQ(Read_Ini("Settings", "lastformpos", g_Ini_File_Path, ""),
              vb::CStr(w.Top()) + "," + vb::CStr(w.Left()) + "," + vb::CStr(w.Height()));
    Write_Ini("Settings", "lastformpos", "kept", g_Ini_File_Path);
    w.item_use_size.Trigger();
    EXPECT_FALSE(w.item_use_size.Checked());
    EXPECT_EQ(Read_Ini("Settings", "lastformpos", g_Ini_File_Path, ""), "kept");
}

TEST_F(ReplayMenus, CloseAndDeleteEmptyTheWindowAndDeleteRemovesTheFile) {
    auto& w = Frm_kanot_2();
    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    ASSERT_TRUE(Replay_File_Open());
    auto& results = Frm_results();
    results.Lbl_result_rank(0).Caption("1");
    w.item_close.Trigger();
    EXPECT_FALSE(Replay_File_Open());
    EXPECT_EQ(results.Lbl_result_rank(0).Caption(), "") << "the results window beside it is emptied too";
    EXPECT_EQ(w.Caption(), "Tidewick Video Replay ");
    EXPECT_TRUE(fs::exists(path)) << "closing keeps the file";

    // The delete asks first (its table is with the file commands' tests).
    Open_In_Replay_Window(path);
    test_env::dialogs().answer_msg(forms::vbYes);
    w.item_Delete_File.Trigger();
    EXPECT_FALSE(Replay_File_Open());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ReplayMenus, HeatStartCommandsWriteTheHeaderOfTheOpenFile) {
    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    Frm_kanot_2().itemLocalheatstart.Trigger();
    Frm_kanot_2().item_close.Trigger();
    cls_VideoFile_handler vf;
    vf.File_name(path);
    vf.Open_RGB_File();
    EXPECT_EQ(vf.Start_local_Mill_Time(1), 38793000);
    vf.Close_File();
}

TEST_F(ReplayMenus, FilePropertiesNeedAFileAndShowItsNameAndText) {
    auto& w = Frm_kanot_2();
    w.item_file_properties.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No file open!"});
    EXPECT_FALSE(Form_properties().IsLoaded());

    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    w.item_file_properties.Trigger();
    process_events();
    EXPECT_TRUE(Form_properties().Visible());
    EXPECT_EQ(Form_properties().Label_filename.Caption(), path);
    std::string text = Replay_Video_File().QF3_Properties();
    std::erase(text, '\r'); // the text box keeps bare line feeds
    EXPECT_EQ(Form_properties().Text_properties.Text(), text);
    EXPECT_FALSE(Form_properties().Text_properties.Text().empty());
    test_env::screenshot(Form_properties(), "form_properties");
    Form_properties().Command_OK.Click();
    EXPECT_FALSE(Form_properties().IsLoaded());
}

TEST_F(ReplayMenus, MisbehaveTrappedGoesToTheReportInBothModes) {
    for (bool compiled : {true, false}) {
        SCOPED_TRACE(compiled);
        g_Compiled = compiled;
        reports.clear();
        Frm_kanot_2().item_misbehave.Trigger();
        EXPECT_EQ(reports, std::vector<std::string>{"item_misbehave_Click of Form frm_kanot_2"});
    }
    // The untrapped one reaches the end of the menu event, which says so; the
    // window goes on.
    g_Compiled = true;
    reports.clear();
    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    const std::string before = test_env::read_file(path);
    Frm_kanot_2().item_misbehave_uncaptured.Trigger();
    EXPECT_TRUE(reports.empty());
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0].rfind("Run-time error '11':", 0), 0u);
    EXPECT_TRUE(Replay_File_Open());
    EXPECT_EQ(test_env::read_file(path), before);
    test_env::dialogs().clear(); // the box this test expects
}

TEST_F(ReplayMenus, StepForwardStopsAtTheLastField) {
    auto& w = Frm_kanot_2();
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    w.item_step_forward.Trigger();
    EXPECT_EQ(w.Slider_play.Value(), 2);
    EXPECT_EQ(w.Lbl_frameno.Caption(), "0002");
    w.Slider_play.Value(w.Slider_play.Max());
    w.item_step_forward.Trigger();
    EXPECT_EQ(w.Slider_play.Value(), w.Slider_play.Max());
    EXPECT_TRUE(reports.empty());
}

TEST_F(ReplayMenus, ClearThisLaneCancelledLeavesTheLaneAndItsMarkTimed) {
    auto& w = Frm_kanot_2();
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    g_Selected_Lane = 2;
    w.item_set_time.Trigger();
    const auto mark_time = [] {
        for (int32_t i = 1; i <= Lane_Collection().Count(); ++i)
            if (Lane_Collection().Item(i).Lane_number() == 2) return Lane_Collection().Item(i).time();
        return -1;
    };
    const int32_t timed = Lane_Result_Array[2].result;
    ASSERT_LT(timed, 10000000);
    ASSERT_EQ(mark_time(), timed);

    test_env::dialogs().clear();
    test_env::dialogs().answer_msg(forms::vbCancel);
    w.item_clear_lane.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Override existing result?"});
    EXPECT_EQ(Lane_Result_Array[2].result, timed);
    EXPECT_EQ(mark_time(), timed) << "the marks change only after the confirmation";

    test_env::dialogs().answer_msg(forms::vbOK);
    w.item_clear_lane.Trigger();
    EXPECT_EQ(Lane_Result_Array[2].result, Result_None);
    EXPECT_EQ(mark_time(), 0);
}

TEST_F(ReplayMenus, WindowCommandsShowAndHideTheirWindowsWithTheCheckMark) {
    auto& w = Frm_kanot_2();
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    const struct {
        forms::Menu* item;
        forms::Form* window;
    } pairs[] = {{&w.item_auto_detect, &Form_Auto_detect()}, {&w.item_export_form, &Frm_export()}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.item->Name());
        p.item->Trigger();
        EXPECT_TRUE(p.item->Checked());
        EXPECT_TRUE(p.window->Visible());
        p.item->Trigger();
        EXPECT_FALSE(p.item->Checked());
        EXPECT_FALSE(p.window->Visible());
    }
    // Zoom: only with a file, and off sets the pointer back.
    w.item_Zoom.Trigger();
    EXPECT_TRUE(w.item_Zoom.Checked());
    EXPECT_TRUE(w.Zoom_On);
    w.item_Zoom.Trigger();
    EXPECT_FALSE(w.Zoom_On);
    w.item_close.Trigger();
    w.item_Zoom.Trigger();
    EXPECT_FALSE(w.item_Zoom.Checked()) << "without a file the zoom stays off";
    EXPECT_TRUE(reports.empty());
}

TEST_F(ReplayMenus, MessageCommandsSayWhatTheyMeasure) {
    auto& w = Frm_kanot_2();
    w.item_computer_model.Trigger();
    w.item_sizes.Trigger();
    const auto prompts = test_env::dialogs().prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].rfind("Computer model : ", 0), 0u);
    EXPECT_NE(prompts[0].find("\r\nOS_version_WMI : "), std::string::npos);
    EXPECT_NE(prompts[0].find("\r\nGetManufacturer : "), std::string::npos);
    EXPECT_EQ(std::count(prompts[1].begin(), prompts[1].end(), '\n'), 6);
    EXPECT_NE(prompts[1].find("Frm_kanot_2.Scalewidth= " + vb::CStr(w.ScaleWidth())), std::string::npos);
    w.item_display_positions.Trigger();
    EXPECT_EQ(w.Caption(), "me.top: " + vb::CStr(w.Top()) + " me.left: " + vb::CStr(w.Left()));
}

TEST_F(ReplayMenus, UpdateEventNameWritesTheAnswerEvenWhenCancelled) {
    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>("Final A"), std::optional<std::string>()}) {
        test_env::dialogs().answer_input(answer);
        Frm_kanot_2().item_update_event.Trigger();
        cls_VideoFile_handler vf;
        vf.File_name(path);
        vf.Open_RGB_File();
        EXPECT_EQ(vf.Event_name(), answer.value_or(""));
        vf.Close_File();
    }
}

TEST_F(ReplayMenus, VideoCaptureClosesTheFileAndHandsOverToTheCaptureWindow) {
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    Frm_kanot_2().item_video_capture.Trigger();
    process_events();
    EXPECT_FALSE(Replay_File_Open());
    EXPECT_FALSE(Frm_kanot_2().Visible());
    EXPECT_FALSE(Frm_results().Visible());
    EXPECT_TRUE(Form_capture_multi_file().Visible());
    Form_capture_multi_file().Terminate_obj_Capture_HDMI();
    Form_capture_multi_file().Unload();
}

// ---- Goal-line colour analysis and lane detection ----

// Debug > "Run intro": the product name grows to 30/35 of its picture around
// the window's centre, the subtitle is written, and after a second the intro
// goes; the window waits all the while (60 ms a step).
TEST_F(ReplayMenus, RunIntroGrowsTheNameAndWritesTheSubtitle) {
    auto& w = Frm_kanot_2();
    const uint32_t start = clock.time_get_time();
    w.item_run_intro.Trigger();
    const std::string subtitle = "Regatta Timing & Photofinish";
    EXPECT_GE(clock.time_get_time() - start, (30 + subtitle.size()) * 60 + 1000);
    EXPECT_FALSE(w.Picture_intro.Visible());
    EXPECT_NEAR(w.Picture_intro.Width(), w.Picture_intro_2.Width() * 30 / 35.0, 2);
    EXPECT_NEAR(w.Picture_intro.Height(), w.Picture_intro_2.Height() * 30 / 35.0, 2);
    EXPECT_NEAR(w.Picture_intro.Left() + w.Picture_intro.Width() / 2, w.ScaleWidth() / 2, 2);
    EXPECT_NEAR(w.Picture_intro.Top() + w.Picture_intro.Height() / 2, w.ScaleHeight() / 2, 2);
    const QImage intro = w.Picture_intro.Image().image();
    int blue = 0;
    for (int y = 0; y < intro.height(); ++y)
        for (int x = 0; x < intro.width(); ++x)
            blue += intro.pixelColor(x, y) == QColor(0, 0, 255);
    EXPECT_GT(blue, intro.width() * intro.height() / 50) << "the name and the subtitle in blue";
    EXPECT_TRUE(w.Picture_intro.Image().SavePng(test_env::output_dir() + "/replay_intro.png"));
    EXPECT_TRUE(reports.empty());
}

class GoalLineDetection : public ReplayMenus {
protected:
    // A heat 64 x 144 of calm water; from frame `boat_frame` on a red boat
    // lies across the goal line (x 32) in rows 82..92, between lane marks 5
    // (y 70) and 6 (y 100): inside lane 6's band. The extra line lies at y 5.
    std::string make_boat_heat(int32_t boat_frame) {
        const std::string path =
            make("Heat7_boat.qf3", 10, 64, 144, [boat_frame](cDIBSection& dib, int32_t n) {
                paint(dib, kWater, n >= boat_frame ? Block{16, 82, 47, 92, kBoat} : Block{});
            });
        edit(path, [](cls_VideoFile_handler& vf) {
            const int32_t ys[] = {10, 25, 40, 55, 70, 100, 115, 125, 135};
            for (int16_t lane = 1; lane <= 9; ++lane)
                vf.File_Lane_Pos(lane, 32, ys[lane - 1]);
            // The extra line, where the sampling and the first band begin.
            vf.Hdr_spare1("32,5");
        });
        return path;
    }
};

TEST_F(GoalLineDetection, OpeningSamplesTheGoalLineIntoTheThresholds) {
    Open_In_Replay_Window(make_boat_heat(5));
    auto& d = Form_Auto_detect();
    // Calm water only: one colour along the whole line.
    EXPECT_EQ(d.Label_hue_min.Caption(), d.Label_hue_max.Caption());
    EXPECT_EQ(d.Label_lum_min.Caption(), d.Label_lum_max.Caption());
    int32_t h = 0, s = 0, l = 0;
    RGB_to_HSL(Replay_Video_File().Get_Field_Pixel(32, 40), h, s, l);
    EXPECT_EQ(d.Label_hue_min.Caption(), vb::CStr(h));
    EXPECT_EQ(d.Label_Sat_min.Caption(), vb::CStr(s)) << "the saturation threshold is the sampled maximum";
    EXPECT_EQ(d.Label_avg(2).Caption(), vb::CStr(l));
    const auto avg = Frm_kanot_2().Goal_HSL_Avg;
    Frm_kanot_2().item_Goal_HSL.Trigger();
    EXPECT_EQ(Frm_kanot_2().Goal_HSL_Avg, avg) << "a second sampling of the same field agrees";
}

TEST_F(GoalLineDetection, TriggerOnTheBoatsLaneOnceOnTheFirstFieldItCrosses) {
    const std::string path = make_boat_heat(5);
    Open_In_Replay_Window(path);
    Field_Recording_Dialogs dialogs;
    forms::set_dialog_service(&dialogs);
    auto& w = Frm_kanot_2();
    w.item_setup_auto.Trigger();
    ASSERT_EQ(w.Detect_Band_Count, 9);
    EXPECT_EQ(w.Detect_Bands[6].from_y, 70);
    EXPECT_EQ(w.Detect_Bands[6].to_y, 100);
    w.item_run_auto_detect.Trigger();
    // Field 9 is the first to show frame 5.
    EXPECT_EQ(dialogs.prompts(), std::vector<std::string>{"Trigger on lane 6"});
    EXPECT_EQ(dialogs.fields, std::vector<int32_t>{9});
    EXPECT_EQ(w.Slider_play.Value(), 20) << "the detection steps through every field";
    EXPECT_GE(w.Detect_Bands[6].hits, 3);
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(w.Detect_Bands[static_cast<size_t>(k)].hits, 0) << "band " << k;
    EXPECT_TRUE(reports.empty());

    // Testing each shown field again while "Test Auto for frame" is checked
    // counts each field once, still one trigger.
    dialogs.clear();
    dialogs.fields.clear();
    w.item_auto_for_frame.Trigger();
    ASSERT_TRUE(w.item_auto_for_frame.Checked());
    w.item_run_auto_detect.Trigger();
    EXPECT_EQ(dialogs.prompts(), std::vector<std::string>{"Trigger on lane 6"});
    EXPECT_EQ(dialogs.fields, std::vector<int32_t>{9});
    EXPECT_EQ(w.Detect_Bands[6].hits, 3) << "field 9 tested once gives its third hit there and stops";

    Form_Auto_detect().Show();
    process_events();
    test_env::screenshot(Form_Auto_detect(), "form_auto_detect");
}

// With the auto-detect window shown, the mouse over the picture tests the
// pixel under it; the window shows that frame pixel's x and y.
TEST_F(GoalLineDetection, TheTestedPixelShowsItsPlace) {
    Open_In_Replay_Window(make_boat_heat(5));
    auto& d = Form_Auto_detect();
    d.Show();
    auto& w = Frm_kanot_2();
    QWidget* picture = test_env::widget_of(w, "Picture_large");
    ASSERT_NE(picture, nullptr);
    // Each move an event of its own: the forms layer takes an event it has
    // just seen (at the same address) for one passed on by a child.
    std::vector<std::unique_ptr<QMouseEvent>> moves;
    for (const QPoint at : {QPoint(40, 30), QPoint(20, 12)}) {
        moves.push_back(std::make_unique<QMouseEvent>(QEvent::MouseMove, at, picture->mapToGlobal(at),
                                                      Qt::NoButton, Qt::NoButton, Qt::NoModifier));
        QApplication::sendEvent(picture, moves.back().get());
        const int16_t px = vb::CInt(at.x() / w.Zoom_Factor), py = vb::CInt(at.y() / w.Zoom_Factor);
        EXPECT_EQ(d.Label_XY.Caption(), vb::CStr(px) + "," + vb::CStr(py));
    }
    d.Unload();
}

TEST_F(GoalLineDetection, AnyKeyStopsTheDetectionAfterTheFieldShown) {
    Open_In_Replay_Window(make_boat_heat(5));
    auto& w = Frm_kanot_2();
    w.item_setup_auto.Trigger();
    win::set_key_down(0x41, true);
    w.item_run_auto_detect.Trigger();
    win::clear_keys();
    EXPECT_EQ(w.Slider_play.Value(), 1);
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
}

TEST_F(GoalLineDetection, UnusableGoalLinesLeaveTheThresholdsAndTheOpenAlone) {
    const struct {
        const char* what;
        int32_t x1, y1, x2, y2;
        int16_t lanes;
    } cases[] = {
        {"unset", 0, 0, 0, 0, 9}, {"horizontal", 0, 20, 63, 20, 9}, {"no lane marks", 32, 0, 32, 143, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Form_Auto_detect().Unload();
        const std::string path = make(std::string("Heat1_") + c.what + ".qf3", 3, 64, 144);
        edit(path, [&](cls_VideoFile_handler& vf) {
            vf.Fix_Goal_Line(c.x1, c.y1, c.x2, c.y2);
            vf.Lane_count(c.lanes);
        });
        Open_In_Replay_Window(path);
        EXPECT_TRUE(Replay_File_Open());
        EXPECT_TRUE(reports.empty());
        EXPECT_EQ(Form_Auto_detect().Label_hue_min.Caption(), "123");
        Frm_kanot_2().item_Goal_HSL.Trigger();
        Frm_kanot_2().Draw_Goal_HSL();
        Frm_kanot_2().Test_Auto_Lanes();
        EXPECT_TRUE(reports.empty());
    }
    // The sampled range empty: the extra line below the last lane mark.
    Open_In_Replay_Window(make_boat_heat(5));
    Form_Auto_detect().Label_hue_min.Caption("77");
    Frm_kanot_2().Extra_Line_Y = 140;
    Frm_kanot_2().item_Goal_HSL.Trigger();
    EXPECT_EQ(Form_Auto_detect().Label_hue_min.Caption(), "77");
    EXPECT_TRUE(reports.empty());
}

TEST_F(GoalLineDetection, ThresholdMarginsOfTheThreeTests) {
    auto& d = Form_Auto_detect();
    const int32_t colour = 0x00A05A3C;
    int32_t h = 0, s = 0, l = 0;
    RGB_to_HSL(colour, h, s, l);
    const struct {
        const char* what;
        int32_t hue_lo, hue_hi, sat, lum_lo, lum_hi;
        bool hue, sat_fired, lum;
    } cases[] = {
        {"inside", h, h, s, l, l, false, false, false},
        {"hue 10 below the range", h + 10, h + 20, s, l, l, false, false, false},
        {"hue 11 below the range", h + 11, h + 20, s, l, l, true, false, false},
        {"hue 11 above the range", h - 20, h - 11, s, l, l, true, false, false},
        {"saturation at max + 2", h, h, s - 2, l, l, false, false, false},
        {"saturation at max + 3", h, h, s - 3, l, l, false, true, false},
        {"lightness one below", h, h, s, l + 1, l + 5, false, false, true},
        {"lightness one above", h, h, s, l - 5, l - 1, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        d.Label_hue_min.Caption(vb::CStr(c.hue_lo));
        d.Label_hue_max.Caption(vb::CStr(c.hue_hi));
        d.Label_Sat_min.Caption(vb::CStr(c.sat));
        d.Label_lum_min.Caption(vb::CStr(c.lum_lo));
        d.Label_lum_max.Caption(vb::CStr(c.lum_hi));
        bool fired = true;
        d.Test_pixel_for_Trigger(colour, fired);
        EXPECT_EQ(d.Trigger_Hue, c.hue);
        EXPECT_EQ(d.Trigger_Sat, c.sat_fired);
        EXPECT_EQ(d.Trigger_Lum, c.lum);
        EXPECT_EQ(fired, c.hue || c.sat_fired || c.lum);
        EXPECT_EQ(d.Label_Trigger.BackColor(), fired ? 255u : 65280u);
        EXPECT_EQ(d.Label_HUE.BackColor(), c.hue ? 255u : 0u);
        EXPECT_EQ(d.Label_hsl(0).Caption(), "H= " + vb::CStr(h));
    }
    // All tests switched off: nothing fires, however far out the colour is.
    for (int i = 0; i < 3; ++i)
        d.Check_use(i).Value(0);
    d.Label_hue_min.Caption("300");
    bool fired = true;
    d.Test_pixel_for_Trigger(colour, fired);
    EXPECT_FALSE(fired);
    EXPECT_EQ(d.Label_Trigger.BackColor(), 65280u);
    // The up-down controls step their thresholds.
    d.UpDown_hue_min.Value(42);
    EXPECT_EQ(d.Label_hue_min.Caption(), "42");
    // A threshold that is no number is an error for the caller.
    d.Check_use(0).Value(1);
    d.Label_hue_max.Caption("abc");
    EXPECT_THROW(d.Test_pixel_for_Trigger(colour, fired), vb::VbError);
}

// ---- Frame-range export ----

TEST_F(ReplayMenus, ExportOfFieldsSevenToNineWritesThreeJpegsAtTheFramesSize) {
    auto& w = Frm_kanot_2();
    Open_In_Replay_Window(make("Heat12_a.qf3", 6, 64, 48));
    w.item_export_form.Trigger();
    ASSERT_TRUE(Frm_export().Visible());
    auto& e = Frm_export();
    w.Slider_play.Value(7);
    e.Lbl_inpoint.Click();
    w.Slider_play.Value(9);
    e.Lbl_outpoint.Click();
    EXPECT_EQ(e.Lbl_inpoint.Caption(), "7");
    EXPECT_EQ(e.Lbl_outpoint.Caption(), "9");
    process_events();
    test_env::screenshot(e, "frm_export");

    const std::string folder = dir + "/frames/heat12"; // missing: the export makes it
    std::vector<std::string> starts;
    forms::set_folder_browse_hook([&](const std::string& start) {
        starts.push_back(start);
        return folder;
    });
    e.Cmd_export.Click();
    for (const char* name : {"Heat12_0007.jpg", "Heat12_0008.jpg", "Heat12_0009.jpg"}) {
        SCOPED_TRACE(name);
        std::string out;
        ASSERT_EQ(
            test_env::run("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height "
                          "-of csv=p=0 '" +
                              folder + "/" + name + "'",
                          &out),
            0)
            << out;
        EXPECT_EQ(out, "mjpeg,64,48\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    EXPECT_EQ(w.Slider_play.Value(), 9);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"3 frames exported to " + folder});
    // The folder is remembered for the next export.
    e.Cmd_export.Click();
    EXPECT_EQ(starts, (std::vector<std::string>{"", folder}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(ReplayMenus, ExportFailuresAreReportedAndStopTheExport) {
    auto& w = Frm_kanot_2();
    Open_In_Replay_Window(make("Heat12_a.qf3", 6, 64, 48));
    w.item_export_form.Trigger();
    auto& e = Frm_export();
    std::string folder = dir + "/out";
    forms::set_folder_browse_hook([&](const std::string&) { return folder; });

    // No in point: a beep only.
    const int32_t beeps = forms::Beeps_Sounded();
    e.Cmd_export.Click();
    EXPECT_EQ(forms::Beeps_Sounded(), beeps + 1);
    EXPECT_FALSE(fs::exists(folder));

    e.Lbl_inpoint.Caption("9");
    e.Lbl_outpoint.Caption("7");
    e.Cmd_export.Click();
    EXPECT_FALSE(fs::exists(folder)) << "an in point above the out point exports nothing";
    EXPECT_TRUE(test_env::dialogs().prompts().empty());

    // The second picture cannot be written: a folder holds its name.
    e.Lbl_inpoint.Caption("7");
    e.Lbl_outpoint.Caption("9");
    fs::create_directories(folder + "/Heat12_0008.jpg");
    e.Cmd_export.Click();
    EXPECT_TRUE(fs::exists(folder + "/Heat12_0007.jpg"));
    EXPECT_FALSE(fs::exists(folder + "/Heat12_0009.jpg")) << "the export stops at the failure";
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0],
              "Could not write " + folder + "/Heat12_0008.jpg\n1 frames exported.");

    // A folder that cannot be made.
    test_env::dialogs().clear();
    test_env::write_file(dir + "/plain", "x");
    folder = dir + "/plain/sub";
    e.Cmd_export.Click();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Can't create the folder " + folder});
    // Cancelling the folder box exports nothing.
    test_env::dialogs().clear();
    folder.clear();
    e.Cmd_export.Click();
    EXPECT_TRUE(test_env::dialogs().prompts().empty());
    EXPECT_EQ(Export_Frame_Name("12", 12345), "Heat12_12345.jpg");
}

// ---- Properties print and the progress window ----

TEST_F(ReplayMenus, PropertiesPrintToPdfWithTheProgressWindowShown) {
    const std::string path = make("Heat3_a.qf3", 3);
    Open_In_Replay_Window(path);
    Frm_kanot_2().item_file_properties.Trigger();
    const std::string pdf = dir + "/properties.pdf";
    forms::PdfPrinter printer(pdf);
    forms::set_printer_service(&printer);
    std::vector<int32_t> percents;
    std::string shot;
    const int pump = vb::AddEventPump([&] {
        if (!Frm_progress().IsLoaded() || !Frm_progress().Visible()) return;
        const int32_t p = Frm_progress().ProgressBar1.Value();
        if (percents.empty() || percents.back() != p) percents.push_back(p);
        if (p == 50 && shot.empty()) shot = test_env::screenshot(Frm_progress(), "frm_progress_printing");
    });
    Form_properties().Command_Print.Click();
    vb::RemoveEventPump(pump);
    EXPECT_EQ(percents, (std::vector<int32_t>{25, 50, 100}));
    EXPECT_FALSE(shot.empty());
    EXPECT_EQ(Frm_progress().Text_caption.Text(), "Printing....");
    EXPECT_FALSE(Frm_progress().Visible()) << "hidden when the print is done";
    EXPECT_TRUE(reports.empty());

    std::string text;
    ASSERT_EQ(test_env::run("pdftotext -layout '" + pdf + "' -", &text), 0);
    EXPECT_NE(text.find("Tidewick File Properties printout at: "), std::string::npos) << text;
    EXPECT_NE(text.find("Heat3_a.qf3"), std::string::npos) << text;
    const std::string properties = Replay_Video_File().QF3_Properties();
    const std::string first_line = properties.substr(0, properties.find_first_of("\r\n"));
    EXPECT_NE(text.find(first_line.substr(0, 20)), std::string::npos) << first_line << "\n" << text;
}

TEST_F(ReplayMenus, APropertiesPrintWithoutPrinterIsReportedAndLeavesNoProgress) {
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    Frm_kanot_2().item_file_properties.Trigger();
    forms::NoPrinter none;
    forms::set_printer_service(&none);
    Form_properties().Command_Print.Click();
    EXPECT_EQ(reports, std::vector<std::string>{"Command_Print_Click of Form Form_properties"});
    EXPECT_FALSE(Frm_progress().Visible());
}

TEST_F(ReplayMenus, TheProgressBarMovesOnlyWithinItsRangeAndTheLayoutFollowsTheWidth) {
    auto& p = Frm_progress();
    p.Set_Caption("Working");
    p.Set_Percent(40);
    EXPECT_EQ(p.ProgressBar1.Value(), 40);
    p.Set_Percent(101);
    p.Set_Percent(-1);
    EXPECT_EQ(p.ProgressBar1.Value(), 40);
    p.Set_Percent(100);
    EXPECT_EQ(p.ProgressBar1.Value(), 100);
    p.Form_Resize();
    const double w = p.ScaleWidth();
    EXPECT_NEAR(p.ProgressBar1.Width(), 0.7 * w, 20);
    EXPECT_NEAR(p.ProgressBar1.Left(), (w - p.ProgressBar1.Width()) / 3, 20);
    EXPECT_NEAR(p.Text_caption.Left(), 20, 20);
}

} // namespace
