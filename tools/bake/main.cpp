// heliotropic-bake OUTDIR: writes every image, scene and the music of the show under OUTDIR.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bake.h"

int main(int argc, char** argv) {
    std::string folder;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quiet") == 0) quiet = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) folder.clear(), argc = 0;
        else if (folder.empty()) folder = argv[i];
        else {
            std::fprintf(stderr, "heliotropic-bake: unexpected argument \"%s\"\n", argv[i]);
            return 2;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: heliotropic-bake [--quiet] OUTDIR\n"
                             "Writes OUTDIR/gfx/*.jpg, OUTDIR/scenes/*.3d and OUTDIR/music/clone.mp3.\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    try {
        bake::BakeAll(folder, quiet);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "heliotropic-bake: %s\n", error.what());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!quiet) std::printf("baked the show's data into %s in %.1f s\n", folder.c_str(), seconds);
    return 0;
}
