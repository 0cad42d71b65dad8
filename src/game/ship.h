#pragma once

// The player's ship: an integer position, the four direction flags held by the
// keyboard, and a heading in whole degrees that selects one of the 360
// pre-rotated ship images.
class Ship {
public:
    Ship(int x, int y);

    int getX() const { return x; }
    int getY() const { return y; }

    // Turns the ship to face the point (the mouse pointer).
    void setrotation(int eventx, int eventy);
    // One tick of movement by the held keys, then wrap-around.
    void move();
    void press(int key);
    void release(int key);
    void draw();

private:
    friend struct TestAccess;

    void steer(int key, bool held);

    int x;
    int y;
    int r;
    bool left;
    bool right;
    bool up;
    bool down;
};
