// The replay window's printing: a single field on one page, the series of
// finish frames below the results table, the place number and the lap drawn
// into the picture, the event logo, and the printer test.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Form_LCS_preview.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Module_qfn_Globals.h"
#include "Printer.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kGap = 0.05f; // the gap between prints: 5 % of a print's width or height

// Saves a picture box's font and colour and gives them back when done.
class Saved_Font {
public:
    explicit Saved_Font(forms::PictureBox& box)
        : box_(box), name_(box.FontName()), size_(box.FontSize()), bold_(box.FontBold()),
          fore_(box.ForeColor()) {}
    ~Saved_Font() {
        box_.FontName(name_);
        box_.FontSize(size_);
        box_.FontBold(bold_);
        box_.ForeColor(fore_);
    }

private:
    forms::PictureBox& box_;
    std::string name_;
    double size_;
    bool bold_;
    uint32_t fore_;
};

// A picture box's size in pixels, whatever its scale.
double to_pixels(forms::PictureBox& box, double v) {
    return box.ScaleMode() == forms::vbPixels ? v : v / forms::kTwipsPerPixel;
}

} // namespace

void Frm_kanot_2::PrintSingle() {
    vb::Trap("PrintSingle of Form Frm_kanot_2", [this] {
        const std::string heat = Replay_File_Open() ? Replay_Video_File().Heat_ID(1) : std::string();
        Form_LCS_preview().Load();
        Set_Print_Title(Replace_Swedish_Letters(g_Event_Name + " Heat " + heat + " Single"));
        if (g_Print_Target == &Form_LCS_preview().Picture_page) Form_LCS_preview().Prepare_Page();
        bool done = false;
        Print_Static_Content(done);
        if (!done) return;

        forms::DrawingSurface& t = *g_Print_Target;
        t.CurrentX(g_Print_Left + 100);
        t.CurrentY(g_Print_Y);
        t.FontSize(16);
        t.Print("Heat = " + heat);
        const double h = static_cast<int16_t>(t.TextHeight("Heat"));
        t.CurrentX(g_Print_Left + 100);
        t.Print("Video field no: " + vb::CStr(Slider_play.Value()));

        // The picture as it shows now: the field with its overlay and zoom box.
        const forms::Picture shown = Picture_large.Image();
        // Below the two text lines and the page head's file block beside them.
        const double top = std::max<double>(g_Print_Y + 2 * h, Page_Head_Bottom + 100);
        // From below the text down to above the footer, as wide as the
        // picture's proportions give, and never wider than the print area.
        double height = Footer_Position - 100 - top;
        const double aspect = Picture_large.ScaleHeight() / std::max(1.0, Picture_large.ScaleWidth());
        double width = std::floor(height / aspect);
        const double room = g_Print_Right - g_Print_Left - 200;
        if (width > room) {
            width = room;
            height = std::floor(width * aspect);
        }
        if (height > 0 && width > 0) t.PaintPicture(shown, g_Print_Left + 100, top, width, height);
        Printer_End();
    });
}

void Frm_kanot_2::Handle_Print_Single() {
    if (!Check_File_Open()) return;
    PrintSingle();
}

void Frm_kanot_2::Handle_Print_results() {
    if (!Check_File_Open()) return;
    Print_Results(false);
}

void Frm_kanot_2::Handle_Print_Series() {
    if (!Check_File_Open()) return;
    Print_Results(true);
    // The finished preview comes to the front.
    if (g_Print_Preview_On && Form_LCS_preview().IsLoaded() && Form_LCS_preview().Visible())
        Form_LCS_preview().Show();
}

int16_t Frm_kanot_2::Num_X_prints(int16_t w) {
    const float available = std::floor(g_Print_Right - g_Print_Left);
    return static_cast<int16_t>(std::floor((available + kGap * w) / (w + kGap * w)));
}

int16_t Frm_kanot_2::Num_Y_prints(int16_t h) {
    const float available = static_cast<float>(Footer_Position - 100 - Results_Table_End);
    if (available <= 0 || h <= 0) return 0;
    return static_cast<int16_t>(std::floor((available + kGap * h) / (h + kGap * h)));
}

void Frm_kanot_2::Print_Series_HD() {
    vb::Trap("Print_Series_HD of Form Frm_kanot_2", [this] {
        // The page head (drawn by the results page) has set the footer position.
        forms::DrawingSurface& t = *g_Print_Target;
        const float available_width = std::floor(g_Print_Right - g_Print_Left);
        const double aspect = Picture_large.ScaleHeight() / std::max(1.0, Picture_large.ScaleWidth());
        const int32_t top = Results_Table_End;

        int32_t count = 0;
        for (int32_t k = Lane_Active_Heat_Array.LBound; k <= Lane_Active_Heat_Array.UBound; ++k)
            if (Lane_Active_Heat_Array[k].result < Result_Disqualified) ++count;
        if (count == 0) return;

        // n columns with n - 1 gaps fill the width: w = W / (1.05 n - 0.05),
        // rounded down so that n of them always fit.
        int16_t w = 0, h = 0, across = 0, down = 0;
        for (int32_t n = 3; n <= 10; ++n) {
            w = static_cast<int16_t>(std::floor(available_width / ((1 + kGap) * n - kGap)));
            h = vb::CInt(w * aspect);
            across = Num_X_prints(w);
            down = Num_Y_prints(h);
            if (across * down >= count) break;
        }

        const auto show_field = [this](int32_t field) {
            Go_to_Field(field);
            Slider_play_Scroll();
        };
        const auto print_places = [&] {
            int32_t k = Lane_Active_Heat_Array.LBound;
            for (int32_t r = 1; r <= down; ++r) {
                for (int32_t c = 1; c <= across; ++c, ++k) {
                    if (k > Lane_Active_Heat_Array.UBound ||
                        Lane_Active_Heat_Array[k].result >= Result_Disqualified)
                        return;
                    Picture_large.Cls();
                    show_field(Lane_Active_Heat_Array[k].goal_field);
                    Print_Place_string(vb::CStr(k));
                    const forms::Picture frame = Picture_large.Image();
                    t.PaintPicture(frame, vb::CLng((w * kGap + w) * (c - 1) + g_Print_Left),
                                   vb::CLng((h * kGap + h) * (r - 1) + top), w, h);
                }
            }
        };
        // The series steps the picture through the places' goal fields and
        // paints their numbers into it: the operator's field comes back
        // afterwards, drawn anew, so that the next print is of what was shown.
        const int32_t shown = Slider_play.Value();
        print_places();
        show_field(shown);
    });
}

void Frm_kanot_2::Print_Place_string(const std::string& text) {
    vb::Trap("Print_Place_string of Form Frm_kanot_2", [&] {
        Saved_Font saved(Picture_large);
        const double W = Picture_large.ScaleWidth(), H = Picture_large.ScaleHeight();
        const double left = 0.80 * W, right = 0.97 * W, top = 0.80 * H, bottom = 0.95 * H;
        Picture_large.FontName("Arial");
        Picture_large.FontBold(false);
        // A cell 120 units high, or the rectangle's height on a small picture.
        const double cell = std::min(120.0, to_pixels(Picture_large, bottom - top));
        Picture_large.FontSize(std::max(1.0, cell * 0.75)); // points at 96 pixels an inch
        Picture_large.ForeColor(0x00FFFFFF);
        Picture_large.CurrentX((left + right) / 2 - Picture_large.TextWidth(text) / 2);
        Picture_large.CurrentY(top);
        Picture_large.Print(text);
        Picture_large.Refresh();
    });
}

void Frm_kanot_2::Overlay_Lap(int16_t lap) {
    vb::Trap("Overlay_Lap of Form Frm_kanot_2", [&] {
        if (lap == 0) return;
        Saved_Font saved(Picture_large);
        Picture_large.ForeColor(0x0000FF00);
        Picture_large.FontSize(36);
        Picture_large.CurrentX(vb::CLng(0.75 * Picture_large.ScaleWidth()));
        Picture_large.CurrentY(vb::CLng(0.92 * Picture_large.ScaleHeight()));
        Picture_large.Print("Lap: " + vb::CStr(lap));
    });
}

void Frm_kanot_2::Load_logo() {
    vb::Trap("Load_logo of Form Frm_kanot_2", [this] {
        Picture_logo.Cls();
        g_Event_Logo_Found = false;
        g_Event_Logo = Read_Ini("Canoe", "event_logo", g_Ini_File_Path, "N/A");
        if (!FileExists(g_Event_Logo)) return;
        const forms::Picture logo = forms::LoadPicture(g_Event_Logo);
        g_Event_Logo_Found = true;
        // The logo's size in the box's own units.
        const double unit = Picture_logo.ScaleMode() == forms::vbPixels ? 1.0 : double{forms::kTwipsPerPixel};
        const double w = logo.Width() * unit, h = logo.Height() * unit;
        if (w <= 0 || h <= 0) return;
        const double s = std::min(Picture_logo.ScaleWidth() / w, Picture_logo.ScaleHeight() / h);
        Picture_logo.PaintPicture(logo, 0, 0, w * s, h * s);
        Picture_logo.Refresh();
    });
}

void Frm_kanot_2::item_select_logo_file_Click() {
    vb::Trap("item_select_logo_file_Click of Form Frm_kanot_2", [this] {
        const std::string current = Read_Ini("Canoe", "event_logo", g_Ini_File_Path, "C:\\");
        forms::FileDialogRequest request;
        request.title = "Select Logo File";
        request.filter = "Picture file (*.jpg;*.gif;*.bmp)|*.jpg;*.gif;*.bmp";
        request.initial_folder = ParsePath(current, 16);
        const auto chosen = forms::FileDialog(request);
        if (!chosen || chosen->empty()) return; // Cancel changes nothing
        g_Event_Logo = *chosen;
        Write_Ini("Canoe", "event_logo", *chosen, g_Ini_File_Path);
        Load_logo();
        Arrange_Frames();
    });
}

void Frm_kanot_2::item_printer_test_Click() {
    vb::Trap("item_printer_test_Click of Form Frm_kanot_2", [] {
        forms::App().Title("Print_test a very long document name shall be tested here ");
        forms::PrinterObject& printer = forms::Printer();
        printer.Print("Testing A,B,C");
        printer.Print("Testing 1,2,3");
        printer.EndDoc();
        vb::DoEvents();
    });
    forms::App().Title(g_Saved_App_Title);
}
