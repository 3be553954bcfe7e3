// The image library's frame routines on a 1920 x 1080 frame, each against a
// plain memcpy of the same frame, called through the program's by-name
// binding as the program calls them. After the runs a table gives each
// routine's time as a multiple of memcpy's and the goal it is held to.
#include "Module_OrvelGraphics.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

size_t padded(int32_t pixels) {
    return (static_cast<size_t>(pixels) * 3 + 3) / 4 * 4;
}
const size_t kFrameBytes = padded(kWidth) * kHeight; // also the rotated frame's size here

std::vector<uint8_t> noise_frame(unsigned seed) {
    std::vector<uint8_t> f(kFrameBytes);
    std::mt19937 rng(seed);
    for (auto& b : f)
        b = static_cast<uint8_t>(rng());
    return f;
}

struct Frames {
    std::vector<uint8_t> a = noise_frame(1), b = noise_frame(2), out = noise_frame(3);
};

void set_bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFrameBytes));
}

void BM_memcpy(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        std::memcpy(f.out.data(), f.a.data(), kFrameBytes);
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_ABlend(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        ABlend(f.a.data(), f.out.data(), f.b.data(), kWidth, kHeight, 17);
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_LBlend(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        LBlend(f.a.data(), f.out.data(), kWidth, kHeight, static_cast<int32_t>(state.range(0)));
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_FlipImageRGB24(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        FlipImageRGB24(f.a.data(), kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_Rotate90(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        Rotate90(f.a.data(), f.out.data(), kWidth, kHeight, static_cast<int32_t>(state.range(0)));
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_deinterlaceFrame(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        deinterlaceFrame(f.a.data(), nullptr, kWidth, kHeight / 2, static_cast<int32_t>(state.range(0)));
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_deinterlaceFrame2(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        deinterlaceFrame2(f.a.data(), f.out.data(), kWidth, kHeight, static_cast<int32_t>(state.range(0)));
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

void BM_linedouble(benchmark::State& state) {
    Frames f;
    for (auto _ : state) {
        linedouble(f.a.data(), kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    set_bytes(state);
}

BENCHMARK(BM_memcpy);
BENCHMARK(BM_ABlend);
BENCHMARK(BM_LBlend)->Arg(1)->Arg(2);
BENCHMARK(BM_FlipImageRGB24);
BENCHMARK(BM_Rotate90)->Arg(0)->Arg(1);
BENCHMARK(BM_deinterlaceFrame)->Arg(1)->Arg(2);
BENCHMARK(BM_deinterlaceFrame2)->Arg(1)->Arg(2);
BENCHMARK(BM_linedouble);

// Keeps each benchmark's best time per iteration (over repetitions, when
// asked for: --benchmark_repetitions=5 steadies the ratios on a busy machine)
// while the console shows the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            // With --benchmark_report_aggregates_only only the aggregates come: take the median.
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if ((r.run_type != Run::RT_Iteration && !median) || r.error_occurred) continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            const double t = r.GetAdjustedRealTime();
            const auto it = times_.find(name);
            if (it == times_.end() || t < it->second) times_[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const std::map<std::string, double>& times() const { return times_; }

private:
    std::map<std::string, double> times_;
};

// Goal: how many memcpy times a routine may take (0: none set).
double goal_for(const std::string& name) {
    if (name.rfind("BM_ABlend", 0) == 0 || name.rfind("BM_FlipImageRGB24", 0) == 0) return 3.0;
    if (name.rfind("BM_Rotate90", 0) == 0) return 6.0;
    return 0.0;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.times();
    const auto base = t.find("BM_memcpy");
    if (base == t.end() || base->second <= 0) return 0;
    int missed = 0;
    std::printf("\n%-28s %10s %8s\n", "routine (1920x1080)", "x memcpy", "goal");
    for (const auto& [name, time] : t) {
        if (name == "BM_memcpy") continue;
        const double ratio = time / base->second;
        const double goal = goal_for(name);
        const bool ok = goal == 0.0 || ratio <= goal;
        if (!ok) ++missed;
        if (goal > 0)
            std::printf("%-28s %10.2f %7.0fx %s\n", name.c_str(), ratio, goal, ok ? "ok" : "MISSED");
        else
            std::printf("%-28s %10.2f %8s\n", name.c_str(), ratio, "-");
    }
    return missed == 0 ? 0 : 2;
}
