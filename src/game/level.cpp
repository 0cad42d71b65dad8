#include "game/level.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "game/field.h"
#include "renderer.h"

namespace {

constexpr int ROCKS_PER_DIFFICULTY = 3;
constexpr std::size_t MAX_SHOTS = 7;
constexpr int FRAGMENTS = 2;

// The background is opaque red 8, green 8, blue 8 over the whole window.
constexpr Uint8 BACKGROUND = 8;

} // namespace

Level::Level(int n) : ship(WIDTH / 2, HEIGHT / 2)
{
    // Counted in 64 bits: 3 * n must not overflow for a large n.
    const long long rocks = static_cast<long long>(ROCKS_PER_DIFFICULTY) * n;
    for (long long i = 1; i <= rocks; ++i) {
        // Each size is drawn before that rock's own draws.
        const int size = std::rand() % 3 + 1;
        asteroids.emplace_back(size, ship.getX(), ship.getY(), Asteroid::NO_PARENT, Asteroid::NO_PARENT);
    }
}

bool Level::complete() const
{
    return asteroids.empty();
}

void Level::spawn_new(const Asteroid& a)
{
    if (a.getSize() <= 1) {
        return;
    }
    const int prevx = static_cast<int>(a.getX());
    const int prevy = static_cast<int>(a.getY());
    for (int i = 0; i < FRAGMENTS; ++i) {
        asteroids.emplace_back(a.getSize() - 1, ship.getX(), ship.getY(), prevx, prevy);
    }
}

bool Level::collides(const Asteroid& a) const
{
    const double d = dist(ship.getX(), ship.getY(), static_cast<int>(a.getX()), static_cast<int>(a.getY()));
    return d < 10 * a.getSize() + 10;
}

// Finds the oldest shot that hits the rock; if there is one, the rock splits
// and both it and the shot are used up. The rock itself is removed by the
// caller, which is walking the list.
bool Level::hit_by_shot(Asteroid& a)
{
    const auto shot = std::find_if(projectiles.begin(), projectiles.end(), [&a](const Projectile& p) {
        return a.hit(static_cast<int>(p.getX()), static_cast<int>(p.getY()));
    });
    if (shot == projectiles.end()) {
        return false;
    }
    spawn_new(a);
    projectiles.erase(shot);
    return true;
}

void Level::progress()
{
    for (auto p = projectiles.begin(); p != projectiles.end();) {
        p->move();
        p = p->old() ? projectiles.erase(p) : std::next(p);
    }

    // Fragments appended during this walk are reached by it too: they move
    // and are tested in the tick they appear.
    for (auto a = asteroids.begin(); a != asteroids.end();) {
        a->move();
        if (collides(*a)) {
            throw GAME_OVER;
        }
        a = hit_by_shot(*a) ? asteroids.erase(a) : std::next(a);
    }

    ship.move();
}

void Level::draw()
{
    // Clearing paints exactly what an opaque box from (0, 0) to (WIDTH, HEIGHT)
    // would, and costs a renderer far less: under Xvfb's software GL, filling
    // the window 50 times a second took three times the CPU of clearing it.
    SDL_SetRenderDrawColor(sdlRenderer, BACKGROUND, BACKGROUND, BACKGROUND, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(sdlRenderer);
    ship.draw();
    for (Asteroid& a : asteroids) {
        a.draw();
    }
    for (Projectile& p : projectiles) {
        p.draw();
    }
}

void Level::press(int key)
{
    if (key == SDLK_ESCAPE) {
        throw LEAVE_LEVEL;
    }
    ship.press(key);
}

void Level::release(int key)
{
    ship.release(key);
}

void Level::fire(int dirx, int diry)
{
    if (projectiles.size() < MAX_SHOTS) {
        projectiles.emplace_back(ship.getX(), ship.getY(), dirx, diry);
    }
}

void Level::updateposition(int x, int y)
{
    ship.setrotation(x, y);
}
