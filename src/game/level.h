#pragma once

#include <list>

#include "game/asteroid.h"
#include "game/projectile.h"
#include "game/ship.h"

// One level's world: the ship, the rocks still in play and the shots in
// flight, and the order in which they act on each other. Both lists keep
// creation order and are always walked front to back, so the oldest shot wins
// a rock and later objects are painted over earlier ones.
//
// A level is cut short by raising an integer: LEAVE_LEVEL when the player
// presses Escape, GAME_OVER when a rock reaches the ship.
inline constexpr int LEAVE_LEVEL = 0;
inline constexpr int GAME_OVER = -1;

class Level {
public:
    // Difficulty n starts with 3 * n rocks (none for n <= 0).
    explicit Level(int n);

    bool complete() const;
    // Appends the two fragments of a rock of size 2 or 3 that was just hit.
    void spawn_new(const Asteroid& a);
    void progress();
    void draw();
    void press(int key);
    void release(int key);
    void fire(int dirx, int diry);
    void updateposition(int x, int y);

private:
    friend struct TestAccess;

    bool collides(const Asteroid& a) const;
    bool hit_by_shot(Asteroid& a);

    std::list<Asteroid> asteroids;
    std::list<Projectile> projectiles;
    Ship ship;
};
