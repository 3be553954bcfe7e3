// The about box: what it shows with and without the capture and control-box
// libraries, its hidden menus, its folder link and its hooks.
#include "Frm_kanot_2.h"
#include "KeyState.h"
#include "Module_OrvelGraphics.h"
#include "Module_qfn_Globals.h"
#include "PhidgetInterfaceKit.h"
#include "Printer.h"
#include "Program_Wiring.h"
#include "QtServices.h"
#include "Registry.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbError.h"
#include "frmAbout.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string kTitle = "Tidewick_HDMI, photo-finish for canoe heats";
constexpr int kVK_CONTROL = 17;

// The capture library's own registration, as the installer runs it. The
// library stays loaded: COM loads the same file for the object anyway.
bool register_capture_library() {
    const std::string lib = fs::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
    void* h = ::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return false;
    auto fn = reinterpret_cast<int32_t (*)()>(::dlsym(h, "DllRegisterServer"));
    return fn && fn() == 0;
}

// A left click of the mouse on a control of the about box, as the operator makes it.
void click(const char* control) {
    auto* w = reinterpret_cast<QMainWindow*>(frmAbout().hWnd())->findChild<QWidget*>(control);
    ASSERT_NE(w, nullptr) << control;
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class About : public ::testing::Test {
protected:
    void SetUp() override {
        frmAbout().Unload();
        g_Compiled = false;
        g_Program_Title = kTitle;
        g_Computer_Name = "RACEPC";
        g_AppData_Folder = test_env::make_dir("appdata");
        forms::App().SetVersion("4.0.172");
        const std::string dir = test_env::make_dir(
            std::string("about-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        registry::SetRegistryFilePath(dir + "/registry.txt");
        phidget::SetLibraryInstalled(true);
        forms::Install_Event_Pump();
        forms::Install_Font_Substitutes();
        forms::set_desktop_hook([this](const std::string& what) {
            opened.push_back(what);
            return true;
        });
        win::clear_keys();
        test_env::dialogs().clear();
    }
    void TearDown() override {
        frmAbout().Hide();
        forms::set_desktop_hook({});
        forms::set_clipboard_service(nullptr);
        phidget::ResetLibrary();
        registry::SetRegistryFilePath({});
        orvel_graphics::Set_Library_Name("");
        win::clear_keys();
        unsetenv("TIDEWICK_PRINTER_PDF");
    }
    // What the about command does, in its order.
    static void show_about() {
        auto& a = frmAbout();
        a.Display_OrvelGraphics();
        a.Display_OrvelCap();
        a.Description("Photo-finish and race timing for canoe heats");
        a.Display_Phidgets();
        a.Display_OrvelGraphics();
        a.Load_Product_Picture("TIDEWICK_LOGGA");
        a.Display_Local_IP();
        a.appdata(g_AppData_Folder);
        a.Show(forms::vbModeless);
    }
    static std::vector<std::string> texts() {
        auto& a = frmAbout();
        return {a.Caption(),
                a.Lblversion.Caption(),
                a.Lbl_filedate.Caption(),
                a.Lbl_IP.Caption(),
                a.Lbl_orvelcap.Caption(),
                a.Label_phidget_version.Caption(),
                a.Lbl_fourcc.Caption(),
                a.Lbl_OrvelGraphics.Caption(),
                a.Lbldescription.Caption(),
                a.Lbldisclaimer.Caption(),
                a.Label_userapp.Caption()};
    }
    std::vector<std::string> opened;
};

TEST_F(About, ShowsTitleVersionsAndFolderWithoutTheCaptureLibrary) {
    show_about();
    auto& a = frmAbout();
    EXPECT_TRUE(a.Visible());
    EXPECT_EQ(a.Caption(), "About " + kTitle);
    EXPECT_EQ(a.Lblversion.Caption(), "Version 4.0.172, Compile date: 2016-03-02 11:57");
    EXPECT_EQ(a.Lbl_filedate.Caption(), "") << "development mode";
    EXPECT_EQ(a.Lbldescription.Caption(), kTitle);
    EXPECT_FALSE(a.Lbldisclaimer.Caption().empty());
    EXPECT_EQ(a.Lbl_orvelcap.Caption(), "OrvelCap: ") << "not registered: no value";
    EXPECT_EQ(a.Label_phidget_version.Caption(), phidget::LibraryVersionText());
    EXPECT_TRUE(std::regex_match(a.Lbl_OrvelGraphics.Caption(),
                                 std::regex("OrvelGraphics: Release [A-Z][a-z]{2} [1-9][0-9]? [0-9]{4}")))
        << a.Lbl_OrvelGraphics.Caption();
    EXPECT_EQ(a.Label_userapp.Caption(), "User appdata at: \r\n" + g_AppData_Folder);
    EXPECT_EQ(a.Label_userapp.ToolTipText(), "Click to open this folder!");
    EXPECT_EQ(a.Lbl_IP.Caption(), "");
    EXPECT_EQ(a.Lbl_fourcc.Caption(), "");
    EXPECT_EQ(a.Frame_version.Caption(), "Version info");
    EXPECT_EQ(a.Frame_technical.Caption(), "Technical info");
    EXPECT_EQ(a.Command_OK.Caption(), "Ok");
    EXPECT_TRUE(a.menu_form.Visible());
    EXPECT_FALSE(a.menu_debug.Visible());
    EXPECT_FALSE(a.Menu_sources.Visible());
    // The product logo sits in the middle of the window.
    EXPECT_NEAR(a.Picture_product.Left() + a.Picture_product.Width() / 2, a.ScaleWidth() / 2, 15);
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(About, CaptureLibraryRegisteredShowsItsBuildNumberAndAScreenshot) {
    ASSERT_TRUE(register_capture_library());
    show_about();
    auto& a = frmAbout();
    EXPECT_TRUE(std::regex_match(
        a.Lbl_orvelcap.Caption(),
        std::regex("OrvelCap: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
        << a.Lbl_orvelcap.Caption();
    const std::string png = test_env::output_dir() + "/about_box.png";
    ASSERT_TRUE(a.Grab().SavePng(png));
    EXPECT_GT(fs::file_size(png), 1000u);
}

TEST_F(About, NoControlBoxLibraryIsSaid) {
    phidget::SetLibraryInstalled(false);
    show_about();
    EXPECT_EQ(frmAbout().Label_phidget_version.Caption(), "No Phidget driver found");
}

TEST_F(About, NormalModeShowsTheProgramFileDate) {
    g_Compiled = true;
    show_about();
    EXPECT_TRUE(std::regex_match(frmAbout().Lbl_filedate.Caption(),
                                 std::regex(R"(\.exe Filedate = \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << frmAbout().Lbl_filedate.Caption();
    g_Compiled = false;
}

TEST_F(About, OkHidesWithoutUnloadingAndASecondShowingShowsTheSame) {
    show_about();
    const auto first = texts();
    frmAbout().Command_OK.Value(true);
    EXPECT_FALSE(frmAbout().Visible());
    EXPECT_TRUE(frmAbout().IsLoaded());
    EXPECT_EQ(texts(), first) << "labels keep their texts while hidden";
    show_about();
    EXPECT_TRUE(frmAbout().Visible());
    EXPECT_EQ(texts(), first);
}

TEST_F(About, FormMenuShowsDebugOnlyWithCtrl) {
    show_about();
    auto& a = frmAbout();
    win::set_key_down(kVK_CONTROL, true);
    a.menu_form.Trigger();
    EXPECT_TRUE(a.menu_debug.Visible());
    win::set_key_down(kVK_CONTROL, false);
    a.menu_form.Trigger();
    EXPECT_FALSE(a.menu_debug.Visible());
}

TEST_F(About, FolderLabelOpensTheFolder) {
    show_about();
    click("Label_userapp");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], g_AppData_Folder);
}

TEST_F(About, CtrlClickOnTheCompanyPictureShowsTheSpecialsMenu) {
    // The main window there, as when its Help menu shows the about box; its
    // load's own messages are not this test's.
    Wire_Program();
    Frm_kanot_2().menu_specials.Visible(false);
    test_env::dialogs().clear();
    show_about();
    click("Picture_company");
    EXPECT_FALSE(Frm_kanot_2().menu_specials.Visible()) << "without Ctrl";
    win::set_key_down(kVK_CONTROL, true);
    click("Picture_company");
    win::set_key_down(kVK_CONTROL, false);
    EXPECT_TRUE(Frm_kanot_2().menu_specials.Visible());
    EXPECT_TRUE(test_env::dialogs().prompts().empty())
        << ::testing::PrintToString(test_env::dialogs().prompts());
}

TEST_F(About, DateFormatsAndVideoSourcesMessages) {
    forms::MemoryClipboard clipboard;
    forms::set_clipboard_service(&clipboard);
    show_about();
    auto& a = frmAbout();
    a.item_date_formats.Trigger();
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    const std::string d = R"(\d{4}-\d\d-\d\d)", t = R"(\d\d:\d\d:\d\d)";
    EXPECT_TRUE(std::regex_match(test_env::dialogs().shown[0].prompt,
                                 std::regex("date = " + d + "\r\ntime = " + t + "\r\nnow = " + d + " " + t +
                                            "\r\nISODate = " + d + "\r\nISOnow = " + d + " " + t + "\r\n")))
        << test_env::dialogs().shown[0].prompt;

    a.Show_sources();
    EXPECT_TRUE(a.Menu_sources.Visible());
    a.item_video_sources.Trigger();
    ASSERT_EQ(test_env::dialogs().shown.size(), 2u);
    const auto& box = test_env::dialogs().shown[1];
    EXPECT_EQ(box.title, "Video sources, data is copied to Clipboard!");
    EXPECT_TRUE(
        std::regex_match(box.prompt, std::regex("Video sources at: " + d + " " + t + "\r\nRACEPC\r\n")))
        << box.prompt;
    EXPECT_EQ(clipboard.text, box.prompt);
    a.item_audio_sources.Trigger();
    EXPECT_EQ(test_env::dialogs().shown.size(), 2u) << "no action";
}

TEST_F(About, PrintPutsTheWindowOnAPage) {
    const std::string pdf = test_env::output_dir() + "/about_box_print.pdf";
    fs::remove(pdf);
    setenv("TIDEWICK_PRINTER_PDF", pdf.c_str(), 1);
    show_about();
    frmAbout().item_print.Trigger();
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(test_env::read_file(pdf).rfind("%PDF", 0), 0u);
    if (test_env::have_tool("pdfimages")) {
        // The page holds one picture, as wide and high as the window.
        std::string out;
        ASSERT_EQ(test_env::run("pdfimages -list '" + pdf + "'", &out), 0);
        const forms::Picture window = frmAbout().Grab();
        std::smatch m;
        ASSERT_TRUE(std::regex_search(out, m, std::regex(R"(\n\s*1\s+0\s+image\s+(\d+)\s+(\d+))"))) << out;
        EXPECT_EQ(std::stoi(m[1]), window.Width());
        EXPECT_EQ(std::stoi(m[2]), window.Height());
    }
}

TEST_F(About, KeyValuesAndSystemInformationTool) {
    auto& a = frmAbout();
    std::string value = "before";
    EXPECT_FALSE(a.GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", "PATH", value));
    EXPECT_EQ(value, "");

    std::vector<std::string> started;
    a.Start_Program = [&](const std::string& p) {
        started.push_back(p);
        return true;
    };
    a.StartSysInfo();
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt, "System Information Is Unavailable At This Time");
    EXPECT_TRUE(started.empty());

    ASSERT_EQ(registry::WriteString(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                    "PATH", "/usr/bin/sysinfo-tool"),
              registry::ERROR_SUCCESS);
    EXPECT_TRUE(a.GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                              "PATH", value));
    EXPECT_EQ(value, "/usr/bin/sysinfo-tool");
    a.StartSysInfo();
    EXPECT_EQ(started, std::vector<std::string>{"/usr/bin/sysinfo-tool"});
    EXPECT_EQ(test_env::dialogs().shown.size(), 1u);

    registry::HKEY key = 0;
    ASSERT_EQ(registry::RegOpenKeyExA(registry::HKEY_LOCAL_MACHINE,
                                      "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                                      registry::KEY_ALL_ACCESS, &key),
              registry::ERROR_SUCCESS);
    const uint32_t number = 4000000000u;
    const uint8_t bytes[3] = {1, 2, 3};
    registry::RegSetValueExA(key, "Count", 0, registry::REG_DWORD, &number, 4);
    registry::RegSetValueExA(key, "Blob", 0, registry::REG_BINARY, bytes, 3);
    registry::RegCloseKey(key);
    EXPECT_TRUE(a.GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                              "Count", value));
    EXPECT_EQ(value, "4000000000");
    EXPECT_TRUE(a.GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                              "Blob", value));
    EXPECT_EQ(value, "4000000000") << "another type leaves the text as it was";
}

TEST_F(About, MissingResourcesAndMissingImageLibraryAreErrors) {
    try {
        frmAbout().Load_Product_Picture("NO_SUCH_LOGO");
        FAIL() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 326);
    }
    frmAbout().Unload();
    orvel_graphics::Set_Library_Name("libOrvelGraphics-not-there.so");
    try {
        frmAbout().Display_OrvelGraphics();
        FAIL() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), vb::errFileNotFound);
    }
    EXPECT_TRUE(frmAbout().IsLoaded()) << "the window loaded before the library was called";
    EXPECT_EQ(frmAbout().Lbl_OrvelGraphics.Caption(), "");
}

} // namespace
