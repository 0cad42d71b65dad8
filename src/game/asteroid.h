#pragma once

#include <SDL.h>

// One rock: a textured square of size class 1 to 3 that drifts at SPEED
// pixels per tick and wraps around the field with a margin of size * 5.
class Asteroid {
public:
    // A rock of size class s. With (prevx, prevy) = (-1, -1) it is placed at
    // random at least 80 pixels from the ship at (shipx, shipy); otherwise it
    // is a fragment placed beside its parent at (prevx, prevy). Raises the
    // integer 3 for a size class outside 1 to 3.
    Asteroid(int s, int shipx, int shipy, int prevx, int prevy);

    // Given as both coordinates of the parent, asks for a free placement.
    static constexpr int NO_PARENT = -1;

    double getX() const { return x; }
    double getY() const { return y; }
    int getSize() const { return size; }

    // Whether the point lies within size * 10 pixels of the centre.
    bool hit(int prx, int pry) const;
    void move();
    void draw();

private:
    friend struct TestAccess;

    int size;
    double x;
    double y;
    double speedx;
    double speedy;
    SDL_Texture* texture;
    SDL_Rect dest;
};
