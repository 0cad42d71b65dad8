#include "game/ship.h"

#include <SDL.h>

#include <cmath>

#include "game/field.h"
#include "renderer.h"
#include "textures.h"

namespace {

// The ship wraps this far beyond each edge of the field.
constexpr int WRAP_MARGIN = 10;
constexpr int HALF_SIDE = 15;

// Headings are computed with this value of pi, a little under the true one,
// so that a pointer straight above the ship gives 360 rather than 359.
constexpr double HEADING_PI = 3.141592653589;

// One axis of a step: -SPEED, +SPEED or nothing when both or neither key of
// the axis is held. Computed in double and truncated back, as every step is.
int step(int position, bool decrease, bool increase)
{
    if (decrease && !increase) {
        return static_cast<int>(position - SPEED);
    }
    if (increase && !decrease) {
        return static_cast<int>(position + SPEED);
    }
    return position;
}

} // namespace

Ship::Ship(int x, int y) : x(x), y(y), r(0), left(false), right(false), up(false), down(false) {}

void Ship::setrotation(int eventx, int eventy)
{
    // Differences in 64 bits: any pair of int points is safe.
    const double dx = static_cast<double>(static_cast<long long>(eventx) - x);
    const double dy = static_cast<double>(static_cast<long long>(eventy) - y);
    // Measured from straight down towards the right, so the x difference goes
    // where atan2 expects y.
    const double degrees = std::atan2(dx, dy) / HEADING_PI * 180;
    r = static_cast<int>(degrees) + 180;
}

void Ship::move()
{
    x = step(x, left, right);
    y = step(y, up, down);

    // Four strict tests in this order, each on the result of the previous.
    if (x > WIDTH + WRAP_MARGIN) {
        x = -WRAP_MARGIN;
    }
    if (y > HEIGHT + WRAP_MARGIN) {
        y = -WRAP_MARGIN;
    }
    if (x < -WRAP_MARGIN) {
        x = WIDTH + WRAP_MARGIN;
    }
    if (y < -WRAP_MARGIN) {
        y = HEIGHT + WRAP_MARGIN;
    }
}

void Ship::steer(int key, bool held)
{
    switch (key) {
    case SDLK_w:
    case SDLK_UP:
        up = held;
        break;
    case SDLK_a:
    case SDLK_LEFT:
        left = held;
        break;
    case SDLK_s:
    case SDLK_DOWN:
        down = held;
        break;
    case SDLK_d:
    case SDLK_RIGHT:
        right = held;
        break;
    default:
        break;
    }
}

void Ship::press(int key)
{
    steer(key, true);
}

void Ship::release(int key)
{
    steer(key, false);
}

void Ship::draw()
{
    SDL_Rect dest{x - HALF_SIDE, y - HALF_SIDE, 2 * HALF_SIDE, 2 * HALF_SIDE};
    // Heading 360 points straight up, as heading 0 does: it shows image 0.
    SDL_RenderCopy(sdlRenderer, ship_textures[r % SHIP_TEXTURE_COUNT], nullptr, &dest);
}
