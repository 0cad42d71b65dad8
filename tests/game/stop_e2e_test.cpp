// The real game stopped on its game-over screen, each way a player or the
// desktop can stop it: it ends with status 0 and writes nothing. (The ready
// screen and play are covered the same way in game_e2e_test.cpp.)
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "autopilot.h"
#include "game_process.h"
#include "game_session.h"
#include "screen_text.h"
#include "x_session.h"

using namespace std::chrono_literals;

namespace {

// Two seconds of play at fifty ticks a second.
constexpr int QUICK_LOSS_TICKS = 100;

// A seed (the second the game believes it started in) whose first level is
// lost within two seconds by a ship that is left alone.
unsigned quickly_lost_seed()
{
    return first_seed(1'700'000'000,
                      [](unsigned seed) { return play_ahead(seed, 1, QUICK_LOSS_TICKS, Outcome::Lost).has_value(); });
}

struct Stop {
    const char* how;
    std::function<void(GameProcess&, XClient&, Window)> stop;
};

class GameOver : public GameSession {
protected:
    static void SetUpTestSuite() { seed = quickly_lost_seed(); }

    // Starts the game, starts play with Space and leaves the ship alone until
    // the game-over screen shows.
    void reach_game_over()
    {
        start(seed);
        ASSERT_TRUE(key("space"));
        ASSERT_TRUE(wait_for(shows_game_over, PATIENCE)) << "no game-over screen";
    }

    static inline unsigned seed = 0;
};

} // namespace

TEST_F(GameOver, SignalsAndACloseRequestEndTheGameQuietly)
{
    const Stop stops[] = {
        {"SIGINT", [](GameProcess& g, XClient&, Window) { g.signal(SIGINT); }},
        {"SIGTERM", [](GameProcess& g, XClient&, Window) { g.signal(SIGTERM); }},
        {"a window-close request", [](GameProcess&, XClient& c, Window w) { c.request_close(w); }},
    };
    for (const Stop& s : stops) {
        ASSERT_NO_FATAL_FAILURE(reach_game_over());
        // The screen waits: only Escape or a way of stopping the game ends it.
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(game->running()) << s.how << ": the game ended by itself";
        s.stop(*game, x, window);
        expect_quiet_end(s.how);
    }
}
