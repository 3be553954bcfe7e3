// The replay window's picture path for a 440 x 1080 heat file, per field and
// per frame: the sample read and decoded, the field line-doubled, the picture
// rotated when the file says so, and painted over the picture control; each
// stage also alone. A 50 Hz field replay leaves 20 ms for the whole path.
#include "Cls_XML_header.h"
#include "Form.h"
#include "Make_Heat.h"
#include "Module_OrvelGraphics.h"
#include "PictureBox.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int32_t kWidth = 440;
constexpr int32_t kHeight = 1080;
constexpr int32_t kFrames = 16;

std::string Heat(bool rotated) {
    const std::string dir =
        std::filesystem::temp_directory_path().string() + "/bench_display_" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string path = dir + (rotated ? "/rotated.qf3" : "/upright.qf3");
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

class Frm_bench : public forms::Form {
public:
    Frm_bench() : Form("Frm_bench") {}
    forms::PictureBox Picture1{this, "Picture1"};

protected:
    void Design() override { Move(0, 0, 30000, 30000); }
};

forms::PictureBox& Box(bool rotated) {
    Frm_bench& f = forms::Instance<Frm_bench>();
    const int32_t w = rotated ? kHeight : kWidth, h = rotated ? kWidth : kHeight;
    f.Picture1.Move(0, 0, w * 15.0, h * 15.0);
    return f.Picture1;
}

// One draw per iteration, n counting from 0, on a control of the shown size.
template <class Draw> void Draw_Path(benchmark::State& state, Draw draw) {
    const bool rotated = state.range(0) != 0;
    cls_VideoFile_handler vf;
    vf.Open_File(Heat(rotated));
    forms::PictureBox& box = Box(rotated);
    int32_t n = 0;
    for (auto _ : state)
        draw(vf, box, n++);
    state.SetItemsProcessed(state.iterations());
}

// Fields 1, 2, 3, ...: every field a new line doubling, every second one a new decode.
void BM_Field_Path(benchmark::State& state) {
    Draw_Path(state, [](cls_VideoFile_handler& vf, forms::PictureBox& box, int32_t n) {
        int32_t field = n % (2 * kFrames) + 1;
        vf.Draw_RGB_Field(field, box);
    });
}

// The play loop: whole frames, each decoded.
void BM_Frame_Path(benchmark::State& state) {
    Draw_Path(state, [](cls_VideoFile_handler& vf, forms::PictureBox& box, int32_t n) {
        int16_t frame = static_cast<int16_t>(n % kFrames + 1);
        vf.Draw_RGB_frame(frame, box);
    });
}

void BM_Decode(benchmark::State& state) {
    cls_VideoFile_handler vf;
    vf.Open_File(Heat(false));
    int32_t n = 0;
    for (auto _ : state) {
        vf.Read_RGB_sample(n % kFrames + 1, true);
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Line_Double(benchmark::State& state) {
    cDIBSection source, target;
    source.Create(kWidth, kHeight);
    target.Create(kWidth, kHeight);
    make_heat::Fill_Synthetic_Frame(source, 1, false);
    int32_t field = 1;
    for (auto _ : state) {
        deinterlaceFrame2(source.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), kWidth, kHeight, field);
        field = 3 - field;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * target.SizeImage());
}

void BM_Rotate(benchmark::State& state) {
    cDIBSection source, target;
    source.Create(kWidth, kHeight);
    target.Create(kHeight, kWidth);
    make_heat::Fill_Synthetic_Frame(source, 1, false);
    for (auto _ : state) {
        Rotate90(source.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), kWidth, kHeight, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * target.SizeImage());
}

// The object's own single-step timers on its 720 x 576 DV test frame.
void BM_Benchmark_Decomp_Once(benchmark::State& state) {
    cls_VideoFile_handler vf;
    vf.Benchmark_Decomp_Once(); // the first call prepares the frame and the bitmaps
    for (auto _ : state)
        vf.Benchmark_Decomp_Once();
}

void BM_Benchmark_Deint_Once(benchmark::State& state) {
    cls_VideoFile_handler vf;
    for (auto _ : state)
        vf.Benchmark_Deint_Once();
}

void BM_Benchmark_Rotate_Once(benchmark::State& state) {
    cls_VideoFile_handler vf;
    for (auto _ : state)
        vf.Benchmark_Rotate_Once();
}

} // namespace

BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Line_Double)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rotate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Field_Path)->Arg(0)->Arg(1)->ArgName("rotated")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame_Path)->Arg(0)->Arg(1)->ArgName("rotated")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Benchmark_Decomp_Once)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Benchmark_Deint_Once)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Benchmark_Rotate_Once)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // The picture control is a window: headless, as in the tests.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(
        std::filesystem::temp_directory_path().string() + "/bench_display_" + std::to_string(::getpid()), ec);
    return 0;
}
