#pragma once

// What the game's shapes look like on screen, for the tests that watch the
// real game (on X and in the browser): the background, a shot in flight and
// the ship alone at the centre of a fresh level.
#include <gtest/gtest.h>

#include <cstdint>

#include "screen_text.h"
#include "x_session.h"

inline bool is_background(std::uint32_t p)
{
    return p == BACKGROUND;
}

// A shot: a 3 x 3 square of white.
inline bool shot_at(const Screenshot& s, int x, int y)
{
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
            if (s.at(x + dx, y + dy) != WHITE) {
                return false;
            }
        }
    }
    return true;
}

inline bool shot_in_column(const Screenshot& s, int left, int right, int top, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (shot_at(s, x, y)) {
                return true;
            }
        }
    }
    return false;
}

// The column straight above the ship, where a shot fired at (512, 100) flies.
inline bool shot_above_the_ship(const Screenshot& s)
{
    return shot_in_column(s, 508, 514, 0, 365);
}

// The ready screen's ship: drawn in its 30 x 30 square at the centre, and
// nothing else near it. Rocks start at least 80 pixels from the ship; the
// text starts at row 404.
inline ::testing::AssertionResult ship_alone_at_the_centre(const Screenshot& s)
{
    int inside = 0;
    int beside = 0;
    for (int y = 354; y < 404; ++y) {
        for (int x = 482; x < 542; ++x) {
            if (!is_background(s.at(x, y))) {
                (x >= 497 && x <= 526 && y >= 369 && y <= 398 ? inside : beside) += 1;
            }
        }
    }
    if (inside <= 60) {
        return ::testing::AssertionFailure() << "only " << inside << " pixels of the ship in its square at the centre";
    }
    if (beside != 0) {
        return ::testing::AssertionFailure() << beside << " pixels drawn outside the ship's square";
    }
    return ::testing::AssertionSuccess();
}
