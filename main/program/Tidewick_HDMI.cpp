// The program: picks the Qt implementations of the platform services, then
// hands over to the system's own start-up.
#include "Dialogs.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "QtDialogs.h"
#include "VbTrap.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    forms::QtDialogs dialogs;
    forms::set_dialog_service(&dialogs);
    forms::set_app_title(kProgram_Name);
    vb::AddEventPump([] { QCoreApplication::processEvents(); });
    Install_Error_Trap();

    Tidewick_Initialization();

    QMainWindow window;
    window.setWindowTitle(QString::fromStdString(g_Program_Title));
    window.resize(1024, 640);
    window.show();
    return app.exec();
}
