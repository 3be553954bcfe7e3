#include "Frm_export.h"

#include "Dialogs.h"
#include "FolderBrowser.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "Program_Windows.h"
#include "Screen.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"

#include <filesystem>

namespace {

// Where the operator last exported frames to.
constexpr const char* kFolder_Section = "Canoe";
constexpr const char* kFolder_Key = "frame_export_folder";

} // namespace

class Frm_export& Frm_export() {
    return forms::Instance<class Frm_export>();
}

std::string Export_Frame_Name(const std::string& heat, int32_t number) {
    return "Heat" + heat + "_" + vb::FormatNumber(number, "0000") + ".jpg";
}

Frm_export::Frm_export() : Form("Frm_export") {
    Lbl_inpoint.Click = [this] { Lbl_inpoint_Click(); };
    Lbl_outpoint.Click = [this] { Lbl_outpoint_Click(); };
    Cmd_export.Click = [this] { Cmd_export_Click(); };
}

void Frm_export::Design() {
    Caption("Export");
    Move(0, 0, 3600, 2000);
    Label1.Caption("Inpoint");
    Label1.Move(120, 120, 1200, 300);
    Lbl_inpoint.Caption("");
    Lbl_inpoint.BackColor(0xFFFFFF);
    Lbl_inpoint.ToolTipText("Click: the field shown becomes the in point");
    Lbl_inpoint.Move(1440, 120, 1800, 300);
    Label2.Caption("Outpoint");
    Label2.Move(120, 540, 1200, 300);
    Lbl_outpoint.Caption("");
    Lbl_outpoint.BackColor(0xFFFFFF);
    Lbl_outpoint.ToolTipText("Click: the field shown becomes the out point");
    Lbl_outpoint.Move(1440, 540, 1800, 300);
    Cmd_export.Caption("Export");
    Cmd_export.Move(1440, 1000, 1800, 420);
}

void Frm_export::Form_Load() {
    Move_To_Stored_Pos(*this);
}

void Frm_export::Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
    (void)Cancel, (void)UnloadMode;
    Store_Left_Top(*this);
}

void Frm_export::Form_MouseMove(int32_t Button, int32_t Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    forms::Screen_MousePointer(forms::vbDefault);
}

void Frm_export::take_point(forms::Label& label) {
    label.Caption(vb::CStr(Call_Connected(Connected.Slider_Value)));
    Call_Connected(Connected.Set_Focus);
}

void Frm_export::Lbl_inpoint_Click() {
    take_point(Lbl_inpoint);
}

void Frm_export::Lbl_outpoint_Click() {
    take_point(Lbl_outpoint);
}

void Frm_export::Cmd_export_Click() {
    vb::Trap("Cmd_export_Click of Form Frm_export", [this] {
        if (!Replay_File_Open()) return;
        const std::string heat = Heat_number_from_Filename(Replay_Video_File().File_name());
        if (Lbl_inpoint.Caption().empty() || Lbl_outpoint.Caption().empty()) {
            forms::Beep();
            return;
        }
        const int32_t in = vb::CLng(Lbl_inpoint.Caption());
        const int32_t out = vb::CLng(Lbl_outpoint.Caption());
        if (in > out) return;

        std::string remembered = Read_Ini(kFolder_Section, kFolder_Key, g_Ini_File_Path, "");
        if (remembered == "N/A") remembered.clear();
        const std::string folder = forms::Browse_For_Folder(hWnd(), "Export frames to folder", remembered);
        if (folder.empty()) return;
        Write_Ini(kFolder_Section, kFolder_Key, folder, g_Ini_File_Path);
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!std::filesystem::is_directory(folder, ec)) {
            forms::MsgBox("Can't create the folder " + folder, forms::vbOKOnly);
            return;
        }

        int32_t written = 0;
        for (int32_t number = in; number <= out; ++number) {
            const std::string path = folder + win::kPathSep + Export_Frame_Name(heat, number);
            Call_Connected(Connected.Show_Field, number);
            if (!Call_Connected(Connected.Save_Jpeg, path)) {
                forms::MsgBox("Could not write " + path + "\n" + vb::CStr(written) + " frames exported.",
                              forms::vbOKOnly);
                return;
            }
            ++written;
        }
        forms::MsgBox(vb::CStr(written) + " frames exported to " + folder, forms::vbOKOnly);
    });
}
