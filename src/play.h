#pragma once

#include <SDL.h>

// Plays one level of the given difficulty: the ready screen, then play until
// the level is cleared, left with Escape, lost, or the window is closed.
// True means go on with the next difficulty; false means end the game.
bool main_loop(int& difficulty);

// The tick timer's callback: pushes one tick event and keeps the interval.
Uint32 timer(Uint32 ms, void* param);
