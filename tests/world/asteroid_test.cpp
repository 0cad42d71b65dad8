#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "game/asteroid.h"
#include "world_test.h"

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
                EXPECT_EQ(position(a), std::pair(expected.x, expected.y));
                EXPECT_EQ(TestAccess::speedx(a), expected.speedx);
                EXPECT_EQ(TestAccess::speedy(a), expected.speedy);
                EXPECT_EQ(std::rand(), after) << "drew a different number of values";
            }
        }
    }

    // A fragment draws exactly five numbers.
    std::srand(99);
    for (int i = 0; i < 5; ++i) {
        std::rand();
    }
    const int sixth = std::rand();
    std::srand(99);
    const Asteroid a(2, 512, 384, 5, -1);
    EXPECT_EQ(std::rand(), sixth);
}

TEST(Asteroid, FreePlacementKeepsAtLeastEightyPixelsFromTheShip)
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

    // Exactly 80 pixels away is far enough, 79 is not.
    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::srand(seed);
        std::rand(); // colour
        const int x = std::rand() % 1024;
        const int y = std::rand() % 768;
        const int side = x >= 80 ? -1 : 1;

        std::srand(seed);
        const Asteroid at_80(3, x + side * 80, y, -1, -1);
        EXPECT_EQ(position(at_80), std::pair(double(x), double(y))) << "seed " << seed;

        std::srand(seed);
        const Asteroid at_79(3, x + side * 79, y, -1, -1);
        EXPECT_NE(position(at_79), std::pair(double(x), double(y))) << "seed " << seed;
    }
}

TEST(Asteroid, FragmentsLandFromTenBeforeToNineAfterTheirParentWithoutOverflow)
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

    // Beside an extreme parent nothing overflows.
    std::srand(5);
    const Asteroid a(1, 0, 0, INT_MAX, INT_MIN);
    EXPECT_GE(a.getX(), double(INT_MAX) - 10);
    EXPECT_LE(a.getX(), double(INT_MAX) + 9);
    EXPECT_GE(a.getY(), double(INT_MIN) - 10);
    EXPECT_LE(a.getY(), double(INT_MIN) + 9);
}

TEST(Asteroid, EveryRockMovesAtSpeedThreeDrawingAZeroVelocityAgain)
{
    for (unsigned seed = 1; seed <= 500; ++seed) {
        for (int size = 1; size <= 3; ++size) {
            std::srand(seed);
            const Asteroid a(size, 512, 384, seed % 2 ? -1 : 200, -1);
            EXPECT_NEAR(std::hypot(TestAccess::speedx(a), TestAccess::speedy(a)), 3.0, 1e-12);
        }
    }

    // A velocity draw of (0, 0) is drawn again: find a seed whose fragment
    // draws it first.
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
            Asteroid a = rock_at(size, x, y, speedx, speedy);
            a.move();
            EXPECT_EQ(position(a), std::pair(endx, endy)) << "size " << size << " from " << x << ", " << y;
        }
    }
}

TEST(Asteroid, IsHitWithinItsRadiusInclusiveOfItsCentreTruncatedTowardZero)
{
    const std::vector<std::tuple<int, int, int, bool>> cases = {
        {1, 6, 8, true},   {1, 10, 0, true},  {1, 10, 1, false}, {1, 0, -11, false}, {2, 12, 16, true},
        {2, 20, 1, false}, {2, -20, 0, true}, {3, 18, 24, true}, {3, 30, 1, false},  {3, 0, 0, true},
    };
    for (const auto& [size, dx, dy, hit] : cases) {
        EXPECT_EQ(rock_at(size, 300.9, 200.9).hit(300 + dx, 200 + dy), hit)
            << "size " << size << " at " << dx << ", " << dy;
    }

    const Asteroid negative = rock_at(1, -4.7, 100.2);
    EXPECT_TRUE(negative.hit(6, 100)) << "tested as if at -4, not -5";
    EXPECT_FALSE(negative.hit(-15, 100));
}

TEST(Asteroid, IsDrawnWithItsColourInASquareOfTwentyPixelsPerSizeTruncatedTowardZero)
{
    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());
    for (int size = 1; size <= 3; ++size) {
        std::srand(size);
        const int colour = std::rand() % 6;
        std::srand(size);
        rock_at(size, 500.5 + 100 * size, 300.5).draw();
        // The square's first and last pixels on each axis.
        const int x0 = 500 + 100 * size - 10 * size;
        const int y0 = 300 - 10 * size;
        const int x1 = x0 + 20 * size - 1;
        const int y1 = y0 + 20 * size - 1;
        expect_pixels(canvas, StandInTextures::asteroid((size - 1) * 6 + colour),
                      {{x0, y0, true}, {x1, y1, true}, {x0 - 1, y0, false}, {x1 + 1, y1, false}, {x0, y1 + 1, false}});
    }

    // At -3.6 the square runs from -13 to 6 across and from 90 to 109 down.
    std::srand(1);
    rock_at(1, -3.6, 100.2).draw();
    const Rgba rock = canvas.pixel(0, 100);
    EXPECT_NE(rock, Rgba{});
    expect_pixels(canvas, rock, {{6, 100, true}, {7, 100, false}, {0, 90, true}, {0, 89, false}});
}
