#include "Form_Tidewick_HDMI_debug.h"

#include "Module_capture.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Services.h"
#include "VbTrap.h"

class Form_Tidewick_HDMI_debug& Form_Tidewick_HDMI_debug() {
    return forms::Instance<class Form_Tidewick_HDMI_debug>();
}

Form_Tidewick_HDMI_debug::Form_Tidewick_HDMI_debug() : Form("Form_Tidewick_HDMI_debug") {
    Command_form_to_Clipboard.Click = [this] { Command_form_to_Clipboard_Click(); };
}

void Form_Tidewick_HDMI_debug::Design() {
    Caption("Tidewick HDMI debug");
    Move(600, 600, 7800, 4200);
    const struct {
        forms::Label* caption;
        forms::Label* value;
        const char* text;
    } rows[] = {{&Label, &Label_max_dircomp_size, "Largest seen JPG"},
                {&Label1, &Label_min_dircomp_size, "Smallest seen JPG"},
                {&Label2, &Label_num_direct_comp, "Number of HDMI:s"},
                {&Label3, &Label_Average_JPG_size, "Average JPG"},
                {&Label4, &Label_fps, "Measured fps"}};
    double top = 240;
    for (const auto& r : rows) {
        r.caption->Caption(r.text);
        r.caption->Move(240, top, 2400, 300);
        r.value->Caption("");
        r.value->Move(2760, top, 2400, 300);
        top += 420;
    }
    Label_version.Caption("");
    Label_version.Move(240, top + 120, 7200, 300);
    Command_form_to_Clipboard.Caption("Form to Clipboard");
    Command_form_to_Clipboard.Move(240, top + 600, 2400, 420);
}

void Form_Tidewick_HDMI_debug::Form_Load() {
    Label_version.Caption("JPG performance " + g_Program_Title + " " + g_Program_Version + " " +
                          Get_Date_Time_String());
}

void Form_Tidewick_HDMI_debug::Command_form_to_Clipboard_Click() {
    vb::Trap("Command_form_to_Clipboard_Click of Form Form_Tidewick_HDMI_debug", [&] {
        const forms::Picture picture = Capture_Form_Picture(*this);
        forms::Clipboard().Clear();
        forms::Clipboard().SetData(picture);
        Do_Sleep(500, true);
    });
}
