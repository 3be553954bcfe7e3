#include "QFN_Error_Handler.h"

#include "Dialogs.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "QFN_error_form.h"
#include "VbConvert.h"
#include "VbTrap.h"

#include <cstdio>

void QFN_Error_Handler(const std::string& description, int32_t number, int32_t line,
                       const std::string& location, const std::string& extra) {
    vb::TrapAlways(
        [&] {
            Send_Trace("*QFN_error_handler1, " + vb::CStr(number) + "," + vb::CStr(line) + "," + location);
            auto& form = QFN_error_form();
            if (forms::Form* active = forms::ActiveForm(); active != &form) form.Opener = active;
            // A grab left by the procedure that failed (a slider or button
            // held) would keep the operator away from the report.
            forms::Release_Input_Grabs();
            form.Show(forms::vbModeless);
            vb::DoEvents();
            Send_Trace("*QFN_error_handler2");
            // A report that arrives while the window is shown replaces the
            // report text; the comments stay.
            form.err_lbl.Text("Location of error: " + location + " line: " + vb::CStr(line) + "\n");
            form.err_lbl.Text(form.err_lbl.Text() + "error description: " + vb::CStr(number) + ", " +
                              description + "\n");
            form.err_lbl.Text(form.err_lbl.Text() + QFN_error_form::Version_Line(" Program version ") + "\n");
            form.err_lbl.Text(form.err_lbl.Text() + "Extra information: " + extra + "\n");
            form.err_lbl.Text(form.err_lbl.Text() + "program name: " + g_Program_Title +
                              " Caption = " + "\n");
            Send_Trace("*QFN_error_handler5");
        },
        [](const vb::VbError&) { forms::MsgBox("Error in Error_form"); });
}
