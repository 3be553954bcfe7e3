#include "Class_disk_mem_perf.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbError.h"
#include "WinClock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

// An open test file, closed whatever happens on the way.
class Test_File {
public:
    explicit Test_File(int fd) : fd_(fd) {}
    ~Test_File() { close(); }
    Test_File(const Test_File&) = delete;
    Test_File& operator=(const Test_File&) = delete;
    bool valid() const { return fd_ >= 0; }
    // The whole block or run-time error 61; a short write is a full disk.
    void write_block(const std::vector<char>& block) {
        size_t done = 0;
        while (done < block.size()) {
            const ssize_t n = ::write(fd_, block.data() + done, block.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) vb::Raise(61, "Disk full");
            done += static_cast<size_t>(n);
        }
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

int64_t write_blocks(Test_File& file, const std::vector<char>& block, int32_t count) {
    int64_t bytes = 0;
    for (int32_t i = 0; i < count; ++i) {
        file.write_block(block);
        bytes += static_cast<int64_t>(block.size());
    }
    return bytes;
}

} // namespace

Class_disk_mem_perf::Class_disk_mem_perf(int64_t block_size, int32_t disk_perf_blocks,
                                         int32_t disk_perf2_blocks)
    : block_size_(block_size), disk_perf_blocks_(disk_perf_blocks), disk_perf2_blocks_(disk_perf2_blocks) {}

std::string Class_disk_mem_perf::Perftest_Path() {
    return (std::filesystem::path(Get_Local_AppData_Folder()) / "perftest").string();
}

std::string Class_disk_mem_perf::Testperf_Path() {
    return (std::filesystem::path(Get_Local_AppData_Folder()) / "testperf.txt").string();
}

std::string Disk_Speed_Text(int64_t bytes, uint32_t ms) {
    if (ms == 0) vb::Raise(vb::errDivisionByZero, "Division by zero");
    const float per_second =
        static_cast<float>(static_cast<double>(bytes) / (static_cast<double>(ms) / 1000));
    const float mbytes = per_second / 1048576.0f;
    return vb::CStr(vb::RoundHalfEven(static_cast<double>(mbytes) * 10) / 10) + " MBytes/sec";
}

std::string Class_disk_mem_perf::DiskPerf() {
    const std::string path = Perftest_Path();
    if (FileExists(path)) Kill_File(path);
    const std::vector<char> block(static_cast<size_t>(block_size_), 0);
    Test_File file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.valid()) vb::Raise(vb::errPathFileAccess, "Path/File access error");
    int64_t bytes = 0;
    uint32_t t0 = 0, t1 = 0;
    try {
        t0 = win::timeGetTime();
        bytes = write_blocks(file, block, disk_perf_blocks_);
        t1 = win::timeGetTime();
    } catch (...) {
        // A failed test must not leave hundreds of megabytes behind.
        file.close();
        std::error_code ec;
        std::filesystem::remove(path, ec);
        throw;
    }
    file.close();
    Kill_File(path);
    return Disk_Speed_Text(bytes, t1 - t0);
}

std::string Class_disk_mem_perf::DiskPerf2() {
    const std::string path = Testperf_Path();
    if (FileExists(path)) Kill_File(path);
    const std::vector<char> block(static_cast<size_t>(block_size_), 0);
    Test_File file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!file.valid()) {
        forms::MsgBox("Last error = " + vb::CStr(static_cast<int32_t>(errno)));
        return {};
    }
    const uint32_t t0 = win::timeGetTime();
    const int64_t bytes = write_blocks(file, block, disk_perf2_blocks_);
    const uint32_t t1 = win::timeGetTime();
    file.close();
    return Disk_Speed_Text(bytes, t1 - t0);
}
