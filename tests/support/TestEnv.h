#pragma once
// What every test process gets from the test main: its own temporary home
// (application data, configuration, runtime folders), a headless Qt
// application and a scripted dialog service.
#include "Dialogs.h"

#include <string>

namespace test_env {

// The process's temporary root; the XDG folders lie inside it.
const std::string& root();
// A fresh empty folder under root() for one test.
std::string make_dir(const std::string& name);
// The scripted dialogs installed for this process.
forms::ScriptedDialogs& dialogs();
// Folder for pictures and files a person may want to look at after the run.
std::string output_dir();
// Reads a whole file; empty when missing.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
// Runs a shell command, returns its exit status; output in `out` when given.
int run(const std::string& command, std::string* out = nullptr);
// Whether an outside tool is on the PATH.
bool have_tool(const std::string& name);

} // namespace test_env
