// How long the game's per-tick work takes: advancing the world, drawing a
// frame on the software renderer, loading the images, and what a tick
// allocates. The play loop has 20 ms per tick for all of it.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "allocation_counter.h"
#include "game/field.h"
#include "game/level.h"
#include "renderer.h"
#include "test_access.h"
#include "textures.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int MAX_SHOTS = 7;

// Keeps seven shots in flight, fanned out around the ship so that they meet
// rocks all over the field.
void refill_shots(Level& level, int& turn)
{
    while (TestAccess::projectiles(level).size() < MAX_SHOTS) {
        const double angle = 0.7 * turn++;
        level.fire(512 + static_cast<int>(400 * std::cos(angle)), 384 + static_cast<int>(400 * std::sin(angle)));
    }
}

// One tick of the world, timed alone: refilling the shots and starting a
// new level after a game over or a cleared level happen outside the clock.
void BM_Progress(benchmark::State& state)
{
    const int difficulty = static_cast<int>(state.range(0));
    std::srand(1);
    Level level(difficulty);
    int turn = 0;
    double rock_ticks = 0;
    double seconds = 0;
    for (auto _ : state) {
        refill_shots(level, turn);
        rock_ticks += static_cast<double>(TestAccess::asteroids(level).size());
        bool over = false;
        const Clock::time_point start = Clock::now();
        try {
            level.progress();
        } catch (int) {
            over = true;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        if (over || level.complete()) {
            level = Level(difficulty);
        }
    }
    state.counters["rocks"] = rock_ticks / static_cast<double>(state.iterations());
    state.counters["ns_per_rock"] = seconds * 1e9 / rock_ticks;
}
BENCHMARK(BM_Progress)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The game's window and renderer on SDL's dummy video driver (the software
// renderer), with the real images loaded, for as long as the program runs.
bool open_window()
{
    static const bool opened = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::filesystem::current_path(SOURCE_DIR);
        SDL_Window* window =
            SDL_CreateWindow("Rockdrift", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WIDTH, HEIGHT, 0);
        sdlRenderer = window != nullptr ? SDL_CreateRenderer(window, -1, 0) : nullptr;
        if (sdlRenderer == nullptr) {
            return false;
        }
        texture_init();
        return true;
    }();
    return opened;
}

// One frame as a tick draws it: the whole scene, then the present.
void BM_Frame(benchmark::State& state)
{
    if (!open_window()) {
        state.SkipWithError("no window");
        return;
    }
    const int difficulty = static_cast<int>(state.range(0));
    std::srand(1);
    Level level(difficulty);
    for (auto _ : state) {
        level.draw();
        SDL_RenderPresent(sdlRenderer);
    }
    state.counters["rocks"] = static_cast<double>(TestAccess::asteroids(level).size());
}
BENCHMARK(BM_Frame)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Loading all 378 images, as the game does once at start-up.
void BM_TextureInit(benchmark::State& state)
{
    if (!open_window()) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state) {
        texture_free();
        const Clock::time_point start = Clock::now();
        texture_init();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_TextureInit)->UseManualTime()->Unit(benchmark::kMillisecond);

// Heap allocations in ticks that fire nothing and split nothing: none at all.
void BM_AllocationsPerQuietTick(benchmark::State& state)
{
    const int difficulty = static_cast<int>(state.range(0));
    std::srand(1);
    Level level(difficulty);
    long allocations = 0;
    long ticks = 0;
    for (auto _ : state) {
        const long before = allocation_counter::made.load();
        try {
            level.progress();
        } catch (int) {
            state.PauseTiming();
            level = Level(difficulty);
            state.ResumeTiming();
            continue;
        }
        allocations += allocation_counter::made.load() - before;
        ++ticks;
    }
    state.counters["allocs_per_tick"] = ticks > 0 ? static_cast<double>(allocations) / ticks : 0;
}
BENCHMARK(BM_AllocationsPerQuietTick)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
