// Failing loudly with SDL's own reason, making surfaces and writing PNG files.
#include "sdl_resources.h"

#include <SDL_image.h>

#include <stdexcept>

[[noreturn]] void failSdl(const std::string& what)
{
    throw std::runtime_error(what + ": " + SDL_GetError());
}

SurfacePtr makeRgbaSurface(int size)
{
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32));
    if (!s)
        failSdl("cannot create a " + std::to_string(size) + "px surface");
    return s;
}

void savePng(SDL_Surface* s, const std::filesystem::path& path)
{
    if (IMG_SavePNG(s, path.string().c_str()) != 0) {
        throw std::runtime_error("cannot write " + path.string() + ": " + IMG_GetError());
    }
}
