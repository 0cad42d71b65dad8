#include <climits>

#include "game/ship.h"
#include "world_test.h"

namespace {

using Point = std::pair<int, int>;

// Where one more move takes the ship.
Point moved(Ship& s)
{
    s.move();
    return position(s);
}

Point after_one_move(Ship s)
{
    return moved(s);
}

} // namespace

TEST(Ship, EachSteeringKeyMovesThreePixelsOnItsAxisAndOtherKeysNothing)
{
    const std::vector<std::pair<int, Point>> cases = {
        {SDLK_w, {100, 97}},      {SDLK_UP, {100, 97}},      {SDLK_a, {97, 100}},  {SDLK_LEFT, {97, 100}},
        {SDLK_s, {100, 103}},     {SDLK_DOWN, {100, 103}},   {SDLK_d, {103, 100}}, {SDLK_RIGHT, {103, 100}},
        {SDLK_SPACE, {100, 100}}, {SDLK_ESCAPE, {100, 100}}, {SDLK_q, {100, 100}}, {-1, {100, 100}},
    };
    for (const auto& [key, expected] : cases) {
        Ship s(100, 100);
        s.press(key);
        EXPECT_EQ(after_one_move(s), expected) << "key " << key;
        s.release(key);
        EXPECT_EQ(after_one_move(s), Point(100, 100)) << "released key " << key;
    }
}

TEST(Ship, OppositeKeysCancelUntilOneIsReleased)
{
    Ship s(100, 100);
    for (int key : {SDLK_a, SDLK_RIGHT, SDLK_w, SDLK_s}) {
        s.press(key);
    }
    EXPECT_EQ(moved(s), Point(100, 100));
    s.release(SDLK_RIGHT);
    EXPECT_EQ(moved(s), Point(97, 100));
    s.release(SDLK_w);
    EXPECT_EQ(moved(s), Point(94, 103));
}

TEST(Ship, ReleasingEitherKeyOfARowStopsThatDirection)
{
    Ship s(100, 100);
    s.press(SDLK_a);
    s.press(SDLK_LEFT);
    s.release(SDLK_a);
    EXPECT_EQ(after_one_move(s), Point(100, 100)) << "arrow still held, but nothing counts keys";

    // Repeated presses of a held key (auto-repeat) are not counted either.
    for (int key : {SDLK_DOWN, SDLK_DOWN, SDLK_s}) {
        s.press(key);
    }
    s.release(SDLK_DOWN);
    EXPECT_EQ(after_one_move(s), Point(100, 100));
}

TEST(Ship, DiagonalMovesChangeBothAxesByThree)
{
    Ship s(100, 100);
    s.press(SDLK_w);
    s.press(SDLK_a);
    EXPECT_EQ(moved(s), Point(97, 97));
    s.release(SDLK_w);
    s.release(SDLK_a);
    s.press(SDLK_DOWN);
    s.press(SDLK_RIGHT);
    EXPECT_EQ(moved(s), Point(100, 100));
}

TEST(Ship, WrapsTenPixelsBeyondEachEdgeWithStrictBounds)
{
    // The last starts outside the bounds: it wraps on the next move.
    const std::vector<std::tuple<Point, int, Point>> cases = {
        {{1031, 100}, SDLK_d, {1034, 100}}, {{1032, 100}, SDLK_d, {-10, 100}}, {{-7, 100}, SDLK_a, {-10, 100}},
        {{-8, 100}, SDLK_a, {1034, 100}},   {{100, 775}, SDLK_s, {100, 778}},  {{100, 776}, SDLK_s, {100, -10}},
        {{100, -7}, SDLK_w, {100, -10}},    {{100, -8}, SDLK_w, {100, 778}},   {{5000, -5000}, SDLK_SPACE, {-10, 778}},
    };
    for (const auto& [start, key, expected] : cases) {
        Ship s(start.first, start.second);
        s.press(key);
        EXPECT_EQ(after_one_move(s), expected) << "from " << start.first << ", " << start.second;
    }
}

TEST(Ship, HeadingFacesThePointerCounterClockwiseFromUpAndStaysInRange)
{
    const std::vector<std::pair<Point, int>> cases = {
        {{512, 500}, 180},  {{512, 384}, 180}, {{100, 384}, 90},  {{900, 384}, 270}, {{511, 0}, 1},
        {{513, 0}, 359},    {{0, 0}, 54},      {{0, 383}, 90},    {{0, 385}, 91},    {{1023, 383}, 270},
        {{1023, 385}, 269}, {{511, 767}, 180}, {{513, 767}, 180}, {{512, 100}, 360},
    };
    for (const auto& [pointer, heading] : cases) {
        Ship s(512, 384);
        s.setrotation(pointer.first, pointer.second);
        EXPECT_EQ(TestAccess::heading(s), heading) << "pointer " << pointer.first << ", " << pointer.second;
    }

    // However far apart the ship and the pointer, the heading names an image.
    const int extremes[] = {INT_MIN, -1, 0, 1, INT_MAX};
    for (int px : extremes) {
        for (int py : extremes) {
            Ship s(INT_MAX, INT_MIN);
            s.setrotation(px, py);
            EXPECT_GE(TestAccess::heading(s), 1);
            EXPECT_LE(TestAccess::heading(s), 360);
        }
    }
    Ship s(INT_MIN, 0);
    s.setrotation(INT_MAX, 0);
    EXPECT_EQ(TestAccess::heading(s), 270) << "a difference beyond int still points right";
}

TEST(Ship, DrawsTheImageOfItsHeadingInAThirtyPixelSquareClippedByTheWindow)
{
    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());

    // Image 0 before any turn.
    Ship s(512, 384);
    s.draw();
    expect_pixels(canvas, StandInTextures::ship(0),
                  {{497, 369, true}, {526, 398, true}, {496, 369, false}, {527, 398, false}, {526, 399, false}});

    const std::vector<std::pair<Point, int>> turns = {
        {{100, 384}, 90}, {{512, 500}, 180}, {{511, 0}, 1}, {{513, 0}, 359}, {{512, 100}, 0},
    };
    for (const auto& [pointer, image] : turns) {
        s.setrotation(pointer.first, pointer.second);
        s.draw();
        EXPECT_EQ(canvas.pixel(512, 384), StandInTextures::ship(image)) << "heading " << TestAccess::heading(s);
    }

    // At the window's edge only the part inside it shows.
    Ship edge(-10, 50);
    edge.draw();
    expect_pixels(canvas, StandInTextures::ship(0),
                  {{0, 35, true}, {4, 64, true}, {5, 35, false}, {0, 34, false}, {0, 65, false}});
}
