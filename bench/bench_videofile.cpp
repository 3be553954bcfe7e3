// The heat file's per-frame roads on a 440 x 1080 crop, each against
// TurboJPEG doing the same coding work alone:
// - replay: a sample read and decoded through the video file object, against
//   tjDecompress2 of the same JPEG (goal: at most 1.3 times its time);
// - capture: a frame compressed at quality 80 and appended as a sample
//   record, against tjCompress2 of the same frame (goal: at least 0.95 of its
//   frame rate).
// Both sides are the mean time per item over all runs. --load N runs N busy
// threads beside it.
#include "Bench_Load.h"
#include "Best_Time_Reporter.h"
#include "Make_Heat.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32_t kWidth = 440;
constexpr int32_t kHeight = 1080;
constexpr int32_t kFrames = 16;

std::string Work_Dir() {
    static const std::string dir = [] {
        const std::string d = std::filesystem::temp_directory_path().string() + "/bench_videofile_" +
                              std::to_string(::getpid());
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// Synthetic finish pictures with a little sensor noise, so the JPEGs are the
// size a real crop gives rather than a flat gradient's.
std::vector<std::unique_ptr<cDIBSection>>& Frames() {
    static std::vector<std::unique_ptr<cDIBSection>> frames = [] {
        std::vector<std::unique_ptr<cDIBSection>> f;
        std::mt19937 rng(7);
        for (int32_t n = 1; n <= kFrames; ++n) {
            auto dib = std::make_unique<cDIBSection>();
            dib->Create(kWidth, kHeight);
            make_heat::Fill_Synthetic_Frame(*dib, n, false);
            uint8_t* p = dib->DIBSectionBitsPtr();
            for (int32_t i = 0; i < dib->SizeImage(); ++i) {
                const int v = p[i] + static_cast<int>(rng() % 9) - 4;
                p[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
            f.push_back(std::move(dib));
        }
        return f;
    }();
    return frames;
}

struct Jpeg {
    std::vector<uint8_t> bytes;
};

std::vector<Jpeg>& Jpegs() {
    static std::vector<Jpeg> jpegs = [] {
        std::vector<Jpeg> j;
        for (auto& dib : Frames()) {
            std::vector<uint8_t> buf(1000000);
            int32_t size = static_cast<int32_t>(buf.size());
            Save_JPG_To_Buffer(*dib, buf.data(), size, 80);
            buf.resize(static_cast<size_t>(size));
            j.push_back({std::move(buf)});
        }
        return j;
    }();
    return jpegs;
}

int32_t Slot() {
    size_t largest = 0;
    for (const Jpeg& j : Jpegs())
        largest = std::max(largest, j.bytes.size());
    return static_cast<int32_t>((largest + 5500) / 1000 * 1000);
}

// A new heat file opened for appending at capture start, as capture does.
void Start_Capture(cls_VideoFile_handler& vf, const std::string& path) {
    make_heat::Heat_Recipe recipe;
    recipe.path = path;
    std::filesystem::remove(recipe.path);
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.slot_size = Slot();
    make_heat::New_Heat_File(vf, recipe);
    make_heat::Heat_Start(vf, recipe);
    vf.Open_RGB_File();
    vf.Position_at_End();
}

// A heat file holding the pictures, written the way capture writes it.
std::string Heat_With_Frames() {
    static const std::string path = [] {
        const std::string heat = Work_Dir() + "/decode.qf3";
        cls_VideoFile_handler vf;
        Start_Capture(vf, heat);
        for (int32_t n = 0; n < kFrames; ++n) {
            const Jpeg& j = Jpegs()[static_cast<size_t>(n)];
            vf.Append_Compressed_RGB_Frame(0, 40 * n, 40, 80, static_cast<int32_t>(j.bytes.size()),
                                           j.bytes.data(), n);
        }
        vf.Close_File();
        return heat;
    }();
    return path;
}

void BM_Decode_VideoFile(benchmark::State& state) {
    cls_VideoFile_handler vf;
    vf.Open_File(Heat_With_Frames());
    int32_t n = 0;
    for (auto _ : state) {
        vf.Read_RGB_sample(n % kFrames + 1, true);
        benchmark::DoNotOptimize(vf.Sample_Pixels());
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Decode_TurboJPEG(benchmark::State& state) {
    Heat_With_Frames(); // the pictures are made before the clock runs
    tjhandle tj = tjInitDecompress();
    cDIBSection dib;
    dib.Create(kWidth, kHeight);
    int32_t n = 0;
    for (auto _ : state) {
        const Jpeg& j = Jpegs()[static_cast<size_t>(n % kFrames)];
        tjDecompress2(tj, j.bytes.data(), j.bytes.size(), dib.DIBSectionBitsPtr(), kWidth,
                      dib.BytesPerScanLine(), kHeight, TJPF_BGR, TJFLAG_BOTTOMUP);
        benchmark::DoNotOptimize(dib.DIBSectionBitsPtr());
        ++n;
    }
    tjDestroy(tj);
    state.SetItemsProcessed(state.iterations());
}

void BM_Append_VideoFile(benchmark::State& state) {
    const std::string heat = Work_Dir() + "/append.qf3";
    cls_VideoFile_handler vf;
    Start_Capture(vf, heat);
    std::vector<uint8_t> jpeg(1000000);
    int32_t n = 0;
    for (auto _ : state) {
        int32_t size = static_cast<int32_t>(jpeg.size());
        Save_JPG_To_Buffer(*Frames()[static_cast<size_t>(n % kFrames)], jpeg.data(), size, 80);
        vf.Append_Compressed_RGB_Frame(0, 40 * n, 40, 80, size, jpeg.data(), n);
        ++n;
    }
    vf.Close_File();
    std::filesystem::remove(heat);
    state.SetItemsProcessed(state.iterations());
}

void BM_Compress_TurboJPEG(benchmark::State& state) {
    Frames();
    tjhandle tj = tjInitCompress();
    std::vector<uint8_t> jpeg(tjBufSize(kWidth, kHeight, TJSAMP_420));
    int32_t n = 0;
    for (auto _ : state) {
        cDIBSection& dib = *Frames()[static_cast<size_t>(n % kFrames)];
        unsigned char* out = jpeg.data();
        unsigned long size = jpeg.size();
        tjCompress2(tj, dib.DIBSectionBitsPtr(), kWidth, dib.BytesPerScanLine(), kHeight, TJPF_BGR, &out,
                    &size, TJSAMP_420, 80, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
        benchmark::DoNotOptimize(out);
        ++n;
    }
    tjDestroy(tj);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Decode_TurboJPEG);
BENCHMARK(BM_Decode_VideoFile);
BENCHMARK(BM_Compress_TurboJPEG);
BENCHMARK(BM_Append_VideoFile);

} // namespace

int main(int argc, char** argv) {
    Bench_Load load(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Best_Time_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(Work_Dir());
    // Mean against mean: each side's time per item over all its runs.
    auto& b = reporter.mean;
    std::printf("\n(%s, mean against mean)\n", load.Label().c_str());
    if (b.count("BM_Decode_VideoFile") && b.count("BM_Decode_TurboJPEG")) {
        const double ratio = b["BM_Decode_VideoFile"] / b["BM_Decode_TurboJPEG"];
        std::printf("\nreplay decode %dx%d: %.2f x TurboJPEG's time (goal: at most 1.3) %s\n", kWidth,
                    kHeight, ratio, ratio <= 1.3 ? "met" : "MISSED");
    }
    if (b.count("BM_Append_VideoFile") && b.count("BM_Compress_TurboJPEG")) {
        const double rate = b["BM_Compress_TurboJPEG"] / b["BM_Append_VideoFile"];
        std::printf("capture append %dx%d q80: %.0f frames/s, %.2f of TurboJPEG's %.0f frames/s (goal: at "
                    "least 0.95) %s\n",
                    kWidth, kHeight, 1e9 / b["BM_Append_VideoFile"], rate, 1e9 / b["BM_Compress_TurboJPEG"],
                    rate >= 0.95 ? "met" : "MISSED");
    }
    return 0;
}
