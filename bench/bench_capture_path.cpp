// The per-frame road of a heat capture, from the camera's 1920 x 1080 frame
// to the record in the heat file: the capture object's frame event (time
// stamps, centre crop of 440 x 1080, JPEG under the size target, rotated
// copy) and the capture window's append, against TurboJPEG compressing the
// crop alone at quality 80. The goal is at least 0.8 of TurboJPEG's frame rate.
#include "Best_Time_Reporter.h"
#include "Capture_Rig.h"
#include "MediaType.h"
#include "MessageQueue.h"
#include "Module_HDMI_Support.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "cDIBSection.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kSrc_W = 1920, kSrc_H = 1080;
constexpr int32_t kCrop_W = 440, kCrop_H = 1080;
constexpr int32_t kFrames = 8;

const fs::path& Home() {
    static const fs::path home = [] {
        const fs::path h = fs::temp_directory_path() / ("bench_capture_path_" + std::to_string(::getpid()));
        fs::create_directories(h);
        return h;
    }();
    return home;
}

// Camera frames (bottom-up BGR) of a finish scene: a gradient with bands and
// a little sensor noise, so the JPEGs are the size a real picture gives.
const std::vector<std::vector<uint8_t>>& Camera_Frames() {
    static const std::vector<std::vector<uint8_t>> frames = [] {
        std::vector<std::vector<uint8_t>> f;
        std::mt19937 rng(11);
        const int64_t stride = dshow::Rgb24Stride(kSrc_W);
        for (int32_t n = 0; n < kFrames; ++n) {
            std::vector<uint8_t> frame(static_cast<size_t>(stride * kSrc_H));
            for (int32_t y = 0; y < kSrc_H; ++y)
                for (int32_t x = 0; x < kSrc_W; ++x) {
                    uint8_t* p = frame.data() + y * stride + x * 3;
                    const int band = ((y + n * 7) / 90) % 2 ? 60 : 0;
                    p[0] = static_cast<uint8_t>((x / 8 + band + rng() % 9) & 0xFF);
                    p[1] = static_cast<uint8_t>((y / 5 + 40 + rng() % 9) & 0xFF);
                    p[2] = static_cast<uint8_t>((x + y) / 12 + band + rng() % 9);
                }
            f.push_back(std::move(frame));
        }
        return f;
    }();
    return frames;
}

// The capture object with its source chosen and its crop set, as the capture
// window leaves it; the size target locked as at a heat start.
cls_Capture_HDMI& Capture() {
    static cls_Capture_HDMI* cap = [] {
        setenv("TIDEWICK_SYNTHETIC_DEVICES", capture_rig::kSynthetic_Camera, 1);
        if (!capture_rig::Register_Capture_Library((Home() / "registry.txt").string())) std::abort();
        g_Ini_File_Path = (Home() / "Tidewick_HDMI.ini").string();
        Write_Ini("capturesettings", "friendlyname", "Synthetic HDMI", g_Ini_File_Path);
        Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
        auto* c = new cls_Capture_HDMI();
        if (!c->Set_Source_from_Saved()) std::abort();
        c->Capture_Rotate_RGB(true);
        g_Rotated_Crop = true;
        c->set_HDMI_Crop(kCrop_W, kCrop_H);
        c->Do_CROP(true);
        // The camera's video header is there once its graph runs; the frames
        // themselves come from here, with the camera stopped again.
        c->Capture_Run();
        const auto& first = Camera_Frames().front();
        c->OnRGBEvent(nullptr, 0, first.data(), static_cast<int32_t>(first.size()), 0);
        c->Stop_Capture();
        // The library tears its graph down on this thread's queue: the
        // camera must not run beside the measurement.
        for (int i = 0; i < 50; ++i) {
            msgqueue::MessageQueue::ForCurrentThread().pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        for (const auto& f : Camera_Frames())
            c->OnRGBEvent(nullptr, 0, f.data(), static_cast<int32_t>(f.size()), 0);
        c->Lock_Max_Direct_Compressed_size();
        return c;
    }();
    return *cap;
}

void BM_Capture_Path(benchmark::State& state) {
    cls_Capture_HDMI& cap = Capture();
    g_Tidewick = true;
    cls_VideoFile_handler file;
    file.File_name((Home() / "heat.qf3").string());
    fs::remove(file.File_name());
    file.Create_File();
    file.Cropped_X(kCrop_W);
    file.Cropped_Y(kCrop_H);
    file.Create_QF3_header();
    file.Open_RGB_File();
    file.Set_JPG_Maxsize(cap.JPG_Compression_Threshold());
    file.Position_at_End();
    cap.JPG_Size_Cap(cap.JPG_Compression_Threshold());
    // The capture window's append, as its frame handler does it.
    cap.HDMIreceived = [&] {
        file.Append_Compressed_RGB_Frame(cap.last_Capture_local(), cap.last_Capture_mill(),
                                         cap.last_Capture_delta(), cap.Last_used_JPG_quality(),
                                         cap.Last_JPG_Compressed_Size(), cap.Last_JPG_addr(),
                                         cap.HDMI_events());
    };
    int32_t n = 0;
    for (auto _ : state) {
        const auto& f = Camera_Frames()[static_cast<size_t>(n++ % kFrames)];
        cap.OnRGBEvent(nullptr, 0, f.data(), static_cast<int32_t>(f.size()), 0);
    }
    cap.HDMIreceived = nullptr;
    file.Close_File();
    fs::remove((Home() / "heat.qf3"));
    state.SetItemsProcessed(state.iterations());
    state.counters["quality"] = cap.Last_used_JPG_quality();
}

void BM_Compress_Crop_TurboJPEG(benchmark::State& state) {
    cls_Capture_HDMI& cap = Capture();
    cap.HDMIreceived = nullptr;
    // The crops of the frames, made before the clock runs.
    std::vector<cDIBSection> crops(kFrames);
    for (int32_t n = 0; n < kFrames; ++n) {
        const auto& f = Camera_Frames()[static_cast<size_t>(n)];
        cap.OnRGBEvent(nullptr, 0, f.data(), static_cast<int32_t>(f.size()), 0);
        crops[static_cast<size_t>(n)].Create(kCrop_W, kCrop_H);
        std::memcpy(crops[static_cast<size_t>(n)].DIBSectionBitsPtr(), cap.Cropped_DIB().DIBSectionBitsPtr(),
                    static_cast<size_t>(cap.Cropped_DIB().SizeImage()));
    }
    tjhandle tj = tjInitCompress();
    std::vector<uint8_t> jpeg(tjBufSize(kCrop_W, kCrop_H, TJSAMP_420));
    int32_t n = 0;
    for (auto _ : state) {
        cDIBSection& dib = crops[static_cast<size_t>(n++ % kFrames)];
        unsigned char* out = jpeg.data();
        unsigned long size = jpeg.size();
        tjCompress2(tj, dib.DIBSectionBitsPtr(), kCrop_W, dib.BytesPerScanLine(), kCrop_H, TJPF_BGR, &out,
                    &size, TJSAMP_420, 80, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
        benchmark::DoNotOptimize(out);
    }
    tjDestroy(tj);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Compress_Crop_TurboJPEG);
BENCHMARK(BM_Capture_Path);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Best_Time_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto& b = reporter.best;
    if (b.count("BM_Capture_Path") && b.count("BM_Compress_Crop_TurboJPEG")) {
        const double ratio = b["BM_Compress_Crop_TurboJPEG"] / b["BM_Capture_Path"];
        std::printf("\ncapture path %dx%d from %dx%d: %.0f frames/s, %.2f of TurboJPEG's %.0f frames/s "
                    "compressing the crop alone (goal: at least 0.8) %s\n",
                    kCrop_W, kCrop_H, kSrc_W, kSrc_H, 1e9 / b["BM_Capture_Path"], ratio,
                    1e9 / b["BM_Compress_Crop_TurboJPEG"], ratio >= 0.8 ? "met" : "MISSED");
    }
    fs::remove_all(Home());
    return 0;
}
