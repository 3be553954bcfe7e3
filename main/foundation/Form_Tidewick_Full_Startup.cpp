#include "Form_Tidewick_Full_Startup.h"

#include "Class_JPG_Bench.h"
#include "Class_disk_mem_perf.h"
#include "Dialogs.h"
#include "Gdi.h"
#include "Module_Tidewick.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"

#include <memory>
#include <regex>

namespace {

constexpr const char* kCrlf = "\r\n";
constexpr int16_t kCamera_Width = 1920, kCamera_Height = 1080;
constexpr int32_t kCustom_Crop = 5;
constexpr const char* kCrop_Captions[] = {"332*756", "332*880", "440*1080", "400*1400", "600*1600"};

// Width and height of a crop text "W*H"; a text without "*" or with a part
// that is no number raises the conversion or subscript error.
void Split_Crop(const std::string& crop, int16_t& width, int16_t& height) {
    const auto fields = vb::Split(crop, "*");
    if (fields.size() < 2) vb::Raise(vb::errSubscriptOutOfRange);
    width = vb::CInt(fields[0]);
    height = vb::CInt(fields[1]);
}

// A red ring filling the picture box, on the window's own colour.
void Draw_Circle(forms::PictureBox& box) {
    box.BackColor(0x00F0F0F0);
    box.Cls();
    const gdi::HDC dc = box.hDC();
    const gdi::HGDIOBJ pen = gdi::CreatePen(gdi::PS_SOLID, 3, 0x000000C0);
    const gdi::HGDIOBJ old_pen = gdi::SelectObject(dc, pen);
    const gdi::HGDIOBJ old_brush = gdi::SelectObject(dc, gdi::GetStockObject(gdi::NULL_BRUSH));
    const int32_t size = static_cast<int32_t>(box.Width() / forms::kTwipsPerPixel);
    gdi::Ellipse(dc, 3, 3, size - 3, size - 3);
    gdi::SelectObject(dc, old_brush);
    gdi::DeleteObject(gdi::SelectObject(dc, old_pen));
    box.Refresh();
}

} // namespace

class Form_Tidewick_Full_Startup& Form_Tidewick_Full_Startup() {
    return forms::Instance<class Form_Tidewick_Full_Startup>();
}

Form_Tidewick_Full_Startup::Form_Tidewick_Full_Startup() : Form("Form_Tidewick_Full_Startup") {
    Taskbar_State = Get_Taskbar_State;
    for (int32_t i = 1; i <= 2; ++i)
        Option_capture_type.Add(i).Click = [this, i] { Option_capture_type_Click(i); };
    for (int32_t i = 0; i <= kCustom_Crop; ++i)
        Option_crop.Add(i).Click = [this, i] { Option_crop_Click(i); };
    Command_go.Click = [this] { Command_go_Click(); };
    Command_custom.Click = [this] { Command_custom_Click(); };
    menu_form.Click = [this] { menu_form_Click(); };
    item_select_source.Click = [this] { item_select_source_Click(); };
    item_exit.Click = [this] { item_exit_Click(); };
    item_JPG_bench.Click = [this] { item_JPG_bench_Click(); };
    item_about.Click = [this] { item_about_Click(); };
    item_diskperf.Click = [this] { item_diskperf_Click(); };
    item_diskperfappdata.Click = [this] { item_diskperfappdata_Click(); };
    item.Click = [this] { item_Click(); };
    item_qf3_header_test.Click = [this] { item_qf3_header_test_Click(); };
}

void Form_Tidewick_Full_Startup::Design() {
    Caption("Tidewick Startup");
    const int32_t width = 6840, height = 5760;
    Move((forms::Screen_Width() - width) / 2, (forms::Screen_Height() - height) / 2, width, height);

    Label1.Caption("Welcome to Tidewick");
    Label1.Move(240, 120, 6240, 450);
    Label1.FontName("Arial");
    Label1.FontSize(16);
    Label1.FontBold(true);
    Label_HDMI_test.Caption("HDMI test");
    Label_HDMI_test.Move(240, 600, 3000, 285);

    Frame_capture_options.Caption("Program  option");
    Frame_capture_options.Move(240, 1020, 2880, 1260);
    const char* types[] = {"Capture files", "View recordings"};
    for (int32_t i = 1; i <= 2; ++i) {
        auto& option = Option_capture_type(i);
        option.Container(Frame_capture_options);
        option.Caption(types[i - 1]);
        option.Move(180, 330 + (i - 1) * 420, 2580, 330);
    }
    Command_go.Caption("Go");
    Command_go.Move(240, 2460, 2880, 720);
    Command_go.FontBold(true);
    Command_go.FontSize(12);
    Shape_circle.Move(1320, 3480, 600, 600);
    Draw_Circle(Shape_circle);
    Shape_circle.Visible(false);

    Frame_camera_options.Caption("Cropping options");
    Frame_camera_options.Move(3360, 1020, 3120, 3960);
    Frame_Crop.Container(Frame_camera_options);
    Frame_Crop.Caption("Preset Crop");
    Frame_Crop.Move(120, 300, 2880, 2580);
    for (int32_t i = 0; i <= kCustom_Crop; ++i) {
        auto& option = Option_crop(i);
        option.Container(Frame_Crop);
        option.Caption(i < kCustom_Crop ? kCrop_Captions[i] : "440*1080");
        option.Move(180, 300 + i * 360, 2580, 300);
    }
    Command_custom.Container(Frame_camera_options);
    Command_custom.Caption("Enter custom crop");
    Command_custom.Move(120, 3000, 2880, 420);
    Label_ROTATED.Container(Frame_camera_options);
    Label_ROTATED.Caption("Rotated camera!");
    Label_ROTATED.Move(120, 3540, 2880, 300);
    Label_ROTATED.ForeColor(0x000000FF);
    Label_ROTATED.FontBold(true);
    Label_ROTATED.Visible(false);
}

void Form_Tidewick_Full_Startup::Form_Load() {
    vb::Trap("Form_Load of Form Form_Tidewick_Full_Startup", [this] {
        Trace_String("Form_Load, begin");
        // The main window's load runs the initialisation.
        Call_Connected(g_Windows.Frm_kanot_2).Visible(false);
        g_HDMI_Mode = true;
        if (!g_Compiled)
            Shape_circle.Visible(true);
        else
            menu_debug.Visible(false);
        const std::string taskbar = Taskbar_State();
        if (taskbar != "TaskBar is in auto-hide mode" &&
            taskbar != "TaskBar is always-on-top and auto-hide modes")
            forms::MsgBox("Taskbar in auto-hide mode is recommended!", forms::vbOKOnly, "TaskBar mode");
        g_Border_Width_X = static_cast<int16_t>(forms::GetSystemMetrics(forms::SM_CXFRAME));
        Remove_Close_Menu(hWnd());
        Option_crop(kCustom_Crop).Caption(Read_Ini("settings", "customcrop", g_Ini_File_Path, "440*1080"));
        Load_Crop_Params();
        JPEG_bench_to_mess();
    });
}

void Form_Tidewick_Full_Startup::Load_Crop_Params() {
    vb::Trap("Load_Crop_Params of Form Form_Tidewick_Full_Startup", [this] {
        Option_crop(vb::CInt(Read_Ini("Settings", "cropsizeindex", g_Ini_File_Path, "2"))).Value(true);
        const int16_t type = vb::CInt(Read_Ini("Canoe", "capture_type", g_Ini_File_Path, "1"));
        Option_capture_type_Click(type);
        Option_capture_type(type).Value(true);
    });
}

void Form_Tidewick_Full_Startup::Option_crop_Click(int32_t Index) {
    vb::Trap("Option_crop_Click of Form Form_Tidewick_Full_Startup", [this, Index] {
        Set_My_Crop(Option_crop(Index).Caption());
        Option_crop(Index).Value(true);
        Write_Ini("Settings", "cropsizeindex", vb::CStr(Index), g_Ini_File_Path);
        Set_Capture_Rotated(false);
    });
}

void Form_Tidewick_Full_Startup::Set_My_Crop(const std::string& crop) {
    vb::Trap("Set_My_Crop of Form Form_Tidewick_Full_Startup", [&] {
        Create_obj_Capture();
        int16_t width = 0, height = 0;
        Split_Crop(crop, width, height);
        const bool rotated = height > kCamera_Height;
        Label_ROTATED.Visible(rotated);
        // A turned camera delivers the picture on its side.
        g_Capture_Crop_Width = rotated ? height : width;
        g_Capture_Crop_Height = rotated ? width : height;
        g_Display_Crop_Width = width;
        g_Display_Crop_Height = height;
        g_Rotated_Crop = rotated;
        Call_Connected(g_Windows.Set_Capture_Rotate, rotated);
        Call_Connected(g_Windows.Set_Display_Crop, g_Display_Crop_Width, g_Display_Crop_Height);
        Call_Connected(g_Windows.Set_OBJ_Capture_Crop);
    });
}

void Form_Tidewick_Full_Startup::Set_Capture_Rotated(bool rotated) {
    Call_Connected(g_Windows.Set_Capture_Rotate, rotated);
}

void Form_Tidewick_Full_Startup::Create_obj_Capture() {}

bool Form_Tidewick_Full_Startup::Is_Valid_Crop(const std::string& crop) {
    static const std::regex shape("([0-9]{1,4})\\*([0-9]{1,4})");
    std::smatch m;
    if (!std::regex_match(crop, m, shape)) return false;
    const int width = std::stoi(m[1]), height = std::stoi(m[2]);
    if (width < 1 || height < 1) return false;
    // The capture crop is taken from the camera picture, turned or not.
    const bool rotated = height > kCamera_Height;
    const int capture_width = rotated ? height : width, capture_height = rotated ? width : height;
    return capture_width <= kCamera_Width && capture_height <= kCamera_Height;
}

void Form_Tidewick_Full_Startup::Command_custom_Click() {
    const std::string previous = Option_crop(kCustom_Crop).Caption();
    const auto answer = forms::InputBoxEx("Enter crop size!", "Custom crop size", previous);
    if (!answer || !Is_Valid_Crop(*answer)) {
        std::string message = "The custom crop stays " + previous + ".";
        if (answer)
            message = "\"" + *answer + "\" is no crop size." + kCrlf +
                      "Enter width*height in whole pixels within the 1920*1080 camera picture" + kCrlf +
                      "(a height above 1080 is a rotated camera, at most 1080*1920)." + kCrlf + message;
        forms::MsgBox(message, forms::vbOKOnly, "Custom crop size");
        return;
    }
    Option_crop(kCustom_Crop).Caption(*answer);
    Write_Ini("settings", "customcrop", *answer, g_Ini_File_Path);
}

void Form_Tidewick_Full_Startup::Option_capture_type_Click(int32_t Index) {
    vb::Trap("Option_capture_type_Click of Form Form_Tidewick_Full_Startup", [this, Index] {
        Frame_camera_options.Enabled(Index == 1);
        Write_Ini("Canoe", "capture_type", vb::CStr(Index), g_Ini_File_Path);
    });
}

void Form_Tidewick_Full_Startup::JPEG_bench_to_mess() {
    std::string report = "JPG compression benchmark at: " + vb::GeneralDateNow();
    report += kCrlf + std::string("Computer name = ") + g_Computer_Name + kCrlf;
    report += "CPU info: " + g_CPU_Info + " " + kCrlf;
    std::unique_ptr<Class_JPG_Bench> bench;
    // A failing crop leaves the report as far as it got.
    JPEG_Bench_Report = report;
    Option_crop.ForEach([&](int32_t, forms::OptionButton& option) {
        int16_t width = 0, height = 0;
        const std::string caption = option.Caption();
        Split_Crop(caption, width, height);
        if (!bench) bench = std::make_unique<Class_JPG_Bench>();
        report += kCrlf + caption + " =  " + vb::CStr(bench->JPG_Bench(width, height)) + "ms";
        JPEG_Bench_Report = report;
    });
    report += kCrlf + std::string("---Report end---");
    JPEG_Bench_Report = report;
}

void Form_Tidewick_Full_Startup::Show_JPEG_Bench_Report() {
    JPEG_Bench_Report += std::string(kCrlf) + kCrlf + "This data is also in the Clipboard!";
    JPEG_Bench_Report += kCrlf + std::string("(To be pasted into report or mail...)");
    forms::Clipboard().Clear();
    // A report cut short by an error has no end mark: all of it goes.
    forms::Clipboard().SetText(JPEG_Bench_Report.substr(0, JPEG_Bench_Report.find("---Report")));
    forms::MsgBox(JPEG_Bench_Report, forms::vbOKOnly, "Tidewick HDMI JPEG compression timings");
}

void Form_Tidewick_Full_Startup::Command_go_Click() {
    vb::Trap("Command_go_Click of Form Form_Tidewick_Full_Startup", [this] {
        Trace_String("*Command_go_Click");
        if (Option_capture_type(2).Value()) {
            Trace_String("*Command_go_Click 1");
            Stop_All_Captures();
            forms::Form& main_window = Call_Connected(g_Windows.Frm_kanot_2);
            main_window.Visible(true);
            main_window.WindowState(forms::vbNormal);
            Unload();
            return;
        }
        if (vb::CLng(m_saved_Video_prop_num) < 0) {
            Trace_String("*Command_go_Click 2");
            Trace_String("*m_saved_Video_prop_num = " + m_saved_Video_prop_num);
            Call_Connected(g_Windows.Form_select_Video).Show(forms::vbModeless);
            forms::MsgBox(std::string("Please select Video Source & Property on the form shown!") + kCrlf +
                              "Then restart program!",
                          forms::vbOKOnly);
            return;
        }
        Call_Connected(g_Windows.Form_capture_multi_file).Visible(true);
        Unload();
        Trace_String("*Command_go_Click, end");
    });
}

void Form_Tidewick_Full_Startup::menu_form_Click() {
    if (Alt_Is_Down()) menu_debug.Visible(!menu_debug.Visible());
}

void Form_Tidewick_Full_Startup::item_select_source_Click() {
    Call_Connected(g_Windows.Form_select_Video).Show(forms::vbModeless);
}

void Form_Tidewick_Full_Startup::item_exit_Click() {
    Tidewick_exit();
}

void Form_Tidewick_Full_Startup::item_JPG_bench_Click() {
    Show_JPEG_Bench_Report();
}

void Form_Tidewick_Full_Startup::item_about_Click() {
    Do_about();
}

void Form_Tidewick_Full_Startup::item_diskperf_Click() {
    Class_disk_mem_perf perf;
    forms::MsgBox("Diskperf = " + perf.DiskPerf());
}

void Form_Tidewick_Full_Startup::item_diskperfappdata_Click() {
    Class_disk_mem_perf perf;
    forms::MsgBox("Diskperf appdata  = " + perf.DiskPerf2());
}

void Form_Tidewick_Full_Startup::item_Click() {
    forms::MsgBox(Taskbar_State(), forms::vbOKOnly, "TaskBar state");
}

void Form_Tidewick_Full_Startup::item_qf3_header_test_Click() {
    const std::string test_file = g_AppData_Folder + win::kPathSep + "testfile.qf3";
    auto file = std::make_unique<cls_VideoFile_handler>();
    // The first run has nothing to delete; that is no error.
    if (FileExists(test_file)) Kill_File(test_file);
    file->Set_Screen_HDC(Call_Connected(g_Windows.Frm_kanot_2_hDC));
    file->File_name(test_file);
    file->Create_File();
    file->Create_QF3_header();
    file->SpecApp("kanot");
    file->Close_File();
    file->Open_RGB_File();
    file->rotated(false);
    file->Write_QF3_header();
    file->Close_File();
    file->Open_File(test_file);
    file->Event_name("test_event");
    file->Write_QF3_header();
    file->Close_File();
    file->Open_File(test_file);
    Send_Trace("*QF3_header_test Event_name = ", file->Event_name());
}
