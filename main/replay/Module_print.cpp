#include "Module_print.h"

#include "Dialogs.h"
#include "Form_LCS_preview.h"
#include "Frm_kanot_2.h"
#include "Module_dependant.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Picture.h"
#include "Printer.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"
#include "frmAbout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kPrinter_Error = 482;

std::string pad_left(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string area_values() {
    return vb::CStr(g_Print_Left) + " " + vb::CStr(g_Print_Top) + " " + vb::CStr(g_Print_Right) + " " +
           vb::CStr(g_Print_Bottom);
}

// The product logo "TIDEWICK_LOGGA", as the about box draws it.
forms::Picture product_logo() {
    class frmAbout& about = frmAbout();
    about.Load_Product_Picture("TIDEWICK_LOGGA");
    return about.Picture_product.Image();
}

std::string heat_one_id() {
    return Replay_File_Open() ? Replay_Video_File().Heat_ID(1) : std::string();
}

std::vector<Print_Row> rows_shown() {
    return Call_Connected(Print_Rows_Source);
}

// The line of one row: place in three characters, lane in six, then the
// time and difference, or the words of a result code.
std::string row_line(const Print_Row& r) {
    std::string line = " " + pad_left(r.place, 3) + pad_left(r.lane, 6) + "  ";
    if (r.time == "DSQ")
        line += " Disqualified";
    else if (r.time == "DNF")
        line += " Did not finish";
    else if (r.time == "DNS")
        line += " Did not start";
    else
        line += r.time + "  " + r.delta;
    return line;
}

} // namespace

std::vector<Print_Row> Replay_Result_Rows() {
    // The ranking as the replay window last showed it, up to the first empty place.
    std::vector<Print_Row> rows;
    const auto& shown = Frm_kanot_2().Results_Shown;
    for (size_t i = 0; i < shown.rank.size() && !shown.rank[i].empty(); ++i)
        rows.push_back({shown.rank[i], shown.lane[i], shown.time[i], shown.delta[i]});
    return rows;
}

void Check_Printer() {
    try {
        g_Printer_Count = static_cast<int16_t>(forms::Printers_Count());
        if (g_Printer_Count == 0) {
            g_Page_Width = kNo_Printer_Page_Width;
            g_Page_Height = kNo_Printer_Page_Height;
            return;
        }
        forms::PrinterObject& printer = forms::Printer();
        // Portrait: the page head and the series are laid out for it.
        printer.Orientation(1);
        g_Page_Width = static_cast<int32_t>(printer.Width());
        g_Page_Height = static_cast<int32_t>(printer.Height());
        // The job the measuring opened prints nothing.
        printer.KillDoc();
    } catch (...) {
        g_Page_Width = kNo_Printer_Page_Width;
        g_Page_Height = kNo_Printer_Page_Height;
    }
}

void Make_Print_Footer() {
    vb::Trap("Make_Print_Footer of Form Frm_kanot_2", [] {
        // Without a printer no footer: an older one would tell a wrong time and printer.
        if (forms::Printers_Count() < 1) {
            g_Print_Footer.clear();
            return;
        }
        g_Print_Footer = "Printed by " + g_Program_Title + " at: " + Get_Date_Time_String() + " /" +
                         g_Program_Version_Text + " /Computer: " + g_Computer_Name +
                         " /Printer: " + forms::Printer().DeviceName();
    });
}

std::string Replace_Swedish_Letters(const std::string& text) {
    static const struct {
        const char* from;
        const char* to;
    } letters[] = {{"å", "a"}, {"ä", "a"}, {"ö", "o"}, {"Å", "A"}, {"Ä", "A"}, {"Ö", "O"}};
    std::string out = text;
    for (const auto& l : letters) {
        const std::string from = l.from;
        for (size_t p = out.find(from); p != std::string::npos; p = out.find(from, p + 1))
            out.replace(p, from.size(), l.to);
    }
    return out;
}

void Handle_Preview() {
    vb::Trap("Handle_Preview of Form Frm_results", [] {
        if (!g_Print_Preview_On) {
            g_Print_Preview_On = false;
            if (g_Printer_Count >= 1) g_Print_Target = &forms::Printer();
        } else {
            g_Print_Target = &Form_LCS_preview().Picture_page;
        }
    });
}

void Set_Print_Preview(bool preview) {
    g_Print_Preview_On = preview;
    Handle_Preview();
}

void Set_Print_Title(const std::string& title) {
    g_Print_Title = title;
    forms::App().Title(title);
}

void Print_Static_Content(bool& done) {
    done = false;
    const bool ran = vb::TrapAlways(
        [&] {
            // Without a target (no printer, preview off) the page goes to the preview.
            if (!g_Print_Target) Set_Print_Preview(true);
            forms::DrawingSurface& t = *g_Print_Target;
            if (g_Print_Target == &Form_LCS_preview().Picture_page) Form_LCS_preview().Prepare_Page();
            // The footer tells when and where this job printed.
            Make_Print_Footer();
            Send_Trace("*Print_Static_Content " + area_values());
            const double height = t.ScaleHeight();

            t.DrawWidth(2);
            t.Line(g_Print_Left, g_Print_Top, g_Print_Right, g_Print_Bottom, 0, 1);
            t.DrawWidth(1);

            const forms::Picture logo = product_logo();
            const double logo_x = g_Print_Right - logo.Width() * forms::kTwipsPerPixel - 100;
            t.PaintPicture(logo, logo_x, 0.03 * height);
            const double room = logo_x - (g_Print_Left + 300);

            // The event's own logo, else its name in large letters.
            double y1;
            t.ForeColor(0);
            if (g_Event_Logo_Found) {
                const forms::Picture event = forms::LoadPicture(g_Event_Logo);
                const double w = event.Width() * forms::kTwipsPerPixel,
                             h = event.Height() * forms::kTwipsPerPixel;
                const double scale = w > room ? room / w : 1.0;
                t.PaintPicture(event, g_Print_Left + 100, 0.03 * height, w * scale, h * scale);
                y1 = 0.03 * height + h + 100;
            } else {
                const std::string name = Replay_File_Open() ? Replay_Video_File().Event_name() : g_Event_Name;
                t.FontName("Arial");
                t.FontBold(true);
                t.FontSize(28);
                const double h = t.TextHeight(name);
                const double w = t.TextWidth(name);
                if (w > room && w > 0) t.FontSize(28 * room / w);
                t.CurrentX(g_Print_Left + 100);
                t.CurrentY(0.03 * height);
                t.Print(name);
                y1 = 0.03 * height + h + 100;
            }

            // The file block: name (broken after 60 characters) and dates, framed.
            t.FontName("Arial");
            t.FontBold(false);
            t.FontSize(8);
            std::string file_name, created, modified;
            if (Replay_File_Open()) {
                cls_VideoFile_handler& vf = Replay_Video_File();
                file_name = vf.File_name();
                created = vf.DateCreated();
                modified = vf.DateLastModified();
            }
            std::vector<std::string> lines;
            const std::string name_line = "File name: " + file_name;
            lines.push_back(name_line.substr(0, 60));
            if (name_line.size() > 60) lines.push_back(name_line.substr(60));
            lines.push_back("File created at: " + created);
            lines.push_back("File last modified at: " + modified);
            const double line_h = t.TextHeight("A");
            // As wide as its widest line: after a short file name the dates
            // are the longest text, and must stay inside the frame.
            double text_w = 0;
            for (const std::string& l : lines)
                text_w = std::max(text_w, t.TextWidth(l + "MM"));
            const double block_w = text_w + 50;
            const double block_h = 5 * line_h;
            const double block_x = g_Print_Right - 100 - block_w;
            const double block_y = 0.14 * height;
            t.Line(block_x + 1, block_y + 1, block_x + block_w - 1, block_y + block_h - 20, 0, 1);
            t.CurrentY(block_y + line_h / 2);
            for (const std::string& l : lines) {
                t.CurrentX(block_x + 50);
                t.Print(l);
            }

            Page_Head_Bottom = static_cast<int32_t>(block_y + block_h);
            g_Results_Table_Top = static_cast<int32_t>(std::min(y1, 0.12 * height + block_h));
            g_Print_Y = g_Results_Table_Top;

            const double footer_y = g_Print_Bottom - 200;
            t.CurrentX(g_Print_Left + 100);
            t.CurrentY(footer_y);
            Frm_kanot_2().Footer_Position = static_cast<int32_t>(footer_y);
            t.Print(g_Print_Footer);
            done = true;
        },
        [](const vb::VbError& e) {
            if (e.number() == kPrinter_Error) {
                // The job that failed is dropped, so the next starts clean.
                forms::Printer().KillDoc();
                forms::MsgBox("Printer error");
                return;
            }
            if (!vb::TrappingEnabled()) throw e;
            vb::ReportError(e, "Print_Static_Content of Form Frm_results");
        });
    (void)ran;
}

void Print_Results(bool series) {
    vb::Trap("Print_Results of Form Frm_results", [series] {
        const std::string heat = heat_one_id();
        const std::string kind = series ? "Series" : "Results";
        Set_Print_Title(Replace_Swedish_Letters(g_Event_Name + " Heat: " + heat + " " + kind));
        bool done = false;
        Print_Static_Content(done);
        if (!done) return;
        Send_Trace("*Print_Results " + area_values());
        forms::DrawingSurface& t = *g_Print_Target;
        t.CurrentX(g_Print_Left);
        t.CurrentY(g_Results_Table_Top);
        t.FontSize(16);
        t.Print("Results for Heat: " + heat);
        t.FontSize(10);
        t.CurrentX(g_Print_Left);
        t.Print("");
        t.FontName("Courier New");
        t.FontSize(15);
        t.FontUnderline(true);
        t.FontBold(true);
        t.CurrentX(g_Print_Left);
        t.Print("Place Lane       Time   Diff.");
        t.FontUnderline(false);
        for (const Print_Row& r : rows_shown()) {
            if (r.place.empty()) break;
            t.CurrentX(g_Print_Left);
            t.Print(row_line(r));
        }
        t.CurrentY(t.CurrentY() + 300);
        // A short table ends beside the file block: the frames go below both.
        Results_Table_End = static_cast<int32_t>(std::max<double>(t.CurrentY(), Page_Head_Bottom + 100));
        t.FontBold(false);
        if (series) Frm_kanot_2().Print_Series_HD();
        Printer_End();
    });
}

void Print_Head_Test() {
    bool done = false;
    Print_Static_Content(done);
    if (done) Printer_End();
}

void Printer_End() {
    vb::Trap("Printer_End of Form Frm_kanot_2", [] {
        if (!g_Print_Preview_On) {
            if (Form_LCS_preview().IsLoaded()) Form_LCS_preview().Hide();
            forms::Printer().EndDoc();
        } else {
            Form_LCS_preview().Show_Page();
            Form_LCS_preview().Prepare_Page();
        }
        // The spooler's job name goes back to the program's title.
        forms::App().Title(g_Saved_App_Title);
    });
}
