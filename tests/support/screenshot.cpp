#include "screenshot.h"

#include <SDL.h>
#include <SDL_image.h>


bool Screenshot::save_png(const std::string& path) const
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels.data()), width, height, 32,
                                                        width * 4, SDL_PIXELFORMAT_ARGB8888);
    const bool saved = s != nullptr && IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return saved;
}
