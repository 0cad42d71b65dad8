#pragma once

// The play loop's surroundings without a display: a real window, renderer and
// event queue on SDL's dummy video driver, with stand-in textures that show
// which image went where.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "canvas.h"
#include "game/field.h"
#include "play.h"
#include "renderer.h"

class DummyWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        window = SDL_CreateWindow("Rockdrift", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WIDTH, HEIGHT, 0);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        sdlRenderer = SDL_CreateRenderer(window, -1, 0);
        ASSERT_NE(sdlRenderer, nullptr) << SDL_GetError();
        textures = std::make_unique<StandInTextures>(sdlRenderer);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    void TearDown() override
    {
        textures.reset();
        destroy_renderer(sdlRenderer);
        sdlRenderer = nullptr;
        SDL_DestroyWindow(window);
        SDL_Quit();
    }

    static void push(const std::vector<SDL_Event>& events)
    {
        for (SDL_Event ev : events) {
            ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError();
        }
    }

    // The play loop on a level of this difficulty, its rocks dealt from the seed.
    static bool play(int difficulty, unsigned seed)
    {
        std::srand(seed);
        return main_loop(difficulty);
    }

    SDL_Window* window = nullptr;
    std::unique_ptr<StandInTextures> textures;
};
