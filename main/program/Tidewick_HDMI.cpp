// The program: picks the Qt implementations of the platform services, then
// hands over to the system's own start-up window.
#include "Form_Tidewick_Full_Startup.h"
#include "Frm_kanot_2.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
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

    Wire_Program();

    // Also with a heat on the command line: the start-up window sets the crop
    // first, and its load has the replay window open the heat.
    Form_Tidewick_Full_Startup().Show();
    return app.exec();
}
