#include "frmAbout.h"

#include "ComObject.h"
#include "Dialogs.h"
#include "IVideoCap.h"
#include "Module_OrvelGraphics.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "PhidgetInterfaceKit.h"
#include "Printer.h"
#include "Program_Windows.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbTrap.h"

#include <algorithm>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

constexpr const char* kDisclaimer =
    "This program is provided as it is. Race results must be checked by the race officials; "
    "the makers accept no liability for results taken from it.";
constexpr int32_t kCompany_Mark = 101;
constexpr int32_t kErrResourceNotFound = 326;

[[noreturn]] void resource_not_found(const std::string& id) {
    vb::Raise(kErrResourceNotFound, "Resource with identifier '" + id + "' not found");
}

// Starts the program on its own; the about box does not wait for it.
bool spawn_program(const std::string& program) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // Reaped when it ends, so that it leaves no zombie behind.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

} // namespace

class frmAbout& frmAbout() {
    return forms::Instance<class frmAbout>();
}

frmAbout::frmAbout() : Form("frmAbout") {
    Start_Program = spawn_program;
    Command_OK.Click = [this] { Command_OK_Click(); };
    Label_userapp.Click = [this] { Label_userapp_Click(); };
    Picture_company.Click = [this] { Picture_company_Click(); };
    menu_form.Click = [this] { menu_form_Click(); };
    item_print.Click = [this] { item_print_Click(); };
    item_date_formats.Click = [this] { item_date_formats_Click(); };
    item_video_sources.Click = [this] { item_video_sources_Click(); };
}

void frmAbout::Design() {
    Caption("About");
    Move(2400, 1200, 7320, 7740);
    Picture_product.Move(1800, 120, 3600, 900);
    Lbldescription.Move(240, 1140, 6600, 300);
    Lbldescription.Alignment(2);
    Lbldescription.FontBold(true);
    Frame_version.Caption("Version info");
    Frame_version.Move(240, 1500, 6600, 960);
    Lblversion.Container(Frame_version);
    Lblversion.Move(120, 280, 6360, 285);
    Lbl_filedate.Container(Frame_version);
    Lbl_filedate.Move(120, 580, 6360, 285);
    Frame_technical.Caption("Technical info");
    Frame_technical.Move(240, 2580, 6600, 2100);
    // The control box's version text is long: it has two lines of its own.
    const struct {
        forms::Label* label;
        int32_t top, height;
    } technical[] = {{&Lbl_IP, 280, 285},
                     {&Lbl_orvelcap, 560, 285},
                     {&Label_phidget_version, 840, 570},
                     {&Lbl_fourcc, 1420, 285},
                     {&Lbl_OrvelGraphics, 1700, 285}};
    for (const auto& t : technical) {
        t.label->Container(Frame_technical);
        t.label->Move(120, t.top, 6360, t.height);
        t.label->WordWrap(true);
    }
    Label_userapp.Move(240, 4800, 4740, 540);
    Label_userapp.WordWrap(true);
    Label_userapp.ToolTipText("Click to open this folder!");
    Picture_company.Move(5100, 4800, 1740, 540);
    Lbldisclaimer.Move(240, 5460, 6600, 660);
    Lbldisclaimer.WordWrap(true);
    Command_OK.Caption("Ok");
    Command_OK.Move(5400, 6240, 1440, 420);
    Load_Company_Picture(kCompany_Mark);
}

void frmAbout::Form_Load() {
    Caption("About " + g_Program_Title);
    Menu_sources.Visible(false);
    for (forms::Label* l :
         {&Lblversion, &Lbl_filedate, &Lbl_fourcc, &Lbl_orvelcap, &Lbl_OrvelGraphics, &Label_phidget_version})
        l->Caption("");
    const auto& app = forms::App();
    Lblversion.Caption("Version " + vb::CStr(app.Major) + "." + vb::CStr(app.Minor) + "." +
                       vb::CStr(app.Revision) + ", Compile date: " + kCompile_Date);
    Lbldisclaimer.Caption(kDisclaimer);
    Lbldescription.Caption(g_Program_Title);
    if (g_Compiled) Lbl_filedate.Caption(".exe Filedate = " + Get_Exe_Date());
    menu_debug.Visible(false);
}

void frmAbout::Description(const std::string& text) {
    m_Description = text;
}

void frmAbout::Company_Logo(int16_t logo) {
    m_Company_Logo = logo;
}

void frmAbout::Product_Logo(int16_t logo) {
    m_Product_Logo = logo;
}

void frmAbout::appdata(const std::string& folder) {
    Label_userapp.Caption("User appdata at: \r\n" + folder);
}

void frmAbout::Display_OrvelGraphics() {
    // The window loads before the library is called: a missing library then
    // fails in a loaded window, as the about command's trap expects.
    Load();
    Lbl_OrvelGraphics.Caption("OrvelGraphics: " + BlendVersion_Text());
}

void frmAbout::Display_OrvelCap() {
    std::string build;
    // A capture library that is missing or will not answer just leaves the value out.
    vb::TrapAlways(
        [&] {
            auto cap = com::NewObject<IVideoCap>(CLSID_VideoCap5);
            com::Bstr key("buildNumber"), value;
            if (com::SUCCEEDED(cap->GetProperty(key.get(), value.put()))) build = value.str();
        },
        [](const vb::VbError&) {});
    Lbl_orvelcap.Caption("OrvelCap: " + build);
}

void frmAbout::Display_Phidgets() {
    std::string version;
    const bool found =
        vb::TrapAlways([&] { version = phidget::PhidgetInterfaceKit::Create()->LibraryVersion(); },
                       [](const vb::VbError&) {});
    Label_phidget_version.Caption(found ? version : "No Phidget driver found");
}

void frmAbout::Show_sources() {
    Menu_sources.Visible(true);
}

void frmAbout::Display_Local_IP() {}

void frmAbout::StartSysInfo() {
    const bool started = vb::TrapAlways(
        [&] {
            std::string path;
            if (GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                            path)) {
                if (!Start_Program(path)) vb::Raise(vb::errFileNotFound);
                return;
            }
            if (GetKeyValue(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location",
                            "MSINFO", path)) {
                path += "/MSINFO32.EXE";
                if (FileExists(path) && Start_Program(path)) return;
            }
            vb::Raise(vb::errFileNotFound);
        },
        [](const vb::VbError&) {});
    if (!started) forms::MsgBox("System Information Is Unavailable At This Time", forms::vbOKOnly);
}

bool frmAbout::GetKeyValue(registry::HKEY KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal) {
    registry::HKEY key = 0;
    if (registry::RegOpenKeyExA(KeyRoot, KeyName, 0, registry::KEY_ALL_ACCESS, &key) !=
        registry::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    char buffer[1024] = {};
    uint32_t type = 0, size = sizeof buffer;
    const bool read =
        registry::RegQueryValueExA(key, SubKeyRef, nullptr, &type, buffer, &size) == registry::ERROR_SUCCESS;
    registry::RegCloseKey(key);
    if (!read) {
        KeyVal.clear();
        return false;
    }
    std::string text(buffer, size);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    if (type == registry::REG_SZ || type == registry::REG_EXPAND_SZ) {
        KeyVal = text;
    } else if (type == registry::REG_DWORD && size >= 4) {
        uint32_t number = 0;
        std::memcpy(&number, buffer, 4);
        KeyVal = vb::CStr(static_cast<int64_t>(number));
    }
    return true;
}

void frmAbout::Load_Product_Picture(const std::string& resource_name) {
    if (resource_name != "TIDEWICK_LOGGA") resource_not_found(resource_name);
    // The product logo: the name on a water-blue band with a finish line.
    Picture_product.Width(3600);
    Picture_product.Height(900);
    Picture_product.BackColor(0x00A0522D);
    Picture_product.Cls();
    Picture_product.Line(3300, 0, 3360, 900, 0x00FFFFFF, 2);
    Picture_product.ForeColor(0x00FFFFFF);
    Picture_product.FontName("Arial");
    Picture_product.FontSize(24);
    Picture_product.FontBold(true);
    Picture_product.CurrentX(240);
    Picture_product.CurrentY(150);
    Picture_product.Print("Tidewick");
    Centre_Product_Picture();
    Picture_product.Refresh();
}

void frmAbout::Centre_Product_Picture() {
    Picture_product.Left(ScaleWidth() / 2 - Picture_product.Width() / 2);
}

void frmAbout::Form_Resize() {
    // The inner width is known for certain only once the window is laid out on
    // the screen; the logo follows it.
    Centre_Product_Picture();
}

void frmAbout::Load_Company_Picture(int32_t resource_id) {
    if (resource_id != kCompany_Mark) resource_not_found(vb::CStr(resource_id));
    Picture_company.BackColor(0x00FFFFFF);
    Picture_company.Cls();
    Picture_company.ForeColor(0x00804000);
    Picture_company.FontName("Arial");
    Picture_company.FontSize(9);
    Picture_company.FontBold(true);
    Picture_company.CurrentX(105);
    Picture_company.CurrentY(120);
    Picture_company.Print("Tidewick Timing");
    Picture_company.Refresh();
}

void frmAbout::Command_OK_Click() {
    Hide();
}

void frmAbout::Label_userapp_Click() {
    const std::string text = Label_userapp.Caption();
    const size_t brk = text.find("\r\n");
    if (brk == std::string::npos) return;
    forms::Desktop_Open(text.substr(brk + 2));
}

void frmAbout::Picture_company_Click() {
    if (Ctrl_Is_Down()) Call_Connected(Show_Specials_Menu);
}

void frmAbout::menu_form_Click() {
    vb::DoEvents();
    menu_debug.Visible(Ctrl_Is_Down());
}

void frmAbout::item_print_Click() {
    const forms::Picture image = Grab();
    auto& printer = forms::Printer();
    // The window at its screen size (15 twips a pixel), made smaller only
    // when it would not fit the page.
    double width = image.Width() * 15.0, height = image.Height() * 15.0;
    const double fit = std::min(1.0, std::min(printer.ScaleWidth() / width, printer.ScaleHeight() / height));
    width *= fit;
    height *= fit;
    printer.PaintPicture(image, 0, 0, width, height);
    printer.EndDoc();
}

void frmAbout::item_date_formats_Click() {
    const vb::LocalDateTime now = vb::Now();
    forms::MsgBox("date = " + vb::FormatDate(now, "yyyy-mm-dd") + "\r\n" + "time = " +
                  vb::FormatDate(now, "hh:nn:ss") + "\r\n" + "now = " + vb::GeneralDate(now) + "\r\n" +
                  "ISODate = " + Get_Date_String() + "\r\n" + "ISOnow = " + Get_Date_Time_String() + "\r\n");
}

void frmAbout::item_video_sources_Click() {
    const std::string text =
        "Video sources at: " + Get_Date_Time_String() + "\r\n" + g_Computer_Name + "\r\n";
    forms::MsgBox(text, forms::vbOKOnly, "Video sources, data is copied to Clipboard!");
    forms::Clipboard().Clear();
    forms::Clipboard().SetText(text);
}
