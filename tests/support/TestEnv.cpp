#include "TestEnv.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace test_env {

namespace {
std::string root_dir;
std::string root_prefix; // what only a folder made by init_root starts with
pid_t root_owner = 0;
forms::ScriptedDialogs scripted;

// Folders of test processes that ended without removing theirs (a crash, a
// kill at the time limit) go at the start of a later one. Each name carries
// its process number; a folder whose process still runs is left alone.
void remove_stale_roots(const std::string& base) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("tidewick-test-", 0) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + 14, &end, 10);
        if (pid <= 0 || end == name.c_str() + 14 || *end != '-') continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}
} // namespace

void remove_root();

void init_root() {
    const char* t = std::getenv("TMPDIR");
    const std::string base = t && *t == '/' ? t : "/tmp";
    if (!std::getenv("TIDEWICK_KEEP_TEST_DIRS")) remove_stale_roots(base);
    root_owner = ::getpid();
    root_prefix = base + "/tidewick-test-" + std::to_string(root_owner) + "-";
    std::string tmpl = root_prefix + "XXXXXX";
    const char* d = mkdtemp(tmpl.data());
    root_dir = d ? d : "/tmp";
    for (const char* sub : {"data", "config", "runtime", "home", "tmp"})
        std::filesystem::create_directories(root_dir + "/" + sub);
    std::filesystem::permissions(root_dir + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_DATA_HOME", (root_dir + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_dir + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_dir + "/runtime").c_str(), 1);
    setenv("HOME", (root_dir + "/home").c_str(), 1);
    // Whatever the code under test or a tool it runs puts in the temporary
    // folder goes with the root.
    setenv("TMPDIR", (root_dir + "/tmp").c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TIDEWICK_SOURCE_DIR", TIDEWICK_SOURCE_DIR_DEFAULT, 0);
    setenv("TIDEWICK_BIN_DIR", TIDEWICK_BIN_DIR_DEFAULT, 0);
    setenv("TIDEWICK_TEST_OUTPUT", TIDEWICK_TEST_OUTPUT_DEFAULT, 0);
    forms::set_dialog_service(&scripted);
    // Also when the code under test ends the process itself.
    std::atexit(remove_root);
}

void remove_root() {
    // A forked child shares the folder with its parent: only the process that made it removes it.
    if (::getpid() != root_owner) return;
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
