#pragma once

#include <SDL.h>

inline constexpr int ASTEROID_TEXTURE_COUNT = 18;
inline constexpr int SHIP_TEXTURE_COUNT = 360;

// Entry (size - 1) * 6 + colour, for sizes 1 to 3 and colours 0 to 5
// (blue, green, pink, red, white, yellow).
extern SDL_Texture* asteroid_textures[ASTEROID_TEXTURE_COUNT];

// Entry N shows the ship turned N degrees counter-clockwise from pointing up.
extern SDL_Texture* ship_textures[SHIP_TEXTURE_COUNT];
