#include "QtDialogs.h"

#include "Form.h"
#include "FormsInternal.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace forms {

namespace {

// A box takes the keyboard and the mouse from whatever held them, leaves no
// grab behind, and gives the focus back to the window that opened it.
class BoxScope {
public:
    BoxScope() : opener_(QApplication::activeWindow()) {
        Release_Input_Grabs();
        detail::box_opening();
    }
    ~BoxScope() {
        Release_Input_Grabs();
        detail::box_closed();
        if (opener_ && opener_->isVisible()) opener_->activateWindow();
    }
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;

private:
    QPointer<QWidget> opener_;
};

} // namespace

int32_t QtDialogs::msg_box(const std::string& prompt, int32_t buttons, const std::string& title) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(prompt));
    switch (buttons & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Btn {
        QMessageBox::StandardButton qt;
        int32_t result;
    };
    static const std::vector<std::vector<Btn>> sets = {
        {{QMessageBox::Ok, vbOK}},
        {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}},
        {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}},
        {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}},
        {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}},
        {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}},
    };
    const size_t set = static_cast<size_t>(buttons & 7) < sets.size() ? static_cast<size_t>(buttons & 7) : 0;
    const auto& btns = sets[set];
    for (const auto& b : btns)
        box.addButton(b.qt);
    const size_t def = static_cast<size_t>((buttons & 0xF00) / 256);
    box.setDefaultButton(btns[def < btns.size() ? def : 0].qt);
    // The original raised no activation of the window below when a box closed.
    int r = 0;
    {
        BoxScope scope;
        r = box.exec();
    }
    for (const auto& b : btns)
        if (b.qt == r) return b.result;
    // Closed by its title bar: the Cancel (or only) button's answer.
    return btns.size() == 1 ? btns[0].result : vbCancel;
}

std::optional<std::string> QtDialogs::input_box(const std::string& prompt, const std::string& title,
                                                const std::string& default_text) {
    bool ok = false;
    QString text;
    {
        BoxScope scope;
        text = QInputDialog::getText(nullptr, QString::fromStdString(title), QString::fromStdString(prompt),
                                     QLineEdit::Normal, QString::fromStdString(default_text), &ok);
    }
    if (!ok) return std::nullopt;
    return text.toStdString();
}

} // namespace forms

namespace forms {

std::string Qt_File_Filter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(';', ' ').trimmed();
        QString text = parts[i].trimmed();
        // Qt reads the patterns from the entry's last brackets.
        if (!text.endsWith("(" + patterns + ")")) text += " (" + patterns + ")";
        entries << text;
    }
    return entries.join(";;").toStdString();
}

std::optional<std::string> QtDialogs::file_dialog(const FileDialogRequest& r) {
    QFileDialog dialog(nullptr, QString::fromStdString(r.title), QString::fromStdString(r.initial_folder),
                       QString::fromStdString(Qt_File_Filter(r.filter)));
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.default_ext.empty()) dialog.setDefaultSuffix(QString::fromStdString(r.default_ext));
    if (!r.file_name.empty()) dialog.selectFile(QString::fromStdString(r.file_name));
    bool ok = false;
    {
        BoxScope scope;
        ok = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    }
    if (!ok) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace forms
