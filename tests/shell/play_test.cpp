// The play loop on SDL's dummy video driver: a real window, renderer and
// event queue without a display, with stand-in textures that show which image
// went where. What the loop leaves on screen is compared with a level played
// by hand from the same seed.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

#include "allocation_counter.h"
#include "autopilot.h"
#include "canvas.h"
#include "game/field.h"
#include "game/level.h"
#include "play.h"
#include "renderer.h"
#include "test_access.h"

namespace {

using Frame = std::vector<Uint32>;

class PlayLoop : public ::testing::Test {
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

    static Frame frame() { return read_frame(sdlRenderer); }

    // The frame drawn after the given number of idle ticks, the pointer never
    // moved, with these lines of text written over it.
    static Frame after_ticks(unsigned seed, int difficulty, int ticks, const std::vector<Text>& text = {})
    {
        std::srand(seed);
        Level l(difficulty);
        for (int i = 0; i < ticks; ++i) {
            l.updateposition(0, 0);
            l.progress();
        }
        l.draw();
        draw_text(text);
        return frame();
    }

    // What the ready screen of a level built from this seed must look like.
    static Frame ready_screen(unsigned seed, int d) { return after_ticks(seed, d, 0, ready_lines(d)); }

    SDL_Window* window = nullptr;
    std::unique_ptr<StandInTextures> textures;
};

::testing::AssertionResult same_frame(const Frame& actual, const Frame& expected)
{
    const auto first = std::mismatch(actual.begin(), actual.end(), expected.begin()).first - actual.begin();
    if (first == std::ssize(actual)) {
        return ::testing::AssertionSuccess();
    }
    const auto differing =
        std::inner_product(actual.begin(), actual.end(), expected.begin(), 0, std::plus<>(), std::not_equal_to<>());
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << first % WIDTH << ", "
                                         << first / WIDTH << ")";
}

// How many pixels of the rows from top to bottom, exclusive, are white.
std::size_t white_pixels(const Frame& f, int top, int bottom)
{
    const auto white = [](Uint32 p) { return unpack(p) == WHITE_PIXEL; };
    return std::size_t(std::count_if(f.begin() + top * WIDTH, f.begin() + bottom * WIDTH, white));
}

// When the timer pushed each tick, whether or not play has taken it yet. Read
// once the watch is removed: SDL calls it under the lock that removal takes.
struct TickWatch {
    std::vector<Uint64> pushed;

    static int seen(void* self, SDL_Event* ev)
    {
        if (ev->type == SDL_USEREVENT) {
            static_cast<TickWatch*>(self)->pushed.push_back(SDL_GetPerformanceCounter());
        }
        return 1;
    }

    // From the middle gap between ticks: a busy machine now and then wakes the
    // timer late, and SDL counts the next interval from that late tick.
    double per_second() const
    {
        std::vector<Uint64> gaps(pushed.size());
        std::adjacent_difference(pushed.begin(), pushed.end(), gaps.begin());
        gaps.erase(gaps.begin());
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        return double(SDL_GetPerformanceFrequency()) / double(gaps[gaps.size() / 2]);
    }
};

// The play loop under a flood of input: thousands of clicks and auto-repeated
// keys between two ticks change nothing but what they would one at a time.
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
        events.insert(events.end(), flood == 0 ? TICKS_BETWEEN_FLOODS : TICKS_AFTER, tick_event());
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

} // namespace

TEST_F(PlayLoop, ReadyScreenShowsTheLevelAndItsThreeLines)
{
    for (int difficulty : {1, 12}) {
        push({quit_event()});
        std::srand(21);
        int d = difficulty;
        EXPECT_FALSE(main_loop(d));
        const Frame shown = frame();
        EXPECT_TRUE(same_frame(shown, ready_screen(21, difficulty))) << "difficulty " << difficulty;
        EXPECT_GT(white_pixels(shown, 404, 452), 300u) << "the text is there at all";
        EXPECT_EQ(d, difficulty) << "main_loop only reads the difficulty";
    }
}

TEST_F(PlayLoop, OnlySpaceLeavesTheReadyScreen)
{
    push({key_event(SDL_KEYDOWN, SDLK_a), key_event(SDL_KEYUP, SDLK_a), key_event(SDL_KEYDOWN, SDLK_ESCAPE),
          key_event(SDL_KEYUP, SDLK_ESCAPE), key_event(SDL_KEYDOWN, SDLK_RETURN), motion_event(100, 384),
          click_event(600, 300), click_event(600, 300, SDL_BUTTON_RIGHT), tick_event(), tick_event(), quit_event()});
    EXPECT_FALSE(play(1, 3)) << "Escape on the ready screen must not leave the level";
    const Frame waiting = frame();
    EXPECT_TRUE(same_frame(waiting, ready_screen(3, 1))) << "nothing but the ready screen was drawn";

    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        push({motion_event(100, 384), key_event(type, SDLK_SPACE), tick_event(), quit_event()});
        EXPECT_FALSE(play(1, 3));
        const Frame playing = frame();
        EXPECT_TRUE(same_frame(playing, after_ticks(3, 1, 1)))
            << (type == SDL_KEYDOWN ? "key-down" : "key-up")
            << ": one tick played, the pointer motion before play not recorded";
    }
}

TEST_F(PlayLoop, InputDuringPlayReachesTheLevel)
{
    push({key_event(SDL_KEYDOWN, SDLK_SPACE), motion_event(100, 384), click_event(512, 100, SDL_BUTTON_MIDDLE),
          key_event(SDL_KEYDOWN, SDLK_d), tick_event(), key_event(SDL_KEYUP, SDLK_d), tick_event(), quit_event()});
    EXPECT_FALSE(play(1, 8));
    const Frame shown = frame();

    std::srand(8);
    Level l(1);
    l.fire(512, 100);
    l.press(SDLK_d);
    l.updateposition(100, 384);
    l.progress();
    l.release(SDLK_d);
    l.updateposition(100, 384);
    l.progress();
    l.draw();
    EXPECT_TRUE(same_frame(shown, frame()));
    EXPECT_EQ(read_pixel(sdlRenderer, 516, 372), StandInTextures::ship(90)) << "the ship faces the pointer";
}

TEST_F(PlayLoop, EscapeDuringPlayGoesOnToTheNextLevel)
{
    push({key_event(SDL_KEYDOWN, SDLK_SPACE), tick_event(), key_event(SDL_KEYDOWN, SDLK_ESCAPE)});
    int d = 1;
    EXPECT_TRUE(main_loop(d));
}

TEST_F(PlayLoop, ClosingTheWindowOnTheReadyScreenStartsNoTimer)
{
    auto noop = [](Uint32, void*) -> Uint32 { return 0; };
    const SDL_TimerID before = SDL_AddTimer(100000, noop, nullptr);
    SDL_RemoveTimer(before);

    push({quit_event()});
    int d = 1;
    EXPECT_FALSE(main_loop(d));

    const SDL_TimerID after = SDL_AddTimer(100000, noop, nullptr);
    SDL_RemoveTimer(after);
    EXPECT_EQ(after, before + 1) << "main_loop added a timer";
}

TEST_F(PlayLoop, TheTimerDrivesPlayAtFiftyTicksASecond)
{
    // No tick pushed by hand: the frames come from the timer alone.
    TickWatch ticks;
    SDL_AddEventWatch(TickWatch::seen, &ticks);
    push({key_event(SDL_KEYDOWN, SDLK_SPACE)});
    std::thread closer([] {
        SDL_Delay(3000);
        SDL_Event quit = quit_event();
        SDL_PushEvent(&quit);
    });
    EXPECT_FALSE(play(1, 5));
    closer.join();
    SDL_DelEventWatch(TickWatch::seen, &ticks);
    const Frame shown = frame();
    EXPECT_FALSE(same_frame(shown, ready_screen(5, 1))) << "no tick arrived in 3 s";
    // Every speed of the game is so many pixels a tick.
    ASSERT_GT(ticks.pushed.size(), 100u) << "ticks in 3 s";
    EXPECT_NEAR(ticks.per_second(), 50, 5) << ticks.pushed.size() << " ticks in 3 s";

    // Ticks the timer pushed before the quit was handled are still queued, and
    // one callback may already be under way when the timer is removed. A timer
    // left running would push about ten more in 200 ms.
    SDL_FlushEvent(SDL_USEREVENT);
    SDL_Delay(200);
    SDL_PumpEvents();
    EXPECT_LE(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_USEREVENT, SDL_USEREVENT), 1)
        << "the timer still runs after the level ended";
}

TEST_F(PlayLoop, GameOverShowsItsTwoLinesAndWaitsForEscape)
{
    const std::optional<Playthrough> lost =
        first_playthrough(1, 200, [](unsigned seed) { return play_ahead(seed, 2, 1500, Outcome::Lost); });
    ASSERT_TRUE(lost.has_value()) << "no seed loses within 1500 ticks";

    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        push(lost->events);
        push({tick_event(), tick_event(), key_event(SDL_KEYDOWN, SDLK_SPACE), click_event(5, 5),
              key_event(type, SDLK_ESCAPE), tick_event()});
        EXPECT_FALSE(play(2, lost->seed));
        const Frame shown = frame();

        // The tick that ended the game is not drawn: the text lies over the one before.
        EXPECT_TRUE(same_frame(shown, after_ticks(lost->seed, 2, lost->ticks - 1, GAME_OVER_LINES)));
        EXPECT_GT(white_pixels(shown, 384, 412), 150u);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    push(lost->events);
    push({quit_event()});
    EXPECT_FALSE(play(2, lost->seed)) << "closing the window on the game-over screen";
}

TEST_F(PlayLoop, AClearedLevelEndsAfterItsLastFrameIsDrawn)
{
    const std::optional<Playthrough> cleared =
        first_playthrough(1, 200, [](unsigned seed) { return play_ahead(seed, 1, 3000, Outcome::Cleared); });
    ASSERT_TRUE(cleared.has_value()) << "the autopilot clears no level";

    push(cleared->events);
    push({quit_event()});
    EXPECT_TRUE(play(1, cleared->seed));
    const Frame shown = frame();

    std::srand(cleared->seed);
    Level l(1);
    ASSERT_TRUE(replay(l, cleared->events));
    ASSERT_TRUE(l.complete());
    l.draw();
    EXPECT_TRUE(same_frame(shown, frame()));

    SDL_Event left{};
    ASSERT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1) << "returned before the last tick";
}

TEST_F(PlayLoop, TheTimerPushesOneBareTickAndKeepsItsInterval)
{
    EXPECT_EQ(timer(20, nullptr), 20u);
    SDL_Event ev;
    ASSERT_EQ(SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 1);
    EXPECT_EQ(ev.type, Uint32(SDL_USEREVENT));
    EXPECT_EQ(ev.user.code, 0);
    EXPECT_EQ(ev.user.data1, nullptr);
    EXPECT_EQ(SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0);
}

TEST_F(PlayLoop, RunningOutOfMemoryWhileBuildingTheLevelEndsTheGameWithAMessage)
{
    push({key_event(SDL_KEYDOWN, SDLK_SPACE), tick_event(), quit_event()});
    ::testing::internal::CaptureStderr();
    allocation_counter::left = 0;
    int d = 3;
    const bool result = main_loop(d);
    allocation_counter::left = -1;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "std::bad_alloc\n");
    EXPECT_FALSE(result);
    SDL_Event ev;
    EXPECT_EQ(SDL_PeepEvents(&ev, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 1) << "no event was taken";
}

TEST_F(PlayLoop, RunningOutOfMemoryDuringPlayEndsTheGameWithAMessage)
{
    // Count what building the level and its ready screen allocate, then let
    // exactly that much succeed: the first shot is the first to fail.
    push({quit_event()});
    allocation_counter::made = 0;
    play(1, 4);
    const long before_play = allocation_counter::made.load();

    push({key_event(SDL_KEYDOWN, SDLK_SPACE), tick_event(), click_event(100, 100), tick_event(), quit_event()});
    ::testing::internal::CaptureStderr();
    allocation_counter::left = before_play;
    const bool result = play(1, 4);
    allocation_counter::left = -1;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "std::bad_alloc\n");
    EXPECT_FALSE(result);
    const Frame shown = frame();
    EXPECT_TRUE(same_frame(shown, after_ticks(4, 1, 1))) << "the failed tick was not drawn";
}

TEST_F(PlayLoop, ThousandsOfClicksAndRepeatsInOneTickFireSevenShotsAndLoseNoTick)
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
    const Frame shown = frame();

    const auto white = std::size_t(std::ranges::count_if(shown, [](Uint32 p) { return unpack(p) == WHITE_PIXEL; }));
    EXPECT_GT(white, 0u) << "the second flood's shots in flight";
    EXPECT_LE(white, MAX_SHOTS * SHOT_PIXELS) << "more shots on screen than seven";

    expected->draw();
    EXPECT_TRUE(frame() == shown) << "the frame differs from every tick played in order";
}
