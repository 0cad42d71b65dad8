#pragma once

// Whether SDL's video driver shows the game to nobody. Without a display SDL
// falls back to its offscreen driver, where creating the window "succeeds"
// and the game would wait for ever in a window no one can see. The offscreen
// and dummy drivers are still the player's to choose by naming them in
// SDL_VIDEODRIVER (`requested`, which may list several, separated by commas).
bool shows_nothing(const char* driver, const char* requested);
