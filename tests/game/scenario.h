#pragma once

// What a scenario of the real game does with the game, whichever way it runs
// (tests/support/backends.h): start it in a second whose rocks suit the
// scenario, wait for what it shows, and see how it ends. All the waits of a
// test draw on one PATIENCE, renewed whenever the game shows what was waited
// for, so a hung game fails the test at the first screen it does not show.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "autopilot.h"
#include "backends.h"
#include "c_library.h"
#include "screen_shapes.h"
#include "screen_text.h"

// Skips the scenario where the backend cannot meet the need, saying why.
#define REQUIRE(need)                                          \
    if (const char* why = backend().lacks(need)) {            \
        GTEST_SKIP() << why;                                   \
    }

// The rows that show the ready screen's lines and the ship above them, and
// the game-over screen's lines.
inline constexpr Rows READY_ROWS{354, 452};
inline constexpr Rows GAME_OVER_ROWS{384, 412};

class Scenario : public ::testing::Test {
protected:
    // The way of running the game that this scenario plays.
    virtual const Backend& backend() const = 0;

    // A fresh game to start, the one before gone; start() makes one when
    // there is none.
    virtual void new_game()
    {
        owned.reset();
        owned = backend().make();
        game = owned.get();
    }

    // The first second from a fixed one whose deal, as this backend's C
    // library deals it, `fits` (one of the rules below, or more).
    template <typename Fits> unsigned second_where(Fits fits, const char* what)
    {
        const DealingLike dealing(backend().library);
        return first_seed(1'800'000'000, fits, what);
    }
    // No rock across the rows of the ready screen's text: a white rock has
    // white pixels, and there the text must be the only white.
    static bool clear_text(unsigned second);
    // The ship is left alone for a good while, and a shot fired straight up
    // at any moment of the first four seconds of play flies its whole way.
    static bool calm(unsigned second);
    // A ship left alone is hit within two seconds of play.
    static bool losing(unsigned second);
    unsigned clear_text_second() { return second_where(clear_text, "no rock crosses the text"); }
    unsigned calm_second() { return second_where(calm, "the ship is left alone"); }
    unsigned losing_second() { return second_where(losing, "an idle ship is hit within two seconds"); }

    // Starts the game and waits for its first ready screen.
    void start(unsigned second, Launch launch = {});

    template <typename Check> bool wait_for(Check check, Rows rows = {})
    {
        return patience.renew_on(poll_screens([this, rows] { return game->screen(rows); }, check,
                                              patience.left(PATIENCE), std::chrono::milliseconds(10)));
    }
    // The game has read every key and click sent to it.
    bool caught_up() { return patience.renew_on(game->caught_up(patience.left(PATIENCE))); }

    // Space, and the ready screen of this difficulty gone.
    void start_play(int difficulty = 1);
    // Space on a level whose ship is hit, and the game-over screen.
    void lose();
    // The game ends by itself (after `how`), with this status and these
    // console lines.
    void expect_end(const std::string& how, int status, const std::string& out = "", const std::string& err = "");
    // Status 0 and nothing on the console.
    void expect_quiet_end(const std::string& how) { expect_end(how, 0); }
    // The game gives up with its one line and status 1, in bounded memory.
    void expect_texture_failure(const std::string& what);

    Patience patience;
    RunningGame* game = nullptr;
    std::chrono::milliseconds startup{};

private:
    std::unique_ptr<RunningGame> owned;
};

// A scenario played every way the game runs.
class Game : public Scenario, public ::testing::WithParamInterface<Backend> {
protected:
    const Backend& backend() const override { return GetParam(); }
};
