#pragma once

#include <SDL.h>
#include <SDL2_gfxPrimitives.h>

#include <ostream>
#include <string>
#include <vector>

#include "game/field.h"
#include "renderer.h"
#include "textures.h"

struct Rgba {
    Uint8 r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c)
{
    return out << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

inline constexpr Rgba BACKGROUND_PIXEL{8, 8, 8, 255};
inline constexpr Rgba WHITE_PIXEL{255, 255, 255, 255};

inline Rgba unpack(Uint32 argb)
{
    return Rgba{Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb), Uint8(argb >> 24)};
}

inline Rgba read_pixel(SDL_Renderer* renderer, int x, int y)
{
    Uint32 value = 0;
    const SDL_Rect one{x, y, 1, 1};
    SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &value, sizeof value);
    return unpack(value);
}

// The whole window, one ARGB value per pixel, row by row.
inline std::vector<Uint32> read_frame(SDL_Renderer* renderer)
{
    std::vector<Uint32> pixels(std::size_t(WIDTH) * HEIGHT);
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), WIDTH * sizeof(Uint32));
    return pixels;
}

// One line of the game's text with its top-left corner.
struct Text {
    int x, y;
    std::string line;
};

// The three lines of the screen that waits for Space before each level.
inline std::vector<Text> ready_lines(int difficulty)
{
    return {{468, 404, "LEVEL READY"},
            {456, 424, "DIFFICULTY: " + std::to_string(difficulty)},
            {432, 444, "PRESS SPACE TO START"}};
}

// What the game-over screen writes over the last frame of play.
inline const std::vector<Text> GAME_OVER_LINES = {{476, 384, "GAME OVER"}, {444, 404, "PRESS ESC TO EXIT"}};

// Writes the lines in white with SDL2_gfx's font, as the game writes its text.
inline void draw_text(const std::vector<Text>& lines)
{
    for (const Text& t : lines) {
        stringRGBA(sdlRenderer, Sint16(t.x), Sint16(t.y), t.line.c_str(), 255, 255, 255, 255);
    }
}

// A 1 x 1 opaque texture of one colour; drawn scaled, it fills its square.
inline SDL_Texture* solid_texture(SDL_Renderer* renderer, Rgba c)
{
    SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
    const Uint32 value = Uint32(c.a) << 24 | Uint32(c.r) << 16 | Uint32(c.g) << 8 | c.b;
    SDL_UpdateTexture(t, nullptr, &value, sizeof value);
    return t;
}

// SDL2_gfx keeps its font glyphs as textures of the renderer that first drew
// text; it must drop them before that renderer goes.
inline void destroy_renderer(SDL_Renderer* renderer)
{
    gfxPrimitivesSetFont(nullptr, 0, 0);
    SDL_DestroyRenderer(renderer);
}

// A window-sized software renderer on a plain surface, installed as the
// game's renderer for as long as it lives, so that drawing can be read back
// pixel by pixel without a display.
class Canvas {
public:
    Canvas()
        : surface(SDL_CreateRGBSurfaceWithFormat(0, WIDTH, HEIGHT, 32, SDL_PIXELFORMAT_ARGB8888)),
          renderer(SDL_CreateSoftwareRenderer(surface))
    {
        sdlRenderer = renderer;
    }
    ~Canvas()
    {
        sdlRenderer = nullptr;
        destroy_renderer(renderer);
        SDL_FreeSurface(surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ready() const { return surface != nullptr && renderer != nullptr; }
    Rgba pixel(int x, int y) const { return read_pixel(renderer, x, y); }

private:
    SDL_Surface* surface;
    SDL_Renderer* renderer;
};

// Empties both texture tables, destroying their textures unless they are
// gone already.
inline void empty_texture_tables(bool destroy = true)
{
    const auto empty = [destroy](auto& table) {
        for (SDL_Texture*& t : table) {
            if (destroy) {
                SDL_DestroyTexture(t);
            }
            t = nullptr;
        }
    };
    empty(asteroid_textures);
    empty(ship_textures);
}

// Fills both texture tables with small solid textures of distinct colours, so
// a test can tell from a pixel which image was drawn. Empties them again on
// the way out.
class StandInTextures {
public:
    explicit StandInTextures(SDL_Renderer* renderer = sdlRenderer)
    {
        for (int i = 0; i < ASTEROID_TEXTURE_COUNT; ++i) {
            asteroid_textures[i] = solid_texture(renderer, asteroid(i));
        }
        for (int i = 0; i < SHIP_TEXTURE_COUNT; ++i) {
            ship_textures[i] = solid_texture(renderer, ship(i));
        }
    }
    ~StandInTextures() { empty_texture_tables(); }
    StandInTextures(const StandInTextures&) = delete;
    StandInTextures& operator=(const StandInTextures&) = delete;

    static Rgba asteroid(int index) { return Rgba{200, Uint8(10 * index), 50, 255}; }
    static Rgba ship(int index) { return Rgba{Uint8(index & 0xFF), Uint8(64 + (index >> 8)), 200, 255}; }
};

// A canvas with stand-in textures in both tables.
struct StandInCanvas : Canvas {
    StandInTextures textures;
};
