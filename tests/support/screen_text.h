#pragma once

// What the real game's text looks like on screen: the lines are drawn again
// with SDL2_gfx, the way the game draws them, and compared pixel for pixel
// with a screenshot of its window.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "canvas.h"
#include "game/field.h"
#include "screenshot.h"

inline constexpr std::uint32_t BACKGROUND = 0xFF080808;
inline constexpr std::uint32_t WHITE = 0xFFFFFFFF;

// The white text pixels that the game draws for the given lines.
inline Screenshot text_reference(const std::vector<Text>& lines)
{
    const Canvas canvas;
    SDL_SetRenderDrawColor(sdlRenderer, 0, 0, 0, 255);
    SDL_RenderClear(sdlRenderer);
    draw_text(lines);
    return Screenshot{WIDTH, HEIGHT, read_frame(sdlRenderer)};
}

// Every pixel of the text is white on screen, and there are no more white
// pixels in the text's rows than the text has.
inline ::testing::AssertionResult shows_text(const Screenshot& screen, const std::vector<Text>& lines)
{
    const Screenshot reference = text_reference(lines);
    int top = HEIGHT;
    int bottom = 0;
    for (const Text& t : lines) {
        top = std::min(top, t.y);
        bottom = std::max(bottom, t.y + 8);
    }
    std::size_t expected = 0;
    std::size_t found = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            if (reference.at(x, y) == WHITE) {
                ++expected;
                if (screen.at(x, y) != WHITE) {
                    return ::testing::AssertionFailure() << "text pixel (" << x << ", " << y << ") is not white";
                }
            }
            found += screen.at(x, y) == WHITE;
        }
    }
    if (expected == 0 || found != expected) {
        return ::testing::AssertionFailure() << found << " white pixels where the text has " << expected;
    }
    return ::testing::AssertionSuccess();
}

// Every pixel of the text's letters is white on screen, whatever else around
// them is white too (where the rocks are not known, a white one may cross the
// text's rows); but not every pixel of those rows, as in a window that is not
// painted yet.
inline bool shows_letters(const Screenshot& screen, const Screenshot& reference, const std::vector<Text>& lines)
{
    std::size_t letters = 0;
    std::size_t white = 0;
    std::size_t all = 0;
    for (const Text& t : lines) {
        for (int y = t.y; y < t.y + 8; ++y) {
            for (int x = 0; x < WIDTH; ++x) {
                if (reference.at(x, y) == WHITE) {
                    ++letters;
                    if (screen.at(x, y) != WHITE) {
                        return false;
                    }
                }
                white += screen.at(x, y) == WHITE;
                ++all;
            }
        }
    }
    return letters > 0 && white < all;
}

// The letters of the ready screen of this difficulty, whatever rocks lie
// around them (where the rocks are not known).
inline bool shows_ready_letters(const Screenshot& screen, int difficulty)
{
    static std::map<int, Screenshot> references;
    const std::vector<Text> lines = ready_lines(difficulty);
    const auto [reference, made] = references.try_emplace(difficulty);
    if (made) {
        reference->second = text_reference(lines);
    }
    return shows_letters(screen, reference->second, lines);
}

// What the game-over screen writes over the last frame of play.
inline bool shows_game_over(const Screenshot& screen)
{
    static const Screenshot reference = text_reference(GAME_OVER_LINES);
    return shows_letters(screen, reference, GAME_OVER_LINES);
}
