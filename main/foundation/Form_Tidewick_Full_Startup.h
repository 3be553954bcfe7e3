#pragma once
// The first window of the program: it loads the main window hidden (which
// runs the initialisation), lets the operator choose between capturing heat
// files and viewing recordings, and the crop size of the camera picture, and
// keeps a JPEG compression benchmark of the crop sizes. It has no Close
// command: the operator leaves it through "Go" or the Exit item.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"

#include <cstdint>
#include <functional>
#include <string>

class Form_Tidewick_Full_Startup : public forms::Form {
public:
    Form_Tidewick_Full_Startup();

    forms::Label Label1{this, "Label1"};
    forms::Label Label_HDMI_test{this, "Label_HDMI_test"};
    forms::Frame Frame_capture_options{this, "Frame_capture_options"};
    forms::ControlArray<forms::OptionButton> Option_capture_type{this, "Option_capture_type"};
    forms::CommandButton Command_go{this, "Command_go"};
    forms::Frame Frame_camera_options{this, "Frame_camera_options"};
    forms::Frame Frame_Crop{this, "Frame_Crop"};
    forms::ControlArray<forms::OptionButton> Option_crop{this, "Option_crop"};
    forms::CommandButton Command_custom{this, "Command_custom"};
    forms::Label Label_ROTATED{this, "Label_ROTATED"};
    // A circle that marks the development mode.
    forms::PictureBox Shape_circle{this, "Shape_circle"};
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_select_source{this, "item_select_source", &menu_form, "Select Video Source/Property"};
    forms::Menu item_exit{this, "item_exit", &menu_form, "Exit"};
    forms::Menu menu_diagnostics{this, "menu_diagnostics", nullptr, "Diagnostics"};
    forms::Menu item_JPG_bench{this, "item_JPG_bench", &menu_diagnostics, "JPG_benchmark"};
    forms::Menu menu_help{this, "menu_help", nullptr, "Help"};
    forms::Menu item_about{this, "item_about", &menu_help, "About"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_diskperf{this, "item_diskperf", &menu_debug, "Diskperf"};
    forms::Menu item_diskperfappdata{this, "item_diskperfappdata", &menu_debug, "Diskperf_appdata"};
    forms::Menu item{this, "item", &menu_debug, "Taskbar state"};
    forms::Menu item_qf3_header_test{this, "item_qf3_header_test", &menu_debug, "QF3_header_test"};

    // The taskbar's state as the load reads it; tests put other states in place.
    std::function<std::string()> Taskbar_State;

    // The benchmark report, as built at load and extended by every showing.
    std::string JPEG_Bench_Report;

    void Load_Crop_Params();
    void Set_My_Crop(const std::string& crop);
    void Set_Capture_Rotated(bool rotated);
    void Create_obj_Capture();
    void JPEG_bench_to_mess();
    void Show_JPEG_Bench_Report();

    void Command_go_Click();
    void Command_custom_Click();
    void Option_crop_Click(int32_t Index);
    void Option_capture_type_Click(int32_t Index);
    void menu_form_Click();
    void item_select_source_Click();
    void item_exit_Click();
    void item_JPG_bench_Click();
    void item_about_Click();
    void item_diskperf_Click();
    void item_diskperfappdata_Click();
    void item_Click();
    void item_qf3_header_test_Click();

    // Whether a custom crop text is "W*H" in whole pixels whose capture crop
    // fits the 1920 by 1080 camera picture (turned when H is above 1080).
    static bool Is_Valid_Crop(const std::string& crop);

protected:
    void Design() override;
    void Form_Load() override;
};

class Form_Tidewick_Full_Startup& Form_Tidewick_Full_Startup();
