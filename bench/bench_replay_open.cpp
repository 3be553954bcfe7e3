// Opening a heat in the replay window, as the operator's "Open File" does:
// closing what was open, reading the header, the lanes and results, ranking
// and showing field 1. A long heat (90,000 frames, an hour at 25 fps) should
// open about as fast as a short one: nothing on the road may walk the frames.
#include "Frm_kanot_2.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "QtServices.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string Folder() {
    return std::filesystem::temp_directory_path().string() + "/bench_replay_open_" +
           std::to_string(::getpid());
}

// Small frames keep the long heat's file near 100 MB.
std::string Heat(int32_t frames) {
    const std::string path = Folder() + "/Heat" + std::to_string(frames) + "_a.qf3";
    if (std::filesystem::exists(path)) return path;
    make_heat::Heat_Recipe recipe;
    recipe.path = path;
    recipe.width = 8;
    recipe.height = 8;
    recipe.slot_size = 1000;
    std::string error;
    if (!make_heat::Make_Heat(recipe, frames, &error)) std::abort();
    return path;
}

void BM_Open_Heat(benchmark::State& state) {
    const std::string path = Heat(static_cast<int32_t>(state.range(0)));
    auto& w = Frm_kanot_2();
    for (auto _ : state) {
        std::string name = path;
        w.Handle_Open_File(name);
        if (!Replay_File_Open()) state.SkipWithError("the heat did not open");
    }
    state.counters["fields"] = w.Slider_play.Max();
}
BENCHMARK(BM_Open_Heat)->Arg(100)->Arg(90000)->Unit(benchmark::kMillisecond);

// The video file object alone on a heat of full-size frames: made anew for
// every open (as the start-up and the capture window make theirs), and one
// object reused for every open (as the replay window keeps its own).
std::string Full_Size_Heat() {
    const std::string path = Folder() + "/Heat_full_a.qf3";
    if (std::filesystem::exists(path)) return path;
    make_heat::Heat_Recipe recipe;
    recipe.path = path;
    recipe.width = 720;
    recipe.height = 576;
    std::string error;
    if (!make_heat::Make_Heat(recipe, 10, &error)) std::abort();
    return path;
}

void BM_New_Object_Open(benchmark::State& state) {
    const std::string path = Full_Size_Heat();
    for (auto _ : state) {
        cls_VideoFile_handler vf;
        if (!vf.Open_File(path)) state.SkipWithError("the heat did not open");
        vf.Close_File();
    }
}
BENCHMARK(BM_New_Object_Open)->Unit(benchmark::kMicrosecond);

void BM_Same_Object_Open(benchmark::State& state) {
    const std::string path = Full_Size_Heat();
    cls_VideoFile_handler vf;
    for (auto _ : state) {
        if (!vf.Open_File(path)) state.SkipWithError("the heat did not open");
        vf.Close_File();
    }
}
BENCHMARK(BM_Same_Object_Open)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    forms::Install_Event_Pump();
    std::filesystem::create_directories(Folder());
    Tidewick_Initialization();
    // The window's settings in a folder of its own, so no question is asked.
    g_AppData_Folder = Folder();
    g_Ini_File_Path = Folder() + "/Tidewick_HDMI.ini";
    std::ofstream(g_Ini_File_Path).close();
    Frm_kanot_2().Show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Frm_kanot_2().Unload();
    Release_Replay_Video_File();
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return 0;
}
