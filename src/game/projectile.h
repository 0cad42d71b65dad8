#pragma once

#include <cstdint>

// One shot: a point flying in a straight line at twice the ship's speed,
// wrapping at the edges of the field, and counting its moves until it is old.
class Projectile {
public:
    // A shot that starts at (x, y) and heads towards (dirx, diry).
    Projectile(int x, int y, int dirx, int diry);

    double getX() const { return x; }
    double getY() const { return y; }
    double getSpeedX() const { return speedx; }
    double getSpeedY() const { return speedy; }

    void move();
    void draw();
    bool old() const;

private:
    friend struct TestAccess;

    double x;
    double y;
    double speedx;
    double speedy;
    std::uint32_t age;
};
