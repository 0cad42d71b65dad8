// The real game binary on a private X server, driven with real X input.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "autopilot.h"
#include "game/field.h"
#include "game/level.h"
#include "game_process.h"
#include "game_session.h"
#include "screen_shapes.h"
#include "screen_text.h"
#include "x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path GAME = ROCKDRIFT_PATH;
const fs::path SOURCE = SOURCE_DIR;
const fs::path OUTPUT = OUTPUT_DIR;

// A seed (the second the game believes it started in) whose first level
// leaves the ship alone for a good while, even when a shot is fired straight
// up at any moment of the first second of play.
unsigned calm_seed()
{
    return first_seed(1'800'000'000, [](unsigned seed) {
        bool calm = true;
        for (int fire_at = 0; fire_at <= 60 && calm; fire_at += 5) {
            std::srand(seed);
            Level l(1);
            for (int t = 0; t < 400 && calm; ++t) {
                if (t == fire_at) {
                    l.fire(512, 100);
                }
                calm = tick(l) && TestAccess::asteroids(l).size() == 3;
            }
        }
        return calm;
    });
}

class Game : public GameSession {
protected:
    static void SetUpTestSuite() { seed = calm_seed(); }

    void start() { GameSession::start(seed); }

    static inline unsigned seed = 0;
};

} // namespace

TEST_F(Game, ReadyScreenShowsTheFieldTheThreeLinesAndTheShip)
{
    start();
    std::cout << "start-up to first ready frame: " << startup.count() << " ms\n";
    const Screenshot s = screen();
    EXPECT_TRUE(shows_text(s, ready_lines(1)));
    EXPECT_TRUE(mostly_background(s));
    EXPECT_TRUE(ship_alone_at_the_centre(s));
    game->signal(SIGTERM);
    expect_quiet_end("SIGTERM on the ready screen");
}

TEST_F(Game, OtherKeysAndClicksDoNothingOnTheReadyScreen)
{
    start();
    const Screenshot before = screen();
    // Sent to the window itself, focused or not.
    ASSERT_TRUE(xdotool("key --window " + std::to_string(window) + " a Escape Return Up"));
    ASSERT_TRUE(click(100, 100));
    ASSERT_TRUE(xdotool("click 3"));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(screen() == before);
    EXPECT_TRUE(game->running());
    game->signal(SIGINT);
    expect_quiet_end("SIGINT on the ready screen");
}

TEST_F(Game, SpaceStartsPlayAndAClickFires)
{
    start();
    const Screenshot ready = screen();
    ASSERT_TRUE(key("space"));
    ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == ready); }, PATIENCE)) << "play did not start";
    const Screenshot first = screen();
    ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == first); }, PATIENCE)) << "frames do not change";
    EXPECT_FALSE(shot_in_the_ships_column(screen()));

    ASSERT_TRUE(click(512, 100));
    ASSERT_TRUE(wait_for(shot_in_the_ships_column, PATIENCE)) << "no shot flies up from the ship";
    x.request_close(window);
    expect_quiet_end("window closed during play");
}

TEST_F(Game, EscapeDuringPlayGoesOnToDifficultyTwo)
{
    start();
    ASSERT_NO_FATAL_FAILURE(start_play());
    ASSERT_TRUE(key("Escape"));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return shows_text(s, ready_lines(2)); }, PATIENCE))
        << "no ready screen for difficulty 2";

    // A moment of the second level, for the README's picture of the game.
    ASSERT_TRUE(key("space"));
    for (const auto& [aim_x, aim_y] : {std::pair{300, 150}, {800, 200}, {700, 650}, {150, 500}}) {
        ASSERT_TRUE(click(aim_x, aim_y));
        std::this_thread::sleep_for(60ms);
    }
    screen().save_png((OUTPUT / "screenshot.png").string());

    x.request_close(window);
    expect_quiet_end("window closed during the second level");
}

TEST_F(Game, SignalsDuringPlayEndTheGameQuietly)
{
    for (int sig : {SIGTERM, SIGINT}) {
        start();
        ASSERT_NO_FATAL_FAILURE(start_play());
        std::this_thread::sleep_for(200ms);
        game->signal(sig);
        expect_quiet_end(sig == SIGTERM ? "SIGTERM during play" : "SIGINT during play");
    }
}

TEST_F(Game, AWindowCloseRequestOnTheReadyScreenEndsTheGameQuietly)
{
    start();
    x.request_close(window);
    expect_quiet_end("window closed on the ready screen");
}

// The second the game starts in seeds its rocks: each second deals exactly
// the field the world builds from it, and two seconds deal two fields.
TEST_F(Game, EachSecondDealsItsOwnRocks)
{
    const unsigned first = clear_text_rows_seed();
    const Screenshot letters = text_reference(ready_lines(1));
    std::vector<Screenshot> dealt;
    for (unsigned second : {first, clear_text_rows_seed(first + 1)}) {
        ASSERT_NO_FATAL_FAILURE(GameSession::start(second));
        dealt.push_back(screen());
        std::srand(second);
        Level level(1);
        EXPECT_TRUE(shows_the_rocks_of(dealt.back(), level, letters)) << "started in second " << second;
        game->signal(SIGTERM);
        expect_quiet_end("SIGTERM on the ready screen");
    }
    EXPECT_FALSE(dealt.front() == dealt.back()) << "two seconds dealt the same rocks";
}

// With no display to be found SDL falls back to a driver that shows nothing;
// the game must not wait for ever in a window nobody can see. (What a system
// library may say about the missing display on standard error is its own.)
TEST(GameFailure, WithNoDisplayAtAllItSaysSoInsteadOfPlayingInAnInvisibleWindow)
{
    const auto started = std::chrono::steady_clock::now();
    const Finished f = run_game(
        GAME, SOURCE,
        {{"SDL_VIDEODRIVER", std::nullopt}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}});
    std::cout << "no display: ended after "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
              << " ms\n";
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.out, "ERROR IN MAIN(): 1\n\n");
}

// Asked for by name, SDL's dummy driver is the player's choice: the game
// starts on it, and plays until it is stopped.
TEST(GameFailure, ADriverThatShowsNothingStillRunsWhenAskedForByName)
{
    GameProcess game(GAME, SOURCE, {{"SDL_VIDEODRIVER", "dummy"}, {"DISPLAY", std::nullopt}});
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(game.running()) << "the game ended: " << game.out() << game.err();
    game.signal(SIGTERM);
    EXPECT_EQ(game.wait(PATIENCE), 0) << "the game did not end on SIGTERM";
    EXPECT_EQ(game.out(), "");
}

TEST(GameFailure, WithoutADisplayItSaysSoAndExitsWithOne)
{
    const Finished f = run_game(GAME, SOURCE, {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", std::nullopt}});
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.out, "ERROR IN MAIN(): 1\n\n");
    EXPECT_EQ(f.err, "");
}
