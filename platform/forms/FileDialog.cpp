#include "FileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace forms {

namespace {

class CancellingFileDialog : public FileDialogService {
public:
    std::string show_open(const OpenFileRequest&) override { return {}; }
};

CancellingFileDialog cancelling;
FileDialogService* installed = &cancelling;

// "A (*.x)|*.x|B (*.y)|*.y" as Qt writes it: "A (*.x);;B (*.y)". Qt takes the
// patterns from the description, so the description carries them.
QString qt_filter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains('(')) description += " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
        out << description;
    }
    return out.join(";;");
}

} // namespace

void set_file_dialog_service(FileDialogService* service) {
    installed = service ? service : &cancelling;
}

FileDialogService& file_dialog_service() {
    return *installed;
}

std::string ShowOpen(const OpenFileRequest& request) {
    return installed->show_open(request);
}

std::string ScriptedFileDialog::show_open(const OpenFileRequest& request) {
    asked.push_back(request);
    if (answers.empty()) return {};
    std::string a = answers.front();
    answers.pop_front();
    return a;
}

std::string QtFileDialog::show_open(const OpenFileRequest& request) {
    QString start = QString::fromStdString(request.initial_dir);
    if (!request.file_name.empty())
        start += (start.isEmpty() ? "" : "/") + QString::fromStdString(request.file_name);
    return QFileDialog::getOpenFileName(nullptr, QString::fromStdString(request.title), start,
                                        qt_filter(request.filter))
        .toStdString();
}

} // namespace forms
