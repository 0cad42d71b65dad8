#include "screenshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>

bool Screenshot::save_png(const std::string& path) const
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels.data()), width, height, 32,
                                                        width * 4, SDL_PIXELFORMAT_ARGB8888);
    const bool saved = s != nullptr && IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return saved;
}

Screenshot Screenshot::load_png(const std::string& path)
{
    Screenshot shot;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    SDL_Surface* argb = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    if (argb != nullptr) {
        shot.width = argb->w;
        shot.height = argb->h;
        shot.pixels.resize(std::size_t(argb->w) * argb->h);
        for (int y = 0; y < argb->h; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(argb->pixels) +
                                                                     std::size_t(y) * argb->pitch);
            std::copy(row, row + argb->w, shot.pixels.begin() + std::size_t(y) * argb->w);
        }
    }
    SDL_FreeSurface(argb);
    SDL_FreeSurface(loaded);
    return shot;
}
