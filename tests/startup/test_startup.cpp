// The start-up window and the program's initialisation, driven as the
// operator drives them: a fresh start, the library and control-box checks,
// the timing method, the crop choice, the taskbar warning, "Go" and the
// developer tools.
#include "Form_check_software.h"
#include "KeyState.h"
#include "Module_trace.h"
#include "QFN_error_form.h"
#include "StartupFixture.h"
#include "VbString.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"
#include "frmAbout.h"

#include <QMainWindow>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace startup_test;

const char* kCaptureMissing =
    "An important system file (OrvelCap5.dll) is missing in this Tidewick installation!";
const char* kXmlMissing = "An important system file (msxml6.dll) is missing in this Windows installation!";
const char* kJpegMissing = "An important system file (IJL11.DLL) is missing in this Tidewick installation!";
const char* kNoIni = "Tidewick_HDMI.ini not found";
const char* kTaskbarWarning = "Taskbar in auto-hide mode is recommended!";
const char* kSelectSource =
    "Please select Video Source & Property on the form shown!\r\nThen restart program!";

std::string event_log() {
    return test_env::read_file(g_AppData_Folder + "/Tidewick_eventlog.txt");
}

std::string error_report() {
    return QFN_error_form().IsLoaded() ? QFN_error_form().err_lbl.Text() : std::string();
}

TEST_F(Startup, FreshStartMessageByMessageThenGoAsksForAVideoSource) {
    startup().Taskbar_State = [] { return std::string("TaskBar always-on-top mode"); };
    startup().Show();
    auto& s = startup();

    const auto& shown = test_env::dialogs().shown;
    ASSERT_EQ(prompts(), (std::vector<std::string>{kNoIni, kTaskbarWarning}));
    EXPECT_EQ(shown[0].title, "");
    EXPECT_EQ(shown[1].title, "TaskBar mode");
    EXPECT_EQ(shown[1].buttons, forms::vbOKOnly);

    // The main window loaded hidden; the initialisation ran once (one start in the event log below).
    EXPECT_TRUE(Frm_kanot_2().IsLoaded());
    EXPECT_FALSE(Frm_kanot_2().Visible());
    EXPECT_EQ(g_Ini_File_Path, data_dir + "/Tidewick_HDMI.ini");
    EXPECT_EQ(g_Program_Title.rfind("Tidewick_HDMI,", 0), 0u);
    EXPECT_EQ(m_saved_Video_prop_num, "-1");
    EXPECT_EQ(m_saved_Friendly_name, "noname");
    EXPECT_EQ(g_Click_Sound.size(), 1940u);
    EXPECT_NE(g_Phidget_Check, nullptr);
    EXPECT_TRUE(g_HDMI_Mode);
    EXPECT_EQ(ticked_timing(), "frametimestamp");

    // Crop option 2 and "Capture files" chosen; both written back.
    EXPECT_TRUE(s.Option_crop(2).Value());
    EXPECT_EQ(s.Option_crop(2).Caption(), "440*1080");
    EXPECT_EQ(s.Option_crop(5).Caption(), "440*1080");
    EXPECT_TRUE(s.Option_capture_type(1).Value());
    EXPECT_TRUE(s.Frame_camera_options.Enabled());
    EXPECT_FALSE(s.Label_ROTATED.Visible());
    const std::string settings = ini();
    for (const char* line : {"timing=frametimestamp", "cropsizeindex=2", "capture_type=1"})
        EXPECT_NE(settings.find(line), std::string::npos) << line << "\n" << settings;
    // The crop made the capture window's capture object without loading it.
    EXPECT_EQ(capture_crop(), "440*1080");
    EXPECT_FALSE(Form_capture_multi_file().IsLoaded());

    // Normal mode: no Debug menu, no circle, no Close command.
    EXPECT_FALSE(s.menu_debug.Visible());
    EXPECT_FALSE(s.Shape_circle.Visible());
    EXPECT_EQ(s.CloseCommandState(), forms::Form::CloseCommand::Removed);
    EXPECT_EQ(s.Caption(), "Tidewick Startup");

    // Two event-log lines, the first without the development mark.
    const std::string log = event_log();
    const std::regex started(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Tidewick started,  Version: 4\.0\.172 )"
        R"(Compiled at: 2016-03-02 11:57\n)"
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Computer = .+ OS = .+CPU= .+ bitness: os = \d* CPU = \d*\n)");
    EXPECT_TRUE(std::regex_match(log, started)) << log;

    // The benchmark report, built while the window loaded.
    const std::string d = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)";
    const std::regex report("JPG compression benchmark at: " + d + "\r\nComputer name = " + g_Computer_Name +
                            "\r\nCPU info: CPU= [^\r]* \r\n\r\n332\\*756 =  \\d+ms\r\n332\\*880 =  \\d+ms"
                            "\r\n440\\*1080 =  \\d+ms\r\n400\\*1400 =  \\d+ms\r\n600\\*1600 =  \\d+ms"
                            "\r\n440\\*1080 =  \\d+ms\r\n---Report end---");
    EXPECT_TRUE(std::regex_match(s.JPEG_Bench_Report, report)) << s.JPEG_Bench_Report;

    ASSERT_TRUE(s.Grab().SavePng(test_env::output_dir() + "/startup_window.png"));

    // No video source stored: Go shows the selection window and says so; the
    // start-up window stays.
    test_env::dialogs().clear();
    click(s, "Command_go", "Go");
    EXPECT_EQ(prompts(), std::vector<std::string>{kSelectSource});
    EXPECT_TRUE(Form_select_Video().Visible());
    EXPECT_TRUE(s.Visible());
    EXPECT_FALSE(Form_capture_multi_file().IsLoaded());
}

TEST_F(Startup, EachMissingLibraryHasItsOwnMessageAndStartUpGoesOn) {
    Load_Main_Window_First();
    registry::SetRegistryFilePath(test_env::make_dir("unregistered") + "/registry.txt");
    Installed_Library_Checks().XML = [] { return false; };
    Installed_Library_Checks().JPEG = [] { return false; };
    Tidewick_Initialization();
    EXPECT_EQ(prompts(), (std::vector<std::string>{kXmlMissing, kJpegMissing, kCaptureMissing, kNoIni}));
    EXPECT_NE(event_log().find(" Tidewick started,"), std::string::npos) << "ran to its end";
    // The real checks pass on this machine.
    EXPECT_TRUE(XML_Library_Works());
    EXPECT_TRUE(JPEG_Library_Works());
}

TEST_F(Startup, ControlBoxCheckPerMode) {
    const std::string good = phidget::LibraryVersionText();
    struct Case {
        bool normal, installed;
        std::string version;
        bool verified;
        bool message;
    } cases[] = {
        {true, true, good, true, false},
        {true, true, "Phidget COM Library 2.1.6 - Phidget21 - Version 2.1.5", false, true},
        {true, true, "phidget com library 2.1.6 - Phidget21 - Version 2.1.6", false, true},
        {false, true, "Phidget COM Library 2.0", true, false},
        {true, false, good, false, false},
        {false, false, good, false, false},
    };
    for (const Case& c : cases) {
        test_env::dialogs().clear();
        g_Phidget_Check.reset();
        g_Compiled = c.normal;
        phidget::SetLibraryInstalled(c.installed);
        phidget::SetLibraryVersion(c.version);
        EXPECT_EQ(Verify_Phidgets(), c.verified) << c.normal << c.installed << c.version;
        if (c.message)
            EXPECT_EQ(prompts(), std::vector<std::string>{"Wrong Phidget versions found!\r\n" + c.version});
        else
            EXPECT_TRUE(prompts().empty());
        EXPECT_EQ(g_Phidget_Check != nullptr, c.installed) << "the kit is kept";
    }
}

TEST_F(Startup, FailedControlBoxCheckEndsTheProcessWithoutLogOrGuard) {
    Load_Main_Window_First();
    phidget::SetLibraryInstalled(false);
    Tidewick_Initialization();
    EXPECT_EQ(prompts().back(), "Phidget software error!");
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(event_log(), "");
    // Nothing of the later steps ran, and the next call runs it all again.
    EXPECT_TRUE(g_Click_Sound.empty());
    phidget::SetLibraryInstalled(true);
    Tidewick_Initialization();
    EXPECT_EQ(ended, 1);
    EXPECT_NE(event_log().find(" Tidewick started,"), std::string::npos);
}

TEST_F(Startup, TimingMethodFromTheSettings) {
    Load_Main_Window_First();
    struct Case {
        const char* stored; // nullptr: no value
        const char* method;
    } cases[] = {{nullptr, "frametimestamp"},
                 {"frametimestamp", "frametimestamp"},
                 {"FrameTimeStamp", "framecount"},
                 {"framecount", "framecount"},
                 {"seconds", "framecount"}};
    for (const Case& c : cases) {
        Reset_Initialization_Guard();
        g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
        std::remove(g_Ini_File_Path.c_str());
        if (c.stored) Write_Ini("Settings", "timing", c.stored, g_Ini_File_Path);
        Tidewick_Initialization();
        EXPECT_EQ(ticked_timing(), c.method) << (c.stored ? c.stored : "none");
        EXPECT_EQ(Read_Ini("Settings", "timing", g_Ini_File_Path, ""), c.method);
    }
}

TEST_F(Startup, ErrorInsideTheInitialisationIsReportedAndTheNextCallRunsItAgain) {
    Load_Main_Window_First();
    g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
    Write_Ini("Settings", "timingcorrection", "twelve", g_Ini_File_Path);
    Tidewick_Initialization();
    EXPECT_NE(error_report().find("Location of error: Tidewick_Initialization of Module Module_canoe"),
              std::string::npos)
        << error_report();
    EXPECT_NE(error_report().find("Type mismatch"), std::string::npos) << error_report();
    EXPECT_EQ(event_log(), "");
    EXPECT_EQ(ini().find("timing="), std::string::npos) << "the timing method not reached";

    Write_Ini("Settings", "timingcorrection", "-40", g_Ini_File_Path);
    Tidewick_Initialization();
    EXPECT_EQ(g_Timing_Correction, -40);
    EXPECT_NE(event_log().find(" Tidewick started,"), std::string::npos);
    // Now the guard holds.
    const size_t shown = test_env::dialogs().shown.size();
    Tidewick_Initialization();
    EXPECT_EQ(test_env::dialogs().shown.size(), shown);
}

TEST_F(Startup, CropChoicesPresetRotatedAndCustom) {
    startup().Show();
    auto& s = startup();
    struct Case {
        const char* caption;
        int16_t capture_w, capture_h, display_w, display_h;
        bool rotated;
    } cases[] = {{"332*756", 332, 756, 332, 756, false},
                 {"332*880", 332, 880, 332, 880, false},
                 {"400*1400", 1400, 400, 400, 1400, true},
                 {"440*1080", 440, 1080, 440, 1080, false},
                 {"600*1600", 1600, 600, 600, 1600, true}};
    for (const Case& c : cases) {
        click(s, "Option_crop", c.caption);
        EXPECT_EQ(g_Capture_Crop_Width, c.capture_w) << c.caption;
        EXPECT_EQ(g_Capture_Crop_Height, c.capture_h) << c.caption;
        EXPECT_EQ(g_Display_Crop_Width, c.display_w) << c.caption;
        EXPECT_EQ(g_Display_Crop_Height, c.display_h) << c.caption;
        EXPECT_EQ(g_Rotated_Crop, c.rotated) << c.caption;
        EXPECT_EQ(s.Label_ROTATED.Visible(), c.rotated) << c.caption;
        // The capture object gets the crop and the rotation.
        EXPECT_EQ(capture_crop(), std::to_string(c.capture_w) + "*" + std::to_string(c.capture_h) +
                                      (c.rotated ? " rotated" : ""))
            << c.caption;
    }
    EXPECT_EQ(Read_Ini("Settings", "cropsizeindex", g_Ini_File_Path, ""), "4");
    if (HasFailure()) return;

    // A custom crop of a turned camera; it takes effect when chosen.
    test_env::dialogs().answer_input(std::string("300*1200"));
    click(s, "Command_custom");
    const auto& box = test_env::dialogs().shown.back();
    EXPECT_TRUE(box.input);
    EXPECT_EQ(box.prompt, "Enter crop size!");
    EXPECT_EQ(box.title, "Custom crop size");
    EXPECT_EQ(box.default_text, "440*1080");
    EXPECT_EQ(s.Option_crop(5).Caption(), "300*1200");
    EXPECT_EQ(Read_Ini("settings", "customcrop", g_Ini_File_Path, ""), "300*1200");
    EXPECT_EQ(g_Display_Crop_Height, 1600) << "not applied before it is chosen";
    click(s, "Option_crop", "300*1200");
    EXPECT_TRUE(g_Rotated_Crop);
    EXPECT_EQ(g_Capture_Crop_Width, 1200);
    EXPECT_EQ(g_Capture_Crop_Height, 300);
    EXPECT_EQ(g_Display_Crop_Width, 300);
    EXPECT_EQ(g_Display_Crop_Height, 1200);
    EXPECT_TRUE(s.Label_ROTATED.Visible());
    EXPECT_EQ(capture_crop(), "1200*300 rotated");
    EXPECT_EQ(Read_Ini("Settings", "cropsizeindex", g_Ini_File_Path, ""), "5");
    ASSERT_TRUE(s.Grab().SavePng(test_env::output_dir() + "/startup_window_rotated.png"));

    // Refused texts and Cancel keep the caption and the setting, with a message.
    const std::optional<std::string> refused[] = {std::string("abc"),
                                                  std::string("440x1080"),
                                                  std::string("0*100"),
                                                  std::string("-5*100"),
                                                  std::string("2000*100"),
                                                  std::string("1100*1200"),
                                                  std::string("300*2000"),
                                                  std::string(" 440*1080"),
                                                  std::string("440*1080*2"),
                                                  std::string(""),
                                                  std::nullopt};
    for (const auto& answer : refused) {
        test_env::dialogs().clear();
        test_env::dialogs().answer_input(answer);
        click(s, "Command_custom");
        ASSERT_EQ(test_env::dialogs().shown.size(), 2u) << answer.value_or("(cancel)");
        EXPECT_NE(test_env::dialogs().shown[1].prompt.find("The custom crop stays 300*1200."),
                  std::string::npos)
            << test_env::dialogs().shown[1].prompt;
        EXPECT_EQ(s.Option_crop(5).Caption(), "300*1200") << answer.value_or("(cancel)");
        EXPECT_EQ(Read_Ini("settings", "customcrop", g_Ini_File_Path, ""), "300*1200");
    }
    // The limits themselves are accepted; 1080 high is not turned.
    for (const char* accepted : {"1920*1080", "1080*1920", "1*1", "440*1080"}) {
        test_env::dialogs().answer_input(std::string(accepted));
        click(s, "Command_custom");
        EXPECT_EQ(s.Option_crop(5).Caption(), accepted);
    }
    click(s, "Option_crop", "332*756");
    click(s, "Option_crop", "440*1080");
    EXPECT_FALSE(g_Rotated_Crop);
}

TEST_F(Startup, TaskbarWarningUnlessAutoHide) {
    struct Case {
        const char* state;
        bool warning;
    } cases[] = {{"TaskBar is in auto-hide mode", false},
                 {"TaskBar is always-on-top and auto-hide modes", false},
                 {"TaskBar always-on-top mode", true},
                 {"TaskBar not in auto-hide or always-on-top mode", true},
                 {"Unknown", true}};
    g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
    Write_Ini("Settings", "cropsizeindex", "0", g_Ini_File_Path); // the smallest benchmark first
    for (const Case& c : cases) {
        startup().Unload();
        test_env::dialogs().clear();
        startup().Taskbar_State = [&c] { return std::string(c.state); };
        startup().Show();
        const auto p = prompts();
        EXPECT_EQ(std::count(p.begin(), p.end(), kTaskbarWarning), c.warning ? 1 : 0) << c.state;
        EXPECT_TRUE(startup().Visible()) << "loading goes on";
        startup().item.Trigger();
        EXPECT_EQ(test_env::dialogs().shown.back().prompt, c.state);
        EXPECT_EQ(test_env::dialogs().shown.back().title, "TaskBar state");
    }
}

TEST_F(Startup, ViewRecordingsStopsCapturesAndShowsTheMainWindow) {
    startup().Show();
    auto& s = startup();
    click(s, "Option_capture_type", "View recordings");
    EXPECT_FALSE(s.Frame_camera_options.Enabled());
    EXPECT_EQ(Read_Ini("Canoe", "capture_type", g_Ini_File_Path, ""), "2");
    g_Capture_Running = true;
    Frm_kanot_2().WindowState(forms::vbMinimized);
    test_env::dialogs().clear();
    click(s, "Command_go", "Go");
    EXPECT_FALSE(g_Capture_Running);
    ASSERT_NE(Form_capture_multi_file().obj_Capture_HDMI(), nullptr);
    EXPECT_FALSE(Form_capture_multi_file().obj_Capture_HDMI()->Running());
    EXPECT_TRUE(Frm_kanot_2().Visible()) << "even without a stored video source";
    EXPECT_EQ(Frm_kanot_2().WindowState(), forms::vbNormal);
    EXPECT_FALSE(s.IsLoaded());
    EXPECT_TRUE(prompts().empty());

    // The next start remembers the choice.
    Frm_kanot_2().Hide();
    s.Show();
    EXPECT_TRUE(s.Option_capture_type(2).Value());
    EXPECT_FALSE(s.Frame_camera_options.Enabled());
}

TEST_F(Startup, CaptureWithAStoredSourceShowsTheCaptureWindow) {
    g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
    Write_Ini("capturesettings", "videoproperty", "3", g_Ini_File_Path);
    startup().Show();
    click(startup(), "Command_go", "Go");
    EXPECT_TRUE(Form_capture_multi_file().Visible());
    EXPECT_FALSE(startup().IsLoaded());
    EXPECT_FALSE(Form_select_Video().IsLoaded());
}

TEST_F(Startup, BadStoredValuesAreReportedWithTheirLocation) {
    const std::string form = " of Form Form_Tidewick_Full_Startup";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        std::vector<std::string> locations;
    } cases[] = {
        {"Settings", "cropsizeindex", "7", {"Load_Crop_Params" + form}},
        {"Canoe", "capture_type", "3", {"Load_Crop_Params" + form}},
        // The crop fails when chosen, the benchmark at the end of the load.
        {"settings", "customcrop", "440", {"Set_My_Crop" + form, "Form_Load" + form}},
        {"capturesettings", "videoproperty", "cam1", {"Command_go_Click" + form}},
    };
    for (const Case& c : cases) {
        unload_all();
        reported.clear();
        Reset_Initialization_Guard();
        g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
        std::remove(g_Ini_File_Path.c_str());
        Write_Ini(c.section, c.key, c.value, g_Ini_File_Path);
        if (std::string(c.key) == "customcrop") Write_Ini("Settings", "cropsizeindex", "5", g_Ini_File_Path);
        startup().Show();
        if (std::string(c.key) == "videoproperty") click(startup(), "Command_go", "Go");
        EXPECT_EQ(reported, c.locations) << c.key;
        EXPECT_TRUE(startup().Visible()) << c.key;
        if (std::string(c.key) == "capture_type") {
            EXPECT_NE(ini().find("capture_type=3"), std::string::npos) << "written before the error";
        }
    }
}

TEST_F(Startup, BenchmarkReportGoesToTheClipboardAndGrowsWithEveryShowing) {
    startup().Show();
    const std::string built = startup().JPEG_Bench_Report;
    const std::string tail =
        "\r\n\r\nThis data is also in the Clipboard!\r\n(To be pasted into report or mail...)";
    test_env::dialogs().clear();
    startup().item_JPG_bench.Trigger();
    startup().item_JPG_bench.Trigger();
    const auto& shown = test_env::dialogs().shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].prompt, built + tail);
    EXPECT_EQ(shown[1].prompt, built + tail + tail);
    EXPECT_EQ(shown[1].title, "Tidewick HDMI JPEG compression timings");
    EXPECT_EQ(clipboard.text, built.substr(0, built.find("---Report end---")));
}

TEST_F(Startup, DevelopmentModeShowsTheDebugMenuAndAltOnFormTogglesIt) {
    setenv("TIDEWICK_DEVELOPMENT", "1", 1);
    phidget::SetLibraryVersion("another version"); // not compared in this mode
    startup().Show();
    auto& s = startup();
    EXPECT_FALSE(g_Compiled);
    EXPECT_TRUE(s.menu_debug.Visible());
    EXPECT_TRUE(s.Shape_circle.Visible());
    EXPECT_EQ(ended, 0);
    EXPECT_NE(event_log().find(" Compiled at: 2016-03-02 11:57 IDE\n"), std::string::npos) << event_log();
    ASSERT_TRUE(s.Grab().SavePng(test_env::output_dir() + "/startup_window_development.png"));

    s.menu_form.Trigger();
    EXPECT_TRUE(s.menu_debug.Visible()) << "without Alt nothing";
    win::set_key_down(18, true);
    s.menu_form.Trigger();
    EXPECT_FALSE(s.menu_debug.Visible());
    s.menu_form.Trigger();
    EXPECT_TRUE(s.menu_debug.Visible());
    win::set_key_down(18, false);
}

TEST_F(Startup, HeaderTestLeavesAHeatFileWithTheTestEvent) {
    startup().Show();
    const std::string path = g_AppData_Folder + "/testfile.qf3";
    for (int run = 0; run < 2; ++run) { // the second run replaces the first file
        startup().item_qf3_header_test.Trigger();
        cls_VideoFile_handler file;
        ASSERT_TRUE(file.Open_File(path));
        EXPECT_EQ(file.Event_name(), "test_event");
        file.Close_File();
    }
    // The main window's load keeps the error report loaded hidden: nothing may be reported in it.
    EXPECT_TRUE(reported.empty()) << ::testing::PrintToString(reported);
    EXPECT_EQ(error_report(), "");
    if (test_env::have_tool("python3")) {
        std::string out;
        EXPECT_EQ(test_env::run("python3 '" + std::string(std::getenv("TIDEWICK_SOURCE_DIR")) +
                                    "/tests/videofile/check_qf3.py' '" + path + "' --frames 0",
                                &out),
                  0)
            << out;
    }
}

TEST_F(Startup, AboutComesOnTopAndSelectSourceShowsTheSelectionWindow) {
    startup().Show();
    startup().item_about.Trigger();
    EXPECT_TRUE(frmAbout().Visible());
    EXPECT_TRUE(reinterpret_cast<QMainWindow*>(frmAbout().hWnd())->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NE(frmAbout().Label_userapp.Caption().find(g_AppData_Folder), std::string::npos);
    startup().item_select_source.Trigger();
    EXPECT_TRUE(Form_select_Video().Visible());
    EXPECT_TRUE(startup().Visible());
}

TEST_F(Startup, CheckWindowHandsOverToTheStartUpWindow) {
    // Another process of the program holds the instance lock.
    int to_child[2], to_parent[2];
    ASSERT_EQ(pipe(to_child), 0);
    ASSERT_EQ(pipe(to_parent), 0);
    const pid_t child = fork();
    if (child == 0) {
        const char held = win::PrevInstance() ? 'n' : 'y';
        (void)!write(to_parent[1], &held, 1);
        char go = 0;
        (void)!read(to_child[0], &go, 1);
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(to_parent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    g_Compiled = false;
    g_Program_Title = "Tidewick_HDMI, photo-finish for canoe heats";
    Form_check_software().Load();
    ASSERT_FALSE(prompts().empty());
    EXPECT_EQ(prompts()[0], "A previous instance of this program is already running!");
    EXPECT_GE(ended, 1) << "through the exit procedure";
    const char go = 'x';
    ASSERT_EQ(write(to_child[1], &go, 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (forms::Form* f : forms::Forms())
        f->Unload();

    // Alone, without the control-box driver: the process ends at once.
    test_env::dialogs().clear();
    ended = 0;
    phidget::SetLibraryInstalled(false);
    Form_check_software().Load();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Phidget drivers not installed correctly!"});
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(startup().IsLoaded());
    Form_check_software().Unload();

    // Alone with the driver: the start-up window takes over.
    test_env::dialogs().clear();
    phidget::SetLibraryInstalled(true);
    Form_check_software().Load();
    EXPECT_FALSE(Form_check_software().IsLoaded());
    EXPECT_TRUE(startup().Visible());
}

} // namespace
