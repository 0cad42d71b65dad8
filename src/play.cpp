#include "play.h"

#include <SDL2_gfxPrimitives.h>

#include <exception>
#include <iostream>
#include <string>

#include "game/level.h"
#include "platform.h"
#include "renderer.h"

namespace {

// 50 ticks per second.
constexpr Uint32 TICK_MS = 20;
// All bits set: opaque white whichever byte order stringColor reads.
constexpr Uint32 TEXT_COLOUR = 0xFFFFFFFF;

bool is_key(const SDL_Event& ev, SDL_Keycode key)
{
    return (ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) && ev.key.keysym.sym == key;
}

void draw_ready_screen(Level& l, int difficulty)
{
    l.draw();
    const std::string difficulty_line = "DIFFICULTY: " + std::to_string(difficulty);
    stringColor(sdlRenderer, 468, 404, "LEVEL READY", TEXT_COLOUR);
    stringColor(sdlRenderer, 456, 424, difficulty_line.c_str(), TEXT_COLOUR);
    stringColor(sdlRenderer, 432, 444, "PRESS SPACE TO START", TEXT_COLOUR);
    SDL_RenderPresent(sdlRenderer);
}

// Only the space key, going down or up, starts play. A failed wait starts it
// too; closing the window ends the game.
void wait_for_space(bool& return_value)
{
    SDL_Event ev;
    while (SDL_WaitEvent(&ev)) {
        if (ev.type == SDL_QUIT) {
            return_value = false;
            throw LEAVE_LEVEL;
        }
        if (is_key(ev, SDLK_SPACE)) {
            return;
        }
    }
}

// Feeds the level one event at a time until it is cleared or the wait fails.
// Input only changes state; every tick advances the world and draws a frame.
void play(Level& l, bool& return_value)
{
    int mousex = 0;
    int mousey = 0;
    SDL_Event ev;
    while (SDL_WaitEvent(&ev)) {
        switch (ev.type) {
        case SDL_QUIT:
            return_value = false;
            throw LEAVE_LEVEL;
        case SDL_KEYDOWN:
            l.press(ev.key.keysym.sym);
            break;
        case SDL_KEYUP:
            l.release(ev.key.keysym.sym);
            break;
        case SDL_MOUSEMOTION:
            mousex = ev.motion.x;
            mousey = ev.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
            l.fire(ev.button.x, ev.button.y);
            break;
        case SDL_USEREVENT:
            l.updateposition(mousex, mousey);
            l.progress();
            l.draw();
            SDL_RenderPresent(sdlRenderer);
            break;
        default:
            break;
        }
        if (l.complete()) {
            return;
        }
    }
}

// Drawn over whatever the last frame was; ticks keep arriving and are ignored.
void game_over_screen()
{
    stringColor(sdlRenderer, 476, 384, "GAME OVER", TEXT_COLOUR);
    stringColor(sdlRenderer, 444, 404, "PRESS ESC TO EXIT", TEXT_COLOUR);
    SDL_RenderPresent(sdlRenderer);

    SDL_Event ev;
    while (SDL_WaitEvent(&ev)) {
        if (ev.type == SDL_QUIT || is_key(ev, SDLK_ESCAPE)) {
            return;
        }
    }
}

} // namespace

Uint32 timer(Uint32 ms, void* param)
{
    (void)param;
    SDL_Event tick{};
    tick.type = SDL_USEREVENT;
    SDL_PushEvent(&tick);
    return ms;
}

bool main_loop(int& difficulty)
{
    bool return_value = true;
    SDL_TimerID id = 0;
    // Building the level and drawing the ready screen are guarded too: memory
    // can run out there as well as during play.
    try {
        Level l(difficulty);
        draw_ready_screen(l, difficulty);
        wait_for_space(return_value);
        id = SDL_AddTimer(TICK_MS, timer, nullptr);
        play(l, return_value);
    } catch (int n) {
        // Escape keeps the result true; a closed window has already set false.
        if (n == GAME_OVER) {
            game_over_screen();
            return_value = false;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        show_error(e.what());
        return_value = false;
    }
    if (id != 0) {
        SDL_RemoveTimer(id);
    }
    return return_value;
}
