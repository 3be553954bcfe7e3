// The interval analysis of a 90,000-frame heat (an hour at 25 frames a
// second) against reading its record heads alone with plain preads: the
// analysis must cost no more than the reads it needs ("x_heads", goal 1.2 or
// less) and decode no picture (the decoder's count is printed and checked).
#include "Best_Time_Reporter.h"
#include "Ijl.h"
#include "Make_Heat.h"
#include "Module_capture_intervals.h"
#include "QF3_format.h"
#include "cls_VideoFile_handler.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int32_t kFrames = 90000;
constexpr int32_t kSlot = 1000;

std::string Heat() {
    static const std::string path = [] {
        const std::string dir = std::filesystem::temp_directory_path().string() + "/bench_timing_analyze";
        std::filesystem::create_directories(dir);
        const std::string p = dir + "/hour.qf3";
        if (std::filesystem::exists(p)) return p;
        make_heat::Heat_Recipe recipe;
        recipe.path = p;
        recipe.width = 16;
        recipe.height = 16;
        recipe.slot_size = kSlot;
        std::string error;
        if (!make_heat::Make_Heat(recipe, kFrames, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        return p;
    }();
    return path;
}

void BM_Timing_Analyze(benchmark::State& state) {
    cls_VideoFile_handler vf;
    vf.Open_File(Heat());
    if (vf.Num_Frames() != kFrames) state.SkipWithError("heat not made whole");
    const uint64_t decodes = ijl::Whole_Image_Reads();
    int64_t counted = 0;
    for (auto _ : state) {
        const Capture_Interval_Table t = Count_Capture_Intervals(vf);
        counted = t.not_positive + t.unreadable;
        for (const int32_t c : t.count)
            counted += c;
        benchmark::DoNotOptimize(counted);
    }
    state.counters["decoded"] = static_cast<double>(ijl::Whole_Image_Reads() - decodes);
    state.counters["frames"] = static_cast<double>(counted);
    state.SetItemsProcessed(state.iterations() * kFrames);
}

// The reads alone: each record's 52-byte head, nothing checked or counted.
void BM_Record_Heads(benchmark::State& state) {
    const int fd = ::open(Heat().c_str(), O_RDONLY);
    const int64_t record = kSlot + qf3::kRecord_Overhead;
    qf3::Sample_Head head{};
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t i = 0; i < kFrames; ++i) {
            if (::pread(fd, &head, sizeof head, qf3::kBlock_Size + i * record) != sizeof head) std::abort();
            sum += head.Capture_Delta;
        }
        benchmark::DoNotOptimize(sum);
    }
    ::close(fd);
    state.SetItemsProcessed(state.iterations() * kFrames);
}

BENCHMARK(BM_Timing_Analyze)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Record_Heads)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Heat();
    Best_Time_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.best.count("BM_Timing_Analyze") && reporter.best.count("BM_Record_Heads"))
        std::printf("x_heads = %.2f (goal <= 1.2)\n",
                    reporter.best["BM_Timing_Analyze"] / reporter.best["BM_Record_Heads"]);
    std::filesystem::remove_all(std::filesystem::path(Heat()).parent_path());
    return 0;
}
