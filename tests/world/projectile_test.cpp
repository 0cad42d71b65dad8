#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "canvas.h"
#include "game/projectile.h"
#include "test_access.h"

TEST(Projectile, FliesFromItsStartTowardsTheAimAtSixPixelsPerTick)
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
        EXPECT_EQ(p.getX(), x);
        EXPECT_EQ(p.getY(), y);
    }
    const Projectile at_start(100, 100, 100, 100);
    EXPECT_EQ(at_start.getSpeedX(), 6.0);
    EXPECT_EQ(at_start.getSpeedY(), 0.0);
}

TEST(Projectile, AimsCorrectlyAtAnyIntPoint)
{
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
        Projectile p(0, 0, 1, 0);
        TestAccess::place(p, x, y, speedx, speedy);
        p.move();
        EXPECT_EQ(p.getX(), endx) << "from " << x << ", " << y;
        EXPECT_EQ(p.getY(), endy) << "from " << x << ", " << y;
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

TEST(Projectile, IsDrawnAsAWhiteSquareThreePixelsAcross)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.ready());

    Projectile p(0, 0, 1, 0);
    TestAccess::place(p, 100.5, 200.9, 0, 0);
    p.draw();
    for (int x = 98; x <= 102; ++x) {
        for (int y = 198; y <= 202; ++y) {
            const bool inside = x >= 99 && x <= 101 && y >= 199 && y <= 201;
            EXPECT_EQ(canvas.pixel(x, y) == WHITE_PIXEL, inside) << x << ", " << y;
        }
    }
}

TEST(Projectile, IsTwoPixelsAcrossJustRightOfZero)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.ready());

    Projectile p(0, 0, 1, 0);
    TestAccess::place(p, 0.5, 10.5, 0, 0);
    p.draw();
    for (int x = 0; x <= 3; ++x) {
        for (int y = 7; y <= 13; ++y) {
            const bool inside = x <= 1 && y >= 9 && y <= 11;
            EXPECT_EQ(canvas.pixel(x, y) == WHITE_PIXEL, inside) << x << ", " << y;
        }
    }
}
