// The results export files: a CSV file (";" separated, Windows-1252, CR LF)
// or a results XML document, one per export, in the export folder; the
// choice of that folder and the kind of drive it lies on.
//
// A name made from the heat label or typed by the operator stays a name:
// separators and ".." in it are replaced, so an export never leaves the
// chosen folder. Each file is written whole or not at all.
#include "Frm_results.h"

#include "Class_Tidewick_result_XML.h"
#include "Dialogs.h"
#include "FolderBrowser.h"
#include "Frm_kanot_2.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"

#include <filesystem>
#include <regex>

namespace {

// A time of day or a count of milliseconds as the export shows it: the
// time to the second after the sign of the untrimmed time text.
std::string export_time_text(int32_t mill) {
    return Display_Time_Of_Day(mill).substr(1);
}

// The header's last capture time: empty in a heat that holds none yet (a
// file made outside the capture window), exported as an empty field.
std::string last_capture_text(cls_VideoFile_handler& vf) {
    const std::string mill = vb::Trim(vf.Last_Capture_time());
    return mill.empty() ? std::string() : export_time_text(vb::CLng(mill));
}

// The heat number of a captured heat's file name runs up to the first "_",
// which lies in the date: "CupHeatH7 2026_12_09 ..." gives "H7 2026". The
// date's year is no part of it.
std::string heat_of_file_name(const std::string& file_name) {
    std::string heat = Heat_number_from_Filename(file_name);
    static const std::regex year(R"(^(.*) [0-9]{4}$)");
    std::smatch m;
    if (std::regex_match(heat, m, year)) heat = m[1];
    return heat;
}

// The header's creation date with its century: "16-..." becomes "2016-...".
std::string creation_date_text(const std::string& date) {
    return vb::Left(date, 2) == "20" ? date : "20" + date;
}

// A file name that stays in its folder: path separators and ".." become "_".
std::string clean_file_name(std::string name) {
    for (char& c : name)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    for (size_t at = name.find(".."); at != std::string::npos; at = name.find("..", at))
        name.replace(at, 2, "_");
    return name;
}

// The folder and a file name in it, with one separator between them.
std::string in_folder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == win::kPathSep || folder.back() == '\\')) return folder + name;
    return folder + win::kPathSep + name;
}

bool is_write_protected(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) return false;
    return (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

void Frm_results::Export_CSV_file() {
    vb::Trap("Export_CSV_file of Form Frm_results", [this] {
        if (!FolderExists(g_Export_Folder)) {
            forms::MsgBox("Can't find export folder!");
            return;
        }
        const std::vector<Result_Row> rows = Rows_Shown();
        if (rows.empty()) {
            forms::MsgBox("Nothing to export!");
            return;
        }
        std::string name = "TW_Result_Heat" + Lbl_heat.Caption();
        if (!Alternative_Export_Name.empty()) {
            name = Alternative_Export_Name;
            Alternative_Export_Name.clear();
        }
        // ":", "-" and "," give way in the name only; the folder is the
        // operator's and stays as chosen.
        name = clean_file_name(name + ".csv");
        for (char& c : name)
            if (c == ':' || c == '-' || c == ',') c = '_';
        const std::string path = in_folder(g_Export_Folder, name);
        g_Export_File_Name = path;
        if (is_write_protected(path)) {
            forms::MsgBox("A write-protected file already exists!");
            return;
        }

        // The whole text first: a header value that fails leaves no file.
        if (Replay_File_Open()) g_Event_Name = Replay_Video_File().Event_name();
        cls_VideoFile_handler& vf = Replay_Video_File();
        const std::string crlf = "\r\n";
        std::string text = g_Event_Name + ";" + Lbl_heat.Caption() + ";" +
                           creation_date_text(vf.Creation_date()) + ";" +
                           export_time_text(vf.Start_local_Mill_Time(1)) + ";" + last_capture_text(vf) + ";" +
                           Get_Computer_Name() + crlf;
        for (const Result_Row& r : rows) {
            text += r.place + ";" + r.lane + ";" + vb::LTrim(r.time);
            if (!r.delta.empty()) text += ";" + r.delta;
            text += crlf;
        }
        text += "end" + crlf;

        std::string error;
        if (!win::WriteFileWhole(path, vb::ToAnsi(text), error))
            vb::Raise(vb::errPathFileAccess, "Can't write " + path + ": " + error);
        Show_Export_Mess();
    });
}

void Frm_results::Export_New_XML_File() {
    cls_VideoFile_handler& vf = Replay_Video_File();
    Class_Tidewick_result_XML doc;
    doc.Initialize_DOM();
    doc.Set_Comment("XML file containing Tidewick result data for course race. Produced by : " +
                    g_Program_Title + " " + g_Program_Version + " Compiled at : " + kCompile_Date);
    // Named after the heat number in the file's own name (a folder named
    // "Heat..." is no heat number); after the heat label when the name holds
    // none, so heats never share one export file.
    std::string heat = heat_of_file_name(ParsePath(vf.File_name(), 0));
    if (heat.empty()) heat = Lbl_heat.Caption();
    const std::string path = in_folder(g_Export_Folder, clean_file_name("TW_Result_Heat" + heat + ".xml"));
    g_Export_File_Name = path;
    doc.XML_Filename(path);

    doc.Backoffice_Host(g_Computer_Name);
    doc.Capture_Host(vf.Computer_name());
    doc.EventName(vf.Event_name());
    doc.RaceType("course");
    doc.Video_Initiated(creation_date_text(vf.Creation_date()));
    doc.Heat_Started(export_time_text(vf.Start_local_Mill_Time(1)));
    doc.Last_Capture(last_capture_text(vf));
    doc.lastFile("True");

    const std::string id = vf.Heat_ID(1);
    doc.Create_Heat_node(id, vf.Heat_comment(1), vb::Trim(Frm_kanot_2().Label_start_time.Caption()));
    doc.Create_Result_Node(id);
    for (const Result_Row& r : Rows_Shown())
        doc.Create_Competitor_Node(id, r.lane, vb::Trim(r.time), vb::Trim(r.delta), vb::Trim(r.place), "",
                                   "");
    if (doc.Serialize()) Show_Export_Mess();
}

void Frm_results::Pict_export_folder_Click() {
    vb::Trap("Pict_export_folder_Click of Form Frm_results", [this] {
        const std::string folder = forms::Browse_For_Folder(hWnd(), "", g_Export_Folder);
        if (!folder.empty()) {
            g_Export_Folder = folder;
            Write_Ini("Canoe", "export_folder", g_Export_Folder, g_Ini_File_Path);
            Load_Export_Folder();
        }
        Update_capture_folder_Remote();
    });
}

void Frm_results::Update_capture_folder_Remote() {
    vb::Trap("Update_capture_folder_Remote of Form Frm_results", [this] {
        std::string share;
        switch (win::DriveType(g_Export_Folder, share)) {
        case 1:
            Print_Wrapped_Text(Pict_remote, "Removable");
            break;
        case 2:
            Print_Wrapped_Text(Pict_remote, "Local");
            break;
        case 3:
            Print_Wrapped_Text(Pict_remote, share);
            break;
        default:
            break;
        }
    });
}
