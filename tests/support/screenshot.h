#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "game/field.h"
#include "waiting.h"

// The rows of the game's screen that a check looks at, from `top` up to
// `bottom`: reading only those is quicker than reading them all.
struct Rows {
    int top = 0;
    int bottom = HEIGHT;
};

// One screen of the game, 0xAARRGGBB row by row, alpha always 255; a screen
// read in part holds 0 outside the rows read.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    bool whole() const { return width == WIDTH && height == HEIGHT; }
    bool operator==(const Screenshot&) const = default;
    bool save_png(const std::string& path) const;
};

// Takes screenshots with `take` until one of the whole game passes `check`;
// false when the time runs out first.
template <typename Take, typename Check>
bool poll_screens(Take take, Check check, std::chrono::milliseconds timeout, std::chrono::milliseconds pause)
{
    return poll_until(
        [&] {
            const Screenshot s = take();
            return s.whole() && check(s);
        },
        timeout, pause);
}
