// The about command of Module_Tidewick; it lives with the about box.
#include "Module_Tidewick.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "VbTrap.h"
#include "frmAbout.h"

void Do_about() {
    vb::Trap("Do_about of Module Module_Tidewick", [] {
        auto& about = frmAbout();
        about.Display_OrvelGraphics();
        about.Display_OrvelCap();
        about.Description("Photo-finish and race timing for canoe heats");
        about.Display_Phidgets();
        about.Display_OrvelGraphics();
        about.Load_Product_Picture("TIDEWICK_LOGGA");
        about.Display_Local_IP();
        about.appdata(g_AppData_Folder);
        about.Show(forms::vbModeless);
        Set_TopMost(about.hWnd());
    });
}
