#pragma once

#include <SDL.h>

// The game window's renderer. Set once at start-up, before anything is loaded
// or drawn; every drawing call of the game goes through it.
extern SDL_Renderer* sdlRenderer;
