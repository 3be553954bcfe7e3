#include "QtServices.h"

#include "Dialogs.h"
#include "FileDialog.h"
#include "Gdi.h"
#include "Keys.h"
#include "QtDialogs.h"
#include "VbTrap.h"

#include <QCoreApplication>
#include <QFont>

namespace forms {

void Install_Event_Pump() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    vb::AddEventPump([] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
}

void Install_Font_Substitutes() {
    for (const char* name : {"Arial", "MS Sans Serif", "Ms Sans Serif", "Microsoft Sans Serif", "Courier New",
                             "Times New Roman", "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2"})
        QFont::insertSubstitution(name, QString::fromStdString(gdi::MapFontFamily(name)));
}

void Install_Qt_Services() {
    static QtDialogs dialogs;
    set_dialog_service(&dialogs);
    static QtFileDialog files;
    set_file_dialog_service(&files);
    Install_Event_Pump();
    Install_Key_State_Feed();
    Install_Font_Substitutes();
}

} // namespace forms
