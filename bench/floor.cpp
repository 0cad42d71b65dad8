// The least a game like ours can do at 50 ticks per second: on every tick of
// a 20 ms SDL timer, clear a 1024 x 768 frame and present it, with the same
// default renderer. What this costs in CPU is the floor the game is held to.
#include <SDL.h>

#include <cstdio>

namespace {

Uint32 tick(Uint32 ms, void*)
{
    SDL_Event ev{};
    ev.type = SDL_USEREVENT;
    SDL_PushEvent(&ev);
    return ms;
}

} // namespace

int main(int, char**)
{
    SDL_Window* window = SDL_CreateWindow("Floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1024, 768, 0);
    SDL_Renderer* renderer = window != nullptr ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (renderer == nullptr) {
        std::fprintf(stderr, "%s\n", SDL_GetError());
        return 1;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    std::printf("%s\n", info.name);
    std::fflush(stdout);

    SDL_AddTimer(20, tick, nullptr);
    SDL_Event ev;
    while (SDL_WaitEvent(&ev) && ev.type != SDL_QUIT) {
        if (ev.type == SDL_USEREVENT) {
            SDL_SetRenderDrawColor(renderer, 8, 8, 8, 255);
            SDL_RenderClear(renderer);
            SDL_RenderPresent(renderer);
        }
    }
    return 0;
}
