#pragma once
// The shell's folder-browse dialog.
#include "Form.h"

#include <functional>
#include <string>

namespace forms {

// Asks for a folder, owned by the window `owner` (0 for none), starting at
// `start`; the empty text when the operator cancels.
std::string Browse_For_Folder(hwnd_t owner, const std::string& title, const std::string& start);
// Tests answer in place of the dialog; an empty hook restores the dialog.
void set_folder_browse_hook(std::function<std::string(const std::string& start)> hook);

} // namespace forms
