#include "FuzzSupport.h"

#include "Module_qfn_Globals.h"
#include "VbTrap.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fuzz_support {

namespace {

std::string g_home;

void remove_home() {
    std::error_code ec;
    if (!g_home.empty()) std::filesystem::remove_all(g_home, ec);
}

void make_home() {
    // A RAM-backed folder where there is one: every input is written once.
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string tmpl = std::string(base) + "/tidewick-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_home = tmpl;
    for (const char* sub : {"/data", "/config", "/runtime"})
        std::filesystem::create_directories(g_home + sub);
    std::filesystem::permissions(g_home + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_DATA_HOME", (g_home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (g_home + "/runtime").c_str(), 1);
    setenv("HOME", g_home.c_str(), 1);
    setenv("TIDEWICK_REGISTRY", (g_home + "/config/registry.txt").c_str(), 1);
    std::atexit(remove_home);
}

} // namespace

void Init() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!QCoreApplication::instance()) {
        // A fuzzing process: the test main has not set things up.
        make_home();
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "tidewick-fuzz";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    } else {
        g_home = std::filesystem::temp_directory_path() / ("tidewick-replay-" + std::to_string(getpid()));
        std::filesystem::create_directories(g_home);
        std::atexit(remove_home);
    }
    g_Compiled = true;
    vb::SetTrappingEnabled([] { return true; });
    vb::SetErrorHandler([](const vb::VbError&, const std::string&, const std::string&) {});
}

std::string Write_Input(const uint8_t* data, size_t size, const std::string& suffix) {
    const std::string path = g_home + "/input" + suffix;
    // Written over, then cut to its size: the file keeps its pages from input
    // to input, where a file emptied first took every page anew (for the
    // frame-sized inputs, more than the reading of them).
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) std::abort();
    ::close(fd);
    return path;
}

const std::string& Home() {
    return g_home;
}

} // namespace fuzz_support
