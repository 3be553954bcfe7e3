#include "Form_check_software.h"

#include "Dialogs.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Module_canoe.h"
#include "Module_trace.h"
#include "PhidgetInterfaceKit.h"
#include "Services.h"
#include "VbTrap.h"
#include "WinSystem.h"

class Form_check_software& Form_check_software() {
    return forms::Instance<class Form_check_software>();
}

Form_check_software::Form_check_software() : Form("Form_check_software") {}

bool Form_check_software::Test_For_Software(const std::string& name) {
    if (name != "Phidget") return false;
    return vb::TrapAlways([] { phidget::PhidgetInterfaceKit::Create().reset(); }, [](const vb::VbError&) {});
}

void Form_check_software::Form_Load() {
    if (win::PrevInstance()) {
        forms::MsgBox("A previous instance of this program is already running!");
        Tidewick_exit();
    }
    Trace_String("Form_check_software Load");
    if (!Test_For_Software("Phidget")) {
        forms::MsgBox("Phidget drivers not installed correctly!");
        forms::End_Process(0);
        return;
    }
    Trace_String("Form_check_software checks OK");
    Form_Tidewick_Full_Startup().Show();
    Unload();
}

void Form_check_software::Form_QueryUnload(int32_t&, int32_t) {
    Trace_String("Form_check_software Form_QueryUnload");
}
