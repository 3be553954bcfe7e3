#pragma once
// Test doubles of the windows above the start-up window (main, capture,
// source selection), put into the program's hooks as the program's main puts
// the real ones, recording what the start-up and the exit ask of them.
#include "Form.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Program_Windows.h"

#include <cstdint>
#include <string>
#include <vector>

namespace test_windows {

// The main window: its load runs the initialisation, as the real one does.
class Main_Window : public forms::Form {
public:
    Main_Window() : Form("Frm_kanot_2") {}
    int loads = 0;

protected:
    void Form_Load() override {
        ++loads;
        if (g_Program_Title.empty()) Tidewick_Initialization();
        Tidewick_Initialization();
    }
};

class Plain_Window : public forms::Form {
public:
    using Form::Form;
};

struct Calls {
    std::vector<std::string> timing; // "frametimestamp" / "framecount"
    std::vector<bool> rotate;
    // The capture crop each Set_OBJ_Capture_Crop found.
    std::vector<std::string> crops;
    int terminate = 0, stop = 0;
};

inline Main_Window& main_window() {
    return forms::Instance<Main_Window>();
}
inline Plain_Window& capture_window() {
    static Plain_Window* w = new Plain_Window("Form_capture_multi_file");
    return *w;
}
inline Plain_Window& select_video() {
    static Plain_Window* w = new Plain_Window("Form_select_Video");
    return *w;
}

// Installs every hook; the calls land in `calls`.
inline void install(Calls& calls) {
    auto& w = g_Windows;
    w.Frm_kanot_2 = []() -> forms::Form& { return main_window(); };
    w.Frm_kanot_2_hDC = [] { return gdi::HDC(nullptr); };
    w.Set_Timing_Frametimestamp = [&calls] {
        calls.timing.push_back("frametimestamp");
        Write_Ini("Settings", "timing", "frametimestamp", g_Ini_File_Path);
    };
    w.Set_Timing_Framecount = [&calls] {
        calls.timing.push_back("framecount");
        Write_Ini("Settings", "timing", "framecount", g_Ini_File_Path);
    };
    w.Form_capture_multi_file = []() -> forms::Form& { return capture_window(); };
    w.Set_Capture_Rotate = [&calls](bool r) { calls.rotate.push_back(r); };
    w.Set_OBJ_Capture_Crop = [&calls] {
        calls.crops.push_back(std::to_string(g_Capture_Crop_Width) + "*" +
                              std::to_string(g_Capture_Crop_Height));
    };
    w.Terminate_obj_Capture_HDMI = [&calls] { ++calls.terminate; };
    w.Stop_Capture = [&calls] { ++calls.stop; };
    w.Form_select_Video = []() -> forms::Form& { return select_video(); };
    w.Set_Display_Crop = [](int16_t&, int16_t&) {};
}

inline void uninstall() {
    g_Windows = Program_Windows{};
}

} // namespace test_windows
