#pragma once

#include <cstdint>
#include <list>

#include "game/asteroid.h"
#include "game/level.h"
#include "game/projectile.h"
#include "game/ship.h"

// The one door the tests have into the world's private state: to read the
// level's lists and to put a rock or a shot exactly where a rule is decided.
struct TestAccess {
    static std::list<Asteroid>& asteroids(Level& l) { return l.asteroids; }
    static std::list<Projectile>& projectiles(Level& l) { return l.projectiles; }
    static Ship& ship(Level& l) { return l.ship; }

    static int heading(const Ship& s) { return s.r; }

    static double speedx(const Asteroid& a) { return a.speedx; }
    static double speedy(const Asteroid& a) { return a.speedy; }
    static SDL_Texture* texture(const Asteroid& a) { return a.texture; }
    static void place(Asteroid& a, double x, double y, double speedx, double speedy)
    {
        a.x = x;
        a.y = y;
        a.speedx = speedx;
        a.speedy = speedy;
    }

    static std::uint32_t age(const Projectile& p) { return p.age; }
    static void place(Projectile& p, double x, double y, double speedx, double speedy)
    {
        p.x = x;
        p.y = y;
        p.speedx = speedx;
        p.speedy = speedy;
    }
    static void set_age(Projectile& p, std::uint32_t age) { p.age = age; }
};
