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
    make_heat::Heat_Recipe recipe;
    recipe.path = argv[1];
    const int frames = std::atoi(argv[2]);
    int positional = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--slot" && i + 1 < argc)
            recipe.slot_size = std::atoi(argv[++i]);
        else if (a == "--quality" && i + 1 < argc)
            recipe.quality = static_cast<int16_t>(std::atoi(argv[++i]));
        else if (a == "--grey")
            recipe.grey = true;
        else if (positional == 0 && ++positional)
            recipe.width = std::atoi(a.c_str());
        else if (positional == 1 && ++positional)
            recipe.height = std::atoi(a.c_str());
    }
    std::string error;
    if (!make_heat::Make_Heat(recipe, frames, &error)) {
        std::fprintf(stderr, "make_heat: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d frames of %dx%d\n", recipe.path.c_str(), frames, recipe.width, recipe.height);
    return 0;
}
