// The program: picks the Qt implementations of the platform services, then
// hands over to the system's own start-up window.
#include "Dialogs.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Form_capture_multi_file.h"
#include "Form_select_Video.h"
#include "Frm_fullscreen.h"
#include "Frm_kanot_2.h"
#include "Frm_results.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Program_Windows.h"
#include "QtMessagePump.h"
#include "QtServices.h"
#include "Services.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends through its exit procedure, not when a window closes.
    app.setQuitOnLastWindowClosed(false);
    forms::Install_Qt_Services();
    // Capture frames posted from the streaming threads arrive through Qt's loop.
    msgqueue::AttachToQtEventLoop();
    forms::App().Title(kProgram_Name);
    forms::App().SetVersion(TIDEWICK_VERSION);
    // The runtime's command line: the arguments after the program's name.
    for (int i = 1; i < argc; ++i)
        forms::App().CommandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    Install_Error_Trap();

    // The windows above the foundation, as the start-up and the exit reach them.
    g_Windows.Frm_kanot_2 = []() -> forms::Form& { return Frm_kanot_2(); };
    g_Windows.Set_Timing_Frametimestamp = [] { Frm_kanot_2().Set_Timing_Frametimestamp(); };
    g_Windows.Set_Timing_Framecount = [] { Frm_kanot_2().Set_Timing_Framecount(); };
    g_Windows.Form_capture_multi_file = []() -> forms::Form& { return Form_capture_multi_file(); };
    g_Windows.Set_Capture_Rotate = [](bool r) { Form_capture_multi_file().Set_Capture_Rotate(r ? 1 : 0); };
    g_Windows.Set_OBJ_Capture_Crop = [] { Form_capture_multi_file().Set_OBJ_Capture_Crop(); };
    g_Windows.Terminate_obj_Capture_HDMI = [] { Form_capture_multi_file().Terminate_obj_Capture_HDMI(); };
    g_Windows.Stop_Capture = [] { Form_capture_multi_file().Stop_Capture(); };
    Connect_Results_Window();
    g_Windows.Form_select_Video = []() -> forms::Form& { return Form_select_Video(); };
    g_Windows.Set_Display_Crop = [](int16_t& x, int16_t& y) { Frm_fullscreen().Set_Display_Crop(x, y); };
    g_Windows.Enter_Event_name = [] { Frm_kanot_2().Enter_Event_name(); };
    Frm_fullscreen().Connect_Capture_Window();

    // Also with a heat on the command line: the start-up window sets the crop
    // first, and its load has the replay window open the heat.
    Form_Tidewick_Full_Startup().Show();
    return app.exec();
}
