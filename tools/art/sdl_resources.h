// The SDL objects the tool owns, freed by their smart pointers, and the few
// calls that make, address and save the RGBA surfaces every image is drawn on.
#pragma once

#include <SDL.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;

// Throws what failed, with SDL's reason.
[[noreturn]] void failSdl(const std::string& what);

// A square SDL_PIXELFORMAT_RGBA32 surface, size pixels a side.
SurfacePtr makeRgbaSurface(int size);

// Bytes of one pixel of an SDL_PIXELFORMAT_RGBA32 surface: R, G, B, A.
inline Uint8* pixelAt(SDL_Surface* s, int x, int y)
{
    return static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 4;
}

void savePng(SDL_Surface* s, const std::filesystem::path& path);

// Recompresses every PNG file under the folders with zopflipng (Debian's
// zopfli), losslessly: the same pixels in about a fifth fewer bytes, which
// every release and every first visit of the site downloads. Each folder
// then gets its record of what was squeezed (record.h).
void squeezePngs(const std::vector<std::filesystem::path>& folders);
