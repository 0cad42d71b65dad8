// The play loop under a flood of input: thousands of clicks and auto-repeated
// keys between two ticks change nothing but what they would one at a time.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "autopilot.h"
#include "canvas.h"
#include "dummy_window.h"
#include "game/level.h"
#include "test_access.h"

namespace {

constexpr int FLOOD = 10'000;
// Long enough for the first flood's shots to grow old and free their places.
constexpr int TICKS_BETWEEN_FLOODS = 220;
// Short enough for the second flood's shots to be still in flight.
constexpr int TICKS_AFTER = 50;
constexpr std::size_t MAX_SHOTS = 7;
constexpr std::size_t SHOT_PIXELS = 9; // a 3 x 3 square

// A key held down long enough for the keyboard to repeat it.
SDL_Event repeat_event(SDL_Keycode key)
{
    SDL_Event ev = key_event(SDL_KEYDOWN, key);
    ev.key.repeat = 1;
    return ev;
}

// Space, then two floods, each of FLOOD clicks and FLOOD auto-repeated
// steering keys between two ticks, with quiet ticks after each.
std::vector<SDL_Event> flooded_play()
{
    std::vector<SDL_Event> events{key_event(SDL_KEYDOWN, SDLK_SPACE), tick_event()};
    for (int flood = 0; flood < 2; ++flood) {
        for (int i = 0; i < FLOOD; ++i) {
            events.push_back(click_event(i * 37 % WIDTH, i * 53 % HEIGHT, Uint8(SDL_BUTTON_LEFT + i % 3)));
            events.push_back(repeat_event(flood == 0 ? SDLK_d : SDLK_UP));
        }
        const int quiet = flood == 0 ? TICKS_BETWEEN_FLOODS : TICKS_AFTER;
        for (int t = 0; t < quiet; ++t) {
            events.push_back(tick_event());
        }
    }
    return events;
}

// The same calls on a level of its own, as the play loop makes them; nothing
// when the level ends before the last event or ends it with fewer than seven
// shots in flight (then the frame could not show a surplus).
std::optional<Level> simulate(unsigned seed, const std::vector<SDL_Event>& events)
{
    std::srand(seed);
    Level l(1);
    if (!replay(l, events) || l.complete() || TestAccess::projectiles(l).size() != MAX_SHOTS) {
        return std::nullopt;
    }
    return l;
}

class Flood : public DummyWindow {};

} // namespace

TEST_F(Flood, ThousandsOfClicksAndRepeatsInOneTickFireSevenShotsAndLoseNoTick)
{
    const std::vector<SDL_Event> events = flooded_play();
    // A seed whose level neither ends nor is lost under this input.
    unsigned seed = 0;
    std::optional<Level> expected;
    while (!expected && ++seed <= 500) {
        expected = simulate(seed, events);
    }
    ASSERT_TRUE(expected.has_value()) << "no seed survives the flood";

    push(events);
    push({quit_event()});
    EXPECT_FALSE(play(1, seed));
    const std::vector<Uint32> shown = read_frame(sdlRenderer);

    const auto white = std::size_t(std::ranges::count_if(shown, [](Uint32 p) { return unpack(p) == WHITE_PIXEL; }));
    EXPECT_GT(white, 0u) << "the second flood's shots in flight";
    EXPECT_LE(white, MAX_SHOTS * SHOT_PIXELS) << "more shots on screen than seven";

    expected->draw();
    EXPECT_TRUE(read_frame(sdlRenderer) == shown) << "the frame differs from every tick played in order";
}
