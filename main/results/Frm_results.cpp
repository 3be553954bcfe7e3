// The results panel: its controls and their places, the load, the rows the
// replay window fills, a click on a place, the export command and its
// settings, clearing all results, and the menus.
#include "Frm_results.h"

#include "Dialogs.h"
#include "Frm_kanot_2.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Module_windows.h"
#include "Printer.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"

namespace {

// Page size used when there is no printer, twips.
constexpr int32_t kDefault_Page_Width = 11904;
constexpr int32_t kDefault_Page_Height = 16834;
// Rows: where the first one stands and how high each is, twips.
constexpr double kRows_Top = 900;
constexpr double kRow_Height = 210;

} // namespace

class Frm_results& Frm_results() {
    return forms::Instance<class Frm_results>();
}

Frm_results::Frm_results() : forms::Form("Frm_results") {
    Cmd_export.Click = [this] { Cmd_export_Click(); };
    Cmd_result_export_OK.Click = [this] { Cmd_result_export_OK_Click(); };
    Pict_export_folder.Click = [this] { Pict_export_folder_Click(); };
    item_hide.Click = [this] { Unload(); };
    item_clear_all_results.Click = [this] { item_clear_all_results_Click(); };
    item_exit.Click = [] { Tidewick_exit(); };
    item_test_position.Click = [this] { item_test_position_Click(); };
    item_load_results.Click = [] { Frm_kanot_2().Complete_Result_Array(); };
    // The print commands print what the panel shows, to the printer or the preview.
    item_print_results.Click = [] { Frm_kanot_2().Handle_Print_results(); };
    item_print.Click = [] { Frm_kanot_2().Handle_Print_Single(); };
    item_print_series.Click = [] { Frm_kanot_2().Handle_Print_Series(); };
    item_printer_test.Click = [] { Print_Head_Test(); };
    // Any click on the start-time frames lets go of the chosen unit.
    for (forms::Frame* f : {&Frm_orig_time, &Frm_Corrected_time, &Frm_time_select})
        f->MouseUp = [this](int32_t, int32_t, float, float) { Deselect_Correction_Items(); };
    Frm_correction.MouseDown = [this](int32_t, int32_t, float, float) { Deselect_Correction_Items(); };
}

void Frm_results::Design() {
    Caption("Tidewick Results");
    const double col = 120, wide = 4500;

    lbl_event_name.Move(col, 60, wide, 300);
    lbl_event_name.FontBold(true);
    LBL_XID.Caption("Heat ID:");
    LBL_XID.Move(col, 420, 900, 285);
    Lbl_heat.Move(col + 900, 420, wide - 900, 285);
    lbl_result_header.Caption("      Lane           Time        Delta");
    lbl_result_header.Move(col, 680, wide, 225);

    // Element 0 of each row array; the others follow at load.
    const struct {
        forms::ControlArray<forms::Label>* array;
        double left, width;
        int32_t align;
    } columns[] = {{&Lbl_result_rank, col, 300, 1}, // in the heading's leading blanks
                   {&Lbl_result_lane, col + 300, 600, 2},
                   {&Lbl_result_time, col + 1000, 1300, 2},
                   {&Lbl_result_delta_time, col + 2300, 1100, 2}};
    for (const auto& c : columns) {
        forms::Label& l = c.array->Add(0);
        l.Move(c.left, kRows_Top, c.width, kRow_Height);
        l.Alignment(c.align);
    }

    const double below_rows = kRows_Top + kRows * kRow_Height + 60;
    Frm_create_time.Caption("Video file created at:");
    Frm_create_time.Move(col, below_rows, wide, 560);
    Lbl_capture_time.Container(Frm_create_time);
    Lbl_capture_time.Move(120, 240, wide - 240, 260);

    // The start-time correction: three four-digit displays in one frame.
    const double select_top = below_rows + 620;
    Frm_time_select.Caption("Start correction");
    Frm_time_select.Move(col, select_top, wide, 2280);
    Lbl_time.Container(Frm_time_select);
    Lbl_time.Caption("h  m  s  1/10");
    Lbl_time.Move(1460, 220, 2300, 240);
    const struct {
        forms::Frame* frame;
        const char* caption;
        forms::ControlArray<forms::Label>* digits;
        double top;
    } displays[] = {{&Frm_orig_time, "Original start time", &Lbl_hms, 440},
                    {&Frm_correction, "Correction", &Lbl_hms_correction, 1040},
                    {&Frm_Corrected_time, "Corr. start time", &Lbl_hms_corrected, 1640}};
    const char* tips[] = {"Hours", "Minutes", "Seconds", "Seconds/10"};
    for (const auto& d : displays) {
        d.frame->Container(Frm_time_select);
        d.frame->Caption(d.caption);
        d.frame->Move(120, d.top, wide - 240, 580);
        for (int32_t i = 0; i <= 3; ++i) {
            forms::Label& l = d.digits->Add(i);
            l.Container(*d.frame);
            l.Move(1340 + i * 560, 280, 480, 240);
            l.Alignment(2);
            l.ToolTipText(tips[i]);
            l.Caption("00");
        }
    }
    Lbl_Minus.Container(Frm_correction);
    Lbl_Minus.Caption("-");
    Lbl_Minus.Move(1100, 280, 200, 240);
    Lbl_Minus.Visible(false);
    for (int32_t i = 0; i <= 1; ++i) {
        forms::CommandButton& b = Cmd_time.Add(i);
        b.Container(Frm_correction);
        b.Caption(i == 0 ? "+" : "-");
        b.Move(3540 + i * 350, 230, 320, 300);
        b.MouseDown = [this, i](int32_t, int32_t, float, float) { Cmd_time_MouseDown(i); };
        b.MouseUp = [this, i](int32_t, int32_t, float, float) { Cmd_time_MouseUp(i); };
    }
    for (int32_t i = 0; i <= 3; ++i) {
        Lbl_hms_correction.Element(i).Click = [this, i] { Lbl_hms_correction_Click(i); };
        Lbl_hms_correction.Element(i).MouseDown = [this, i](int32_t button, int32_t, float, float) {
            Lbl_hms_correction_MouseDown(i, button);
        };
        Lbl_hms.Element(i).Click = [this] { Deselect_Correction_Items(); };
        Lbl_hms_corrected.Element(i).Click = [this] { Deselect_Correction_Items(); };
    }

    // The export: command, format and folder.
    const double export_top = select_top + 2340;
    Frm_export.Caption("Results export");
    Frm_export.Move(col, export_top, wide, 2280);
    Cmd_export.Container(Frm_export);
    Cmd_export.Caption("Export");
    Cmd_export.Move(120, 320, 1200, 420);
    Frm_export_format.Container(Frm_export);
    Frm_export_format.Caption("Export format");
    Frm_export_format.Move(1440, 220, 2940, 620);
    for (int32_t i = 1; i <= 2; ++i) {
        forms::OptionButton& o = Opt_exp_format.Add(i);
        o.Container(Frm_export_format);
        o.Caption(i == 1 ? "CSV" : "XML");
        o.Move(120 + (i - 1) * 1300, 260, 1100, 285);
        o.Click = [this, i] { Opt_exp_format_Click(i); };
    }
    Frm_export_folder.Container(Frm_export);
    Frm_export_folder.Caption("Export target");
    Frm_export_folder.Move(120, 900, wide - 240, 1300);
    Lbl_export_folder.Container(Frm_export_folder);
    Lbl_export_folder.Caption("Folder");
    Lbl_export_folder.Move(120, 300, 900, 260);
    Pict_export_folder.Container(Frm_export_folder);
    Pict_export_folder.Move(1020, 240, wide - 1380, 560);
    Lbl_share_name.Container(Frm_export_folder);
    Lbl_share_name.Caption("Share name");
    Lbl_share_name.Move(120, 880, 900, 260);
    Pict_remote.Container(Frm_export_folder);
    Pict_remote.Move(1020, 850, wide - 1380, 330);

    const double printer_top = export_top + 2340;
    Frm_printer.Caption("Printer");
    Frm_printer.Move(col, printer_top, wide, 640);
    for (int32_t i = 0; i <= 1; ++i) {
        forms::OptionButton& o = Opt_printer.Add(i);
        o.Container(Frm_printer);
        o.Caption(i == 0 ? "Preview" : "Printer");
        o.Move(120 + i * 1500, 260, i == 0 ? 1300 : wide - 1740, 285);
        o.Click = [this, i] { Opt_printer_Click(i); };
    }
    Opt_printer.Element(0).Value(true);

    // The message panel after an export stands over the rows while shown.
    Frm_export_mess.Visible(false);
    Frm_export_mess.BackColor(0x8000000F); // covers the rows it stands over
    Text_export_mess.Container(Frm_export_mess);
    Text_export_mess.Locked(true);
    Cmd_result_export_OK.Container(Frm_export_mess);
    Cmd_result_export_OK.Caption("OK");

    Picture_preview.Visible(false);
    Pict_temp.Visible(false);
    Height(printer_top + 640 + 1000);
}

void Frm_results::Form_Load() {
    vb::Trap("Form_Load of Form Frm_results", [this] {
        Send_Trace("*Frm_results, Form_Load, begin");
        if (g_Exiting) {
            Send_Trace("*Frm_results, Form_Load, ending = true");
            return;
        }
        auto& replay = Frm_kanot_2();
        ::Check_Printer();
        Caption("Tidewick Results");
        Top(0);
        // Beside the replay window when it is there; the results window
        // never loads it.
        if (replay.IsLoaded()) Left(replay.Left() + replay.Width());
        Width(static_cast<int32_t>(Get_Right_Edge(Frm_export) + 100));

        Create_Result_Objects();
        Clear_Results();
        replay.Fill_Results();
        // Shown again after "Hide" (which unloads it): the open heat's event
        // name and start time come back with its rows.
        replay.Set_Captions();
        Display_Original_Start_Time();
        Display_Compensate_Mill();

        Opt_printer_Click(0);
        menu_debug.Visible(!g_Compiled || Ctrl_Is_Down());
        Load_Export_format();
        Load_Export_Folder();

        if (forms::Printers_Count() != 0) {
            Opt_printer(1).Caption(forms::Printer().DeviceName());
        } else {
            Opt_printer(1).Caption("No printer");
            Opt_printer(1).Enabled(false);
            Opt_printer(0).Value(true);
        }

        Picture_preview.Width(g_Page_Width > 0 ? g_Page_Width : kDefault_Page_Width);
        Picture_preview.Height(g_Page_Height > 0 ? g_Page_Height : kDefault_Page_Height);
        Place_Export_Mess();
        Send_Trace("*Frm_results, Form_Load, end");
    });
}

void Frm_results::Place_Export_Mess() {
    const double w = ScaleWidth() - 200;
    Frm_export_mess.Move(50, 3480, w, 3015);
    Text_export_mess.Move(100, 300, w - 200, 2000);
    Cmd_result_export_OK.Move((w - 1000) / 2, 2450, 1000, 400);
}

void Frm_results::Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
    (void)Cancel, (void)UnloadMode;
    vb::Trap("Form_QueryUnload of Form Frm_results", [this] {
        Store_Form_Pos(Name(), Left(), Top(), Width(), Height());
        Send_Trace("*Frm_results,Form_QueryUnload, end ");
    });
}

void Frm_results::Create_Result_Objects() {
    vb::Trap("Create_Result_Objects of Form Frm_results", [this] {
        for (forms::ControlArray<forms::Label>* a :
             {&Lbl_result_lane, &Lbl_result_rank, &Lbl_result_time, &Lbl_result_delta_time}) {
            // Made anew at every load: the window's unload took the last ones.
            for (int32_t i = 1; i < kRows; ++i) {
                forms::Label& prev = (*a)(i - 1);
                forms::Label& l = a->Load(i);
                l.Move(prev.Left(), prev.Top() + prev.Height(), prev.Width(), prev.Height());
                l.Alignment(a == &Lbl_result_rank ? 1 : 2);
                l.Visible(true);
            }
        }
        for (int32_t i = 0; i < kRows; ++i) {
            Lbl_result_rank(i).MouseDown = [this, i](int32_t button, int32_t, float, float) {
                Lbl_result_rank_MouseDown(i, button);
            };
            Lbl_result_rank(i).MouseMove = [this, i](int32_t, int32_t, float, float) {
                Lbl_result_rank_MouseMove(i);
            };
        }
    });
}

void Frm_results::Clear_Results() {
    for (int32_t i = Lbl_result_rank.LBound(); i <= Lbl_result_rank.UBound(); ++i) {
        Lbl_result_rank(i).Caption("");
        Lbl_result_lane(i).Caption("");
        Lbl_result_time(i).Caption("");
        Lbl_result_delta_time(i).Caption("");
    }
    Lbl_capture_time.Caption("");
}

void Frm_results::Show_Results() {
    const auto& shown = Frm_kanot_2().Results_Shown;
    for (int32_t i = 0; i < kRows; ++i) {
        Lbl_result_rank(i).Caption(shown.rank[i]);
        Lbl_result_lane(i).Caption(shown.lane[i]);
        Lbl_result_time(i).Caption(shown.time[i]);
        Lbl_result_delta_time(i).Caption(shown.delta[i]);
    }
    Lbl_capture_time.Caption(shown.capture_time);
    Lbl_heat.Caption(shown.heat);
}

std::vector<Frm_results::Result_Row> Frm_results::Rows_Shown() {
    std::vector<Result_Row> rows;
    for (int32_t i = Lbl_result_rank.LBound(); i <= Lbl_result_rank.UBound(); ++i) {
        if (!Lbl_result_rank.Exists(i) || Lbl_result_rank(i).Caption().empty()) break;
        rows.push_back({Lbl_result_rank(i).Caption(), Lbl_result_lane(i).Caption(),
                        Lbl_result_time(i).Caption(), Lbl_result_delta_time(i).Caption()});
    }
    return rows;
}

bool Frm_results::lane_all_heats_array_Dimensioned() {
    // The lane arrays always exist here; they hold a heat while one is open.
    return Replay_File_Open();
}

bool Frm_results::Place_Selectable(int32_t index) {
    if (!Replay_File_Open() || !lane_all_heats_array_Dimensioned()) return false;
    if (index + 1 > Lane_Active_Heat_Array.UBound) return false;
    return Lane_Active_Heat_Array[index + 1].result < Result_Disqualified;
}

void Frm_results::Lbl_result_rank_MouseMove(int32_t index) {
    if (Place_Selectable(index)) {
        forms::Screen_MouseIcon("FRAME");
        forms::Screen_MousePointer(forms::vbCustom);
    } else {
        forms::Screen_MousePointer(forms::vbDefault);
    }
}

void Frm_results::Form_MouseMove(int32_t, int32_t, float, float) {
    forms::Screen_MousePointer(forms::vbDefault);
}

void Frm_results::Lbl_result_rank_MouseDown(int32_t index, int32_t Button) {
    (void)Button;
    vb::Trap("Lbl_result_rank_MouseDown of Form Frm_results", [&] {
        if (!Place_Selectable(index)) return;
        GoTo_Field(static_cast<int16_t>(index));
        auto& replay = Frm_kanot_2();
        replay.Set_Focus();
        replay.Print_Place_string(vb::CStr(index + 1));
        replay.SliderPlay_Focus();
    });
}

void Frm_results::Opt_printer_Click(int32_t index) {
    (void)index;
    Set_Print_Preview(Opt_printer(0).Value());
}

void Frm_results::GoTo_Field(int16_t row) {
    const int32_t field = Go_to_Goal_field(row + 1);
    auto& replay = Frm_kanot_2();
    replay.Go_to_Field(field);
    replay.Slider_play_Scroll();
}

std::string Frm_results::Pad_left(std::string text, int16_t length) {
    while (static_cast<int64_t>(text.size()) < length)
        text.insert(text.begin(), ' ');
    return text;
}

// ---- Export command and settings ----

void Frm_results::Cmd_export_Click() {
    vb::Trap("Cmd_export_Click of Form Frm_results", [this] {
        if (Alt_Is_Down())
            Alternative_Export_Name = forms::InputBox("Give alternative export file name", "Enter filename",
                                                      "Heat" + Lbl_heat.Caption());
        if (!Check_Export_Folder()) return;
        if (!lane_all_heats_array_Dimensioned()) {
            forms::MsgBox("Nothing to export!");
            return;
        }
        if (Opt_exp_format(1).Value()) Export_CSV_file();
        if (Opt_exp_format(2).Value()) Export_New_XML_File();
    });
}

bool Frm_results::Check_Export_Folder() {
    bool found = false;
    vb::Trap("Check_Export_Folder of Form Frm_results", [&] {
        found = FolderExists(g_Export_Folder);
        if (!found) forms::MsgBox("Result export folder not found!");
    });
    return found;
}

void Frm_results::Show_Export_Mess() {
    Text_export_mess.Text("Exported results to file:\r\n" + g_Export_File_Name);
    // Placed now: the window has its final width once it is shown.
    Place_Export_Mess();
    Frm_export_mess.Visible(true);
    Cmd_result_export_OK.SetFocus();
}

void Frm_results::Cmd_result_export_OK_Click() {
    Frm_export_mess.Visible(false);
}

void Frm_results::Load_Export_format() {
    vb::Trap("Load_Export_format of Form Frm_results", [this] {
        const int32_t n = vb::CInt(vb::Val(Read_Ini("Canoe", "expformat", g_Ini_File_Path, "1")));
        Opt_exp_format(n).Value(true);
    });
}

void Frm_results::Opt_exp_format_Click(int32_t index) {
    vb::Trap("Opt_exp_format_Click of Form Frm_results", [&] {
        Write_Ini("Canoe", "expformat", vb::CStr(index), g_Ini_File_Path);
        // The focus goes back to the replay window when it is there.
        if (Frm_kanot_2().IsLoaded()) Frm_kanot_2().Set_Focus();
    });
}

void Frm_results::Load_Export_Folder() {
    vb::Trap("Load_Export_Folder of Form Frm_results", [this] {
        // Without a stored folder the export starts in the user's documents
        // folder, the nearest this platform has to the original's "C:\".
        g_Export_Folder = Read_Ini("Canoe", "export_folder", g_Ini_File_Path, win::DocumentsFolder());
        Send_Trace("*Temp_folder = " + g_Export_Folder);
        Clear_Picture(Pict_export_folder);
        Print_Wrapped_Text(Pict_export_folder, g_Export_Folder);
        Update_capture_folder_Remote();
    });
}

// ---- Menus ----

void Frm_results::item_clear_all_results_Click() {
    vb::Trap("item_clear_all_results_Click of Form Frm_results", [] {
        if (!Replay_File_Open()) {
            forms::Beep();
            return;
        }
        if (Replay_Video_File().Read_only()) {
            forms::MsgBox("Can\u00B4t alter this file, it is Read only!");
            return;
        }
        if (forms::MsgBox("This will clear all stored results for this heat, are you sure?",
                          forms::vbOKCancel + forms::vbDefaultButton2, "Clear results") != forms::vbOK)
            return;
        Clear_All_Results();
        Clear_Lane_Objects();
        bool refresh = true, marks_off = false;
        Frm_kanot_2().Draw_Graphics(refresh, marks_off);
    });
}

void Frm_results::item_test_position_Click() {
    auto& replay = Frm_kanot_2();
    Left(replay.Left() + replay.Width());
}
