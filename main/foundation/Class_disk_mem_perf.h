#pragma once
// Disk write-speed tests: a stream of zero blocks written to a test file and
// timed with the multimedia timer. The result reads "<MB/s> MBytes/sec".
#include <cstdint>
#include <string>

class Class_disk_mem_perf {
public:
    // The block size and the block counts of the two tests; the defaults are
    // the standard test (75 and 10 blocks of 5,000,000 bytes). Tests make
    // them small.
    explicit Class_disk_mem_perf(int64_t block_size = 5'000'000, int32_t disk_perf_blocks = 75,
                                 int32_t disk_perf2_blocks = 10);

    // Writes the blocks to "perftest" in the application-data folder and
    // deletes it again. Errors (file not writable, a test that took 0 ms)
    // reach the caller.
    std::string DiskPerf();
    // Writes the blocks to "testperf.txt" in the application-data folder and
    // leaves it there. A file that cannot be created is reported with the
    // system's error number and gives an empty text.
    std::string DiskPerf2();

    // Where the tests write.
    static std::string Perftest_Path();
    static std::string Testperf_Path();

private:
    int64_t block_size_;
    int32_t disk_perf_blocks_, disk_perf2_blocks_;
};

// "<speed rounded to one decimal> MBytes/sec" for bytes written in ms milliseconds.
std::string Disk_Speed_Text(int64_t bytes, uint32_t ms);
