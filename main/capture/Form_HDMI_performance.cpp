#include "Form_HDMI_performance.h"

#include "Form_capture_multi_file.h"
#include "Gdi.h"
#include "Module_capture.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "Printer.h"
#include "Screen.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr uint32_t kRed_Text = gdi::RGB(255, 0, 0);
// The chart in pixels: one pixel of height per millisecond.
constexpr int32_t kChart_Width = 600, kChart_Height = 200, kScale_Width = 40;
// Milliseconds between frames at 25 frames per second.
constexpr double kFrame_Mill = 40.0;

} // namespace

class Form_HDMI_performance& Form_HDMI_performance() {
    return forms::Instance<class Form_HDMI_performance>();
}

Form_HDMI_performance::Form_HDMI_performance() : Form("Form_HDMI_performance") {
    Command_Hide_Me.Click = [] { Form_capture_multi_file().Hide_HDMI_performance(); };
    Command_copy_to_clipboard.Click = [this] { Command_copy_to_clipboard_Click(); };
    Command_Print_Form.Click = [this] { Command_Print_Form_Click(); };
    item_copy_to_clipboard.Click = [] { Snapshot_To_Clipboard(); };
    item_print_form.Click = [this] { Command_Print_Form_Click(); };
    item_random_delta.Click = [this] { item_random_delta_Click(); };
    Label_frames_lost.Click = [this] { Reset_Counters(); };
    Timer_delta.OnTimer = [] {
        static std::mt19937 rng{std::random_device{}()};
        const double fraction = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        Form_HDMI_performance().Plot_Delta(static_cast<int16_t>(std::nearbyint(40 + 30 * fraction)));
    };
}

void Form_HDMI_performance::Design() {
    const int32_t tx = forms::Screen_TwipsPerPixelX(), ty = forms::Screen_TwipsPerPixelY();
    Caption("HDMI performance");
    Move(0, 0, (kScale_Width + kChart_Width + 40) * tx, (kChart_Height + 250) * ty);
    for (forms::PictureBox* p : {&Picture_Scale, &Picture_Delta_Scroll, &Picture_delta_scroll_lines}) {
        p->ScaleMode(forms::vbPixels);
        p->BackColor(vb::vbBlack);
    }
    Picture_Delta_Scroll.Cls();
    Picture_Scale.Move(8 * tx, 8 * ty, kScale_Width * tx, kChart_Height * ty);
    Picture_Delta_Scroll.Move((8 + kScale_Width) * tx, 8 * ty, kChart_Width * tx, kChart_Height * ty);
    Picture_delta_scroll_lines.Move((8 + kScale_Width) * tx, 8 * ty, kChart_Width * tx, kChart_Height * ty);
    Picture_delta_scroll_lines.Visible(false);
    Picture2.Visible(false);

    const int32_t top = (kChart_Height + 16) * ty;
    Frame_performance.Caption("HDMI Performance");
    Frame_performance.Move(8 * tx, top, 300 * tx, 90 * ty);
    Label_header.Container(Frame_performance);
    Label_header.Caption("Received    Calculated   Lost");
    Label_header.Move(8 * tx, 22 * ty, 284 * tx, 20 * ty);
    forms::Label* counters[] = {&Label_Frames_received, &Label_frames_Calculated, &Label_frames_lost};
    for (int i = 0; i < 3; ++i) {
        counters[i]->Container(Frame_performance);
        counters[i]->Caption("0");
        counters[i]->FontBold(true);
        counters[i]->Move((8 + i * 90) * tx, 50 * ty, (i == 2 ? 108 : 86) * tx, 24 * ty);
    }
    Label_frames_lost.ToolTipText("Click to reset the counters");

    struct Text {
        forms::Label& label;
        const char* caption;
        int32_t left, top;
    };
    const Text texts[] = {{Label_prop, "Video Source/Property", 320, 0},
                          {Label_HDMI_dimensions, "Actual sample dimensions, fps", 320, 24},
                          {Label_Windows_version, "Windows version", 320, 48},
                          {Lbl_PC_info, "Pc info", 8, 96}};
    for (const Text& t : texts) {
        t.label.Caption(t.caption);
        t.label.Move(t.left * tx, top + t.top * ty, 320 * tx, (t.top == 48 ? 44 : 22) * ty);
    }
    Lbl_PC_info.Width(620 * tx);

    struct Button {
        forms::CommandButton& button;
        const char* caption;
    };
    const Button buttons[] = {{Command_Hide_Me, "Hide  Form"},
                              {Command_copy_to_clipboard, "Copy form to Clipboard"},
                              {Command_Print_Form, "Print Form"}};
    for (int i = 0; i < 3; ++i) {
        buttons[i].button.Caption(buttons[i].caption);
        buttons[i].button.Move((8 + i * 210) * tx, top + 124 * ty, 200 * tx, 30 * ty);
    }
    Timer_delta.Enabled(false);
    Timer_delta.Interval(40);
}

void Form_HDMI_performance::Form_Load() {
    menu_debug.Visible(!g_Compiled);
}

void Form_HDMI_performance::Form_Activate() {
    Plot_Lines();
    Enable_Close_Button(hWnd(), false);
    Caption("HDMI performance " + g_Program_Title + " " + g_Program_Version + " " + Get_Date_Time_String());
    Label_Windows_version.Caption(g_OS_Name + "\r\n" + "CPU = " + g_CPU_Bitness + " OS = " + g_OS_Bitness);
    Lbl_PC_info.Caption(g_Computer_Name + " " + g_CPU_Info);
    if (g_Compiled) menu_debug.Visible(false);
}

void Form_HDMI_performance::Form_QueryUnload(int32_t&, int32_t) {
    Timer_delta.Enabled(false);
}

// ---- Counters and chart -------------------------------------------------------------

void Form_HDMI_performance::HDMI_event(int32_t, int16_t delta, int32_t lost) {
    ++m_Frames_Received;
    m_Frames_Counted_Lost += std::max(lost, 0);
    Plot_Delta(delta);
    const double elapsed = static_cast<double>(win::timeGetTime() - m_Start_Time);
    const int32_t calculated = static_cast<int32_t>(std::nearbyint(elapsed / kFrame_Mill));
    Label_Frames_received.Caption(vb::CStr(m_Frames_Received));
    Label_frames_Calculated.Caption(vb::CStr(calculated));
    // Received against 25 frames a second tells a source of another rate
    // nothing of frames it lost; the frames counted lost are told beside it.
    std::string lost_text = vb::CStr(m_Frames_Received - calculated);
    if (m_Frames_Counted_Lost > 0) lost_text += " (" + vb::CStr(m_Frames_Counted_Lost) + " lost)";
    Label_frames_lost.Caption(lost_text);
    Label_frames_lost.ForeColor(m_Frames_Counted_Lost > 0 ? kRed_Text : vb::vbBlack);
    Frame_performance.Refresh();
}

void Form_HDMI_performance::Plot_Delta(int16_t delta) {
    forms::PictureBox& chart = Picture_Delta_Scroll;
    const int32_t w = static_cast<int32_t>(chart.ScaleWidth()), h = static_cast<int32_t>(chart.ScaleHeight());
    const gdi::HDC dc = chart.hDC();
    gdi::BitBlt(dc, 0, 0, w, h, dc, 1, 0, gdi::SRCCOPY);
    // The column that scrolled in has no source: cleared, or it would keep
    // the bar before and every bar would show the largest of the two.
    chart.Line(w - 1, 0, w - 1, h - 1, chart.BackColor());
    chart.DrawWidth(1);
    if (delta > 0) chart.Line(w - 1, h - 1, w - 1, h - 1 - delta, vb::vbBlue);
    Draw_lines();
}

void Form_HDMI_performance::Guide_Lines(forms::PictureBox& picture) {
    const double w = picture.ScaleWidth(), h = picture.ScaleHeight();
    picture.DrawWidth(2);
    for (int32_t at : {40, 80})
        picture.Line(m_Text_Width + 2, h - at, w, h - at, vb::vbYellow);
    picture.DrawWidth(1);
}

void Form_HDMI_performance::Draw_lines() {
    Guide_Lines(Picture_Delta_Scroll);
}

void Form_HDMI_performance::Plot_Lines() {
    Picture_Scale.FontName("Times");
    Picture_Scale.FontSize(10);
    m_Text_Width = static_cast<int32_t>(Picture_Scale.TextWidth("40"));
    m_Text_Height = static_cast<int32_t>(Picture_Scale.TextHeight("40"));
    Picture_delta_scroll_lines.Move(Picture_Delta_Scroll.Left(), Picture_Delta_Scroll.Top(),
                                    Picture_Delta_Scroll.Width(), Picture_Delta_Scroll.Height());
    Guide_Lines(Picture_delta_scroll_lines);
    Picture_Scale.Cls();
    Picture_Scale.ForeColor(vb::vbCyan);
    const double h = Picture_Scale.ScaleHeight();
    for (int32_t at : {40, 80}) {
        Picture_Scale.CurrentX(1);
        Picture_Scale.CurrentY(h - at - m_Text_Height / 2.0);
        Picture_Scale.Print(vb::CStr(at));
    }
}

void Form_HDMI_performance::Reset_Counters() {
    m_Start_Time = win::timeGetTime();
    m_Frames_Received = 0;
    m_Frames_Counted_Lost = 0;
    Label_frames_lost.ForeColor(vb::vbBlack);
}

void Form_HDMI_performance::Show_Properties(const std::string& text) {
    Label_prop.Caption(text);
}

void Form_HDMI_performance::HDMI_Dimensions(const std::string& text) {
    Label_HDMI_dimensions.Caption(text);
}

// ---- Commands -------------------------------------------------------------------------

void Form_HDMI_performance::Command_copy_to_clipboard_Click() {
    forms::Clipboard().SetData(Capture_Form_Picture(*this));
}

void Form_HDMI_performance::Command_Print_Form_Click() {
    vb::Trap("Command_Print_Form_Click of Form Form_HDMI_performance", [&] {
        // This window's own picture: the window active when its button is
        // clicked, without going through (and overwriting) the clipboard.
        const forms::Picture image = Capture_Form_Picture(*this);
        Picture2.PaintPicture(image, 0, 0);
        auto& printer = forms::Printer();
        double width = image.Width() * forms::kTwipsPerPixel, height = image.Height() * forms::kTwipsPerPixel;
        const double fit =
            std::min(1.0, std::min(printer.ScaleWidth() / width, printer.ScaleHeight() / height));
        printer.PaintPicture(image, 0, 0, width * fit, height * fit);
        printer.EndDoc();
    });
}

void Form_HDMI_performance::item_random_delta_Click() {
    item_random_delta.Checked(!item_random_delta.Checked());
    Timer_delta.Enabled(item_random_delta.Checked());
}
