// make_heat <file.qf3> <frames> [width height] [--slot bytes] [--quality q] [--grey]
// Writes a heat file of synthetic frames with the program's own writer.
#include "Make_Heat.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: make_heat <file.qf3> <frames> [width height] [--slot bytes] [--quality q] [--grey]\n");
        return 2;
    }
    make_heat::Heat_Spec spec;
    spec.path = argv[1];
    const int frames = std::atoi(argv[2]);
    int positional = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--slot" && i + 1 < argc)
            spec.slot_size = std::atoi(argv[++i]);
        else if (a == "--quality" && i + 1 < argc)
            spec.quality = static_cast<int16_t>(std::atoi(argv[++i]));
        else if (a == "--grey")
            spec.grey = true;
        else if (positional == 0 && ++positional)
            spec.width = std::atoi(a.c_str());
        else if (positional == 1 && ++positional)
            spec.height = std::atoi(a.c_str());
    }
    std::string error;
    if (!make_heat::Make_Heat(spec, frames, &error)) {
        std::fprintf(stderr, "make_heat: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d frames of %dx%d\n", spec.path.c_str(), frames, spec.width, spec.height);
    return 0;
}
