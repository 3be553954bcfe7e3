// The capture window over the real capture library and the synthetic camera,
// in a folder and settings file of the test's own, under the fake clock.
#pragma once

#include "CaptureTestSupport.h"
#include "Form_capture_multi_file.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Services.h"
#include "TestEnv.h"
#include "WinClock.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace capture_test {

inline QWidget* widget_of(const forms::WidgetControl& c) {
    return reinterpret_cast<QWidget*>(c.hWnd());
}

// What the independent byte-layout checker says of a heat file: its exit
// status and its lines.
struct Checked {
    int status;
    std::string out;
};
inline Checked check_qf3(const std::string& file, const std::string& options) {
    Checked c{};
    c.status = test_env::run("python3 " + std::string(std::getenv("TIDEWICK_SOURCE_DIR")) +
                                 "/tests/videofile/check_qf3.py '" + file + "' " + options + " 2>&1",
                             &c.out);
    return c;
}

class Capture_Window_Test : public CaptureTest {
protected:
    // The source "HDMI Capture" at format 0, heats saved into <dir>/heats,
    // the 440×1080 crop upright, the fake clock at the wall's time.
    void Set_Up_Capture_Window(const std::string& prefix) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = test_env::make_dir(prefix + name);
        folder = dir + "/heats";
        std::filesystem::create_directories(folder);
        g_Ini_File_Path = dir + "/Tidewick_HDMI.ini";
        Write_Ini("capturesettings", "friendlyname", "HDMI Capture", g_Ini_File_Path);
        Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
        Write_Ini("Canoe", "save_folder1", folder, g_Ini_File_Path);
        Write_Ini("Canoe", "event_name", "Cup", g_Ini_File_Path);
        g_Compiled = false;
        g_Exiting = false;
        g_Tidewick = true;
        g_Capture_Crop_Width = 440;
        g_Capture_Crop_Height = 1080;
        g_Rotated_Crop = false;
        clock.set_wall(std::chrono::system_clock::now());
        win::set_clock(&clock);
        test_env::dialogs().clear();
    }

    static class Form_capture_multi_file& W() { return Form_capture_multi_file(); }

    // The window activated, as the window system does when it comes to the front.
    static void Activate() {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(widget_of(W().Frame_capture(0))->window(), &activate);
    }
    // Activated: the camera runs, and every frame moves the fake clock on by
    // 20 ms, as a 50 Hz camera does.
    void Start_Camera() {
        Activate();
        ASSERT_NE(W().obj_Capture_HDMI(), nullptr);
        cls_Capture_HDMI& cap = *W().obj_Capture_HDMI();
        auto window_event = cap.HDMIreceived;
        cap.HDMIreceived = [this, window_event] {
            window_event();
            clock.advance(20);
        };
    }
    // The camera stopped, the slots' files closed, the window gone.
    static void Close_Capture_Window() {
        W().Terminate_obj_Capture_HDMI();
        for (int16_t i = 0; i < 3; ++i)
            W().File_Handler(i).Close_File();
        W().Unload();
    }
    int32_t Frames() { return W().obj_Capture_HDMI()->HDMI_events(); }
    void Frames_Pass(int32_t n) {
        const int32_t until = Frames() + n;
        ASSERT_TRUE(pump_until([&] { return Frames() >= until; }));
    }

    win::FakeClock clock{100000};
    std::string dir, folder;
};

} // namespace capture_test
