// The replay window's shell: the command line, the layout of its frames, the
// recent-files menu, focus, the zoom-box test, the key timer, file copy and
// full screen.
#include "Frm_kanot_2.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "Screen.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinSystem.h"
#include "cls_VideoFile_handler.h"
#include "fso_functions.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Copies through a temporary file beside the destination, so that a failed
// copy never leaves a half-written heat file under the real name.
bool copy_whole_file(const std::string& from, const std::string& to) {
    std::error_code ec;
    const std::string part = to + ".part";
    if (!fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(part, ec);
        return false;
    }
    fs::rename(part, to, ec);
    if (ec) {
        fs::remove(part, ec);
        return false;
    }
    return true;
}

} // namespace

void Frm_kanot_2::Start_Association() {
    std::string path = Command_Line_Field;
    // The desktop hands the path without the quotes the original dropped;
    // only a path that still carries both loses them.
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    if (path.empty() || !FileExists(path)) return;
    Handle_Open_File(path);
}

void Frm_kanot_2::Arrange_Layout(bool& rotated) {
    (void)rotated;
    vb::Trap("Arrange_Layout of Form frm_kanot_2", [this] { Arrange_Frames(); });
}

void Frm_kanot_2::Arrange_Frames() {
    vb::Trap("Arrange_Frames of Form frm_kanot_2", [this] {
        Frame_Controls.Left(Get_Right_Edge(Picture_large) + 10);
        Width(static_cast<int32_t>((Get_Right_Edge(Frame_Controls) + 20) * forms::Screen_TwipsPerPixelX()));
        Picture_logo.Left(frm_File_data.Left());
        Picture_logo.Top(Get_Bottom_Edge(Frm_Options) + 5);
    });
}

void Frm_kanot_2::Update_Recent_Files() {
    const int32_t items = item_Open_Newest.Count();
    for (int32_t i = 1; i < items; ++i)
        item_Open_Newest(i).Caption("");
    g_List_Folder[0] = Read_Ini("Canoe", "last_dir", g_Ini_File_Path, "");

    // Newest first, and only the files there are: the list comes oldest last
    // with a blank per other file of the folder.
    recent_files_.clear();
    const auto listed = fso_Youngest_files(g_List_Folder[0], "qf3", 0);
    for (auto it = listed.rbegin(); it != listed.rend() && static_cast<int32_t>(recent_files_.size()) < items;
         ++it)
        if (it->size() > 19) recent_files_.push_back(it->substr(19));

    for (int32_t i = 0; i < items; ++i) {
        const bool used = i < static_cast<int32_t>(recent_files_.size());
        item_Open_Newest(i).Caption(used ? recent_files_[static_cast<size_t>(i)] : std::string());
        item_Open_Newest(i).Visible(used);
    }
    if (recent_files_.empty()) {
        item_Open_Newest(0).Caption("[no files]");
        item_Open_Newest(0).Visible(true);
    }
}

void Frm_kanot_2::item_Open_Newest_Click(int32_t index) {
    // "[no files]" and items left over from an earlier list open nothing.
    if (index < 0 || index >= static_cast<int32_t>(recent_files_.size())) return;
    std::string path = g_List_Folder[0] + win::kPathSep + recent_files_[static_cast<size_t>(index)];
    Handle_Open_File(path);
}

bool Frm_kanot_2::Check_File_Open() {
    bool open = false;
    vb::Trap("Check_File_Open of Form frm_kanot_2", [&] {
        if (Replay_File_Open()) {
            open = true;
            return;
        }
        forms::MsgBox("No file open!", forms::vbOKOnly);
    });
    return open;
}

void Frm_kanot_2::Set_Focus() {
    try {
        if (::IsLoaded("frm_kanot_2") && g_Main_Window_Active) SliderPlay_Focus();
    } catch (...) {
        // Focus is a courtesy: a window that cannot take it goes on as it is.
    }
}

void Frm_kanot_2::SliderPlay_Focus() {
    try {
        if (Slider_play.Visible()) Slider_play.SetFocus();
    } catch (...) {
    }
}

bool Frm_kanot_2::Within_Zoom(float& x, float& y) {
    return Zoom_Box_Left < x && x < Zoom_Box_Left + Zoom_Box_Width && Zoom_Box_Top < y &&
           y < Zoom_Box_Top + Zoom_Box_Height;
}

void Frm_kanot_2::Timer_keyb_event_Timer() {
    // A key press now and then keeps the screen saver away during a long race day.
    vb::Trap("Timer_keyb_event_Timer of Form frm_kanot_2", [] { Press_Shift_Key(); });
}

void Frm_kanot_2::File_Copy() {
    vb::Trap("File_Copy of Form frm_kanot_2", [this] {
        const std::string& folder = g_List_Folder[1];
        if (!FolderExists(folder)) {
            forms::MsgBox("Can't find destination folder for file copy!", forms::vbOKOnly);
            return;
        }
        const std::string destination = folder + win::kPathSep + ParsePath(g_Last_Captured_File, 0);
        const auto copy = Copy_File ? Copy_File : copy_whole_file;
        if (!copy(g_Last_Captured_File, destination)) forms::MsgBox("Copy Failed", forms::vbOKOnly);
        Do_Sleep(2000, false);
    });
}

void Frm_kanot_2::menu_help_Click() {
    if (Ctrl_Is_Down()) menu_specials.Visible(true);
}

void Frm_kanot_2::item_fullscreen_Click() {
    vb::Trap("item_fullscreen_Click of Form frm_kanot_2", [this] {
        item_fullscreen.Checked(!item_fullscreen.Checked());
        if (item_fullscreen.Checked()) {
            SetFormFullScreen(*this);
        } else {
            TitleBar(true);
            WindowState(forms::vbMaximized);
            Arrange_Frames();
        }
    });
}

void Frm_kanot_2::item_dock_results_Click() {
    item_dock_results.Checked(!item_dock_results.Checked());
    Write_Ini("settings", "resultsdocked", Bool_to_String(item_dock_results.Checked()), g_Ini_File_Path);
    Form_Resize();
}

void Frm_kanot_2::Item_extension_Click(int32_t index) {
    for (int32_t i = Item_extension.LBound(); i <= Item_extension.UBound(); ++i)
        Item_extension(i).Checked(false);
    Item_extension(index).Checked(true);
    // The captions carry a decimal comma ("1/1,5").
    std::string factor = Item_extension(index).Caption();
    factor = factor.substr(factor.find('/') + 1);
    std::replace(factor.begin(), factor.end(), ',', '.');
    X_Stretch = static_cast<float>(vb::Val(factor));
    Form_Resize();
}

int16_t SetFormFullScreen(forms::Form& window) {
    vb::Trap("SetFormFullScreen of Form frm_kanot_2", [&] {
        if (!window.IsLoaded()) return;
        window.Move(0, 0, forms::Screen_Width(), forms::Screen_Height());
        window.TitleBar(!window.TitleBar());
    });
    return 0;
}

// ---- The intro ----------------------------------------------------------------

void Frm_kanot_2::Load_Intro_Picture() {
    // Calm water under an evening sky, with the finish line across it.
    Picture_intro_2.ScaleMode(forms::vbPixels);
    const double w = Picture_intro_2.ScaleWidth(), h = Picture_intro_2.ScaleHeight();
    Picture_intro_2.BackColor(0x00F0E6DC);
    Picture_intro_2.Cls();
    for (int band = 0; band < 8; ++band)
        Picture_intro_2.Line(0, h * (0.45 + band * 0.07), w, h * (0.48 + band * 0.07), 0x00A0522D, 2);
    Picture_intro_2.Line(w * 0.82, h * 0.40, w * 0.84, h, 0x00FFFFFF, 0);
}

void Frm_kanot_2::Run_Intro() {
    vb::Trap("Run_Intro of Form frm_kanot_2", [this] {
        Intro_Centre_X = vb::CLng(ScaleWidth() / 2);
        Intro_Centre_Y = vb::CLng(ScaleHeight() / 2);
        Load_Intro_Picture();
        Picture_intro_2.CurrentX(0.05 * Picture_intro_2.ScaleWidth());
        Picture_intro_2.CurrentY(0.05 * Picture_intro_2.ScaleHeight());
        Picture_intro_2.FontName("Arial");
        Picture_intro_2.FontSize(128);
        Picture_intro_2.ForeColor(0x00FF0000);
        Picture_intro_2.Print("Tidewick");
        Run_Intro_Loop();
        Picture_intro.FontName("Arial");
        Picture_intro.FontSize(36);
        Picture_intro.ForeColor(0x00FF0000);
        const std::string subtitle = "Regatta Timing & Photofinish";
        double x = 0.05 * Picture_intro.ScaleWidth();
        const double y = 0.6 * Picture_intro.ScaleHeight();
        for (const char c : subtitle) {
            const std::string letter(1, c);
            Picture_intro.CurrentX(x);
            Picture_intro.CurrentY(y);
            Picture_intro.Print(letter);
            x += Picture_intro.TextWidth(letter);
            Picture_intro.Refresh();
            Do_Sleep(60, false);
        }
        Do_Sleep(1000, false);
        Picture_intro.Visible(false);
    });
}

void Frm_kanot_2::Run_Intro_Loop() {
    vb::Trap("Run_Intro_Loop of Form frm_kanot_2", [this] {
        Picture_intro.ScaleMode(forms::vbPixels);
        for (int k = 1; k <= 30; ++k) {
            const double w = Picture_intro_2.Width() * k / 35.0, h = Picture_intro_2.Height() * k / 35.0;
            Picture_intro.Move(Intro_Centre_X - w / 2, Intro_Centre_Y - h / 2, w, h);
            gdi::StretchBlt(Picture_intro.hDC(), 0, 0, vb::CLng(Picture_intro.ScaleWidth()),
                            vb::CLng(Picture_intro.ScaleHeight()), Picture_intro_2.hDC(), 0, 0,
                            vb::CLng(Picture_intro_2.ScaleWidth()), vb::CLng(Picture_intro_2.ScaleHeight()),
                            gdi::SRCCOPY);
            Picture_intro.Refresh();
            Picture_intro.Visible(true);
            Do_Sleep(60, false);
        }
    });
}
