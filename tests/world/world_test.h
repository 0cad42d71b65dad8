#pragma once

// What the tests of the world's rules share: rocks and shots put exactly where
// a rule is decided, and a canvas read back pixel by pixel.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "canvas.h"
#include "test_access.h"

// Where a ship, a rock or a shot is.
template <typename Thing> auto position(const Thing& t)
{
    return std::pair(t.getX(), t.getY());
}

// A rock of this size at exactly this place and speed; its colour comes from
// rand() as ever.
inline Asteroid rock_at(int size, double x, double y, double speedx = 0, double speedy = 0)
{
    Asteroid a(size, 0, 0, 100, 100);
    TestAccess::place(a, x, y, speedx, speedy);
    return a;
}

// A shot at exactly this place, speed and age.
inline Projectile shot_at(double x, double y, double speedx = 0, double speedy = 0, std::uint32_t age = 0)
{
    Projectile p(0, 0, 1, 0);
    TestAccess::place(p, x, y, speedx, speedy);
    TestAccess::set_age(p, age);
    return p;
}

// Whether each listed pixel of the canvas shows the colour.
inline void expect_pixels(const Canvas& canvas, Rgba colour, const std::vector<std::tuple<int, int, bool>>& pixels)
{
    for (const auto& [x, y, shows] : pixels) {
        EXPECT_EQ(canvas.pixel(x, y) == colour, shows) << "pixel " << x << ", " << y << " is " << canvas.pixel(x, y);
    }
}
