// make_art: draws every sprite of Rockdrift (the rocks and the 360 ship
// headings) and the desktop icon, and saves them as PNG files.
//
//   make_art [--no-squeeze] <assets-dir> [<icons-dir>]
//
// --no-squeeze leaves the images as SDL2_image writes them, in seconds
// rather than minutes: the same pixels, for the tests that compare them.
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
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

int run(std::vector<std::string> arguments)
{
    const bool squeeze = arguments.empty() || arguments.front() != "--no-squeeze";
    if (!squeeze) {
        arguments.erase(arguments.begin());
    }
    if (arguments.empty() || arguments.size() > 2) {
        throw std::runtime_error("usage: make_art [--no-squeeze] <assets-dir> [<icons-dir>]");
    }
    std::vector<fs::path> written(arguments.begin(), arguments.end());
    fs::create_directories(written[0]);
    writeRocks(written[0]);
    writeShips(written[0]);
    if (written.size() == 2) {
        writeIcons(written[1]);
    }
    if (squeeze) {
        squeezePngs(written);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_art: %s\n", e.what());
        return 1;
    }
}
