#include "Module_OrvelGraphics.h"

#include "VbError.h"
#include "WinSystem.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>

namespace {

// The library name without its platform dressing, as error texts give it.
constexpr const char* kModuleName = "OrvelGraphics";

enum Routine : std::size_t {
    rABlend,
    rLBlend,
    rFlipImageRGB24,
    rRotate90,
    rDeinterlaceFrame,
    rDeinterlaceFrame2,
    rLinedouble,
    rCPU_Speed,
    rGetCycleCount,
    rBlendVersion,
    kRoutines
};

constexpr std::array<const char*, kRoutines> kNames = {
    "ABlend",     "LBlend",    "FlipImageRGB24", "Rotate90",    "deinterlaceFrame", "deinterlaceFrame2",
    "linedouble", "CPU_Speed", "GetCycleCount",  "BlendVersion"};

// Bound routines are read without the lock on every call after the first;
// loading and binding take it.
std::mutex g_mutex;
void* g_handle = nullptr;
std::string g_library_name;
std::array<std::atomic<void*>, kRoutines> g_bound{};

// The program's own folder first, so the library built beside it wins over
// one installed elsewhere; then the system's search.
void* open_library(const std::string& name) {
    if (name.find('/') != std::string::npos) return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    const std::string folder = std::filesystem::path(win::ProgramPath()).parent_path().string();
    if (!folder.empty()) {
        if (void* h = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* bind(Routine r) {
    if (void* fn = g_bound[r].load(std::memory_order_acquire)) return fn;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (void* fn = g_bound[r].load(std::memory_order_relaxed)) return fn;
    const std::string& name =
        g_library_name.empty() ? orvel_graphics::Default_Library_Name() : g_library_name;
    if (g_handle == nullptr) {
        g_handle = open_library(name);
        if (g_handle == nullptr) vb::Raise(vb::errFileNotFound, "File not found: " + name);
    }
    void* fn = dlsym(g_handle, kNames[r]);
    if (fn == nullptr)
        vb::Raise(453, std::string("Can't find DLL entry point ") + kNames[r] + " in " + kModuleName);
    g_bound[r].store(fn, std::memory_order_release);
    return fn;
}

template <typename Fn> Fn routine(Routine r) {
    return reinterpret_cast<Fn>(bind(r));
}

} // namespace

int16_t ABlend(uint8_t* first, uint8_t* destination, uint8_t* second, int32_t width, int32_t height,
               int32_t weight) {
    using Fn = int16_t (*)(uint8_t*, uint8_t*, uint8_t*, int32_t, int32_t, int32_t);
    return routine<Fn>(rABlend)(first, destination, second, width, height, weight);
}

int16_t LBlend(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t mode) {
    using Fn = int16_t (*)(uint8_t*, uint8_t*, int32_t, int32_t, int32_t);
    return routine<Fn>(rLBlend)(source, destination, width, height, mode);
}

int16_t FlipImageRGB24(uint8_t* frame, int32_t width, int32_t height) {
    using Fn = int16_t (*)(uint8_t*, int32_t, int32_t);
    return routine<Fn>(rFlipImageRGB24)(frame, width, height);
}

int16_t Rotate90(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t transpose) {
    using Fn = int16_t (*)(uint8_t*, uint8_t*, int32_t, int32_t, int32_t);
    return routine<Fn>(rRotate90)(source, destination, width, height, transpose);
}

int16_t deinterlaceFrame(uint8_t* frame, void* unused, int32_t width, int32_t pairs, int32_t field) {
    using Fn = int16_t (*)(uint8_t*, void*, int32_t, int32_t, int32_t);
    return routine<Fn>(rDeinterlaceFrame)(frame, unused, width, pairs, field);
}

int16_t deinterlaceFrame2(uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                          int32_t field) {
    using Fn = int16_t (*)(uint8_t*, uint8_t*, int32_t, int32_t, int32_t);
    return routine<Fn>(rDeinterlaceFrame2)(source, destination, width, height, field);
}

int16_t linedouble(uint8_t* frame, int32_t width, int32_t height) {
    using Fn = int16_t (*)(uint8_t*, int32_t, int32_t);
    return routine<Fn>(rLinedouble)(frame, width, height);
}

float CPU_Speed() {
    return routine<float (*)()>(rCPU_Speed)();
}

uint64_t GetCycleCount() {
    return routine<uint64_t (*)()>(rGetCycleCount)();
}

char* BlendVersion() {
    return routine<char* (*)()>(rBlendVersion)();
}

std::string BlendVersion_Text() {
    char* block = BlendVersion();
    if (block == nullptr) return {};
    std::string text(block, strnlen(block, 64));
    // Both sides share one C heap here, so the block need not be left behind.
    std::free(block);
    return text;
}

namespace orvel_graphics {

const std::string& Default_Library_Name() {
    static const std::string name = "libOrvelGraphics.so";
    return name;
}

void Set_Library_Name(const std::string& name) {
    Unload_Library();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_library_name = name;
}

void Unload_Library() {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto& fn : g_bound)
        fn.store(nullptr, std::memory_order_release);
    if (g_handle != nullptr) dlclose(g_handle);
    g_handle = nullptr;
}

} // namespace orvel_graphics
