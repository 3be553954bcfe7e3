// The replay window's file commands: renaming the open heat file and the
// settings file, and deleting the open heat file.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "Video_file_io.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"

namespace {

// The answer as a path: a bare name lies in the folder of the old file.
std::string resolve_in_folder(const std::string& answer, const std::string& old_path) {
    if (answer.find(win::kPathSep) != std::string::npos) return answer;
    return ParsePath(old_path, 16) + answer;
}

} // namespace

bool Frm_kanot_2::rename_file(const std::string& current) {
    bool renamed = false;
    // A copy: the name may be File_Name_Field, which closing the heat clears.
    const std::string name = current;
    vb::Trap("rename_file of Form Frm_kanot_2", [&] {
        const auto answer = forms::InputBoxEx("New filename?", "Name change", name);
        // Cancel, an empty answer or the same name: nothing to do.
        if (!answer || vb::Trim(*answer).empty()) return;
        std::string target = vb::Trim(*answer);
        if (Get_File_Extension(target).empty()) target += ".qf3";
        target = resolve_in_folder(target, name);
        if (target == name) return;
        if (FileExists(target)) {
            forms::MsgBox("New file already exists!");
            return;
        }
        if (!FileExists(name)) vb::Raise(vb::errFileNotFound, "File not found: " + name);

        // The heat is closed in the window, not only in the file object, so
        // that nothing writes to the old name while it moves.
        const bool was_open = Replay_File_Open() && File_Name_Field == name;
        if (was_open) Close_File();
        if (!video_file_io::Move_File(name, target)) {
            std::string back = name;
            if (was_open) Handle_Open_File(back);
            vb::Raise(vb::errPathFileAccess, "Rename of " + name + " to " + target + " failed");
        }
        Send_Trace("*rename_file ", name, target);
        renamed = true;
        if (was_open) Handle_Open_File(target);
    });
    return renamed;
}

void Frm_kanot_2::item_rename_file_Click() {
    if (!Check_File_Open()) return;
    rename_file(File_Name_Field);
}

void Frm_kanot_2::item_rename_ini_Click() {
    vb::Trap("item_rename_ini_Click of Form Frm_kanot_2", [] {
        const std::string& from = g_Ini_File_Path;
        // Only the suffix changes: "ini" elsewhere in the path stays.
        if (from.size() < 4 || from.substr(from.size() - 4) != ".ini") return;
        const std::string to = from.substr(0, from.size() - 3) + "inx";
        if (!FileExists(from)) vb::Raise(vb::errFileNotFound, "File not found: " + from);
        if (FileExists(to)) {
            forms::MsgBox("New file already exists!");
            return;
        }
        if (!video_file_io::Move_File(from, to))
            vb::Raise(vb::errPathFileAccess, "Rename of " + from + " to " + to + " failed");
    });
}

void Frm_kanot_2::item_Delete_File_Click() {
    vb::Trap("item_Delete_File_Click of Form Frm_kanot_2", [this] {
        if (!Check_File_Open()) return;
        // Only the heat the window shows, and only when the operator says so.
        const std::string path = Replay_Video_File().File_name();
        if (path.empty() || path != File_Name_Field) return;
        if (forms::MsgBox("Delete file " + path + "?",
                          forms::vbYesNo + forms::vbQuestion + forms::vbDefaultButton2) != forms::vbYes)
            return;
        // As "Close File" does: the results panel forgets the heat as well.
        item_close_Click();
        Kill_File(path);
    });
}
