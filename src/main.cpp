// The entry point: seed, window, renderer, textures, then one level after
// another until the game ends.
#include <SDL.h>

#include <cstdlib>
#include <ctime>
#include <exception>
#include <iostream>
#include <string>

#include "display.h"
#include "game/field.h"
#include "platform.h"
#include "play.h"
#include "renderer.h"
#include "textures.h"

// Under SDL's main header this becomes SDL_main wherever SDL needs to supply
// the process entry itself. The game takes no options.
int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;

    // The only seeding: every rock of every level draws from this sequence.
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    // No SDL_Init: creating the window brings up video and events.
    try {
        SDL_Window* sdlWindow =
            SDL_CreateWindow("Rockdrift", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WIDTH, HEIGHT, 0);
        // A window nobody can see is no window at all.
        if (sdlWindow == nullptr || shows_nothing(SDL_GetCurrentVideoDriver(), SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
            throw 1;
        }
        sdlRenderer = SDL_CreateRenderer(sdlWindow, -1, 0);
        if (sdlRenderer == nullptr) {
            throw 1;
        }
    } catch (int ex) {
        std::cout << "ERROR IN MAIN(): " << ex << "\n" << std::endl;
        show_error("ERROR IN MAIN(): " + std::to_string(ex));
        SDL_Quit();
        return ex;
    }

    try {
        texture_init();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        show_error(e.what());
        return 1;
    }

    int diff = 1;
    while (main_loop(diff)) {
        ++diff;
    }

    texture_free();
    return 0;
}
