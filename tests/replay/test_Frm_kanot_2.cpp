// The replay window as the operator meets it: its load in order, menus per
// mode and their shortcuts, the zoom and layout on resizing, the results
// panel beside it, its closing, the command line, the recent-files menu and
// the shell commands. Driven headless with simulated keys and mouse.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "Form_LCS_preview.h"
#include "Frm_results.h"

#include "KeyState.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "QtServices.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"
#include "TraceListener.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Tidewick_HDMI, photo-finish for canoe heats";

QMainWindow* window_of(forms::Form& f) {
    return reinterpret_cast<QMainWindow*>(f.hWnd());
}

// A control's widget by the control's name.
template <class W = QWidget> W* widget(const char* name) {
    auto* w = window_of(Frm_kanot_2())->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Every menu command of the window's menus (the pop-up one included), by caption.
std::vector<QAction*> all_actions(QWidget* root) {
    std::vector<QAction*> out;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& list) {
        for (QAction* a : list) {
            out.push_back(a);
            if (a->menu()) walk(a->menu()->actions());
        }
    };
    walk(root->actions());
    return out;
}

using test_env::process_events;

// Gives the window's client area an inner height of `px` pixels, as the
// operator's dragging of its edge does.
void set_inner_height(int px) {
    auto& w = Frm_kanot_2();
    QMainWindow* q = window_of(w);
    const int frame = q->height() - q->centralWidget()->height();
    q->resize(q->width(), px + frame);
    process_events();
}

// Whether `expected` appears in order among the trace lines.
::testing::AssertionResult in_order(const std::vector<std::string>& lines,
                                    const std::vector<std::string>& expected) {
    size_t at = 0;
    for (const std::string& e : expected) {
        while (at < lines.size() && lines[at].find(": " + e + "\t") == std::string::npos)
            ++at;
        if (at == lines.size()) return ::testing::AssertionFailure() << "missing or out of order: " << e;
        ++at;
    }
    return ::testing::AssertionSuccess();
}

// The fake clock that hands every trace line's time: the listener is emptied
// before each line is sent, so no line is lost from the viewer's short queue.
struct Draining_Clock : win::FakeClock {
    using FakeClock::FakeClock;
    std::chrono::system_clock::time_point wall_now() override {
        if (before_each_line) before_each_line();
        return FakeClock::wall_now();
    }
    std::function<void()> before_each_line;
};

class ReplayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Set_Up_Replay_Test(clock);
        forms::Install_Font_Substitutes();
        g_Program_Title = kTitle;
        g_Program_Version = "4.0.172";
        forms::App().SetVersion("4.0.172");
        forms::App().CommandLine.clear();
        set_mode(false);
        g_Exiting = false;
        g_Main_Window_Active = false;
        Release_Replay_Video_File();
        Frm_kanot_2().X_Stretch = 0;
        Frm_kanot_2().Resize_By_Code = false;
        test_env::dialogs().clear();
        forms::set_end_hook([this](int32_t code) { ends.push_back(code); });
        win::clear_keys();
        Reset_Tracer();
    }
    void TearDown() override {
        clock.before_each_line = nullptr;
        Frm_kanot_2().Unload();
        forms::set_end_hook({});
        win::set_clock(nullptr);
        viewer.reset();
        Release_Replay_Video_File();
        set_mode(false);
        win::clear_keys();
    }
    // The normal mode (compiled) or the development mode, as the program
    // finds it each time it tests.
    static void set_mode(bool compiled) {
        if (compiled)
            unsetenv("TIDEWICK_DEVELOPMENT");
        else
            setenv("TIDEWICK_DEVELOPMENT", "1", 1);
        g_Compiled = compiled;
    }
    // Trace lines and recorder marks in the order they happened. The viewer's
    // queue holds few lines, so every mark collects what came before it.
    void listen() {
        viewer.reset(); // its socket name goes with it
        viewer = std::make_unique<test_env::TraceListener>();
        Reset_Tracer();
        lines.clear();
        clock.before_each_line = [this] { drain(); };
    }
    void drain() {
        if (!viewer) return;
        for (auto& l : viewer->received())
            lines.push_back(l);
    }
    void mark(const std::string& name) {
        drain();
        lines.push_back(": <" + name + ">\t");
    }
    const std::vector<std::string>& trace() {
        drain();
        return lines;
    }
    // The files the window set out to open, as its open procedure traces them.
    std::vector<std::string> opened() {
        const std::string mark = "*Handle_Open_File, filename = ";
        std::vector<std::string> files;
        for (const std::string& l : trace())
            if (auto at = l.find(mark); at != std::string::npos) {
                std::string name = l.substr(at + mark.size());
                files.push_back(name.substr(0, name.find('\t')));
            }
        return files;
    }
    // A small heat file made by the program's own writer.
    static void make_heat_file(const std::string& path) {
        make_heat::Heat_Recipe recipe;
        recipe.path = path;
        recipe.width = 64;
        recipe.height = 48;
        recipe.slot_size = 6000;
        std::string error;
        ASSERT_TRUE(make_heat::Make_Heat(recipe, 3, &error)) << error;
    }
    // A small heat file opened in the program-wide video file object.
    void open_heat_file() {
        const std::string path = g_AppData_Folder + "/heat.qf3";
        make_heat_file(path);
        ASSERT_TRUE(Replay_Video_File().Open_File(path));
        ASSERT_TRUE(Replay_File_Open());
    }
    void show() {
        Frm_kanot_2().Show();
        process_events();
    }

    Draining_Clock clock{5000};
    std::unique_ptr<test_env::TraceListener> viewer;
    std::vector<std::string> lines;
    std::vector<int32_t> ends;
};

// ---- Load ----

TEST_F(ReplayWindow, LoadRunsItsStepsInOrderInBothModes) {
    struct Mode {
        bool compiled;
        bool extras, debug, specials;
        std::string version_text;
    };
    for (const Mode& m : {Mode{true, false, false, false, "4.0.172.EXE cd: 2016-03-02 11:57"},
                          Mode{false, true, true, true, "4.0.172 IDE"}}) {
        SCOPED_TRACE(m.compiled ? "normal mode" : "development mode");
        Frm_kanot_2().Unload();
        set_mode(m.compiled);
        listen();
        Write_Ini("settings", "resultsdocked", "False", g_Ini_File_Path);
        Write_Ini("Canoe", "event_name", "Cup", g_Ini_File_Path);
        Write_Ini("Canoe", "last_captured_file", "/races/heat7.qf3", g_Ini_File_Path);
        auto& w = Frm_kanot_2();
        w.Load();
        EXPECT_TRUE(in_order(
            trace(), {"Frm_kanot2 Form_Load start", "*Frm_Kanot, Form_load_2 start *", "4.0.172",
                      "*before Check_Printer", "*after Check_Printer", "*after Printers_Num",
                      "*before Load Form_LCS_preview", "*after Load Form_LCS_preview", "INI file found",
                      "*Calling Arrange_Frames", "Command_dollar = ", "*Frm_kanot, Frm_load end"}));
        // What the load's own procedures leave: the page size, the preview, the event name.
        EXPECT_EQ(g_Page_Width, 11904) << "no printer: A4";
        EXPECT_TRUE(Form_LCS_preview().IsLoaded());
        EXPECT_EQ(g_Event_Name, "Cup");

        // Menus per mode; "Result" is never on the bar.
        EXPECT_TRUE(w.menu_form.Visible());
        EXPECT_TRUE(w.menu_settings.Visible());
        EXPECT_TRUE(w.menu_diagnostics.Visible());
        EXPECT_TRUE(w.menu_help.Visible());
        EXPECT_EQ(w.menu_Extras.Visible(), m.extras);
        EXPECT_EQ(w.menu_debug.Visible(), m.debug);
        EXPECT_EQ(w.menu_specials.Visible(), m.specials);
        EXPECT_FALSE(w.menu_Result.Visible());
        EXPECT_TRUE(w.item_video_capture.Visible());
        std::vector<std::string> bar;
        for (QAction* a : window_of(w)->menuBar()->actions())
            if (a->isVisible()) bar.push_back(a->text().toStdString());
        std::vector<std::string> expected_bar = {"Form", "Settings", "Diagnostics"};
        if (m.extras) expected_bar.push_back("Extras");
        if (m.debug) expected_bar.push_back("Debug");
        expected_bar.push_back("Help");
        if (m.specials) expected_bar.push_back("Specials");
        EXPECT_EQ(bar, expected_bar);

        // State the load leaves.
        EXPECT_EQ(w.Caption(), "Tidewick Video Replay ");
        EXPECT_TRUE(w.item_dock_results.Checked()) << "docked whatever the setting says";
        EXPECT_TRUE(w.Item_extension(0).Checked());
        EXPECT_FALSE(w.Item_extension(1).Checked());
        EXPECT_TRUE(w.Rotated_Field);
        EXPECT_TRUE(w.Overlay_Changed);
        EXPECT_EQ(g_Display_Width, 400);
        EXPECT_EQ(g_Display_Height, 800);
        EXPECT_EQ(g_Load_Time_Mill, 5000u);
        EXPECT_EQ(g_Overlay_Key_Colour, 0x00808080u);
        EXPECT_EQ(std::vector<int32_t>(g_Live_Goal_Points, g_Live_Goal_Points + 4),
                  (std::vector<int32_t>{100, 100, 505, 100}));
        EXPECT_FLOAT_EQ(g_Print_Left, 595.2f);
        EXPECT_FLOAT_EQ(g_Print_Top, 336.68f);
        EXPECT_FLOAT_EQ(g_Print_Right, 11308.8f);
        EXPECT_FLOAT_EQ(g_Print_Bottom, 15992.3f);
        ASSERT_TRUE(g_Frame_DIB && g_Frame_DIB_Rotated);
        EXPECT_EQ(g_Frame_DIB->Width(), 720);
        EXPECT_EQ(g_Frame_DIB->Height(), 568);
        EXPECT_EQ(g_Frame_DIB_Rotated->Width(), 568);
        EXPECT_EQ(g_Frame_DIB_Rotated->Height(), 720);
        EXPECT_EQ(g_Program_Version_Text, m.version_text);
        EXPECT_EQ(g_Last_Captured_File, "/races/heat7.qf3");
        EXPECT_EQ(w.Left(), 0);
        EXPECT_EQ(w.Top(), 0);
        EXPECT_EQ(w.CloseCommandState(), forms::Form::CloseCommand::Removed);
        EXPECT_EQ(w.Chk_Show_lanemarks.Caption(), "Show lane\nmarkers");
        EXPECT_EQ(w.Label_heatID.Caption(), "");
        EXPECT_EQ(w.Lbl_Frame_size.Caption(), "");
        // The slider spans its frame with 20 twips either side, 350 twips high.
        EXPECT_NEAR(w.Slider_play.Left(), 20, 15);
        EXPECT_NEAR(w.Slider_play.Height(), 350, 15);
        EXPECT_NEAR(w.Slider_play.Width(), w.Frm_play.Width() - 40, 15);
        // The heat-time picture holds "-11.22.33" at 85 % of its height.
        EXPECT_NEAR(w.Pict_heat_time.Width(), w.Pict_heat_time.TextWidth("-11.22.33"), 1);
        EXPECT_NEAR(w.Pict_heat_time.Height(), 0.85 * w.Pict_heat_time.TextHeight("-11.22.33"), 1);
        EXPECT_TRUE(w.Timer_keyb_event.Enabled());
        EXPECT_EQ(w.Timer_keyb_event.Interval(), 60000);
        EXPECT_FALSE(w.Visible()) << "loaded hidden";
        EXPECT_TRUE(ends.empty());
        EXPECT_TRUE(test_env::dialogs().shown.empty());
    }
}

TEST_F(ReplayWindow, EmptyTitleRunsTheInitialisationAndAMissingSettingsFileIsOffered) {
    g_Program_Title.clear();
    Reset_Initialization_Guard();
    // The initialisation puts the settings beside the application data.
    fs::remove(g_AppData_Folder + "/Tidewick_HDMI.ini");
    const std::string data = std::getenv("XDG_DATA_HOME");
    fs::remove(data + "/Tidewick_HDMI.ini");
    Frm_kanot_2().Load();
    EXPECT_FALSE(g_Program_Title.empty());
    EXPECT_EQ(g_Ini_File_Path, data + "/Tidewick_HDMI.ini");
    // The capture library is not registered in this test; the initialisation
    // says so, then writes the timing method back, so the window finds the file.
    EXPECT_EQ(test_env::dialogs().prompts(),
              (std::vector<std::string>{
                  "An important system file (OrvelCap5.dll) is missing in this Tidewick installation!",
                  "Tidewick_HDMI.ini not found"}));
    EXPECT_TRUE(fs::exists(g_Ini_File_Path));

    // A settings file gone by the next load is offered to be created.
    Frm_kanot_2().Unload();
    fs::remove(g_Ini_File_Path);
    test_env::dialogs().shown.clear();
    Frm_kanot_2().Load();
    EXPECT_EQ(test_env::dialogs().prompts(),
              (std::vector<std::string>{"INI file not found! Create? (No exits program)"}));
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].buttons, forms::vbYesNo);
    EXPECT_TRUE(fs::exists(g_Ini_File_Path)) << "Yes creates it";
    EXPECT_TRUE(ends.empty());
    fs::remove(g_Ini_File_Path);
}

TEST_F(ReplayWindow, LoadStopsEarlyOnExitNoSettingsFileOrASecondInstance) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> prompts;
        size_t ends;
    };
    int lock = -1;
    const Case cases[] = {
        {"exiting", [] { g_Exiting = true; }, {}, 0},
        {"no settings file, No",
         [this] {
             fs::remove(g_Ini_File_Path);
             test_env::dialogs().answer_msg(forms::vbNo);
         },
         {"INI file not found! Create? (No exits program)"},
         1},
        {"second instance",
         [&lock] {
             const std::string path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" +
                                      forms::App().EXEName() + "-" + std::to_string(::getuid()) + ".instance";
             lock = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
             ASSERT_GE(lock, 0);
             // This process may be the instance already, from an earlier load.
             if (::flock(lock, LOCK_EX | LOCK_NB) != 0) GTEST_SKIP();
         },
         {"An instance of this program already running..."},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frm_kanot_2().Unload();
        test_env::dialogs().clear();
        ends.clear();
        g_Exiting = false;
        test_env::write_file(g_Ini_File_Path, "");
        c.arrange();
        if (::testing::Test::IsSkipped()) continue;
        listen();
        Frm_kanot_2().Load();
        const auto lines = trace();
        EXPECT_EQ(test_env::dialogs().prompts(), c.prompts);
        EXPECT_EQ(ends.size(), c.ends);
        EXPECT_FALSE(in_order(lines, {"*Frm_kanot, Frm_load end"})) << "the load ends there";
    }
    if (lock >= 0) ::close(lock);
    g_Exiting = false;
}

// ---- Resize ----

TEST_F(ReplayWindow, ResizeSetsZoomAndPictureSizeFromTheInnerHeight) {
    // A screen wide enough for every layout below: a window is never made
    // wider than its screen.
    forms::set_screen_override(1920, 1200);
    struct Screen_Back {
        ~Screen_Back() { forms::set_screen_override(0, 0); }
    } screen_back;
    show();
    auto& w = Frm_kanot_2();
    struct Case {
        int inner;
        int16_t display_w, display_h;
        float stretch;
        float zoom;
        double pic_w, pic_h;
    };
    const Case cases[] = {
        {600, 720, 576, 1.0f, 1.0f, 720, 576},           // the frame fits: one to one
        {600, 440, 1080, 1.0f, 600.0f / 1080, 244, 600}, // taller than the window: scaled down
        {600, 440, 1080, 0.0f, 600.0f / 1080, 244, 600}, // no stretch chosen counts as 1
        {600, 400, 600, 2.0f, 1.0f, 800, 600},           // exactly as high; stretched twice across
        {500, 576, 720, 1.5f, 500.0f / 720, 600, 500},   // a rotated frame, stretched
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inner);
        g_Display_Width = c.display_w;
        g_Display_Height = c.display_h;
        w.X_Stretch = c.stretch;
        set_inner_height(c.inner + 1); // the event comes from the window system
        set_inner_height(c.inner);
        EXPECT_EQ(w.ScaleHeight(), c.inner);
        EXPECT_FLOAT_EQ(w.Zoom_Factor, c.zoom);
        EXPECT_NEAR(w.Picture_large.Height(), c.pic_h, 1);
        EXPECT_NEAR(w.Picture_large.Width(), c.pic_w, 1);
        EXPECT_NE(w.X_Stretch, 0.0f);
        // The controls' column follows the picture and the window ends 20 beyond it.
        EXPECT_NEAR(w.Frame_Controls.Left(), w.Picture_large.Left() + w.Picture_large.Width() + 10, 1);
        EXPECT_NEAR(w.Width(), (w.Frame_Controls.Left() + w.Frame_Controls.Width() + 20) * 15, 15);
    }
}

TEST_F(ReplayWindow, ResizeCausedByTheWindowItselfIsSkippedOnce) {
    show();
    auto& w = Frm_kanot_2();
    g_Display_Width = 440;
    g_Display_Height = 1080;
    set_inner_height(600);
    const float before = w.Zoom_Factor;
    w.Resize_By_Code = true;
    set_inner_height(540);
    EXPECT_FALSE(w.Resize_By_Code);
    EXPECT_FLOAT_EQ(w.Zoom_Factor, before) << "the first event after it is skipped";
    set_inner_height(300);
    EXPECT_FLOAT_EQ(w.Zoom_Factor, 300.0f / 1080);
}

TEST_F(ReplayWindow, WithAFileOpenTheFieldIsDrawnAgainAndTheScaleShown) {
    show();
    auto& w = Frm_kanot_2();
    // Each drawing of a field shows its number in the frame-number label.
    auto scrolled = [&w] { return w.Lbl_frameno.Caption() == "0001"; };
    g_Display_Width = 440;
    g_Display_Height = 1080;
    // Without a file: no drawing, no scale text.
    set_inner_height(601);
    set_inner_height(600);
    EXPECT_FALSE(scrolled());
    auto blue_in = [&](double from, double to) {
        const QImage img = w.Picture_large.Image().image();
        int blue = 0;
        for (int y = static_cast<int>(from * 600); y < static_cast<int>(to * 600) && y < img.height(); ++y)
            for (int x = 0; x < 244 && x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                blue += c.blue() > 200 && c.red() < 80 && c.green() < 80;
            }
        return blue;
    };
    EXPECT_EQ(blue_in(0, 1), 0);

    open_heat_file();
    w.Picture_large.Cls();
    w.Lbl_frameno.Caption("");
    set_inner_height(601);
    set_inner_height(600);
    EXPECT_TRUE(scrolled());
    EXPECT_FLOAT_EQ(w.Zoom_Factor, 600.0f / 1080);
    // "55%" in blue, from 90 % of the picture's height down.
    EXPECT_GT(blue_in(0.9, 1.0), 20);
    EXPECT_EQ(blue_in(0.0, 0.85), 0);
    ASSERT_TRUE(w.Grab().SavePng(test_env::output_dir() + "/replay_window_scale.png"));
}

TEST_F(ReplayWindow, ResultsPanelFollowsMinimiseRestoreAndDocking) {
    auto& panel = Frm_results();
    g_Border_Width_X = 4;
    auto& w = Frm_kanot_2();
    show();
    set_inner_height(600);
    EXPECT_TRUE(panel.Visible());
    EXPECT_EQ(panel.Top(), w.Top());
    EXPECT_EQ(panel.Left(), w.Left() + w.Width() + 2 * 4 * 15);

    w.WindowState(forms::vbMinimized);
    process_events();
    EXPECT_FALSE(panel.Visible()) << "minimising hides the panel";
    w.WindowState(forms::vbNormal);
    process_events();
    EXPECT_TRUE(panel.Visible());
    EXPECT_EQ(panel.Left(), w.Left() + w.Width() + 2 * 4 * 15) << "docked again";

    // Undocked, it is shown but left where the operator put it.
    w.item_dock_results.Trigger();
    EXPECT_FALSE(w.item_dock_results.Checked());
    EXPECT_EQ(Read_Ini("settings", "resultsdocked", g_Ini_File_Path, ""), "False");
    panel.Move(3000, 1500, panel.Width(), panel.Height());
    w.WindowState(forms::vbMinimized);
    process_events();
    w.WindowState(forms::vbNormal);
    process_events();
    EXPECT_TRUE(panel.Visible());
    EXPECT_EQ(panel.Left(), 3000);
    w.item_dock_results.Trigger();
    EXPECT_EQ(Read_Ini("settings", "resultsdocked", g_Ini_File_Path, ""), "True");

    // A hidden replay window hides the panel too.
    w.Hide();
    w.Form_Resize();
    EXPECT_FALSE(panel.Visible());
    panel.Unload();
}

TEST_F(ReplayWindow, XStretchItemsSetTheFactorAndLeaveOneChecked) {
    show();
    auto& w = Frm_kanot_2();
    g_Display_Width = 400;
    g_Display_Height = 400;
    set_inner_height(500);
    const struct {
        int index;
        float factor;
    } cases[] = {{1, 1.5f}, {2, 2.0f}, {0, 1.0f}};
    for (const auto& c : cases) {
        w.Item_extension(c.index).Trigger();
        EXPECT_FLOAT_EQ(w.X_Stretch, c.factor);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(w.Item_extension(i).Checked(), i == c.index) << i;
        EXPECT_NEAR(w.Picture_large.Width(), 400 * c.factor, 1);
    }
}

// ---- Closing ----

TEST_F(ReplayWindow, ClosingStopsTheTimerClosesTheFileAndStoresThePosition) {
    open_heat_file();
    show();
    auto& w = Frm_kanot_2();
    w.Move(1200, 900, w.Width(), w.Height());
    process_events();
    const int32_t width = w.Width(), height = w.Height();
    listen();
    EXPECT_TRUE(w.Unload());
    EXPECT_TRUE(
        in_order(trace(), {"*Frm_kanot_2 Form_QueryUnload, begin", "*Frm_kanot_2 Form_QueryUnload, end"}));
    EXPECT_FALSE(Replay_File_Open());
    EXPECT_EQ(Read_Ini("windowpos", "Frm_kanot_2", g_Ini_File_Path, ""),
              "1200,900," + std::to_string(width) + "," + std::to_string(height));
    // The next load puts the window back in the screen's corner.
    w.Load();
    EXPECT_EQ(w.Left(), 0);
    EXPECT_EQ(w.Top(), 0);
}

// ---- Command line ----

TEST_F(ReplayWindow, CommandLineOpensAnExistingFileDuringTheLoad) {
    const std::string path = g_AppData_Folder + "/heat 3.qf3";
    make_heat_file(path);
    const struct {
        std::string command_line;
        std::vector<std::string> opened;
    } cases[] = {
        {"\"" + path + "\"", {path}},                     // quoted: the quotes go
        {path, {path}},                                   // as the desktop hands it: used as given
        {"", {}},                                         // nothing to open
        {"\"" + g_AppData_Folder + "/missing.qf3\"", {}}, // no such file
        {"\"", {}},                                       // one character
        {"x" + path + "x", {}},                           // no quotes, nothing dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command_line);
        Frm_kanot_2().Unload();
        forms::App().CommandLine = c.command_line;
        listen();
        Frm_kanot_2().Load();
        EXPECT_EQ(opened(), c.opened);
        EXPECT_EQ(Frm_kanot_2().Command_Line_Field, c.command_line);
        if (!c.opened.empty()) {
            EXPECT_TRUE(
                in_order(trace(), {"Command_dollar = " + c.command_line,
                                   "*Handle_Open_File, filename = " + path, "*Frm_kanot, Frm_load end"}));
        }
    }
    forms::App().CommandLine.clear();
}

// ---- Menus and keys ----

TEST_F(ReplayWindow, ShortcutsReachTheirCommandsAndNoOtherCommandHasOne) {
    show();
    auto& w = Frm_kanot_2();
    QMainWindow* q = window_of(w);
    q->activateWindow();
    process_events();
    const struct {
        forms::Menu* item;
        Qt::Key key;
        const char* shortcut;
    } keys[] = {{&w.item_open, Qt::Key_O, "Ctrl+O"},    {&w.item_open_last, Qt::Key_L, "Ctrl+L"},
                {&w.item_close, Qt::Key_F4, "Ctrl+F4"}, {&w.item_Zoom, Qt::Key_Z, "Ctrl+Z"},
                {&w.item_play, Qt::Key_P, "Ctrl+P"},    {&w.item_video_capture, Qt::Key_K, "Ctrl+K"},
                {&w.item_exit, Qt::Key_X, "Ctrl+X"},    {&w.item_about, Qt::Key_A, "Ctrl+A"}};
    std::vector<std::string> reached;
    for (const auto& k : keys)
        k.item->Click = [&reached, &k] { reached.push_back(k.item->Name()); };
    for (const auto& k : keys) {
        QTest::keyClick(q, k.key, Qt::ControlModifier);
        process_events();
    }
    std::vector<std::string> expected;
    for (const auto& k : keys)
        expected.push_back(k.item->Name());
    EXPECT_EQ(reached, expected);

    std::map<std::string, std::string> with_shortcut;
    for (QAction* a : all_actions(q->menuBar()))
        if (!a->shortcut().isEmpty())
            with_shortcut[a->text().toStdString()] = a->shortcut().toString().toStdString();
    std::map<std::string, std::string> expected_shortcuts;
    for (const auto& k : keys)
        expected_shortcuts[k.item->Caption()] = k.shortcut;
    EXPECT_EQ(with_shortcut, expected_shortcuts);
    for (const auto& k : keys)
        k.item->Click = nullptr;
}

TEST_F(ReplayWindow, MenuTreeHasEveryCommandInItsPlace) {
    auto& w = Frm_kanot_2();
    w.Load();
    auto captions = [&](forms::Menu& menu) {
        std::vector<std::string> out;
        for (QAction* a : window_of(w)->menuBar()->actions())
            if (a->text().toStdString() == menu.Caption())
                for (QAction* c : a->menu()->actions())
                    out.push_back(c->text().toStdString());
        return out;
    };
    EXPECT_EQ(captions(w.menu_form),
              (std::vector<std::string>{"Open File", "Open Newest File", "Open last Finished heat",
                                        "Close File", "Zoom", "X-Stretch", "Play", "Video Capture", "Exit"}));
    EXPECT_EQ(captions(w.menu_settings),
              (std::vector<std::string>{"Give event name", "Select Logo file", "Timing calculation method",
                                        "Use this size/position", "Dock Results form"}));
    EXPECT_EQ(
        captions(w.menu_Extras),
        (std::vector<std::string>{"Display sample data", "File properties", "Check_Timing", "Auto detect",
                                  "Misbehave (trapped)", "Misbehave (untrapped)", "Take max Height"}));
    EXPECT_EQ(captions(w.menu_Result),
              (std::vector<std::string>{"Set time", "Disqualified", "Did not finish", "Did not start",
                                        "Set time + 1/100", "Clear this lane"}));
    EXPECT_EQ(captions(w.menu_debug).size(), 42u);
    EXPECT_EQ(captions(w.menu_specials).size(), 13u);
    EXPECT_EQ(w.item_Open_Newest.Count(), 4);
    EXPECT_EQ(w.Item_extension(1).Caption(), "1/1,5");
}

TEST_F(ReplayWindow, AltOnTheFormMenuTogglesExtrasAndDebugAndCtrlOnHelpShowsSpecials) {
    for (bool compiled : {true, false}) {
        SCOPED_TRACE(compiled);
        Frm_kanot_2().Unload();
        set_mode(compiled);
        auto& w = Frm_kanot_2();
        w.Load();
        const bool start = !compiled;
        w.menu_form.Trigger();
        EXPECT_EQ(w.menu_Extras.Visible(), start) << "without Alt nothing changes";
        win::set_key_down(18, true);
        w.menu_form.Trigger();
        EXPECT_EQ(w.menu_Extras.Visible(), !start);
        EXPECT_EQ(w.menu_debug.Visible(), !start);
        w.menu_form.Trigger();
        EXPECT_EQ(w.menu_Extras.Visible(), start);
        EXPECT_EQ(w.menu_debug.Visible(), start);
        win::set_key_down(18, false);

        w.menu_help.Trigger();
        EXPECT_EQ(w.menu_specials.Visible(), !compiled);
        win::set_key_down(17, true);
        w.menu_help.Trigger();
        EXPECT_TRUE(w.menu_specials.Visible());
        win::set_key_down(17, false);
    }
}

TEST_F(ReplayWindow, MouseOverTheWindowShowsThePointWithDisplayXYAndAClickLaysItOutAgain) {
    show();
    auto& w = Frm_kanot_2();
    QWidget* client = window_of(w)->centralWidget();
    const QPoint spot(w.ScaleToPixels(w.Frame_Controls.Left() + w.Frame_Controls.Width() + 5), 30);
    // The panels set the pointer: the play panel the arrow, the window and the data panels the default.
    QTest::mouseMove(widget("Frm_play"), QPoint(5, 5));
    EXPECT_EQ(forms::Screen_MousePointer(), forms::vbArrow);
    QTest::mouseMove(client, spot);
    EXPECT_EQ(forms::Screen_MousePointer(), forms::vbDefault);
    QTest::mouseMove(widget("Frm_play"), QPoint(5, 5));
    QTest::mouseMove(widget("frm_File_data"), QPoint(5, 5));
    EXPECT_EQ(forms::Screen_MousePointer(), forms::vbDefault);
    EXPECT_EQ(w.Caption(), "Tidewick Video Replay ") << "unchecked: the caption stays";
    w.item_disp_xy.Checked(true);
    QTest::mouseMove(client, spot + QPoint(1, 1));
    EXPECT_EQ(w.Caption(), "X,Y = " + std::to_string(spot.x() + 1) + "," + std::to_string(spot.y() + 1));
    // A click on the window itself hands the focus to the play slider.
    window_of(w)->activateWindow();
    process_events();
    g_Display_Height = 300;
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, spot);
    process_events();
    EXPECT_TRUE(widget("Slider_play")->hasFocus());
    EXPECT_NEAR(w.Picture_large.Height(), 300, 1) << "the button's release runs the layout";
}

// ---- Recent files ----

TEST_F(ReplayWindow, RecentFilesListTheNewestHeatFilesOfTheLastFolder) {
    const std::string folder = test_env::make_dir("races");
    const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24);
    // Seven heat files an hour apart (heat1 oldest), and files of other kinds newer than all.
    for (int i = 1; i <= 7; ++i) {
        const std::string p = folder + "/heat" + std::to_string(i) + ".qf3";
        make_heat_file(p);
        fs::last_write_time(p, base + std::chrono::hours(i));
    }
    for (const char* other : {"/old.qf2", "/notes.txt", "/HEAT.QF3"}) {
        test_env::write_file(folder + other, "o");
        fs::last_write_time(folder + other, base + std::chrono::hours(10));
    }
    fs::create_directory(folder + "/sub.qf3");
    Write_Ini("Canoe", "last_dir", folder, g_Ini_File_Path);
    show();
    listen();
    auto& w = Frm_kanot_2();
    auto shown = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < 4; ++i)
            if (w.item_Open_Newest(i).Visible()) out.push_back(w.item_Open_Newest(i).Caption());
        return out;
    };
    w.item_Open_Newest_Root.Trigger();
    EXPECT_EQ(shown(), (std::vector<std::string>{"heat7.qf3", "heat6.qf3", "heat5.qf3", "heat4.qf3"}));
    w.item_Open_Newest(1).Trigger();
    EXPECT_EQ(opened(), std::vector<std::string>{folder + "/heat6.qf3"});

    // Two files: two items, the rest hidden.
    for (int i = 3; i <= 7; ++i)
        fs::remove(folder + "/heat" + std::to_string(i) + ".qf3");
    w.item_Open_Newest_Root.Trigger();
    EXPECT_EQ(shown(), (std::vector<std::string>{"heat2.qf3", "heat1.qf3"}));
    listen();
    w.item_Open_Newest(3).Trigger();
    EXPECT_TRUE(opened().empty()) << "a hidden item opens nothing";

    // No heat files, or no folder stored: "[no files]", which opens nothing.
    for (const std::string& dir : {folder + "/sub.qf3", std::string()}) {
        Write_Ini("Canoe", "last_dir", dir, g_Ini_File_Path);
        w.item_Open_Newest_Root.Trigger();
        EXPECT_EQ(shown(), std::vector<std::string>{"[no files]"});
        w.item_Open_Newest(0).Trigger();
        EXPECT_TRUE(opened().empty());
    }
}

// ---- Shell commands ----

TEST_F(ReplayWindow, WithinZoomIsStrictOnEverySide) {
    auto& w = Frm_kanot_2();
    w.Zoom_Box_Left = 100;
    w.Zoom_Box_Top = 50;
    w.Zoom_Box_Width = 400;
    w.Zoom_Box_Height = 280;
    const struct {
        float x, y;
        bool inside;
    } cases[] = {{101, 51, true},   {499, 329, true}, {300, 200, true},  {100, 200, false},
                 {500, 200, false}, {300, 50, false}, {300, 330, false}, {99, 40, false}};
    for (auto c : cases)
        EXPECT_EQ(w.Within_Zoom(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST_F(ReplayWindow, CheckFileOpenSaysSoWithoutAFile) {
    auto& w = Frm_kanot_2();
    w.Load();
    EXPECT_FALSE(w.Check_File_Open());
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No file open!"});
    open_heat_file();
    test_env::dialogs().clear();
    EXPECT_TRUE(w.Check_File_Open());
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_EQ(w.Caption(), "Tidewick Video Replay ");
    w.Update_Form_Caption();
    EXPECT_EQ(w.Caption(), "Tidewick Video Replay heat.qf3");
}

TEST_F(ReplayWindow, FileCopyCopiesTheLastCapturedFileWhole) {
    const std::string source_dir = test_env::make_dir("captured");
    const std::string backup = test_env::make_dir("backup");
    auto& w = Frm_kanot_2();
    w.Load();
    g_Last_Captured_File = source_dir + "/heat9.qf3";
    test_env::write_file(g_Last_Captured_File, std::string(70000, 'q'));

    g_List_Folder[1] = backup + "/gone";
    w.item_test_copy.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(),
              std::vector<std::string>{"Can't find destination folder for file copy!"});

    test_env::dialogs().clear();
    g_List_Folder[1] = backup;
    const uint32_t before = win::timeGetTime();
    w.item_test_copy.Trigger();
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_TRUE(test_env::read_file(backup + "/heat9.qf3") == std::string(70000, 'q'));
    EXPECT_GE(win::timeGetTime() - before, 2000u) << "waits two seconds";

    // A source that went away: "Copy Failed", and nothing under its name.
    g_Last_Captured_File = source_dir + "/heat10.qf3";
    w.item_test_copy.Trigger();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Copy Failed"});
    EXPECT_FALSE(fs::exists(backup + "/heat10.qf3"));
    EXPECT_FALSE(fs::exists(backup + "/heat10.qf3.part"));
}

TEST_F(ReplayWindow, FullScreenTwiceGivesTheTitleBarBack) {
    forms::set_screen_override(1366, 768);
    show();
    auto& w = Frm_kanot_2();
    EXPECT_TRUE(w.TitleBar());
    SetFormFullScreen(w);
    EXPECT_FALSE(w.TitleBar());
    EXPECT_EQ(w.Left(), 0);
    EXPECT_EQ(w.Top(), 0);
    SetFormFullScreen(w);
    EXPECT_TRUE(w.TitleBar());

    w.item_fullscreen.Trigger();
    EXPECT_TRUE(w.item_fullscreen.Checked());
    EXPECT_FALSE(w.TitleBar());
    w.item_fullscreen.Trigger();
    process_events();
    EXPECT_FALSE(w.item_fullscreen.Checked());
    EXPECT_TRUE(w.TitleBar());
    EXPECT_EQ(w.WindowState(), forms::vbMaximized);
    forms::set_screen_override(0, 0);
}

TEST_F(ReplayWindow, FocusGoesToTheSliderOnlyOnceTheWindowWasActivated) {
    show();
    auto& w = Frm_kanot_2();
    // Brought to the front over the results window beside it.
    window_of(w)->activateWindow();
    process_events();
    widget("Cmd_play")->setFocus();
    process_events();
    ASSERT_TRUE(widget("Cmd_play")->hasFocus());
    // As before the window's first activation, which sets the flag.
    g_Main_Window_Active = false;
    w.Set_Focus();
    EXPECT_FALSE(widget("Slider_play")->hasFocus()) << "not activated yet";
    g_Main_Window_Active = true;
    w.Set_Focus();
    EXPECT_TRUE(widget("Slider_play")->hasFocus());
    g_Main_Window_Active = false;
}

TEST_F(ReplayWindow, ScreenshotOfTheEmptyWindow) {
    set_mode(true);
    show();
    auto& w = Frm_kanot_2();
    set_inner_height(700);
    const std::string png = test_env::output_dir() + "/replay_window_empty.png";
    ASSERT_TRUE(w.Grab().SavePng(png));
    EXPECT_GT(fs::file_size(png), 1000u);
}

} // namespace
