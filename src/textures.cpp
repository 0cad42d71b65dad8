#include "textures.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "renderer.h"

SDL_Texture* asteroid_textures[ASTEROID_TEXTURE_COUNT];
SDL_Texture* ship_textures[SHIP_TEXTURE_COUNT];

namespace {

constexpr int COLOURS = 6;

// The PNG decoder writes its own complaint about a damaged file straight to
// standard error. The game's console carries only its own message, so the
// decoder is silenced for as long as the images load.
class QuietStderr {
public:
    QuietStderr() : saved(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietStderr()
    {
        if (saved >= 0) {
            std::fflush(stderr);
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved;
};

SDL_Texture* load(const char* filename)
{
    SDL_Texture* texture = IMG_LoadTexture(sdlRenderer, filename);
    if (texture == nullptr) {
        throw std::runtime_error("Texture loading failed");
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    return texture;
}

} // namespace

void texture_init()
{
    // The order of the words fixes the colour numbers.
    static const char* const colours[COLOURS] = {"blue", "green", "pink", "red", "white", "yellow"};
    char filename[64];
    const QuietStderr quiet;

    for (int i = 0; i < ASTEROID_TEXTURE_COUNT; ++i) {
        std::snprintf(filename, sizeof filename, "assets/asteroid%d_%s.png", i / COLOURS + 1, colours[i % COLOURS]);
        asteroid_textures[i] = load(filename);
    }
    for (int i = 0; i < SHIP_TEXTURE_COUNT; ++i) {
        std::snprintf(filename, sizeof filename, "assets/ship%d.png", i);
        ship_textures[i] = load(filename);
    }
}

void texture_free()
{
    for (SDL_Texture* texture : asteroid_textures) {
        SDL_DestroyTexture(texture);
    }
    for (SDL_Texture* texture : ship_textures) {
        SDL_DestroyTexture(texture);
    }
}
