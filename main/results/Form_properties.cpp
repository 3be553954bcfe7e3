#include "Form_properties.h"

#include "Frm_progress.h"
#include "Module_dependant.h"
#include "Printer.h"
#include "VbDate.h"
#include "VbTrap.h"

class Form_properties& Form_properties() {
    return forms::Instance<class Form_properties>();
}

Form_properties::Form_properties() : Form("Form_properties") {
    Command_Print.Click = [this] { Command_Print_Click(); };
    Command_OK.Click = [this] { Command_OK_Click(); };
}

void Form_properties::Design() {
    Caption("Tidewick File properties");
    Move(1500, 1500, 8400, 7800);
    Label_filename.WordWrap(true);
    Label_filename.Move(120, 60, 8000, 540);
    Text_properties.Locked(true);
    Text_properties.Move(120, 660, 8000, 5900);
    Command_Print.Caption("Print");
    Command_Print.Move(120, 6720, 1500, 420);
    Command_OK.Caption("OK");
    Command_OK.Move(6620, 6720, 1500, 420);
}

void Form_properties::Command_Print_Click() {
    class Frm_progress& progress = Frm_progress();
    forms::PrinterObject& printer = forms::Printer();
    const bool printed = vb::Trap("Command_Print_Click of Form Form_properties", [&] {
        progress.Set_Caption("Printing....");
        progress.Visible(true);
        printer.FontName("Microsoft Sans Serif");
        printer.FontSize(12);
        progress.Set_Percent(25);
        Do_Sleep(200, true);
        printer.Print("Tidewick File Properties printout at: " + vb::GeneralDateNow());
        progress.Set_Percent(50);
        Do_Sleep(200, true);
        printer.Print(Label_filename.Caption());
        printer.Print(Text_properties.Text());
        progress.Set_Percent(100);
        printer.EndDoc();
        Do_Sleep(200, true);
        Command_OK.SetFocus();
        progress.Hide();
    });
    if (printed) return;
    // A failed print leaves no half job behind and no progress on screen.
    try {
        printer.KillDoc();
    } catch (...) {
    }
    if (progress.IsLoaded()) progress.Hide();
}

void Form_properties::Command_OK_Click() {
    Unload();
}
