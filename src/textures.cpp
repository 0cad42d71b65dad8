#include "textures.h"

SDL_Texture* asteroid_textures[ASTEROID_TEXTURE_COUNT];
SDL_Texture* ship_textures[SHIP_TEXTURE_COUNT];
