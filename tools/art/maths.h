// Maths, colours and noise for the artwork: 2-D vectors and polygons, the
// direction the light comes from, colour blending, and the seeded random
// numbers and value noise that make every drawing repeatable.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

constexpr double kPi = std::numbers::pi;

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};

inline Vec2 operator+(Vec2 a, Vec2 b)
{
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b)
{
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double k)
{
    return {a.x * k, a.y * k};
}
inline double dot(Vec2 a, Vec2 b)
{
    return a.x * b.x + a.y * b.y;
}
inline double length(Vec2 a)
{
    return std::sqrt(dot(a, a));
}
inline Vec2 normalized(Vec2 a)
{
    return a * (1.0 / length(a));
}

using Polygon = std::vector<Vec2>;

// Light falls on everything from the upper left of the screen, whatever way a
// sprite is turned, so rocks and ship agree about where the sun is.
inline const Vec2 kLightDir = normalized({-0.6, -0.8});

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

inline Rgb operator*(Rgb c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

// Linear blend: t = 0 gives a, t = 1 gives b.
inline Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Uint8 toByte(double v)
{
    return static_cast<Uint8>(std::clamp(std::lround(v), 0L, 255L));
}

// SplitMix64: tiny, fast, and the same on every platform, unlike rand().
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi); 53 random bits make an exact double.
    double uniform(double lo, double hi)
    {
        const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;
        return lo + (hi - lo) * unit;
    }

    int between(int lo, int hi)
    { // inclusive
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

private:
    std::uint64_t state_;
};

// Smooth 2-D value noise on an integer lattice; used to make rock surfaces
// grainy. Hashing the lattice point keeps it stateless and repeatable.
double valueNoise(double x, double y, std::uint64_t seed);
