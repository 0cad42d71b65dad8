#include "game/asteroid.h"

#include <cmath>
#include <cstdlib>

#include "game/field.h"
#include "renderer.h"
#include "textures.h"

namespace {

// A new rock never starts closer than this to the ship's centre.
constexpr double CLEARANCE = 80;

// A fragment lands from 10 pixels before to 9 pixels after its parent's
// coordinate. Taken in 64 bits so that no int position can overflow.
double beside(int parent)
{
    return static_cast<double>(static_cast<long long>(parent) + std::rand() % 20 - 10);
}

} // namespace

Asteroid::Asteroid(int s, int shipx, int shipy, int prevx, int prevy)
    : size(s), x(0), y(0), speedx(0), speedy(0), texture(nullptr), dest{}
{
    if (size <= 0 || size > 3) {
        throw 3;
    }

    // The order of the rand() draws is part of the game: colour, position,
    // velocity.
    const int colour = std::rand() % ASTEROID_COLOURS;
    texture = asteroid_textures[(size - 1) * ASTEROID_COLOURS + colour];

    if (prevx == NO_PARENT && prevy == NO_PARENT) {
        do {
            x = std::rand() % WIDTH;
            y = std::rand() % HEIGHT;
        } while (dist(static_cast<int>(x), static_cast<int>(y), shipx, shipy) < CLEARANCE);
    } else {
        x = beside(prevx);
        y = beside(prevy);
    }

    // A draw of (0, 0) has no direction to scale to SPEED: draw both again.
    do {
        speedx = std::rand() % 100 - 50;
        speedy = std::rand() % 100 - 50;
    } while (speedx == 0 && speedy == 0);

    const double length = std::sqrt(speedx * speedx + speedy * speedy);
    speedx = speedx / length * SPEED;
    speedy = speedy / length * SPEED;
}

void Asteroid::move()
{
    x = x + speedx;
    y = y + speedy;

    // Half the drawn half-width: a rock is still partly visible as it jumps.
    const double halfsize = (size * 10) / 2;
    if (x > WIDTH + halfsize) {
        x = -halfsize;
    } else if (x < -halfsize) {
        x = WIDTH + halfsize;
    }
    if (y > HEIGHT + halfsize) {
        y = -halfsize;
    } else if (y < -halfsize) {
        y = HEIGHT + halfsize;
    }
}

bool Asteroid::hit(int prx, int pry) const
{
    return dist(static_cast<int>(x), static_cast<int>(y), prx, pry) <= size * 10;
}

void Asteroid::draw()
{
    const int radius = size * 10;
    dest = SDL_Rect{static_cast<int>(x) - radius, static_cast<int>(y) - radius, 2 * radius, 2 * radius};
    SDL_RenderCopy(sdlRenderer, texture, nullptr, &dest);
}
