#include "CommonDialog.h"

#include "VbError.h"

namespace forms {

bool CommonDialog::ShowOpen() {
    return show(false);
}

bool CommonDialog::ShowSave() {
    return show(true);
}

bool CommonDialog::show(bool save) {
    FileDialogRequest r;
    r.save = save;
    r.title = DialogTitle.empty() ? (save ? "Save As" : "Open") : DialogTitle;
    r.filter = Filter;
    r.initial_folder = InitDir;
    r.file_name = FileName;
    r.default_ext = DefaultExt;
    const std::optional<std::string> chosen = FileDialog(r);
    if (!chosen) {
        if (CancelError) vb::Raise(32755, "Cancel was selected.");
        return false;
    }
    FileName = *chosen;
    return true;
}

} // namespace forms
