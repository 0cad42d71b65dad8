#include <climits>
#include <cmath>

#include "game/projectile.h"
#include "world_test.h"

TEST(Projectile, FliesFromItsStartTowardsAnyAimAtSixPixelsPerTick)
{
    const std::vector<std::tuple<int, int, int, int, double, double>> cases = {
        {100, 100, 100, 100, 6.0, 0.0}, // aiming at the start point: straight right
        {100, 100, 100, 50, 0.0, -6.0}, // straight up the screen
        {100, 100, 0, 100, -6.0, 0.0},  {100, 100, 103, 104, 3.6, 4.8}, {512, 384, 509, 380, -3.6, -4.8},
    };
    for (const auto& [x, y, dirx, diry, speedx, speedy] : cases) {
        const Projectile p(x, y, dirx, diry);
        EXPECT_NEAR(p.getSpeedX(), speedx, 1e-9) << dirx << ", " << diry;
        EXPECT_NEAR(p.getSpeedY(), speedy, 1e-9) << dirx << ", " << diry;
        EXPECT_EQ(position(p), std::pair(double(x), double(y)));
    }
    const Projectile at_start(100, 100, 100, 100);
    EXPECT_EQ(at_start.getSpeedX(), 6.0);
    EXPECT_EQ(at_start.getSpeedY(), 0.0);

    // However far the aim, the difference must not overflow.
    const Projectile right(INT_MIN, 0, INT_MAX, 0);
    EXPECT_EQ(right.getSpeedX(), 6.0) << "the difference must not overflow into a shot to the left";
    const Projectile up(0, INT_MAX, 0, INT_MIN);
    EXPECT_NEAR(up.getSpeedY(), -6.0, 1e-9);
    const Projectile diagonal(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    EXPECT_NEAR(diagonal.getSpeedX(), -6.0 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(diagonal.getSpeedY(), -6.0 / std::sqrt(2.0), 1e-9);
}

TEST(Projectile, WrapsOnlyStrictlyBeyondTheFieldAndDropsTheOvershoot)
{
    const std::vector<std::tuple<double, double, double, double, double, double>> cases = {
        {1018.0, 10.0, 6.0, 0.0, 1024.0, 10.0}, {1018.5, 10.0, 6.0, 0.0, 0.0, 10.0},
        {5.5, 10.0, -6.0, 0.0, 1024.0, 10.0},   {6.0, 10.0, -6.0, 0.0, 0.0, 10.0},
        {10.0, 762.0, 0.0, 6.0, 10.0, 768.0},   {10.0, 762.5, 0.0, 6.0, 10.0, 0.0},
        {10.0, 5.5, 0.0, -6.0, 10.0, 768.0},    {10.0, 6.0, 0.0, -6.0, 10.0, 0.0},
        {1023.0, 767.0, 3.0, 3.0, 0.0, 0.0},    {1.0, 1.0, -3.0, -3.0, 1024.0, 768.0},
    };
    for (const auto& [x, y, speedx, speedy, endx, endy] : cases) {
        Projectile p = shot_at(x, y, speedx, speedy);
        p.move();
        EXPECT_EQ(position(p), std::pair(endx, endy)) << "from " << x << ", " << y;
    }
}

TEST(Projectile, GrowsOldOnItsTwoHundredAndFirstMove)
{
    Projectile p(512, 384, 0, 0); // wraps several times within 200 moves
    for (int i = 0; i < 200; ++i) {
        p.move();
        EXPECT_EQ(TestAccess::age(p), static_cast<std::uint32_t>(i + 1));
    }
    EXPECT_FALSE(p.old());
    p.move();
    EXPECT_TRUE(p.old());
}

TEST(Projectile, IsDrawnAsAWhiteSquareThreePixelsAcrossCutAtTheLeftEdge)
{
    // Where the shot is, a patch around it, and the part of the patch that is
    // white: just right of zero the square is two pixels across.
    const std::vector<std::tuple<double, double, SDL_Rect, SDL_Rect>> cases = {
        {100.5, 200.9, {98, 198, 5, 5}, {99, 199, 3, 3}},
        {0.5, 10.5, {0, 7, 4, 7}, {0, 9, 2, 3}},
    };
    for (const auto& [x, y, patch, white] : cases) {
        Canvas canvas;
        ASSERT_TRUE(canvas.ready());
        shot_at(x, y).draw();
        for (SDL_Point p{patch.x, patch.y}; p.x < patch.x + patch.w; ++p.x) {
            for (p.y = patch.y; p.y < patch.y + patch.h; ++p.y) {
                EXPECT_EQ(canvas.pixel(p.x, p.y) == WHITE_PIXEL, bool(SDL_PointInRect(&p, &white)))
                    << p.x << ", " << p.y;
            }
        }
    }
}
