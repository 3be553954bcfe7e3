#include "WinSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace win {

std::string GetComputerName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return std::string(buf, ::strnlen(buf, sizeof buf));
}

namespace {
std::string home_folder() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    return {};
}
} // namespace

bool GetLocalAppDataFolder(std::string& folder, std::string& error) {
    std::string f;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
        f = x;
    } else {
        const std::string home = home_folder();
        if (home.empty() || home == "/") {
            error = "The folder does not exist";
            return false;
        }
        f = home + "/.local/share";
    }
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(f, ec);
    if (!std::filesystem::is_directory(f, ec)) {
        error = "The folder does not exist";
        return false;
    }
    if (::access(f.c_str(), W_OK) != 0) {
        error = std::string("The folder is not writable: ") + std::strerror(errno);
        return false;
    }
    folder = f;
    return true;
}

std::string FallbackAppDataFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string base = (t && *t == '/') ? t : "/tmp";
    const std::string f = base + "/Tidewick-" + std::to_string(::getuid());
    std::error_code ec;
    std::filesystem::create_directories(f, ec);
    return f;
}

std::string ProgramPath() {
    char buf[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string ProgramName() {
    return std::filesystem::path(ProgramPath()).stem().string();
}

std::string GetSystemDirectory() {
    return std::filesystem::path(ProgramPath()).parent_path().string();
}

int64_t InstanceHandle() {
    return static_cast<int64_t>(::getpid());
}
int64_t CurrentThreadId() {
    return static_cast<int64_t>(::syscall(SYS_gettid));
}
int32_t GetLastError() {
    return errno;
}

bool PrevInstance() {
    static int held = -1;
    if (held >= 0) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = runtime && *runtime ? runtime : (tmp && *tmp ? tmp : "/tmp");
    const std::string path = folder + "/" + ProgramName() + "-" + std::to_string(::getuid()) + ".instance";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool other_holds_it = errno == EWOULDBLOCK;
        ::close(fd);
        return other_holds_it;
    }
    held = fd;
    return false;
}

} // namespace win
