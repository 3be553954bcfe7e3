// The program: picks the Qt implementations of the platform services, then
// hands over to the system's own start-up.
#include "Dialogs.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "QtMessagePump.h"
#include "QtServices.h"
#include "Services.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    forms::Install_Qt_Services();
    // Capture frames posted from the streaming threads arrive through Qt's loop.
    msgqueue::AttachToQtEventLoop();
    forms::App().Title(kProgram_Name);
    forms::App().SetVersion(TIDEWICK_VERSION);
    Install_Error_Trap();

    Tidewick_Initialization();

    QMainWindow window;
    window.setWindowTitle(QString::fromStdString(g_Program_Title));
    window.resize(1024, 640);
    window.show();
    return app.exec();
}
