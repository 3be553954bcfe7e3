#include "Video_file_io.h"

#include "VbError.h"

#include <bitset>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace video_file_io {

namespace {

std::bitset<512> used_numbers;

int16_t Take_Number() {
    for (size_t i = 1; i < used_numbers.size(); ++i) {
        if (!used_numbers[i]) {
            used_numbers[i] = true;
            return static_cast<int16_t>(i);
        }
    }
    vb::Raise(67, "Too many files");
}

[[noreturn]] void Raise_Errno(int err, const std::string& path) {
    switch (err) {
    case ENOENT:
        vb::Raise(vb::errFileNotFound, "File not found: " + path);
    case EEXIST:
        vb::Raise(vb::errFileAlreadyExists, "File already exists: " + path);
    case EACCES:
    case EPERM:
    case EROFS:
        vb::Raise(vb::errPermissionDenied, "Permission denied");
    case ENOSPC:
        vb::Raise(61, "Disk full");
    case EISDIR:
        vb::Raise(vb::errPathFileAccess, "Path/File access error: " + path);
    default:
        vb::Raise(vb::errDeviceIO, std::string("Device I/O error: ") + std::strerror(err));
    }
}

std::string Local_Text(time_t t) {
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

} // namespace

File::~File() {
    Close();
}

void File::Open(const std::string& path, Mode mode) {
    Close();
    const int flags = mode == Mode::Read         ? O_RDONLY
                      : mode == Mode::Read_Write ? O_RDWR
                                                 : O_RDWR | O_CREAT | O_EXCL;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) Raise_Errno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        Raise_Errno(EISDIR, path);
    }
    // A shared lock marks the file as held, so the in-use test sees it.
    ::flock(fd, LOCK_SH | LOCK_NB);
    m_number = Take_Number();
    m_fd = fd;
    Position = 0;
}

void File::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_number > 0) used_numbers[static_cast<size_t>(m_number)] = false;
    m_number = 0;
    Position = 0;
}

int64_t File::Length() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
    return static_cast<int64_t>(st.st_size);
}

int64_t File::Read_At(int64_t offset, void* target, int64_t n) {
    if (m_fd < 0) vb::Raise(vb::errBadFileNameOrNumber);
    if (offset < 0 || n < 0) vb::Raise(63, "Bad record number");
    auto* p = static_cast<uint8_t*>(target);
    int64_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(m_fd, p + got, static_cast<size_t>(n - got), offset + got);
        if (r < 0) {
            if (errno == EINTR) continue;
            Raise_Errno(errno, {});
        }
        if (r == 0) break;
        got += r;
    }
    if (got < n) std::memset(p + got, 0, static_cast<size_t>(n - got));
    return got;
}

void File::Write_At(int64_t offset, const void* source, int64_t n) {
    if (m_fd < 0) vb::Raise(vb::errBadFileNameOrNumber);
    if (offset < 0 || n < 0) vb::Raise(63, "Bad record number");
    const auto* p = static_cast<const uint8_t*>(source);
    int64_t done = 0;
    while (done < n) {
        const ssize_t w = ::pwrite(m_fd, p + done, static_cast<size_t>(n - done), offset + done);
        if (w < 0) {
            if (errno == EINTR) continue;
            Raise_Errno(errno, {});
        }
        done += w;
    }
}

int32_t File_In_Use(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -999;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const bool free_now = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free_now ? 0 : -1;
}

bool Move_File(const std::string& from, const std::string& to) {
    // rename() would replace an existing target: link then unlink refuses to.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

std::string File_Created_Text(const std::string& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0) return {};
    if (sx.stx_mask & STATX_BTIME) return Local_Text(static_cast<time_t>(sx.stx_btime.tv_sec));
    return Local_Text(static_cast<time_t>(sx.stx_mtime.tv_sec));
}

std::string File_Modified_Text(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return Local_Text(st.st_mtime);
}

} // namespace video_file_io
