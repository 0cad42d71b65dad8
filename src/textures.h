#pragma once

#include <SDL.h>

// Blue, green, pink, red, white and yellow, numbered 0 to 5 in that order.
inline constexpr int ASTEROID_COLOURS = 6;
inline constexpr int ASTEROID_TEXTURE_COUNT = 3 * ASTEROID_COLOURS;
inline constexpr int SHIP_TEXTURE_COUNT = 360;

// Entry (size - 1) * ASTEROID_COLOURS + colour, for sizes 1 to 3.
extern SDL_Texture* asteroid_textures[ASTEROID_TEXTURE_COUNT];

// Entry N shows the ship turned N degrees counter-clockwise from pointing up.
extern SDL_Texture* ship_textures[SHIP_TEXTURE_COUNT];

// Loads every image from assets/ in the working directory into both tables,
// asteroids first. Raises std::runtime_error("Texture loading failed") at the
// first image that cannot be loaded, leaving it and every later entry null.
void texture_init();

// Destroys every texture of both tables.
void texture_free();
