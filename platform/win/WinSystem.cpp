#include "WinSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
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

std::string DocumentsFolder() {
    const std::string home = home_folder();
    std::error_code ec;
    const char* c = std::getenv("XDG_CONFIG_HOME");
    const std::string config = (c && *c == '/') ? std::string(c) : home + "/.config";
    std::ifstream dirs(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=";
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        if (!value.empty() && value.front() == '/' && std::filesystem::is_directory(value, ec)) return value;
    }
    if (!home.empty() && std::filesystem::is_directory(home + "/Documents", ec)) return home + "/Documents";
    return home;
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

namespace {

// /proc/self/mounts escapes blanks and a few other characters as \ooo.
std::string unescape_mount_field(const std::string& f) {
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '\\' && i + 3 < f.size()) {
            const std::string oct = f.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(oct, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(f[i]);
    }
    return out;
}

bool is_removable_device(const std::string& device) {
    namespace fs = std::filesystem;
    if (device.rfind("/dev/", 0) != 0) return false;
    std::error_code ec;
    const fs::path dev = fs::canonical(device, ec);
    if (ec) return false;
    // A partition's flag lies with its disk, one folder up in sysfs.
    const fs::path sys = fs::canonical(fs::path("/sys/class/block") / dev.filename(), ec);
    if (ec) return false;
    for (const fs::path& p : {sys / "removable", sys.parent_path() / "removable"}) {
        std::ifstream in(p);
        int flag = 0;
        if (in >> flag) return flag == 1;
    }
    return false;
}

} // namespace

int32_t DriveType(const std::string& folder, std::string& share_name) {
    namespace fs = std::filesystem;
    share_name.clear();
    std::error_code ec;
    fs::path at = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    while (!at.empty() && !fs::exists(at, ec) && at.has_parent_path() && at.parent_path() != at)
        at = at.parent_path();
    const std::string where = fs::weakly_canonical(at, ec).string();

    std::ifstream mounts("/proc/self/mounts");
    std::string line, best_point, best_device, best_type;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type)) continue;
        point = unescape_mount_field(point);
        const bool inside =
            where == point || point == "/" ||
            (where.rfind(point, 0) == 0 && where.size() > point.size() && where[point.size()] == '/');
        if (inside && point.size() >= best_point.size()) {
            best_point = point;
            best_device = unescape_mount_field(device);
            best_type = type;
        }
    }
    static const char* const network[] = {"nfs", "nfs4", "cifs",       "smb3", "smbfs",
                                          "9p",  "afs",  "fuse.sshfs", "sshfs"};
    for (const char* n : network)
        if (best_type == n) {
            share_name = best_device;
            return 3;
        }
    if (best_type == "iso9660" || best_type == "udf") return 4;
    if (is_removable_device(best_device)) return 1;
    return 2;
}

bool WriteFileWhole(const std::string& path, const std::string& bytes, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A name of our own that no other file has: nothing is overwritten on the way.
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const std::string part = pattern;
    size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (ok) {
        // The permissions a file made the ordinary way would get.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (!ok) error = std::strerror(errno);
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok && ::rename(part.c_str(), path.c_str()) != 0) {
        ok = false;
        error = std::strerror(errno);
    }
    if (!ok) ::unlink(part.c_str());
    return ok;
}

} // namespace win
