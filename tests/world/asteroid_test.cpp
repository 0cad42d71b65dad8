#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "canvas.h"
#include "game/asteroid.h"
#include "game/field.h"
#include "test_access.h"

namespace {

struct Drawn {
    int colour;
    double x, y, speedx, speedy;
};

// The rock's random choices, replayed straight from rand(): colour, then the
// position, then the velocity scaled to SPEED.
Drawn replay(unsigned seed, int shipx, int shipy, int prevx, int prevy)
{
    std::srand(seed);
    Drawn d{};
    d.colour = std::rand() % 6;
    if (prevx == -1 && prevy == -1) {
        do {
            d.x = std::rand() % 1024;
            d.y = std::rand() % 768;
        } while (std::hypot(d.x - shipx, d.y - shipy) < 80);
    } else {
        d.x = prevx + std::rand() % 20 - 10;
        d.y = prevy + std::rand() % 20 - 10;
    }
    do {
        d.speedx = std::rand() % 100 - 50;
        d.speedy = std::rand() % 100 - 50;
    } while (d.speedx == 0 && d.speedy == 0);
    const double length = std::hypot(d.speedx, d.speedy);
    d.speedx = d.speedx / length * 3.0;
    d.speedy = d.speedy / length * 3.0;
    return d;
}

Asteroid at(int size, double x, double y, double speedx = 0, double speedy = 0)
{
    Asteroid a(size, 0, 0, 100, 100);
    TestAccess::place(a, x, y, speedx, speedy);
    return a;
}

} // namespace

TEST(Asteroid, InvalidSizeRaisesThreeBeforeDrawingAnyRandomNumber)
{
    for (int size : {0, 4, -1, INT_MIN, INT_MAX}) {
        std::srand(7);
        const int first = std::rand();
        std::srand(7);
        try {
            Asteroid a(size, 512, 384, -1, -1);
            ADD_FAILURE() << "size " << size << " was accepted";
        } catch (int code) {
            EXPECT_EQ(code, 3) << "size " << size;
        }
        EXPECT_EQ(std::rand(), first) << "size " << size << " drew from the sequence";
    }
}

TEST(Asteroid, RandomChoicesFollowTheSequenceInOrder)
{
    StandInCanvas canvas; // distinct entries: a rock's texture tells which it took
    ASSERT_TRUE(canvas.ready());
    for (unsigned seed = 1; seed <= 200; ++seed) {
        for (int size = 1; size <= 3; ++size) {
            for (const auto& [prevx, prevy] : {std::pair{-1, -1}, std::pair{500, 300}, std::pair{-1, 5}}) {
                const Drawn expected = replay(seed, 512, 384, prevx, prevy);
                const int after = std::rand();
                std::srand(seed);
                const Asteroid a(size, 512, 384, prevx, prevy);
                SCOPED_TRACE(::testing::Message() << "seed " << seed << " size " << size << " parent " << prevx);
                EXPECT_EQ(TestAccess::texture(a), asteroid_textures[(size - 1) * 6 + expected.colour]);
                EXPECT_EQ(a.getX(), expected.x);
                EXPECT_EQ(a.getY(), expected.y);
                EXPECT_EQ(TestAccess::speedx(a), expected.speedx);
                EXPECT_EQ(TestAccess::speedy(a), expected.speedy);
                EXPECT_EQ(std::rand(), after) << "drew a different number of values";
            }
        }
    }
}

TEST(Asteroid, FragmentDrawsExactlyFiveNumbers)
{
    std::srand(99);
    for (int i = 0; i < 5; ++i) {
        std::rand();
    }
    const int sixth = std::rand();
    std::srand(99);
    const Asteroid a(2, 512, 384, 5, -1);
    EXPECT_EQ(std::rand(), sixth);
}

TEST(Asteroid, FreePlacementKeepsEightyPixelsClearOfTheShip)
{
    const std::vector<std::pair<int, int>> ships = {{512, 384}, {0, 0}, {1023, 767}, {-10, 778}, {100, 700}};
    for (const auto& [shipx, shipy] : ships) {
        for (unsigned seed = 1; seed <= 300; ++seed) {
            std::srand(seed);
            const Asteroid a(1, shipx, shipy, -1, -1);
            EXPECT_GE(std::hypot(a.getX() - shipx, a.getY() - shipy), 80.0) << "seed " << seed;
            EXPECT_GE(a.getX(), 0);
            EXPECT_LT(a.getX(), 1024);
            EXPECT_GE(a.getY(), 0);
            EXPECT_LT(a.getY(), 768);
        }
    }
}

TEST(Asteroid, PlacementExactlyEightyPixelsAwayIsAcceptedAndJustUnderIsNot)
{
    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::srand(seed);
        std::rand(); // colour
        const int x = std::rand() % 1024;
        const int y = std::rand() % 768;
        const int side = x >= 80 ? -1 : 1;

        std::srand(seed);
        const Asteroid at_80(3, x + side * 80, y, -1, -1);
        EXPECT_EQ(at_80.getX(), x) << "seed " << seed;
        EXPECT_EQ(at_80.getY(), y) << "seed " << seed;

        std::srand(seed);
        const Asteroid at_79(3, x + side * 79, y, -1, -1);
        EXPECT_FALSE(at_79.getX() == x && at_79.getY() == y) << "seed " << seed;
    }
}

TEST(Asteroid, FragmentsLandFromTenBeforeToNineAfterTheirParent)
{
    std::vector<double> xs, ys;
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::srand(seed);
        const Asteroid a(1, 500, 305, 500, 300); // near the ship, yet no free placement
        xs.push_back(a.getX());
        ys.push_back(a.getY());
    }
    EXPECT_EQ(std::ranges::min(xs), 490);
    EXPECT_EQ(std::ranges::max(xs), 509);
    EXPECT_EQ(std::ranges::min(ys), 290);
    EXPECT_EQ(std::ranges::max(ys), 309);

    for (const auto& [prevx, prevy] : {std::pair{-1, 5}, std::pair{5, -1}}) {
        std::srand(3);
        const Asteroid a(2, 512, 384, prevx, prevy);
        EXPECT_NEAR(a.getX(), prevx, 10) << "parent " << prevx << ", " << prevy;
        EXPECT_NEAR(a.getY(), prevy, 10) << "parent " << prevx << ", " << prevy;
    }
}

TEST(Asteroid, FragmentBesideAnExtremeParentDoesNotOverflow)
{
    std::srand(5);
    const Asteroid a(1, 0, 0, INT_MAX, INT_MIN);
    EXPECT_GE(a.getX(), double(INT_MAX) - 10);
    EXPECT_LE(a.getX(), double(INT_MAX) + 9);
    EXPECT_GE(a.getY(), double(INT_MIN) - 10);
    EXPECT_LE(a.getY(), double(INT_MIN) + 9);
}

TEST(Asteroid, EveryRockMovesAtSpeedThree)
{
    for (unsigned seed = 1; seed <= 500; ++seed) {
        for (int size = 1; size <= 3; ++size) {
            std::srand(seed);
            const Asteroid a(size, 512, 384, seed % 2 ? -1 : 200, -1);
            EXPECT_NEAR(std::hypot(TestAccess::speedx(a), TestAccess::speedy(a)), 3.0, 1e-12);
        }
    }
}

TEST(Asteroid, AVelocityDrawOfZeroIsDrawnAgain)
{
    // Find a seed whose fragment velocity draw comes out (0, 0).
    unsigned seed = 0;
    for (unsigned s = 1; s < 10'000'000 && seed == 0; ++s) {
        std::srand(s);
        std::rand();
        std::rand();
        std::rand();
        if (std::rand() % 100 == 50 && std::rand() % 100 == 50) {
            seed = s;
        }
    }
    ASSERT_NE(seed, 0u);

    const Drawn expected = replay(seed, 0, 0, 300, 300);
    std::srand(seed);
    const Asteroid a(2, 0, 0, 300, 300);
    EXPECT_TRUE(std::isfinite(TestAccess::speedx(a)) && std::isfinite(TestAccess::speedy(a)));
    EXPECT_NEAR(std::hypot(TestAccess::speedx(a), TestAccess::speedy(a)), 3.0, 1e-12);
    EXPECT_EQ(TestAccess::speedx(a), expected.speedx);
    EXPECT_EQ(TestAccess::speedy(a), expected.speedy);
}

TEST(Asteroid, WrapsWithAMarginOfFivePixelsPerSize)
{
    for (int size = 1; size <= 3; ++size) {
        // The margin, and where the far edges of the wrap lie.
        const double m = size * 5, right = 1024 + m, bottom = 768 + m;
        const std::vector<std::tuple<double, double, double, double, double, double>> cases = {
            {right - 1, 100, 1, 0, right, 100},   {right - 1, 100, 1.5, 0, -m, 100},
            {1 - m, 100, -1, 0, -m, 100},         {1 - m, 100, -1.5, 0, right, 100},
            {100, bottom - 1, 0, 1, 100, bottom}, {100, bottom - 1, 0, 1.5, 100, -m},
            {100, 1 - m, 0, -1, 100, -m},         {100, 1 - m, 0, -1.5, 100, bottom},
        };
        for (const auto& [x, y, speedx, speedy, endx, endy] : cases) {
            Asteroid a = at(size, x, y, speedx, speedy);
            a.move();
            EXPECT_EQ(a.getX(), endx) << "size " << size << " from " << x << ", " << y;
            EXPECT_EQ(a.getY(), endy) << "size " << size << " from " << x << ", " << y;
        }
    }
}

TEST(Asteroid, IsHitWithinItsRadiusInclusive)
{
    const std::vector<std::tuple<int, int, int, bool>> cases = {
        {1, 6, 8, true},   {1, 10, 0, true},  {1, 10, 1, false}, {1, 0, -11, false}, {2, 12, 16, true},
        {2, 20, 1, false}, {2, -20, 0, true}, {3, 18, 24, true}, {3, 30, 1, false},  {3, 0, 0, true},
    };
    for (const auto& [size, dx, dy, hit] : cases) {
        EXPECT_EQ(at(size, 300.9, 200.9).hit(300 + dx, 200 + dy), hit) << "size " << size << " at " << dx << ", " << dy;
    }
}

TEST(Asteroid, NegativePositionsTruncateTowardZero)
{
    const Asteroid a = at(1, -4.7, 100.2);
    EXPECT_TRUE(a.hit(6, 100)) << "tested as if at -4, not -5";
    EXPECT_FALSE(a.hit(-15, 100));

    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());
    std::srand(1);
    at(1, -3.6, 100.2).draw();
    const Rgba rock = canvas.pixel(0, 100);
    EXPECT_NE(rock, Rgba{});
    EXPECT_EQ(canvas.pixel(6, 100), rock) << "square from -13 to 6";
    EXPECT_NE(canvas.pixel(7, 100), rock);
    EXPECT_EQ(canvas.pixel(0, 90), rock);
    EXPECT_NE(canvas.pixel(0, 89), rock);
}

TEST(Asteroid, IsDrawnWithItsColourInASquareOfTwentyPixelsPerSize)
{
    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());
    for (int size = 1; size <= 3; ++size) {
        std::srand(size);
        const int colour = std::rand() % 6;
        std::srand(size);
        at(size, 500.5 + 100 * size, 300.5).draw();
        const Rgba expected = StandInTextures::asteroid((size - 1) * 6 + colour);
        const int left = 500 + 100 * size - 10 * size;
        const int top = 300 - 10 * size;
        const int side = 20 * size;
        EXPECT_EQ(canvas.pixel(left, top), expected) << "size " << size;
        EXPECT_EQ(canvas.pixel(left + side - 1, top + side - 1), expected) << "size " << size;
        EXPECT_NE(canvas.pixel(left - 1, top), expected) << "size " << size;
        EXPECT_NE(canvas.pixel(left + side, top + side - 1), expected) << "size " << size;
        EXPECT_NE(canvas.pixel(left, top + side), expected) << "size " << size;
    }
}
