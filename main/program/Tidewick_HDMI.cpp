// The program: picks the Qt implementations of the platform services, then
// hands over to the system's own start-up window.
#include "Dialogs.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
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
    Install_Error_Trap();

    Form_Tidewick_Full_Startup().Show();
    return app.exec();
}
