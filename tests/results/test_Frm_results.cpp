// The results window as the operator uses it beside the replay window: the
// rows of a heat with ties and codes, a click on a place, the start-time
// correction held on its buttons, and the CSV and XML exports, read back by
// Python's csv module and by xmllint.
#include "Frm_results.h"
#include "Program_Wiring.h"
#include "Replay_Test_Setup.h"
#include "Screen.h"

#include "FolderBrowser.h"
#include "Frm_kanot_2.h"
#include "Heat_Fixture.h"
#include "KeyState.h"
#include "Keys.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "QtServices.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

using test_env::process_events;

// The fake clock, with a look at every wait of the hold loop.
struct Watched_Clock : win::FakeClock {
    using FakeClock::FakeClock;
    void sleep(uint32_t ms) override {
        FakeClock::sleep(ms);
        slept += ms;
        if (on_sleep) on_sleep(slept);
    }
    uint32_t slept = 0;
    std::function<void(uint32_t)> on_sleep;
};

struct Stored {
    int16_t lane;
    int32_t result, click, goal;
};

// A heat with a tie, a time whose hundredths round up into the next second,
// and the three codes.
const std::vector<Stored> kHeat = {{3, 61234, 10, 7},
                                   {5, 61234, 20, 8},
                                   {0, 59995, 5, 6},
                                   {7, Result_Disqualified, 30, 0},
                                   {2, Result_Did_Not_Start, 40, 0},
                                   {9, Result_Did_Not_Finish, 50, 0}};

class ResultsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Frm_results().Unload();
        dir = Set_Up_Replay_Test(clock);
        forms::Install_Key_State_Feed();
        export_dir = dir + "/race-results";
        fs::create_directories(export_dir);
        test_env::write_file(g_Ini_File_Path, "[Canoe]\r\nexport_folder=" + export_dir + "\r\n");
        g_Start_Correction_Mill = 0;
        Collect_Error_Reports(reports);
        Release_Replay_Video_File();
        Wire_Program();
        Frm_results().Alternative_Export_Name.clear();
        test_env::dialogs().clear();
        win::clear_keys();
        Frm_kanot_2().Show();
        Frm_results().Show();
        process_events();
    }
    void TearDown() override {
        Frm_results().Unload();
        Frm_kanot_2().Unload();
        Release_Replay_Video_File();
        win::set_clock(nullptr);
        win::clear_keys();
    }
    std::string make(const std::string& name, int32_t frames = 5) {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name);
        recipe.event_name = "R\u00E9gate \u00C5sa";
        return heat_fixture::Make_Small_Heat(recipe, frames);
    }
    // Writes lane results into the open heat's header and reloads them, as
    // attaching them one by one leaves them.
    void store(const std::vector<Stored>& lanes) {
        cls_VideoFile_handler& vf = Replay_Video_File();
        // As the capture window leaves it when the heat's capture ends.
        vf.Last_Capture_time("36004567");
        for (const Stored& s : lanes) {
            vf.Heat_result(1, s.lane, s.result);
            vf.Heat_Clicktime(1, s.lane, s.click);
            vf.Heat_Goalfield(1, s.lane, s.goal);
        }
        vf.Write_XML_Header();
        Frm_kanot_2().Complete_Result_Array();
    }
    std::vector<std::string> column(forms::ControlArray<forms::Label>& labels) {
        std::vector<std::string> texts;
        for (int32_t i = labels.LBound(); i <= labels.UBound(); ++i)
            texts.push_back(labels(i).Caption());
        return texts;
    }
    std::vector<std::string> digits(forms::ControlArray<forms::Label>& labels) { return column(labels); }
    void click(const std::string& control, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* w = test_env::widget_of(Frm_results(), control);
        ASSERT_NE(w, nullptr) << control;
        QTest::mouseClick(w, button, {}, QPoint(3, 3));
    }
    // Presses + (0) or - (1) and lets go once `held_ms` of the loop's waits
    // have passed; returns what the header held at every wait.
    std::vector<int32_t> hold(int32_t index, uint32_t held_ms) {
        QWidget* b = test_env::widget_of(Frm_results(), "Cmd_time(" + std::to_string(index) + ")");
        std::vector<int32_t> stored_during;
        bool posted = false;
        clock.slept = 0;
        clock.on_sleep = [&](uint32_t slept) {
            stored_during.push_back(Replay_Video_File().Heat_Start_Correction(1));
            if (posted || slept < held_ms) return;
            posted = true;
            const QPointF at(3, 3);
            QCoreApplication::postEvent(b, new QMouseEvent(QEvent::MouseButtonRelease, at, b->mapToGlobal(at),
                                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        };
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
        process_events();
        clock.on_sleep = nullptr;
        return stored_during;
    }
    int32_t stored_correction(const std::string& path) {
        cls_VideoFile_handler vf;
        EXPECT_TRUE(vf.Open_File(path));
        return vf.Heat_Start_Correction(1);
    }
    std::string run(const std::string& command) {
        std::string out;
        EXPECT_EQ(test_env::run(command + " 2>&1", &out), 0) << command << "\n" << out;
        return out;
    }
    std::string csv_rows(const std::string& path) {
        return run("python3 " + heat_fixture::Source_Dir() + "/tests/results/read_csv.py '" + path + "'");
    }
    std::vector<std::string> files_in(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // "Close File" of the replay window, then its open.
    void replay_close_and_open(const std::string& path) {
        Frm_kanot_2().Close_File();
        Frm_kanot_2().Results_Window.Clear_Results();
        Frm_kanot_2().Results_Window.Clear_Heat_Data();
        Open_In_Replay_Window(path);
    }
    void choose_format(int32_t index) { click("Opt_exp_format(" + std::to_string(index) + ")"); }

    Watched_Clock clock{5000};
    std::vector<std::string> reports; // location | description of each trapped error
    std::string dir, export_dir;
};

// ---- Rows ----

TEST_F(ResultsWindow, RowsShowTheRankingWithTiesCodesAndCarriedHundredths) {
    auto& r = Frm_results();
    EXPECT_EQ(r.Caption(), "Tidewick Results");
    EXPECT_EQ(r.lbl_result_header.Caption(), "      Lane           Time        Delta");
    EXPECT_EQ(r.Lbl_result_rank.Count(), 16);
    EXPECT_EQ(column(r.Lbl_result_rank), std::vector<std::string>(16, "")) << "no heat, no rows";

    Open_In_Replay_Window(make("Heat4_a.qf3"));
    EXPECT_EQ(column(r.Lbl_result_rank), std::vector<std::string>(16, "")) << "a heat without results";
    EXPECT_EQ(r.lbl_event_name.Caption(), "R\u00E9gate \u00C5sa");
    store(kHeat);
    auto first = [&](forms::ControlArray<forms::Label>& a) {
        auto c = column(a);
        return std::vector<std::string>(c.begin(), c.begin() + 7);
    };
    EXPECT_EQ(first(r.Lbl_result_rank), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", ""}));
    EXPECT_EQ(first(r.Lbl_result_lane), (std::vector<std::string>{"0", "3", "5", "7", "2", "9", ""}));
    EXPECT_EQ(first(r.Lbl_result_time),
              (std::vector<std::string>{" 01:00,00", " 01:01,23", " 01:01,23", "DSQ", "DNS", "DNF", ""}));
    EXPECT_EQ(first(r.Lbl_result_delta_time),
              (std::vector<std::string>{"+0,00", "+1,24", "+1,24", "", "", "", ""}));
    EXPECT_EQ(r.Lbl_heat.Caption(), "Heat 1");
    EXPECT_FALSE(r.Lbl_capture_time.Caption().empty());
    ASSERT_EQ(r.Rows_Shown().size(), 6u);
    EXPECT_EQ(r.Rows_Shown()[1].time, " 01:01,23");
    test_env::screenshot(r, "Frm_results_heat");

    // All sixteen lanes timed: sixteen rows, the last one inside the window.
    std::vector<Stored> all;
    for (int16_t lane = 0; lane < 16; ++lane)
        all.push_back({lane, 50000 + lane * 130, lane, 2});
    store(all);
    EXPECT_EQ(r.Lbl_result_rank(15).Caption(), "16");
    EXPECT_EQ(r.Lbl_result_lane(15).Caption(), "15");
    EXPECT_EQ(r.Lbl_result_delta_time(15).Caption(), "+1,95");
    QWidget* last = test_env::widget_of(r, "Lbl_result_time(15)");
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->isVisible());
    EXPECT_LT(last->mapTo(last->window(), QPoint(0, last->height())).y(), last->window()->height());
    test_env::screenshot(r, "Frm_results_sixteen");
    // Unloaded and loaded again, the rows stack as before, under their heading.
    r.Unload();
    r.Show();
    double below = 0;
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_GT(r.Lbl_result_rank(i).Top(), below) << i;
        below = r.Lbl_result_rank(i).Top();
    }
    EXPECT_EQ(r.Lbl_result_rank(15).Caption(), "16") << "the load fills the rows again";
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, AClickOnATimedPlaceShowsItsGoalField) {
    Open_In_Replay_Window(make("Heat4_a.qf3"));
    store(kHeat);
    auto& replay = Frm_kanot_2();
    EXPECT_EQ(replay.Slider_play.Value(), 1) << "the open shows field 1 while no result has a goal field";

    click("Lbl_result_rank(1)");
    EXPECT_EQ(replay.Slider_play.Value(), 7) << "place 2 is lane 3, attached at field 7";
    EXPECT_EQ(replay.Lbl_frameno.Caption(), "0007");
    // The place is painted over the picture: the same field drawn afresh differs.
    const QImage with_place = replay.Picture_large.Image().image().copy();
    ASSERT_TRUE(replay.Grab().SavePng(test_env::output_dir() + "/results_place_painted.png"));
    replay.Slider_play_Scroll();
    EXPECT_NE(replay.Picture_large.Image().image(), with_place) << "place 2 painted over the picture";
    click("Lbl_result_rank(2)", Qt::RightButton);
    EXPECT_EQ(replay.Slider_play.Value(), 8) << "any button";
    const QImage painted = replay.Picture_large.Image().image().copy();
    for (const char* nothing : {"Lbl_result_rank(3)", "Lbl_result_rank(10)"}) {
        click(nothing);
        EXPECT_EQ(replay.Slider_play.Value(), 8) << nothing << ": a code or an empty row does nothing";
        EXPECT_EQ(replay.Picture_large.Image().image(), painted) << nothing << ": nor paints a place";
    }

    // Reopened, the heat starts at the winner's goal field.
    Open_In_Replay_Window(replay.File_Name_Field);
    EXPECT_EQ(replay.Slider_play.Value(), 6);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// Over a place a click would select, the program's "FRAME" pointer; over a
// code, an empty row or the window's own surface, the default pointer.
TEST_F(ResultsWindow, TheFramePointerMarksTheSelectablePlaces) {
    Open_In_Replay_Window(make("Heat4_a.qf3"));
    store(kHeat);
    const auto widget = [](const std::string& control) {
        return test_env::widget_of(Frm_results(), control);
    };
    const auto move_over = [&](QWidget* target) {
        ASSERT_NE(target, nullptr);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    };
    const struct {
        const char* over;
        bool frame;
    } moves[] = {{"Lbl_result_rank(1)", true},
                 {"Lbl_result_rank(3)", false},
                 {"Lbl_result_rank(0)", true},
                 {"Lbl_result_rank(10)", false},
                 {"Lbl_result_rank(2)", true}};
    for (const auto& m : moves) {
        move_over(widget(m.over));
        EXPECT_EQ(forms::Screen_MousePointer(), m.frame ? forms::vbCustom : forms::vbDefault) << m.over;
        if (!m.frame) continue;
        EXPECT_EQ(forms::Screen_MouseIcon(), "FRAME");
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->pixmap().size(), QSize(32, 32))
            << "the program's own cursor, not a stand-in";
    }
    move_over(widget("Lbl_result_rank(2)")->parentWidget());
    EXPECT_EQ(forms::Screen_MousePointer(), forms::vbDefault) << "the window's surface";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// ---- Start-time correction ----

TEST_F(ResultsWindow, EachPressWritesTheCorrectionOnceOnRelease) {
    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    store(kHeat);
    auto& r = Frm_results();
    EXPECT_EQ(digits(r.Lbl_hms), (std::vector<std::string>{"10", "00", "00", "00"}));

    // Without a unit the buttons change nothing.
    hold(0, 200);
    EXPECT_EQ(g_Start_Correction_Mill, 0);

    // Seconds, held through three steps: at once, after 200 and after 150 ms.
    click("Lbl_hms_correction(2)");
    EXPECT_EQ(r.Lbl_hms_correction(2).BackColor(), 0x0080FFu);
    EXPECT_EQ(r.Correction_Step, 1000);
    const std::vector<int32_t> during = hold(0, 450);
    EXPECT_EQ(g_Start_Correction_Mill, 3000);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during, std::vector<int32_t>(during.size(), 0)) << "nothing reaches the file while held";
    EXPECT_EQ(stored_correction(path), 3000);
    EXPECT_EQ(digits(r.Lbl_hms_correction), (std::vector<std::string>{"00", "00", "03", "00"}));
    EXPECT_EQ(digits(r.Lbl_hms_corrected), (std::vector<std::string>{"10", "00", "03", "00"}));
    EXPECT_EQ(r.Lbl_hms_correction(0).ForeColor(), 0xFF0000u);
    EXPECT_EQ(r.Lbl_result_time(0).Caption(), " 00:57,00");
    EXPECT_EQ(r.Lbl_result_delta_time(1).Caption(), "+1,24") << "differences do not move";
    test_env::screenshot(r, "Frm_results_correction");

    // Minus a second, then hundredths down fifty steps: -1500 ms, two writes.
    click("Lbl_hms_correction(2)");
    hold(1, 200);
    hold(1, 200);
    hold(1, 200);
    hold(1, 200);
    EXPECT_EQ(stored_correction(path), -1000);
    click("Lbl_hms_correction(3)");
    hold(1, 2800);
    EXPECT_EQ(g_Start_Correction_Mill, -1500);
    EXPECT_EQ(stored_correction(path), -1500);
    EXPECT_TRUE(r.Lbl_Minus.Visible());
    EXPECT_EQ(r.Lbl_hms_correction(3).ForeColor(), 0x0000FFu);
    EXPECT_EQ(digits(r.Lbl_hms_correction), (std::vector<std::string>{"00", "00", "01", "50"}));
    EXPECT_EQ(r.Lbl_result_time(0).Caption(), " 01:01,50");

    // Still there after the file is closed and opened again.
    replay_close_and_open(path);
    EXPECT_EQ(g_Start_Correction_Mill, -1500);
    EXPECT_EQ(digits(r.Lbl_hms_correction), (std::vector<std::string>{"00", "00", "01", "50"}));
    EXPECT_EQ(digits(r.Lbl_hms_corrected), (std::vector<std::string>{"09", "59", "58", "50"}));
    EXPECT_EQ(r.Lbl_result_time(0).Caption(), " 01:01,50");

    // A right click on the digits resets it, in the file too.
    click("Lbl_hms_correction(1)", Qt::RightButton);
    EXPECT_EQ(g_Start_Correction_Mill, 0);
    EXPECT_EQ(stored_correction(path), 0);
    EXPECT_FALSE(r.Lbl_Minus.Visible());
    EXPECT_EQ(r.Correction_Step, 0);
    EXPECT_EQ(r.Lbl_hms_correction(3).BackColor(), 0x8000000Fu) << "the button face again";
    EXPECT_EQ(r.Lbl_result_time(0).Caption(), " 01:00,00");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, ClosingShowsZerosAndAResetWithoutAFileWritesNothing) {
    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    click("Lbl_hms_correction(1)");
    hold(0, 350);
    ASSERT_EQ(stored_correction(path), 120000);

    // The file closed while a button is held ends the hold; nothing is written.
    clock.on_sleep = [&](uint32_t slept) {
        if (slept >= 200 && Replay_File_Open()) Frm_kanot_2().Close_File();
    };
    QWidget* plus = test_env::widget_of(Frm_results(), "Cmd_time(0)");
    QTest::mousePress(plus, Qt::LeftButton, {}, QPoint(3, 3)); // returns: the loop ended
    clock.on_sleep = nullptr;
    QTest::mouseRelease(plus, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(Frm_results().Button_Held);
    EXPECT_EQ(stored_correction(path), 120000);
    Frm_kanot_2().Results_Window.Clear_Heat_Data();
    auto& r = Frm_results();
    for (auto* display : {&r.Lbl_hms, &r.Lbl_hms_correction, &r.Lbl_hms_corrected})
        EXPECT_EQ(digits(*display), (std::vector<std::string>{"00", "00", "00", "00"}));
    EXPECT_EQ(stored_correction(path), 120000) << "closing writes nothing";

    g_Start_Correction_Mill = 5000;
    click("Lbl_hms_correction(2)");
    EXPECT_EQ(r.Correction_Step, 60000) << "no unit chosen without a file; the last one stays";
    hold(0, 200);
    EXPECT_EQ(g_Start_Correction_Mill, 5000) << "the buttons do nothing without a file";
    click("Lbl_hms_correction(0)", Qt::RightButton);
    EXPECT_EQ(g_Start_Correction_Mill, 0);
    EXPECT_EQ(digits(r.Lbl_hms_correction), (std::vector<std::string>{"00", "00", "00", "00"}));
    EXPECT_EQ(stored_correction(path), 120000);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, TheCorrectedStartIsATimeOfDay) {
    auto& r = Frm_results();
    r.Heat_Start_Mill = 36000000; // 10:00
    const struct {
        int32_t correction;
        std::vector<std::string> corrected;
    } cases[] = {
        {3600000, {"11", "00", "00", "00"}},
        {54000000 + 1230, {"01", "00", "01", "23"}}, // past midnight: the next day's time
        {-39600000, {"23", "00", "00", "00"}},       // before midnight: the day before
        {-36000000, {"00", "00", "00", "00"}},
    };
    for (const auto& c : cases) {
        g_Start_Correction_Mill = c.correction;
        r.Display_Compensate_Mill();
        EXPECT_EQ(digits(r.Lbl_hms_corrected), c.corrected) << c.correction;
    }
    g_Start_Correction_Mill = 0;
}

// ---- Exports ----

TEST_F(ResultsWindow, CsvExportGolden) {
    Open_In_Replay_Window(make("Heat4_a.qf3"));
    store(kHeat);
    choose_format(1);
    click("Cmd_export");
    const std::string path = export_dir + "/TW_Result_HeatHeat 1.csv";
    EXPECT_EQ(g_Export_File_Name, path);
    ASSERT_TRUE(fs::exists(path));
    cls_VideoFile_handler& vf = Replay_Video_File();
    const std::string created =
        vf.Creation_date().substr(0, 2) == "20" ? vf.Creation_date() : "20" + vf.Creation_date();
    const std::string last = Display_Mill_Time(vb::CLng(vf.Last_Capture_time()), false).substr(1, 8);
    EXPECT_EQ(csv_rows(path), "R\u00E9gate \u00C5sa|Heat 1|" + created + "|10:00:00|" + last + "|" +
                                  Get_Computer_Name() +
                                  "\n"
                                  "1|0|01:00,00|+0,00\n"
                                  "2|3|01:01,23|+1,24\n"
                                  "3|5|01:01,23|+1,24\n"
                                  "4|7|DSQ\n"
                                  "5|2|DNS\n"
                                  "6|9|DNF\n"
                                  "end\n");
    EXPECT_NE(test_env::read_file(path).find("R\xE9gate \xC5sa;"), std::string::npos) << "Windows-1252 bytes";
    auto& r = Frm_results();
    EXPECT_TRUE(r.Frm_export_mess.Visible());
    EXPECT_EQ(r.Text_export_mess.Text(), "Exported results to file:\n" + path);
    test_env::screenshot(r, "Frm_results_exported");
    click("Cmd_result_export_OK");
    EXPECT_FALSE(r.Frm_export_mess.Visible());
    EXPECT_EQ(Read_Ini("Canoe", "expformat", g_Ini_File_Path, ""), "1");

    // A start at 9:05:03.270 is shown to the second, as 14:05:03 is.
    vf.Start_local_mill(1, 32703270);
    vf.Write_XML_Header();
    click("Cmd_export");
    EXPECT_EQ(csv_rows(path).substr(0, csv_rows(path).find('\n')),
              "R\u00E9gate \u00C5sa|Heat 1|" + created + "|9:05:03|" + last + "|" + Get_Computer_Name());
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// A captured heat's file name carries the date after the heat number; a heat
// that holds no last capture time yet (as make_heat leaves it) still exports,
// with that field empty; a one-digit hour loses no digit and gains no comma.
TEST_F(ResultsWindow, CapturedHeatWithoutLastCaptureTimeExportsBothKinds) {
    const std::string path = make("CupHeatH7 2026_12_09 09_05_07.qf3");
    Open_In_Replay_Window(path);
    cls_VideoFile_handler& vf = Replay_Video_File();
    vf.Heat_ID(1, "H7");
    vf.Start_local_mill(1, 6229270); // 1:43:49.270
    for (const Stored& st : kHeat) {
        vf.Heat_result(1, st.lane, st.result);
        vf.Heat_Clicktime(1, st.lane, st.click);
    }
    vf.Write_XML_Header();
    replay_close_and_open(path);
    ASSERT_EQ(Replay_Video_File().Last_Capture_time(), "");
    EXPECT_EQ(Frm_kanot_2().Label_start_time.Caption(), " 1:43:49");

    choose_format(1);
    click("Cmd_export");
    const std::string csv = export_dir + "/TW_Result_HeatH7.csv";
    ASSERT_TRUE(fs::exists(csv)) << (reports.empty() ? "" : reports.front());
    const std::string first = csv_rows(csv).substr(0, csv_rows(csv).find('\n'));
    EXPECT_NE(first.find("|H7|"), std::string::npos) << first;
    EXPECT_NE(first.find("|1:43:49||"), std::string::npos) << first;

    choose_format(2);
    click("Cmd_export");
    const std::string xml = export_dir + "/TW_Result_HeatH7.xml";
    ASSERT_TRUE(fs::exists(xml)) << files_in(export_dir).back();
    run("xmllint --noout '" + xml + "'");
    const std::string tree =
        run("python3 " + heat_fixture::Source_Dir() + "/tests/results/describe_xml.py '" + xml + "'");
    for (const char* part : {"heat[id=H7,name=,start_time=1:43:49]", "heat_started_at{\"1:43:49\"}",
                             "last_capture_at{}", "competitor[nbr=9]{elapsed_time{\"DNF\"}"})
        EXPECT_NE(tree.find(part), std::string::npos) << part << "\n" << tree;
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, XmlExportGoldenAndNamedApartPerHeat) {
    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    store(kHeat);
    choose_format(2);
    EXPECT_EQ(Read_Ini("Canoe", "expformat", g_Ini_File_Path, ""), "2");
    click("Cmd_export");
    const std::string xml = export_dir + "/TW_Result_Heat4.xml";
    ASSERT_TRUE(fs::exists(xml));
    run("xmllint --noout '" + xml + "'");
    auto xpath = [&](const std::string& file, const std::string& q) {
        std::string out = run("xmllint --xpath \"" + q + "\" '" + file + "'");
        return out.substr(0, out.find_last_not_of('\n') + 1);
    };
    EXPECT_EQ(xpath(xml, "count(//competitor)"), "6");
    EXPECT_EQ(xpath(xml, "string(//heat/@id)"), "Heat 1");
    EXPECT_EQ(xpath(xml, "string(//heat/@start_time)"), "10:00:00");
    EXPECT_EQ(xpath(xml, "string(//racetype)"), "course");
    EXPECT_EQ(xpath(xml, "string(//lastfile)"), "True");
    EXPECT_EQ(xpath(xml, "string(//heat_started_at)"), "10:00:00");
    const std::string tree =
        run("python3 " + heat_fixture::Source_Dir() + "/tests/results/describe_xml.py '" + xml + "'");
    for (const char* part :
         {"results{result[id=Heat "
          "1]{/competitor[nbr=0]{elapsed_time{\"01:00,00\"}delta_time{\"+0,00\"}place{\"1\"}}"
          "/competitor[nbr=3]{elapsed_time{\"01:01,23\"}delta_time{\"+1,24\"}place{\"2\"}}"
          "/competitor[nbr=5]{elapsed_time{\"01:01,23\"}delta_time{\"+1,24\"}place{\"3\"}}"
          "/competitor[nbr=7]{elapsed_time{\"DSQ\"}place{\"4\"}}/"
          "competitor[nbr=2]{elapsed_time{\"DNS\"}place{\"5\"}}"
          "/competitor[nbr=9]{elapsed_time{\"DNF\"}place{\"6\"}}}}}",
          "heats{heat[id=Heat 1,name=,start_time=10:00:00]{}/}",
          "heat_started_at{\"10:00:00\"}/last_capture_at{\"10:00:04\"}",
          "event{\"R\u00E9gate \u00C5sa\"}/racetype{\"course\"}"})
        EXPECT_NE(tree.find(part), std::string::npos) << part << "\n" << tree;

    // A second heat whose file name holds no heat number: named after its label.
    const std::string other = make("Final_b.qf3");
    Open_In_Replay_Window(other);
    Replay_Video_File().Heat_ID(1, "B 2");
    store({{4, 70000, 1, 3}});
    click("Cmd_export");
    EXPECT_EQ(g_Export_File_Name, export_dir + "/TW_Result_HeatB 2.xml");
    run("xmllint --noout '" + g_Export_File_Name + "'");
    EXPECT_EQ(xpath(xml, "count(//competitor)"), "6") << "the first heat's export is untouched";
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, NamesFromTheHeatLabelOrTheOperatorStayInTheFolder) {
    Open_In_Replay_Window(make("Race_c.qf3"));
    Replay_Video_File().Heat_ID(1, "1/../A");
    store(kHeat);
    ASSERT_EQ(Frm_results().Lbl_heat.Caption(), "1/../A");
    choose_format(1);
    click("Cmd_export");
    choose_format(2);
    click("Cmd_export");
    EXPECT_EQ(files_in(export_dir),
              (std::vector<std::string>{"TW_Result_Heat1___A.csv", "TW_Result_Heat1___A.xml"}));
    EXPECT_EQ(files_in(dir + "/race-results/.."), files_in(dir)) << "nothing written beside the folder";

    // Alt-click: the typed name, cleaned, names one CSV export.
    choose_format(1);
    win::set_key_down(18, true);
    test_env::dialogs().answer_input("../../final,v2");
    click("Cmd_export");
    win::set_key_down(18, false);
    ASSERT_FALSE(test_env::dialogs().shown.empty());
    EXPECT_EQ(test_env::dialogs().shown.front().prompt, "Give alternative export file name");
    EXPECT_EQ(test_env::dialogs().shown.front().default_text, "Heat1/../A");
    EXPECT_EQ(g_Export_File_Name, export_dir + "/____final_v2.csv");
    click("Cmd_export");
    EXPECT_EQ(g_Export_File_Name, export_dir + "/TW_Result_Heat1___A.csv") << "used once";

    // With XML chosen the typed name waits for the next CSV export.
    choose_format(2);
    win::set_key_down(18, true);
    test_env::dialogs().answer_input("later");
    click("Cmd_export");
    win::set_key_down(18, false);
    EXPECT_EQ(Frm_results().Alternative_Export_Name, "later");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, RefusedAndFailedExportsWriteNothing) {
    auto& r = Frm_results();
    auto prompts_after_export = [&] {
        test_env::dialogs().clear();
        click("Cmd_export");
        return test_env::dialogs().prompts();
    };
    choose_format(1);
    EXPECT_EQ(prompts_after_export(), std::vector<std::string>{"Nothing to export!"}) << "no heat open";

    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    store(kHeat);
    g_Export_Folder = dir + "/gone";
    EXPECT_EQ(prompts_after_export(), std::vector<std::string>{"Result export folder not found!"});
    g_Export_Folder = export_dir;

    // A write-protected file of that name stays as it is.
    const std::string csv = export_dir + "/TW_Result_HeatHeat 1.csv";
    test_env::write_file(csv, "kept");
    fs::permissions(csv, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(prompts_after_export(), std::vector<std::string>{"A write-protected file already exists!"});
    EXPECT_EQ(test_env::read_file(csv), "kept");
    EXPECT_FALSE(r.Frm_export_mess.Visible());
    fs::remove(csv);

    // A write that fails is reported and leaves no file, whole or partial.
    fs::create_directories(csv);
    EXPECT_TRUE(prompts_after_export().empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].substr(0, reports[0].find(" | ")), "Export_CSV_file of Form Frm_results");
    EXPECT_FALSE(r.Frm_export_mess.Visible());
    EXPECT_EQ(files_in(export_dir), std::vector<std::string>{"TW_Result_HeatHeat 1.csv"});
    EXPECT_TRUE(fs::is_directory(csv));

    const std::string xml = export_dir + "/TW_Result_Heat4.xml";
    fs::create_directories(xml + "/inside");
    choose_format(2);
    EXPECT_TRUE(prompts_after_export().empty());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(r.Frm_export_mess.Visible());
    EXPECT_EQ(files_in(export_dir),
              (std::vector<std::string>{"TW_Result_Heat4.xml", "TW_Result_HeatHeat 1.csv"}));
}

} // namespace

namespace {

// ---- The rest of the window ----

TEST_F(ResultsWindow, ExportFolderChoiceAndPrinterOption) {
    auto& r = Frm_results();
    EXPECT_EQ(g_Export_Folder, export_dir) << "read from the settings at load";
    EXPECT_EQ(r.Opt_printer(1).Caption(), "No printer");
    EXPECT_FALSE(r.Opt_printer(1).Enabled());
    EXPECT_TRUE(r.Opt_printer(0).Value());

    const std::string other = test_env::make_dir("other-folder");
    std::vector<std::string> asked_at;
    forms::set_folder_browse_hook([&](const std::string& start) {
        asked_at.push_back(start);
        return asked_at.size() == 1 ? other : std::string();
    });
    click("Pict_export_folder");
    click("Pict_export_folder"); // cancelled: the folder stays
    forms::set_folder_browse_hook({});
    EXPECT_EQ(asked_at, (std::vector<std::string>{export_dir, other}));
    EXPECT_EQ(g_Export_Folder, other);
    EXPECT_EQ(Read_Ini("Canoe", "export_folder", g_Ini_File_Path, ""), other);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// Without a stored export folder the export starts in the user's documents
// folder (where xdg-user-dirs puts it, else ~/Documents, else home); after
// "Hide" the window comes back with the open heat's event name and start.
TEST_F(ResultsWindow, ExportStartsInTheDocumentsFolderAndHideKeepsTheHeat) {
    struct Env {
        const char* name;
        std::string before;
        bool had;
    };
    std::vector<Env> saved;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? v : "", v != nullptr});
    }
    const std::string home = dir + "/home";
    fs::create_directories(home + "/.config");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    test_env::write_file(g_Ini_File_Path, "");
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string folder;
    };
    const Case cases[] = {
        {"no documents folder", [] {}, home},
        {"~/Documents", [&] { fs::create_directories(home + "/Documents"); }, home + "/Documents"},
        {"the user's own name for it",
         [&] {
             fs::create_directories(home + "/Dokument");
             test_env::write_file(home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokument\"\n");
         },
         home + "/Dokument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        Frm_results().Unload();
        Frm_results().Show();
        EXPECT_EQ(g_Export_Folder, c.folder);
    }
    Open_In_Replay_Window(make("Heat4_a.qf3"));
    Replay_Video_File().Start_local_mill(1, 6229270); // 1:43:49.270
    Replay_Video_File().Write_XML_Header();
    replay_close_and_open(Replay_Video_File().File_name());
    store(kHeat);
    choose_format(1);
    click("Cmd_export");
    EXPECT_TRUE(fs::exists(home + "/Dokument/TW_Result_HeatHeat 1.csv"))
        << test_env::dialogs().prompts().size();
    click("Cmd_result_export_OK");

    auto& r = Frm_results();
    const std::vector<std::string> start = column(r.Lbl_hms);
    EXPECT_EQ(start, (std::vector<std::string>{"01", "43", "49", "27"}));
    EXPECT_EQ(r.lbl_event_name.Caption(), "R\u00E9gate \u00C5sa");
    r.item_hide.Trigger();
    EXPECT_FALSE(r.IsLoaded());
    r.Show();
    process_events();
    EXPECT_EQ(r.lbl_event_name.Caption(), "R\u00E9gate \u00C5sa");
    EXPECT_EQ(column(r.Lbl_hms), start);
    EXPECT_EQ(column(r.Lbl_hms_corrected), start);
    EXPECT_EQ(r.Lbl_heat.Caption(), "Heat 1");
    test_env::screenshot(r, "Frm_results_after_hide");
    for (const Env& e : saved)
        e.had ? ::setenv(e.name, e.before.c_str(), 1) : ::unsetenv(e.name);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// "Delete file" closes the heat as "Close File" does: the results panel
// keeps neither its rows nor its heat label and start time.
TEST_F(ResultsWindow, DeletingTheHeatClearsItFromThePanel) {
    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    store(kHeat);
    auto& r = Frm_results();
    ASSERT_EQ(r.Lbl_heat.Caption(), "Heat 1");
    ASSERT_EQ(digits(r.Lbl_hms), (std::vector<std::string>{"10", "00", "00", "00"}));
    Frm_kanot_2().menu_specials.Visible(true);
    test_env::dialogs().answer_msg(forms::vbYes);
    Frm_kanot_2().item_Delete_File.Trigger();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(r.Lbl_heat.Caption(), "");
    for (auto* display : {&r.Lbl_hms, &r.Lbl_hms_corrected})
        EXPECT_EQ(digits(*display), (std::vector<std::string>{"00", "00", "00", "00"}));
    EXPECT_TRUE(r.Rows_Shown().empty());
    test_env::screenshot(r, "Frm_results_after_delete");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, ClearAllResultsAsksFirst) {
    const int32_t beeps = forms::Beeps_Sounded();
    Frm_results().item_clear_all_results.Trigger();
    EXPECT_EQ(forms::Beeps_Sounded() - beeps, 1) << "no file open";

    const std::string path = make("Heat4_a.qf3");
    Open_In_Replay_Window(path);
    store(kHeat);
    auto stored_result = [&] {
        cls_VideoFile_handler vf;
        EXPECT_TRUE(vf.Open_File(path));
        return vf.Heat_time(1, 3);
    };
    Replay_Video_File().Read_only(true);
    Frm_results().item_clear_all_results.Trigger();
    Replay_Video_File().Read_only(false);
    test_env::dialogs().answer_msg(forms::vbCancel);
    Frm_results().item_clear_all_results.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(),
              (std::vector<std::string>{"Can\u00B4t alter this file, it is Read only!",
                                        "This will clear all stored results for this heat, are you sure?"}));
    EXPECT_EQ(test_env::dialogs().shown[1].title, "Clear results");
    EXPECT_EQ(test_env::dialogs().shown[1].buttons, forms::vbOKCancel + forms::vbDefaultButton2);
    EXPECT_EQ(stored_result(), 61234);

    test_env::dialogs().answer_msg(forms::vbOK);
    Frm_results().item_clear_all_results.Trigger();
    EXPECT_NE(stored_result(), 61234);
    EXPECT_EQ(Frm_results().Lbl_result_rank(0).Caption(), "");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ResultsWindow, AClickOnTheLaneResultPictureReachesTheLargePicture) {
    auto& replay = Frm_kanot_2();
    std::vector<std::pair<float, float>> at;
    replay.Picture_large.MouseDown = [&](int32_t, int32_t, float x, float y) { at.emplace_back(x, y); };
    QWidget* small = test_env::widget_of(replay, "Pict_lane_result");
    ASSERT_NE(small, nullptr);
    small->show();
    QTest::mouseClick(small, Qt::LeftButton, {}, QPoint(10, 5));
    replay.Picture_large.MouseDown = nullptr;
    ASSERT_EQ(at.size(), 1u);
    EXPECT_FLOAT_EQ(at[0].first, 10 + replay.Pict_lane_result.Left() - replay.Picture_large.Left());
    EXPECT_FLOAT_EQ(at[0].second, 5 + replay.Pict_lane_result.Top() - replay.Picture_large.Top());
}

} // namespace
