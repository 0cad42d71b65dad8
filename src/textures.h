#pragma once

#include <SDL.h>

inline constexpr int ASTEROID_TEXTURE_COUNT = 18;
inline constexpr int SHIP_TEXTURE_COUNT = 360;

// Entry (size - 1) * 6 + colour, for sizes 1 to 3 and colours 0 to 5
// (blue, green, pink, red, white, yellow).
extern SDL_Texture* asteroid_textures[ASTEROID_TEXTURE_COUNT];

// Entry N shows the ship turned N degrees counter-clockwise from pointing up.
extern SDL_Texture* ship_textures[SHIP_TEXTURE_COUNT];

// Loads every image from assets/ in the working directory into both tables,
// asteroids first. Raises std::runtime_error("Texture loading failed") at the
// first image that cannot be loaded, leaving it and every later entry null.
void texture_init();

// Destroys every texture of both tables.
void texture_free();
