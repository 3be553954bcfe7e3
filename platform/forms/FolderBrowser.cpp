#include "FolderBrowser.h"

#include <QApplication>
#include <QFileDialog>
#include <QWidget>

namespace forms {

namespace {
std::function<std::string(const std::string&)>& browse_hook() {
    static std::function<std::string(const std::string&)> hook;
    return hook;
}
} // namespace

std::string Browse_For_Folder(hwnd_t owner, const std::string& title, const std::string& start) {
    if (browse_hook()) return browse_hook()(start);
    auto* parent = reinterpret_cast<QWidget*>(owner);
    const QString folder = QFileDialog::getExistingDirectory(parent, QString::fromStdString(title),
                                                             QString::fromStdString(start));
    return folder.toStdString();
}

void set_folder_browse_hook(std::function<std::string(const std::string& start)> hook) {
    browse_hook() = std::move(hook);
}

} // namespace forms
