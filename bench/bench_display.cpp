// The picture path of the replay and live windows: a 1920 x 1080 bottom-up
// 24-bit frame drawn into a picture box and shown, 1:1 and scaled to
// 1280 x 720, with a key-coloured overlay laid over it, and in direct-paint
// mode. Each is also given as a multiple of one memcpy of the frame
// ("x_memcpy"): at 50 frames a second a frame has 20 ms in all. The ratio is
// of process CPU time (all of Qt's threads counted), which a loaded machine
// disturbs less than the wall clock, the mean of the path against the mean of
// the memcpy, both measured alike. Goals: 3x for 1:1 with repaint, 5x
// scaled. --load N runs N busy threads beside it (their time is not the
// process's own work, so the ratios are taken of this thread's CPU time then).
#include "Bench_Load.h"
#include "Counter_Reporter.h"
#include "DrawDib.h"
#include "Form.h"
#include "Gdi.h"
#include "PictureBox.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

// With busy threads beside it the process's CPU time counts theirs too: then
// this thread's alone (the picture work of the offscreen platform is done here).
bool g_thread_time = false;

double cpu_ns() {
    timespec t{};
    clock_gettime(g_thread_time ? CLOCK_THREAD_CPUTIME_ID : CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

constexpr int32_t kW = 1920, kH = 1080;

struct Frame {
    gdi::BITMAPINFOHEADER info{};
    std::vector<uint8_t> bits;
    Frame() {
        info.biWidth = kW;
        info.biHeight = kH; // bottom-up
        info.biSizeImage = static_cast<uint32_t>(gdi::DibStride24(kW) * kH);
        bits.resize(info.biSizeImage);
        for (size_t i = 0; i < bits.size(); ++i)
            bits[i] = static_cast<uint8_t>(i * 7 + i / 5000);
    }
};

Frame& frame() {
    static Frame f;
    return f;
}

// Nanoseconds of one memcpy of the frame: the mean of many, on the clock the
// paths are measured on.
double memcpy_ns() {
    static double ns = [] {
        std::vector<uint8_t> to(frame().bits.size());
        constexpr int kCopies = 200;
        const double t0 = cpu_ns();
        for (int i = 0; i < kCopies; ++i) {
            std::memcpy(to.data(), frame().bits.data(), to.size());
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
        }
        return (cpu_ns() - t0) / kCopies;
    }();
    return ns;
}

class Frm_display : public forms::Form {
public:
    Frm_display() : Form("Frm_display") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override {
        ScaleMode(forms::vbPixels);
        Move(0, 0, (kW + 40) * 15, (kH + 80) * 15);
        Picture1.ScaleMode(forms::vbPixels);
    }
};

forms::PictureBox& box(int w, int h, bool direct) {
    Frm_display& f = forms::Instance<Frm_display>();
    if (!f.Visible()) {
        f.Show();
        // Exposed before the first repaint, or repaints do nothing.
        QApplication::processEvents();
    }
    f.Picture1.Move(0, 0, w, h);
    f.Picture1.DirectPaint(direct);
    return f.Picture1;
}

// A key-coloured overlay of the frame's size with a few marks on it.
struct Overlay {
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::HBITMAP bmp;
    Overlay() {
        gdi::BITMAPINFO bi{};
        bi.bmiHeader.biWidth = kW;
        bi.bmiHeader.biHeight = kH;
        void* bits = nullptr;
        bmp = gdi::CreateDIBSection(nullptr, &bi, gdi::DIB_RGB_COLORS, &bits);
        gdi::SelectObject(dc, bmp);
        gdi::HBRUSH key = gdi::CreateSolidBrush(gdi::RGB(255, 0, 255));
        gdi::HGDIOBJ old = gdi::SelectObject(dc, key);
        gdi::Rectangle(dc, -1, -1, kW + 1, kH + 1);
        gdi::SelectObject(dc, old);
        gdi::DeleteObject(key);
        for (int x = 100; x < kW; x += 200) {
            gdi::MoveToEx(dc, x, 0, nullptr);
            gdi::LineTo(dc, x, kH);
        }
        gdi::TextOut(dc, 40, 40, "Lane 1   00:01:02.345");
    }
};

template <class Step> void run(benchmark::State& state, Step step) {
    memcpy_ns(); // measured before, never inside, the first path
    double total = 0;
    for (auto _ : state) {
        const double t0 = cpu_ns();
        step();
        total += cpu_ns() - t0;
    }
    state.counters["x_memcpy"] = total / static_cast<double>(state.iterations()) / memcpy_ns();
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> to(frame().bits.size());
    run(state, [&] {
        std::memcpy(to.data(), frame().bits.data(), to.size());
        benchmark::DoNotOptimize(to.data());
    });
}

// Draw, then the synchronous repaint the window makes of it.
void draw_and_show(benchmark::State& state, int w, int h, bool direct, Overlay* overlay) {
    static gdi::HDRAWDIB dd = gdi::DrawDibOpen();
    forms::PictureBox& b = box(w, h, direct);
    gdi::HDC dc = b.hDC();
    const Frame& f = frame();
    run(state, [&] {
        gdi::DrawDibDraw(dd, dc, 0, 0, w, h, &f.info, f.bits.data(), 0, 0, kW, kH, 0);
        if (overlay) gdi::TransparentBlt(dc, 0, 0, w, h, overlay->dc, 0, 0, kW, kH, gdi::RGB(255, 0, 255));
        if (!direct) b.Refresh();
    });
}

void BM_OneToOne_Repaint(benchmark::State& state) {
    draw_and_show(state, kW, kH, false, nullptr);
}
void BM_Scaled1280x720_Repaint(benchmark::State& state) {
    draw_and_show(state, 1280, 720, false, nullptr);
}
void BM_OneToOne_TransparentOverlay_Repaint(benchmark::State& state) {
    static Overlay overlay;
    draw_and_show(state, kW, kH, false, &overlay);
}
// The two halves of the first: the draw into the backing image, the repaint.
void BM_OneToOne_DrawOnly(benchmark::State& state) {
    static gdi::HDRAWDIB dd = gdi::DrawDibOpen();
    gdi::HDC dc = box(kW, kH, false).hDC();
    const Frame& f = frame();
    run(state, [&] { gdi::DrawDibDraw(dd, dc, 0, 0, kW, kH, &f.info, f.bits.data(), 0, 0, kW, kH, 0); });
}
void BM_OneToOne_RepaintOnly(benchmark::State& state) {
    forms::PictureBox& b = box(kW, kH, false);
    run(state, [&] { b.Refresh(); });
}

void BM_Direct_OneToOne(benchmark::State& state) {
    draw_and_show(state, kW, kH, true, nullptr);
}
void BM_Direct_Scaled1280x720(benchmark::State& state) {
    draw_and_show(state, 1280, 720, true, nullptr);
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneToOne_Repaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scaled1280x720_Repaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneToOne_TransparentOverlay_Repaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneToOne_DrawOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneToOne_RepaintOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct_OneToOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct_Scaled1280x720)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    Bench_Load load(argc, argv);
    g_thread_time = load.Threads() > 0;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Counter_Reporter reporter("x_memcpy");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n%-42s %8s %6s   (%s, mean against mean)\n", "1920x1080 into a picture box", "x memcpy",
                "goal", load.Label().c_str());
    for (const auto& [name, ratios] : reporter.values) {
        double ratio = 0;
        for (double r : ratios)
            ratio += r / static_cast<double>(ratios.size());
        const double goal = name.find("Scaled") != std::string::npos    ? 5.0
                            : name.find("Overlay") != std::string::npos ? 0.0
                            : name.find("Only") != std::string::npos    ? 0.0
                            : name.find("Memcpy") != std::string::npos  ? 0.0
                                                                        : 3.0;
        if (goal > 0)
            std::printf("%-42s %8.2f %5.0fx %s\n", name.c_str(), ratio, goal,
                        ratio <= goal ? "ok" : "MISSED");
        else
            std::printf("%-42s %8.2f %6s\n", name.c_str(), ratio, "-");
    }
    return 0;
}
