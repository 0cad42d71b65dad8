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
    if (const char* why = GetParam().lacks(need)) {           \
        GTEST_SKIP() << why;                                   \
    }

class Scenario : public ::testing::TestWithParam<Backend> {
protected:
    // A fresh game to start, the one before gone; start() makes one when
    // there is none.
    void new_game()
    {
        game.reset();
        game = GetParam().make();
    }

    // The first second from a fixed one whose deal, as this backend's C
    // library deals it, `fits` (one of the rules below, or more).
    template <typename Fits> unsigned second_where(Fits fits)
    {
        const DealingLike dealing(GetParam().library);
        return first_seed(1'800'000'000, fits);
    }
    // No rock across the rows of the ready screen's text: a white rock has
    // white pixels, and there the text must be the only white.
    static bool clear_text(unsigned second);
    // The ship is left alone for a good while, and a shot fired straight up
    // at any moment of the first four seconds of play flies its whole way.
    static bool calm(unsigned second);
    // A ship left alone is hit within two seconds of play.
    static bool losing(unsigned second);
    unsigned clear_text_second() { return second_where(clear_text); }
    unsigned calm_second() { return second_where(calm); }
    unsigned losing_second() { return second_where(losing); }

    // Starts the game and waits for its first ready screen.
    void start(unsigned second, Launch launch = {});

    template <typename Check> bool wait_for(Check check, std::chrono::milliseconds timeout = PATIENCE)
    {
        return patience.renew_on(
            poll_screens([this] { return game->screen(); }, check, patience.left(timeout), std::chrono::milliseconds(10)));
    }

    // Space, and the ready screen of this difficulty gone.
    void start_play(int difficulty = 1);
    // The game ends by itself (after `how`), with this status and these
    // console lines.
    void expect_end(const std::string& how, int status, const std::string& out = "", const std::string& err = "");
    // Status 0 and nothing on the console.
    void expect_quiet_end(const std::string& how) { expect_end(how, 0); }
    // The game gives up with its one line and status 1, in bounded memory.
    void expect_texture_failure(const std::string& what);

    Patience patience;
    std::unique_ptr<RunningGame> game;
    std::chrono::milliseconds startup{};
};
