#pragma once

#include <cmath>

// The play field is the whole window, in pixels, origin at the top-left corner.
inline constexpr int WIDTH = 1024;
inline constexpr int HEIGHT = 768;

// The ship's step per tick on each axis, and every asteroid's speed per tick.
inline constexpr double SPEED = 3.0;

// Euclidean distance between two integer points. The differences are taken in
// 64 bits so that no pair of ints can overflow them; for on-screen values this
// is exactly the plain int difference.
inline double dist(int x1, int y1, int x2, int y2)
{
    const double dx = static_cast<double>(static_cast<long long>(x1) - x2);
    const double dy = static_cast<double>(static_cast<long long>(y1) - y2);
    return std::sqrt(dx * dx + dy * dy);
}
