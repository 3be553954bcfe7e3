#pragma once
// What every start-up test begins with: a fresh application-data folder (so
// no settings file), the normal mode, the capture library registered, the
// control-box library installed, the taskbar in auto-hide mode, the windows
// wired as the program wires them and the process end recorded.
#include "Form.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Form_capture_multi_file.h"
#include "Form_select_Video.h"
#include "Frm_kanot_2.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "PhidgetInterfaceKit.h"
#include "Program_Wiring.h"
#include "QFN_Error_Handler.h"
#include "QtServices.h"
#include "Registry.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbTrap.h"
#include "cls_Capture_HDMI.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

namespace startup_test {

// The capture library's own registration, as the installer runs it.
inline bool register_capture_library() {
    namespace fs = std::filesystem;
    const std::string lib = fs::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
    void* h = ::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return false;
    auto fn = reinterpret_cast<int32_t (*)()>(::dlsym(h, "DllRegisterServer"));
    return fn && fn() == 0;
}

// The widget of a control; for a control array the element with that caption.
inline QWidget* widget_of(forms::Form& form, const char* name, const char* caption = nullptr) {
    auto* top = reinterpret_cast<QMainWindow*>(form.hWnd());
    // An element of a control array is named "Name(i)".
    const QRegularExpression named(QString("^%1(\\(\\d+\\))?$").arg(QRegularExpression::escape(name)));
    for (QWidget* w : top->findChildren<QWidget*>(named)) {
        if (!caption) return w;
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (b && b->text() == caption) return w;
    }
    return nullptr;
}

// A left click on a control, as the operator makes it.
inline void click(forms::Form& form, const char* name, const char* caption = nullptr) {
    QWidget* w = widget_of(form, name, caption);
    ASSERT_NE(w, nullptr) << name << " " << (caption ? caption : "");
    // Near the left edge: an option button takes clicks on its mark and caption only.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
}

// The crop and rotation the capture window's capture object was given, as
// "width*height" with " rotated" for a turned camera; "" with no object.
inline std::string capture_crop() {
    const cls_Capture_HDMI* cap = Form_capture_multi_file().obj_Capture_HDMI();
    if (!cap) return "";
    const cDIBSection& crop = cap->Cropped_DIB();
    return std::to_string(crop.Width()) + "*" + std::to_string(std::abs(crop.Height())) +
           (cap->Capture_Rotate_RGB() ? " rotated" : "");
}

// The timing method ticked in the main window's menu.
inline std::string ticked_timing() {
    const bool stamp = Frm_kanot_2().item_timing_frametimestamp.Checked();
    const bool count = Frm_kanot_2().item_timing_framecount.Checked();
    return stamp == count ? "both or none" : stamp ? "frametimestamp" : "framecount";
}

inline std::string ini() {
    return test_env::read_file(g_Ini_File_Path);
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        data_dir = test_env::make_dir("data-" + test);
        setenv("XDG_DATA_HOME", data_dir.c_str(), 1);
        unsetenv("TIDEWICK_DEVELOPMENT");
        registry::SetRegistryFilePath(test_env::make_dir("registry-" + test) + "/registry.txt");
        ASSERT_TRUE(register_capture_library());
        phidget::SetLibraryInstalled(true);
        g_Program_Title.clear();
        g_Ini_File_Path.clear();
        g_Click_Sound.clear();
        g_Phidget_Check.reset();
        g_Capture_Running = g_Exiting = false;
        Reset_Initialization_Guard();
        Install_Error_Trap();
        // Every trapped error still reaches the report; its location is noted too.
        vb::SetErrorHandler(
            [this](const vb::VbError& err, const std::string& location, const std::string& extra) {
                reported.push_back(location);
                QFN_Error_Handler(err.description(), err.number(), err.line(), location, extra);
            });
        forms::Install_Event_Pump();
        forms::Install_Font_Substitutes();
        forms::set_clipboard_service(&clipboard);
        forms::set_end_hook([this](int32_t) { ++ended; });
        Wire_Program();
        Form_Tidewick_Full_Startup().Taskbar_State = [] {
            return std::string("TaskBar is in auto-hide mode");
        };
        test_env::dialogs().clear();
    }
    void TearDown() override {
        forms::set_end_hook([](int32_t) {});
        unload_all();
        // The capture object the crop made outlives its window's unload.
        Form_capture_multi_file().Terminate_obj_Capture_HDMI();
        Installed_Library_Checks() = Library_Checks{};
        forms::set_end_hook({});
        forms::set_clipboard_service(nullptr);
        phidget::ResetLibrary();
        registry::SetRegistryFilePath({});
        unsetenv("TIDEWICK_DEVELOPMENT");
    }
    static class Form_Tidewick_Full_Startup& startup() { return Form_Tidewick_Full_Startup(); }
    // The main window loaded hidden, as it is while its load runs the
    // initialisation: the tests that call the initialisation themselves then
    // find it there, as the program's call does. Its load ran the
    // initialisation once; what that left is cleared again.
    void Load_Main_Window_First() {
        Frm_kanot_2().Load();
        Reset_Initialization_Guard();
        std::remove(g_Ini_File_Path.c_str());
        std::remove((g_AppData_Folder + "/Tidewick_eventlog.txt").c_str());
        g_Program_Title.clear();
        g_Ini_File_Path.clear();
        g_Click_Sound.clear();
        g_Phidget_Check.reset();
        test_env::dialogs().clear();
    }
    static std::vector<std::string> prompts() { return test_env::dialogs().prompts(); }
    static void unload_all() {
        for (int round = 0; round < 3; ++round)
            for (forms::Form* f : forms::Forms())
                f->Unload();
    }

    std::string data_dir;
    forms::MemoryClipboard clipboard;
    int ended = 0;
    std::vector<std::string> reported; // locations of the trapped errors
};

} // namespace startup_test
