#pragma once

// What the game's shapes look like on screen, for the tests that watch the
// real game (on X and in the browser): the background, a shot in flight and
// the ship alone at the centre of a fresh level, and that level's rocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "game/level.h"
#include "screen_text.h"
#include "test_access.h"
#include "screenshot.h"

inline bool is_background(std::uint32_t p)
{
    return p == BACKGROUND;
}

// The field's colour over most of the screen: at least nine in ten points of
// a grid across it, which a lost or black frame is not, whatever rocks and
// lines of text lie over the field (a rock may sit on any corner).
inline ::testing::AssertionResult mostly_background(const Screenshot& s)
{
    int points = 0;
    int field = 0;
    for (int y = 0; y < HEIGHT; y += 16) {
        for (int x = 0; x < WIDTH; x += 16) {
            ++points;
            field += is_background(s.at(x, y));
        }
    }
    if (field * 10 < points * 9) {
        return ::testing::AssertionFailure() << "the field's colour at only " << field << " of " << points << " points";
    }
    return ::testing::AssertionSuccess();
}

// A shot: a 3 x 3 square of white with the background all round it, which
// no rock has, not even a white one.
inline bool shot_at(const Screenshot& s, int x, int y)
{
    for (int dy = -1; dy < 4; ++dy) {
        for (int dx = -1; dx < 4; ++dx) {
            const bool inside = dx >= 0 && dx < 3 && dy >= 0 && dy < 3;
            const bool on_screen = x + dx >= 0 && x + dx < s.width && y + dy >= 0 && y + dy < s.height;
            if (on_screen && s.at(x + dx, y + dy) != (inside ? WHITE : BACKGROUND)) {
                return false;
            }
        }
    }
    return true;
}

// A shot whose top-left corner lies in the given columns and rows.
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

// The ship's column, where a shot fired from the centre at (512, 100) flies
// for all of its four seconds: up to the top edge, then on from the bottom
// one. (Only the ship's own square and the rows of the ready screen's text,
// gone during play, are left out.)
inline bool shot_in_the_ships_column(const Screenshot& s)
{
    return shot_in_column(s, 508, 514, 0, 365) || shot_in_column(s, 508, 514, 400, HEIGHT - 3);
}

// Every shot in flight on the screen.
inline int shots_on_screen(const Screenshot& s)
{
    int shots = 0;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            shots += shot_at(s, x, y);
        }
    }
    return shots;
}

// The ship drawn in its 30 x 30 square around (centre_x, centre_y), and
// nothing else near it, from 30 rows above to 20 below (where the ready
// screen's text starts).
inline ::testing::AssertionResult ship_alone_at(const Screenshot& s, int centre_x, int centre_y = HEIGHT / 2)
{
    int inside = 0;
    int beside = 0;
    for (int y = std::max(centre_y - 30, 0); y < std::min(centre_y + 20, s.height); ++y) {
        for (int x = std::max(centre_x - 30, 0); x < std::min(centre_x + 30, s.width); ++x) {
            if (!is_background(s.at(x, y))) {
                const bool square = x >= centre_x - 15 && x <= centre_x + 14 && y >= centre_y - 15 && y <= centre_y + 14;
                (square ? inside : beside) += 1;
            }
        }
    }
    if (inside <= 60) {
        return ::testing::AssertionFailure()
               << "only " << inside << " pixels of the ship in its square at (" << centre_x << ", " << centre_y << ")";
    }
    if (beside != 0) {
        return ::testing::AssertionFailure() << beside << " pixels drawn outside the ship's square";
    }
    return ::testing::AssertionSuccess();
}

// The ready screen's ship. Rocks start at least 80 pixels from the ship; the
// text starts at row 404.
inline ::testing::AssertionResult ship_alone_at_the_centre(const Screenshot& s)
{
    return ship_alone_at(s, WIDTH / 2);
}

// The ship moved from the centre, three pixels a tick, along a row or a
// column, and now alone at least its own size away.
inline bool ship_moved(const Screenshot& s, int dx, int dy)
{
    for (int step = 10; step < 100; ++step) {
        const int x = WIDTH / 2 + 3 * step * dx;
        const int y = HEIGHT / 2 + 3 * step * dy;
        if (x > 15 && x < WIDTH - 15 && y > 15 && y < HEIGHT - 15 && ship_alone_at(s, x, y)) {
            return true;
        }
    }
    return false;
}

// Exactly the rocks of a fresh level: each one's square mostly drawn, and
// background everywhere else but in the ship's square and on the letters of
// the text. (No rock's square meets the ship's: rocks start 80 pixels away.)
inline ::testing::AssertionResult shows_the_rocks_of(const Screenshot& s, Level& level, const Screenshot& letters)
{
    if (s.width != WIDTH || s.height != HEIGHT) {
        return ::testing::AssertionFailure() << "no screen of the game";
    }
    std::vector<bool> accounted(s.pixels.size());
    const auto square = [&](int x, int y, int radius, int& drawn, int& seen) {
        for (int row = std::max(0, y - radius); row < std::min(HEIGHT, y + radius); ++row) {
            for (int column = std::max(0, x - radius); column < std::min(WIDTH, x + radius); ++column) {
                const bool letter = letters.at(column, row) == WHITE;
                drawn += !letter && !is_background(s.at(column, row));
                seen += !letter;
                accounted[std::size_t(row) * WIDTH + column] = true;
            }
        }
    };
    int unused = 0;
    square(WIDTH / 2, HEIGHT / 2, 15, unused, unused);
    for (const Asteroid& a : TestAccess::asteroids(level)) {
        int drawn = 0;
        int seen = 0;
        const int x = static_cast<int>(a.getX());
        const int y = static_cast<int>(a.getY());
        square(x, y, a.getSize() * 10, drawn, seen);
        if (drawn * 3 < seen) {
            return ::testing::AssertionFailure() << "no rock of size " << a.getSize() << " at (" << x << ", " << y
                                                 << "): " << drawn << " of its " << seen << " pixels drawn";
        }
    }
    for (std::size_t i = 0; i < s.pixels.size(); ++i) {
        if (!accounted[i] && letters.pixels[i] != WHITE && !is_background(s.pixels[i])) {
            return ::testing::AssertionFailure() << "(" << i % WIDTH << ", " << i / WIDTH << ") drawn, outside every rock";
        }
    }
    return ::testing::AssertionSuccess();
}
