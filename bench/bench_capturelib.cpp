// How many frames a second the capture library delivers from a synthetic
// 1920x1080 camera to a sink that only reads the buffer, against the
// camera's own rate with nothing behind the grabber; and what one frame
// costs the library: the bottom-up copy on the streaming thread and the
// hand-over to the creating thread. The creating thread sleeps until its
// queue wakes it, as a window thread's event loop does. Goals: it keeps up
// with 60 frames a second; the hand-over lag's 99th percentile is at most
// 1 ms (3 ms with --load).
//
// Run: bench_capturelib [--load N] (from the build's bin folder, beside OrvelCap5.so).
#include "Bench_Load.h"
#include "ComCreate.h"
#include "FilterGraph.h"
#include "Filters.h"
#include "IVideoCap.h"
#include "MessageQueue.h"
#include "Registry.h"
#include "SampleGrabber.h"
#include "SystemDeviceEnum.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <poll.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// Ten seconds at 60 Hz are 600 frames, so the 99th percentile is the sixth
// latest frame and not, as in a shorter run, the second: one late wake-up of
// an idle processor in the run no longer decides it.
constexpr double kSeconds = 10.0;
double g_lag_p99_ms = -1;

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    const auto dir = std::filesystem::temp_directory_path() / ("tidewick-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    registry::SetRegistryFilePath((dir / "registry.txt").string());
    setenv("TIDEWICK_SYNTHETIC_DEVICES", "only;video|Bench Cam|1080p60|/synthetic/bench||RGB24 1920x1080@60",
           1);
    const std::string lib =
        std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
    void* h = ::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h) {
        if (auto reg = reinterpret_cast<com::HRESULT (*)()>(::dlsym(h, "DllRegisterServer"))) reg();
        ::dlclose(h);
    }
}

// The camera's own rate: a grabber that only counts, straight on the layer.
struct Counter : dshow::ISampleGrabberCB {
    std::atomic<int> frames{0};
    com::HRESULT SampleCB(double, const dshow::MediaSample&) override { return com::S_OK; }
    com::HRESULT BufferCB(double, const dshow::MediaSample&) override {
        ++frames;
        return com::S_OK;
    }
};

void BM_SourceOwnRate(benchmark::State& state) {
    setUp();
    for (auto _ : state) {
        std::shared_ptr<dshow::SystemDeviceEnum> e;
        dshow::CreateSystemDeviceEnum(e);
        std::vector<std::shared_ptr<dshow::Moniker>> devices;
        e->CreateClassEnumerator(dshow::CLSID_VideoInputDeviceCategory, devices);
        std::shared_ptr<dshow::BaseFilter> cam, grab, null;
        devices.at(0)->BindToObject(cam);
        dshow::CoCreateFilter(dshow::CLSID_SampleGrabber, grab);
        dshow::CoCreateFilter(dshow::CLSID_NullRenderer, null);
        auto& grabber = static_cast<dshow::SampleGrabber&>(*grab);
        dshow::AM_MEDIA_TYPE mt;
        mt.majortype = dshow::MEDIATYPE_Video;
        mt.subtype = dshow::MEDIASUBTYPE_RGB24;
        grabber.SetMediaType(&mt);
        dshow::FilterGraph graph;
        graph.AddFilter(cam, "Capturing Device");
        graph.AddFilter(grab, "Grabber RGB");
        graph.AddFilter(null, "NullRenderer");
        graph.Connect(cam->EnumPins()[0], grab->EnumPins()[0]);
        graph.Connect(grab->EnumPins()[1], null->EnumPins()[0]);
        Counter counter;
        grabber.SetCallback(&counter, 1);
        graph.Run();
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // past the start
        const int start = counter.frames;
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
        const double secs = std::chrono::duration<double>(Clock::now() - t0).count();
        state.counters["fps"] = (counter.frames - start) / secs;
        graph.Stop();
    }
}
BENCHMARK(BM_SourceOwnRate)->Iterations(1)->Unit(benchmark::kSecond);

// The library end to end, with the sink on this thread pumping its queue.
class ReadingSink final : public IVideoCapEvent {
public:
    com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override {
        *ppv = riid == com::IUnknown::kIID || riid == IVideoCapEvent::kIID ? this : nullptr;
        return *ppv ? com::S_OK : com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 2; }
    com::ULONG Release() override { return 1; }
    com::HRESULT OnDVEvent(IVideoCap*, double, const uint8_t*, int32_t, int32_t) override {
        return com::S_OK;
    }
    com::HRESULT OnAudioEvent(IVideoCap*, double, const uint8_t*, int32_t, int32_t) override {
        return com::S_OK;
    }
    com::HRESULT OnRGBEvent(IVideoCap*, double t, const uint8_t* b, int32_t n, int32_t) override {
        uint64_t sum = 0;
        for (int32_t i = 0; i < n; i += 64)
            sum += b[i]; // touches every cache line
        benchmark::DoNotOptimize(sum);
        arrivals.emplace_back(Clock::now(), t);
        return com::S_OK;
    }
    std::vector<std::pair<Clock::time_point, double>> arrivals;
};

void BM_LibraryDeliveredRate(benchmark::State& state) {
    setUp();
    for (auto _ : state) {
        com::ComPtr<IVideoCap> cap;
        if (com::FAILED(com::CreateInstance(CLSID_VideoCap5, cap))) {
            state.SkipWithError("OrvelCap5 not registered");
            return;
        }
        int32_t found = 0;
        cap->SetSource(com::Bstr("video:1").get(), &found);
        ReadingSink sink;
        com::DWORD cookie;
        cap->Advise(&sink, &cookie);
        cap->Run();
        auto& queue = msgqueue::MessageQueue::ForCurrentThread();
        const auto warm = Clock::now() + std::chrono::milliseconds(300);
        while (Clock::now() < warm)
            queue.pump();
        sink.arrivals.clear();
        const auto t0 = Clock::now();
        const auto end = t0 + std::chrono::duration<double>(kSeconds);
        // Asleep until a message wakes the thread: the hand-over's own lag,
        // not a polling period's.
        pollfd wake{queue.wakeFd(), POLLIN, 0};
        while (Clock::now() < end) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (::poll(&wake, 1, static_cast<int>(std::max<int64_t>(left, 1))) > 0) queue.pump();
        }
        const double secs = std::chrono::duration<double>(Clock::now() - t0).count();
        cap->Stop();
        queue.pump();
        cap->Unadvise(cookie);
        state.counters["fps"] = sink.arrivals.size() / secs;
        // Arrival time less sample time, above the quickest frame: what the
        // hand-over adds beyond the best case (ms).
        std::vector<double> lag;
        for (const auto& [at, t] : sink.arrivals)
            lag.push_back(std::chrono::duration<double>(at.time_since_epoch()).count() - t);
        if (!lag.empty()) {
            const double best = *std::min_element(lag.begin(), lag.end());
            std::sort(lag.begin(), lag.end());
            state.counters["lag_median_ms"] = (lag[lag.size() / 2] - best) * 1000;
            state.counters["lag_p99_ms"] = (lag[lag.size() * 99 / 100] - best) * 1000;
            g_lag_p99_ms = std::max(g_lag_p99_ms, (lag[lag.size() * 99 / 100] - best) * 1000);
        }
    }
}
BENCHMARK(BM_LibraryDeliveredRate)->Iterations(1)->Unit(benchmark::kSecond);

// The one copy the grabber makes of a 1080p frame: rows flipped to bottom-up.
void BM_FlipCopy1080p(benchmark::State& state) {
    const size_t stride = 1920 * 3, rows = 1080;
    std::vector<uint8_t> src(stride * rows, 7), dst(stride * rows);
    const dshow::MediaSample sample(src.data(), stride, stride, stride, rows);
    for (auto _ : state) {
        sample.CopyTo(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}
BENCHMARK(BM_FlipCopy1080p)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    Bench_Load load(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_lag_p99_ms >= 0) {
        const double goal = load.Threads() > 0 ? 3.0 : 1.0;
        std::printf("hand-over lag, 99th percentile (%s): %.3f ms, goal <= %.0f ms: %.2fx the goal, %s\n",
                    load.Label().c_str(), g_lag_p99_ms, goal, g_lag_p99_ms / goal,
                    g_lag_p99_ms <= goal ? "met" : "NOT met");
    }
    return 0;
}
