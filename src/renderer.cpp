#include "renderer.h"

SDL_Renderer* sdlRenderer = nullptr;
