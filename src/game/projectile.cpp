#include "game/projectile.h"

#include <SDL2_gfxPrimitives.h>

#include <cmath>

#include "game/field.h"
#include "renderer.h"

namespace {

constexpr double SHOT_SPEED = 2 * SPEED;
// A shot is drawn after each of its first 200 moves and removed on the next.
constexpr std::uint32_t LIFETIME = 200;
// All bits set: opaque white whichever byte order boxColor reads.
constexpr Uint32 WHITE = 0xFFFFFFFF;

Sint16 corner(double coordinate)
{
    return static_cast<Sint16>(static_cast<int>(coordinate));
}

} // namespace

Projectile::Projectile(int x, int y, int dirx, int diry) : x(x), y(y), speedx(0), speedy(0), age(0)
{
    // The aim is taken in 64 bits so that no pair of int points overflows;
    // aiming at the start point itself gives atan2(0, 0) = 0, straight right.
    const double degree = std::atan2(static_cast<double>(static_cast<long long>(diry) - y),
                                     static_cast<double>(static_cast<long long>(dirx) - x));
    speedx = std::cos(degree) * SHOT_SPEED;
    speedy = std::sin(degree) * SHOT_SPEED;
}

void Projectile::move()
{
    x = x + speedx;
    y = y + speedy;

    // No margin, and the overshoot is dropped.
    if (x > WIDTH) {
        x = 0;
    } else if (x < 0) {
        x = WIDTH;
    }
    if (y > HEIGHT) {
        y = 0;
    } else if (y < 0) {
        y = HEIGHT;
    }
    ++age;
}

bool Projectile::old() const
{
    return age > LIFETIME;
}

void Projectile::draw()
{
    // A 3 x 3 square (2 x 2 where a coordinate lies strictly between 0 and 1).
    boxColor(sdlRenderer, corner(x - 1), corner(y - 1), corner(x + 1), corner(y + 1), WHITE);
}
