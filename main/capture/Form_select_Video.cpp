#include "Form_select_Video.h"

#include "Bstr.h"
#include "ComCreate.h"
#include "ComPtr.h"
#include "Dialogs.h"
#include "Form_capture_multi_file.h"
#include "IVideoCap.h"
#include "Module_HDMI_Support.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "Services.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"

#include <cstdlib>

namespace {

void Check(com::HRESULT hr, const char* what) {
    if (com::FAILED(hr)) vb::Raise(static_cast<int32_t>(hr), std::string(what) + " failed");
}

std::string Property(IVideoCap& source, const std::string& key) {
    com::Bstr k(key), value;
    Check(source.GetProperty(k.get(), value.put()), "GetProperty");
    return value.str();
}

} // namespace

class Form_select_Video& Form_select_Video() {
    return forms::Instance<class Form_select_Video>();
}

Form_select_Video::Form_select_Video() : Form("Form_select_Video") {
    ListView_prop.ItemClick = [this](int32_t index) { ListView_prop_ItemClick(index); };
    Command_enum2.Click = [this] { Do_Enum(); };
    Command_select_done.Click = [this] { Command_select_done_Click(); };
    Command_Cancel.Click = [this] { Hide(); };
    item_copy_to_clipboard.Click = [] { Snapshot_To_Clipboard(); };
    item_iterate.Click = [this] { Iter2(); };
}

void Form_select_Video::Design() {
    Caption("Select HDMI Video Source");
    Move(1200, 1200, 10200, 6600);
    ListView_prop.Move(120, 120, 6900, 5400);
    ListView_prop.GridLines(true);
    Command_enum2.Caption("Enumerate Video sources");
    Command_enum2.Move(7200, 120, 2700, 450);
    Command_select_done.Caption("Select Done");
    Command_select_done.Move(7200, 660, 2700, 450);
    Command_Cancel.Caption("Cancel");
    Command_Cancel.Move(7200, 1200, 2700, 450);

    Frame_selection.Caption("Selection");
    Frame_selection.Move(7200, 1860, 2700, 3660);
    const struct {
        forms::Label* fixed;
        const char* text;
        forms::Label* value;
    } rows[] = {{&Label_sel_vs, "Source num", &Label_video_source},
                {&Label3, "Source name", &Label_selected_friendly},
                {&Label5, "Property num", &Label_property_num},
                {&Label4, "Property", &Label_property_string}};
    int32_t top = 360;
    for (const auto& r : rows) {
        r.fixed->Caption(r.text);
        r.fixed->Container(Frame_selection);
        r.fixed->Move(120, top, 2460, 270);
        r.value->Caption("");
        r.value->Container(Frame_selection);
        r.value->Move(120, top + 270, 2460, 390);
        r.value->FontBold(true);
        top += 780;
    }
}

void Form_select_Video::Form_Load() {
    vb::Trap("Form_Load of Form Form_select_Video", [&] {
        ListView_prop.ColumnHeaders_Clear();
        ListView_prop.ColumnHeaders_Add("srcnum", "Sn", 400);
        ListView_prop.ColumnHeaders_Add("source", "Video Source", 3500);
        ListView_prop.ColumnHeaders_Add("propnum", "Pn", 400);
        ListView_prop.ColumnHeaders_Add("prop", "Properties", 2000);
        menu_debug.Visible(!g_Compiled);
    });
}

void Form_select_Video::Do_Enum() {
    vb::Trap("Do_Enum of Form Form_select_Video", [&] {
        // An object of its own for the listing, gone at its end; the capture
        // object keeps the device it runs on.
        com::ComPtr<IVideoCap> source;
        Check(com::CreateInstance(CLSID_VideoCap5, source), "CreateObject VideoCap5");
        ListView_prop.ListItems_Clear();
        for (int32_t n = 1; n <= 10; ++n) {
            int32_t found = 0;
            com::Bstr name("video:" + std::to_string(n));
            Check(source->SetSource(name.get(), &found), "SetSource");
            if (found == 0) break; // sources after the first gap are never tried
            const std::string friendly = Property(*source, "sourceFriendlyName");
            Property(*source, "sourceDescription");
            m_Property_Count = vb::CInt(vb::Val(Property(*source, "numprops")));
            std::string previous;
            for (int16_t p = 0; p < m_Property_Count; ++p) {
                const std::string text = Get_Prop(*source, p);
                // Runs of formats with one text (differing only in what the
                // text does not show) give one row, the first of the run.
                if (text == previous) continue;
                previous = text;
                const int32_t row = ListView_prop.ListItems_Add(vb::CStr(n));
                ListView_prop.SubItems(row, 1, friendly);
                ListView_prop.SubItems(row, 2, vb::CStr(p));
                ListView_prop.SubItems(row, 3, text);
            }
        }
    });
}

std::string Form_select_Video::Get_Prop(IVideoCap& source, int16_t format) {
    Property(source, "sourceFriendlyName");
    Property(source, "sourceDescription");
    const std::string address = Property(source, "getAMT" + vb::FormatNumber(format, "00"));
    // The record is the library's until its next call: its text is made now.
    return Process_AMT(std::strtoll(address.c_str(), nullptr, 10));
}

void Form_select_Video::ListView_prop_ItemClick(int32_t index) {
    vb::Trap("ListView_prop_ItemClick of Form Form_select_Video", [&] {
        Label_selected_friendly.Caption(ListView_prop.SubItems(index, 1));
        Label_video_source.Caption(ListView_prop.ListItem_Text(index));
        Label_property_num.Caption(ListView_prop.SubItems(index, 2));
        Label_property_string.Caption(ListView_prop.SubItems(index, 3));
        Write_Ini("capturesettings", "friendlyname", Label_selected_friendly.Caption(), g_Ini_File_Path);
        Write_Ini("capturesettings", "videoproperty", Label_property_num.Caption(), g_Ini_File_Path);
        m_Selection_Made = true;
    });
}

void Form_select_Video::Command_select_done_Click() {
    vb::Trap("Command_select_done_Click of Form Form_select_Video", [&] {
        if (!m_Selection_Made) {
            forms::MsgBox("No video source selected!");
            return;
        }
        Form_capture_multi_file().Set_Source_and_Property();
        Hide();
    });
}

void Form_select_Video::Iter2() {
    vb::Trap("Iter2 of Form Form_select_Video", [&] {
        std::string report = "Video source enumeration at " + Get_Date_Time_String() + "\r\n";
        report += "Program version " + g_Program_Title + " " + g_Program_Version + " Computer name " +
                  g_Computer_Name + "\r\n";
        for (int32_t row = 1; row <= ListView_prop.ListItems_Count(); ++row)
            report += ListView_prop.ListItem_Text(row) + "  " + ListView_prop.SubItems(row, 1) + "  " +
                      ListView_prop.SubItems(row, 2) + "  " + ListView_prop.SubItems(row, 3) + "\r\n";
        forms::Clipboard().Clear();
        forms::Clipboard().SetText(report);
    });
}
