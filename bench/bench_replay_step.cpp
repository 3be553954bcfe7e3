// One replay step of a 440 x 1080 heat as the operator's slider makes it:
// the sample record read, decoded when the frame changes, the field
// line-doubled, rotated when the file says so, drawn into the picture, the
// overlay of lane marks and goal line keyed over it and the picture
// repainted. Each result carries its ratio to TurboJPEG decoding the same
// frame alone ("x_decode"), the figure the step is judged by: both are mean
// times per step or decode, and the step with the overlay keyed over is held
// to 1.4x, upright and rotated. --load N runs N busy threads beside it; then
// both sides are timed in this thread's processor time, since on the wall
// clock each side is charged whatever share of the processors the busy
// threads happened to take while it ran (the picture work of the offscreen
// platform is all done on this thread).
#include "Bench_Load.h"
#include "Cls_XML_header.h"
#include "Counter_Reporter.h"
#include "Form.h"
#include "Lane_Collection.h"
#include "Make_Heat.h"
#include "Module_lane_overlay.h"
#include "Module_qfn_Globals.h"
#include "PictureBox.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool g_thread_time = false;

// Seconds on the clock both sides are measured on.
double now_s() {
    if (!g_thread_time)
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr int32_t kWidth = 440;
constexpr int32_t kHeight = 1080;
constexpr int32_t kFrames = 16;

std::string Dir() {
    return std::filesystem::temp_directory_path().string() + "/bench_replay_step_" +
           std::to_string(::getpid());
}

std::string Heat(bool rotated) {
    std::filesystem::create_directories(Dir());
    const std::string path = Dir() + (rotated ? "/rotated.qf3" : "/upright.qf3");
    if (std::filesystem::exists(path)) return path;
    make_heat::Heat_Recipe recipe;
    recipe.path = path;
    recipe.width = kWidth;
    recipe.height = kHeight;
    std::string error;
    if (!make_heat::Make_Heat(recipe, kFrames, &error)) std::abort();
    cls_VideoFile_handler vf;
    vf.Open_File(path);
    vf.Header().RGB_Rotated(rotated);
    vf.Write_XML_Header();
    vf.Close_File();
    return path;
}

// TurboJPEG decoding one frame of the heat alone. It is timed between the
// steps, one decode after each, so that both sides of the ratio run under
// the same conditions: a figure taken once before the steps met another
// share of the cache and the processors than the steps did, most of all
// with busy threads beside it.
class Lone_Decode {
public:
    Lone_Decode() : m_tj(tjInitDecompress()) {
        cDIBSection dib;
        dib.Create(kWidth, kHeight);
        make_heat::Fill_Synthetic_Frame(dib, 1, false);
        m_jpeg.resize(4000000);
        int32_t size = static_cast<int32_t>(m_jpeg.size());
        Save_JPG_To_Buffer(dib, m_jpeg.data(), size, 80);
        m_jpeg.resize(static_cast<size_t>(size));
        m_out.resize(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int i = 0; i < 20; ++i) // warm caches
            Seconds();
    }
    ~Lone_Decode() { tjDestroy(m_tj); }
    Lone_Decode(const Lone_Decode&) = delete;
    Lone_Decode& operator=(const Lone_Decode&) = delete;

    double Seconds() {
        const double t0 = now_s();
        tjDecompress2(m_tj, m_jpeg.data(), static_cast<unsigned long>(m_jpeg.size()), m_out.data(), kWidth, 0,
                      kHeight, TJPF_BGR, TJFLAG_BOTTOMUP);
        return now_s() - t0;
    }

private:
    tjhandle m_tj;
    std::vector<uint8_t> m_jpeg, m_out;
};

class Frm_step_bench : public forms::Form {
public:
    Frm_step_bench() : Form("Frm_step_bench") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 30000, 30000); }
};

// The overlay as the replay window keeps it: sixteen marks, eight shown,
// and a goal line across the picture.
void Prepare_Overlay(int32_t width, int32_t height) {
    g_Overlay_Key_Colour = gdi::RGB(128, 128, 128);
    g_Show_Lanes = g_Show_Goalline = true;
    g_Program_Mode = 10;
    g_Num_Lanes_Shown = 8;
    Lane_Collection().Clear();
    for (int16_t i = 0; i < 16; ++i) {
        auto lane = std::make_shared<Cls_lane>();
        lane->Lane_number(i);
        lane->Lane_pos_X(30);
        lane->Lane_pos_Y(40 + 60 * i);
        Lane_Collection().Add(lane);
    }
    const int32_t goal[4] = {width / 2, 0, width / 2, height - 1};
    std::copy_n(goal, 4, g_Goal_Line_Points);
    Overlay_DIB().Create(width, height);
    Clear_Graphics();
    Draw_Goal_line();
    Draw_lanes(false);
}

// Fields 1, 2, 3, ...: every field line-doubled, every second one decoded.
// With rebuild, the overlay is drawn anew each step (a play loop with the
// options changing); otherwise only keyed over, as the slider does.
void BM_Replay_Step(benchmark::State& state) {
    const bool rotated = state.range(0) != 0;
    const bool rebuild = state.range(1) != 0;
    cls_VideoFile_handler vf;
    vf.Open_File(Heat(rotated));
    auto& form = forms::Instance<Frm_step_bench>();
    const int32_t w = rotated ? kHeight : kWidth, h = rotated ? kWidth : kHeight;
    form.Picture1.Move(0, 0, w * 15.0, h * 15.0);
    form.Show();
    QApplication::processEvents();
    Prepare_Overlay(w, h);
    forms::PictureBox& box = form.Picture1;
    static Lone_Decode decode;
    int32_t n = 0;
    double steps = 0, decodes = 0;
    for (auto _ : state) {
        const double t0 = now_s();
        int32_t field = n++ % (2 * kFrames) + 1;
        vf.Draw_RGB_Field(field, box);
        if (rebuild) {
            Clear_Graphics();
            Draw_Goal_line();
            Draw_lanes(false);
        }
        cDIBSection& overlay = Overlay_DIB();
        gdi::TransparentBlt(box.hDC(), 0, 0, w, h, overlay.hDC(), 0, 0, overlay.Width(), overlay.Height(),
                            g_Overlay_Key_Colour);
        box.Refresh();
        QApplication::processEvents(); // the repaint
        steps += now_s() - t0;
        state.PauseTiming();
        decodes += decode.Seconds();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["x_decode"] = decodes > 0 ? steps / decodes : 0;
}

} // namespace

BENCHMARK(BM_Replay_Step)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"rotated", "rebuild"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    Bench_Load load(argc, argv);
    g_thread_time = load.Threads() > 0;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Counter_Reporter reporter("x_decode");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n%-44s %9s %6s   (%s, mean against mean)\n", "replay step 440x1080", "x decode", "goal",
                load.Label().c_str());
    for (const auto& [name, ratios] : reporter.values) {
        const double worst = *std::max_element(ratios.begin(), ratios.end());
        if (name.find("rebuild:0") != std::string::npos)
            std::printf("%-44s %9.2f %5.1fx %s\n", name.c_str(), worst, 1.4, worst <= 1.4 ? "ok" : "MISSED");
        else
            std::printf("%-44s %9.2f %6s\n", name.c_str(), worst, "-");
    }
    std::error_code ec;
    std::filesystem::remove_all(Dir(), ec);
    return 0;
}
