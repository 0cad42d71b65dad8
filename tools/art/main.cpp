// make_art: draws every sprite of Rockdrift (the rocks and the 360 ship
// headings) and the desktop icon, and saves them as PNG files.
//
//   make_art <assets-dir> [<icons-dir>]
//
// Nothing here is hand-painted: every image is built from vector shapes with
// SDL2_gfx on a software renderer, so the artwork can be regenerated exactly
// and changed by editing numbers. The output is fully deterministic (fixed
// seeds, integer-only supersampling), so running it twice gives the same
// pixels and a test can check the committed files against it.
//
// One file a subject: maths.h (vectors, colours, random numbers and noise),
// sdl_resources.h (surfaces and PNG files, squeezed by zopflipng), canvas.h (the supersampled canvas
// every image is drawn on), rocks.cpp and rock_light.cpp (the rocks, their
// shapes and their light), ship.cpp (the ship's sprites and the icon).

#include "rocks.h"
#include "sdl_resources.h"
#include "ship.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;

int run(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        throw std::runtime_error("usage: make_art <assets-dir> [<icons-dir>]");
    }
    const fs::path assets = argv[1];
    fs::create_directories(assets);
    writeRocks(assets);
    writeShips(assets);
    std::vector<fs::path> written = {assets};
    if (argc == 3) {
        writeIcons(argv[2]);
        written.push_back(argv[2]);
    }
    squeezePngs(written);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_art: %s\n", e.what());
        return 1;
    }
}
