#include "TestEnv.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace test_env {

namespace {
std::string root_dir;
std::string root_prefix; // what only a folder made by init_root starts with
forms::ScriptedDialogs scripted;
} // namespace

void init_root() {
    const char* t = std::getenv("TMPDIR");
    root_prefix = std::string(t && *t == '/' ? t : "/tmp") + "/tidewick-test-";
    std::string tmpl = root_prefix + "XXXXXX";
    const char* d = mkdtemp(tmpl.data());
    root_dir = d ? d : "/tmp";
    for (const char* sub : {"data", "config", "runtime", "home"})
        std::filesystem::create_directories(root_dir + "/" + sub);
    std::filesystem::permissions(root_dir + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_DATA_HOME", (root_dir + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_dir + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_dir + "/runtime").c_str(), 1);
    setenv("HOME", (root_dir + "/home").c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TIDEWICK_SOURCE_DIR", TIDEWICK_SOURCE_DIR_DEFAULT, 0);
    setenv("TIDEWICK_BIN_DIR", TIDEWICK_BIN_DIR_DEFAULT, 0);
    setenv("TIDEWICK_TEST_OUTPUT", TIDEWICK_TEST_OUTPUT_DEFAULT, 0);
    forms::set_dialog_service(&scripted);
}

void remove_root() {
    if (root_dir.rfind(root_prefix, 0) == 0 && !std::getenv("TIDEWICK_KEEP_TEST_DIRS")) {
        std::error_code ec;
        std::filesystem::remove_all(root_dir, ec);
    }
}

const std::string& root() {
    return root_dir;
}

std::string make_dir(const std::string& name) {
    const std::string d = root_dir + "/" + name;
    std::filesystem::remove_all(d);
    std::filesystem::create_directories(d);
    return d;
}

forms::ScriptedDialogs& dialogs() {
    return scripted;
}

std::string output_dir() {
    const char* o = std::getenv("TIDEWICK_TEST_OUTPUT");
    const std::string d = o && *o ? o : root_dir + "/output";
    std::filesystem::create_directories(d);
    return d;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

int run(const std::string& command, std::string* out) {
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf{};
    std::string all;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        all.append(buf.data(), n);
    const int st = pclose(p);
    if (out) *out = all;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

bool have_tool(const std::string& name) {
    return run("command -v " + name + " >/dev/null 2>&1") == 0;
}

} // namespace test_env
