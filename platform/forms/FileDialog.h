#pragma once
// The common dialog's "open file" box. The program's main installs the Qt
// one; tests install ScriptedFileDialog, which answers from a queue and keeps
// what was asked; with none installed every box is cancelled.
#include <deque>
#include <string>
#include <vector>

namespace forms {

struct OpenFileRequest {
    std::string file_name;   // name shown at first
    std::string initial_dir; // empty: the platform's choice
    std::string title;
    // Pairs of description and pattern joined by "|": "Heat files (*.qf3)|*.qf3".
    std::string filter;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The path chosen; empty when cancelled.
    virtual std::string show_open(const OpenFileRequest& request) = 0;
};

// Not owned; nullptr installs the default, which cancels.
void set_file_dialog_service(FileDialogService* service);
FileDialogService& file_dialog_service();

// Shows the open box; the empty text when cancelled.
std::string ShowOpen(const OpenFileRequest& request);

class ScriptedFileDialog : public FileDialogService {
public:
    std::string show_open(const OpenFileRequest& request) override;
    std::deque<std::string> answers; // "" answers as Cancel
    std::vector<OpenFileRequest> asked;
};

// The Qt box; installed by Install_Qt_Services.
class QtFileDialog : public FileDialogService {
public:
    std::string show_open(const OpenFileRequest& request) override;
};

} // namespace forms
