#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "game/level.h"
#include "world_test.h"

namespace {

// A level of this difficulty has no rocks and draws nothing from rand();
// tests add what they need.
constexpr int EMPTY = 0;

Asteroid& add_rock(Level& l, int size, double x, double y, double speedx = 0, double speedy = 0)
{
    return TestAccess::asteroids(l).emplace_back(rock_at(size, x, y, speedx, speedy));
}

void add_shot(Level& l, double x, double y, double speedx = 0, double speedy = 0, std::uint32_t age = 0)
{
    TestAccess::projectiles(l).push_back(shot_at(x, y, speedx, speedy, age));
}

std::size_t rocks(Level& l)
{
    return TestAccess::asteroids(l).size();
}

std::size_t shots(Level& l)
{
    return TestAccess::projectiles(l).size();
}

// Runs progress and reports the integer it raised, or 1 when it returned.
int outcome(Level& l)
{
    try {
        l.progress();
    } catch (int n) {
        return n;
    }
    return 1;
}

// The stand-in colour of the texture a rock took.
Rgba colour_of(const Asteroid& a)
{
    const auto entry = std::ranges::find(asteroid_textures, TestAccess::texture(a));
    return StandInTextures::asteroid(int(entry - std::begin(asteroid_textures)));
}

constexpr int LOST = -1;
constexpr int GOES_ON = 1;

} // namespace

TEST(Level, StartsWithThreeRocksPerDifficultyAwayFromTheShipAtTheCentre)
{
    for (int n : {1, 2, 4, 10}) {
        std::srand(n);
        Level l(n);
        EXPECT_EQ(rocks(l), std::size_t(3 * n));
        EXPECT_EQ(shots(l), 0u);
        EXPECT_EQ(position(TestAccess::ship(l)), std::pair(512, 384));
        EXPECT_FALSE(l.complete());
        for (const Asteroid& a : TestAccess::asteroids(l)) {
            EXPECT_GE(a.getSize(), 1);
            EXPECT_LE(a.getSize(), 3);
            EXPECT_GE(std::hypot(a.getX() - 512, a.getY() - 384), 80.0);
        }
    }
    for (int n : {0, -1, -100}) {
        Level l(n);
        EXPECT_EQ(rocks(l), 0u);
        EXPECT_TRUE(l.complete());
    }
}

TEST(Level, DrawsEachSizeBeforeThatRocksOwnDraws)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        std::vector<Asteroid> expected;
        for (int i = 0; i < 6; ++i) {
            const int size = std::rand() % 3 + 1;
            expected.emplace_back(size, 512, 384, -1, -1);
        }
        std::srand(seed);
        Level l(2);
        const std::vector<Asteroid> dealt(TestAccess::asteroids(l).begin(), TestAccess::asteroids(l).end());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(dealt[i].getSize(), expected[i].getSize());
            EXPECT_EQ(position(dealt[i]), position(expected[i]));
        }
    }
}

TEST(Level, WorkedTickRemovesOldShotSplitsTheHitRockAndMovesEverything)
{
    std::srand(11);
    Level l(EMPTY);
    add_rock(l, 2, 200, 200, 3, 0);   // A
    add_rock(l, 1, 800, 200, 0, 3);   // B
    add_shot(l, 900, 600, 6, 0, 200); // P1: its next move makes it old
    add_shot(l, 197, 200, 6, 0);      // P2: lands on A after the move
    TestAccess::ship(l).press(SDLK_d);

    // The fragments come from these draws, beside A's position after its move.
    std::srand(11);
    Asteroid f1(1, 512, 384, 203, 200);
    Asteroid f2(1, 512, 384, 203, 200);
    f1.move();
    f2.move();

    std::srand(11);
    ASSERT_EQ(outcome(l), GOES_ON);
    EXPECT_EQ(shots(l), 0u);
    ASSERT_EQ(rocks(l), 3u);
    const std::vector<Asteroid> r(TestAccess::asteroids(l).begin(), TestAccess::asteroids(l).end());
    EXPECT_EQ(r[0].getSize(), 1);
    EXPECT_EQ(r[0].getY(), 203) << "B moved";
    EXPECT_EQ(position(r[1]), position(f1)) << "F1 moved in its first tick";
    EXPECT_EQ(position(r[2]), position(f2)) << "F2 moved in its first tick";
    EXPECT_EQ(TestAccess::ship(l).getX(), 515);
    EXPECT_FALSE(l.complete());
}

TEST(Level, FiresAtMostSevenShotsAtOnce)
{
    Level l(EMPTY);
    l.fire(0, 0);
    for (int i = 0; i < 100; ++i) {
        l.progress();
    }
    for (int i = 0; i < 10; ++i) {
        l.fire(1000, 700);
    }
    EXPECT_EQ(shots(l), 7u);

    for (int i = 0; i < 101; ++i) {
        l.progress();
    }
    EXPECT_EQ(shots(l), 6u) << "the first shot grew old";
    l.fire(0, 700);
    EXPECT_EQ(shots(l), 7u);
    EXPECT_EQ(TestAccess::projectiles(l).back().getX(), 512) << "new shots start at the ship";
    l.fire(0, 700);
    EXPECT_EQ(shots(l), 7u);
}

TEST(Level, ShotsAreRemovedInTheTickTheyGrowOldAndOthersMoveOnce)
{
    Level l(EMPTY);
    // The first, third and last are about to grow old: the walk ends at the last.
    for (int y : {100, 200, 300, 400, 500}) {
        add_shot(l, 100, y, 6, 0, y % 200 == 100 ? 200 : 0);
    }
    l.progress();
    ASSERT_EQ(shots(l), 2u);
    for (const Projectile& p : TestAccess::projectiles(l)) {
        EXPECT_EQ(p.getX(), 106) << "moved exactly once";
    }
    EXPECT_EQ(TestAccess::projectiles(l).front().getY(), 200);
    EXPECT_EQ(TestAccess::projectiles(l).back().getY(), 400);

    Level single(EMPTY);
    single.fire(600, 384);
    for (int i = 0; i < 200; ++i) {
        single.progress();
    }
    EXPECT_EQ(shots(single), 1u);
    single.progress();
    EXPECT_EQ(shots(single), 0u);
}

TEST(Level, CollisionIsADistanceStrictlyBelowTenTimesSizePlusTen)
{
    // The ship is at (512, 384); positions are those after the rock's move.
    const std::vector<std::tuple<int, double, double, int>> cases = {
        {1, 532, 384, GOES_ON},   {1, 531.99, 384, LOST}, {1, 524, 400, GOES_ON},   {1, 523, 400, LOST},
        {2, 512, 414, GOES_ON},   {2, 512, 413.5, LOST},  {3, 472, 384, GOES_ON},   {3, 472.9, 384, GOES_ON},
        {3, 473, 384, LOST},      {3, 536, 416, GOES_ON}, {3, 512, 344.9, GOES_ON}, {3, 512, 345, LOST},
        {1, 492.5, 384, GOES_ON}, {1, 492, 384, GOES_ON}, {1, 493, 384, LOST},
    };
    for (const auto& [size, x, y, result] : cases) {
        Level l(EMPTY);
        add_rock(l, size, x - 1, y, 1, 0);
        EXPECT_EQ(outcome(l), result) << "size " << size << " at " << x << ", " << y;
    }
}

TEST(Level, CollisionStopsTheTickBeforeTheShipMovesOrAnyShotCanSaveIt)
{
    // No shot gets the chance to destroy the rock.
    Level shot(EMPTY);
    add_rock(shot, 2, 530, 384);
    add_shot(shot, 524, 384, 6, 0);
    EXPECT_EQ(outcome(shot), LOST);
    EXPECT_EQ(rocks(shot), 1u);
    EXPECT_EQ(shots(shot), 1u);

    Level l(EMPTY);
    add_rock(l, 1, 100, 100, 3, 0);
    add_rock(l, 1, 512, 360, 0, 3); // 21 away after its move: safe before the ship moves
    add_rock(l, 1, 700, 700, 3, 0);
    TestAccess::ship(l).press(SDLK_w);
    ASSERT_EQ(outcome(l), GOES_ON);
    EXPECT_EQ(TestAccess::ship(l).getY(), 381);

    // Now it is 18 away: the game is over in the middle of the rock pass.
    ASSERT_EQ(outcome(l), LOST);
    const std::vector<Asteroid> r(TestAccess::asteroids(l).begin(), TestAccess::asteroids(l).end());
    EXPECT_EQ(r[0].getX(), 106) << "the rock before it moved";
    EXPECT_EQ(r[1].getY(), 366) << "the colliding rock moved";
    EXPECT_EQ(r[2].getX(), 703) << "the rock after it did not move";
    EXPECT_EQ(TestAccess::ship(l).getY(), 381) << "the ship did not move";
}

TEST(Level, HittingTheLastSmallRockCompletesTheLevel)
{
    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());

    Level l(EMPTY);
    add_rock(l, 1, 100, 100, 3, 0);
    add_shot(l, 100, 100, 6, 0);
    ASSERT_EQ(outcome(l), GOES_ON);
    EXPECT_TRUE(l.complete());
    EXPECT_EQ(shots(l), 0u);
    l.draw();
    EXPECT_EQ(canvas.pixel(103, 100), BACKGROUND_PIXEL) << "no rock left to draw";
}

TEST(Level, OldestShotDestroysTheRockAndTheYoungerHitsAFragment)
{
    Level l(EMPTY);
    add_rock(l, 2, 200, 200, 3, 0);
    add_shot(l, 200, 200, 1, 0); // the older shot

    // Replay the first fragment to aim the younger shot at where it will be.
    std::srand(5);
    Asteroid fragment(1, 512, 384, 203, 200);
    fragment.move();
    const double aimx = static_cast<int>(fragment.getX()) + 0.25;
    const double aimy = static_cast<int>(fragment.getY()) + 0.25;
    ASSERT_LE(std::hypot(aimx - 203, aimy - 200), 20.0) << "the younger shot also lies on the rock";
    add_shot(l, aimx - 1, aimy, 1, 0);

    std::srand(5);
    ASSERT_EQ(outcome(l), GOES_ON);
    EXPECT_EQ(shots(l), 0u);
    ASSERT_EQ(rocks(l), 1u) << "one fragment destroyed by the younger shot";
    EXPECT_EQ(TestAccess::asteroids(l).front().getSize(), 1);
}

TEST(Level, AShotIsUsedUpByOneRockOnly)
{
    Level l(EMPTY);
    add_rock(l, 1, 300, 300);
    add_rock(l, 1, 305, 300);
    add_shot(l, 302, 300);
    ASSERT_EQ(outcome(l), GOES_ON);
    ASSERT_EQ(rocks(l), 1u);
    EXPECT_EQ(TestAccess::asteroids(l).front().getX(), 305) << "the front rock took the shot";
}

TEST(Level, FragmentsAreTestedAgainstTheShipInTheTickTheyAppear)
{
    // Find a split whose first fragment, once moved, is inside its 30 pixels.
    unsigned seed = 0;
    for (unsigned s = 1; s <= 10000 && seed == 0; ++s) {
        std::srand(s);
        Asteroid f(2, 512, 384, 552, 384);
        f.move();
        if (std::hypot(static_cast<int>(f.getX()) - 512, static_cast<int>(f.getY()) - 384) < 30) {
            seed = s;
        }
    }
    ASSERT_NE(seed, 0u);

    Level l(EMPTY);
    add_rock(l, 3, 552, 384);
    add_shot(l, 552, 384);
    std::srand(seed);
    EXPECT_EQ(outcome(l), LOST);
    EXPECT_EQ(shots(l), 0u) << "the shot was used on the parent";
    EXPECT_EQ(rocks(l), 2u);
}

TEST(Level, SplitsIntoTwoFragmentsOneSizeSmaller)
{
    for (int size = 1; size <= 3; ++size) {
        std::srand(size);
        Level l(EMPTY);
        add_rock(l, size, 200.7, 300.2);
        l.spawn_new(TestAccess::asteroids(l).front());
        const std::size_t fragments = size == 1 ? 0 : 2;
        ASSERT_EQ(rocks(l), 1 + fragments) << "size " << size;
        for (auto it = std::next(TestAccess::asteroids(l).begin()); it != TestAccess::asteroids(l).end(); ++it) {
            EXPECT_EQ(it->getSize(), size - 1);
            EXPECT_GE(it->getX(), 190);
            EXPECT_LE(it->getX(), 209);
            EXPECT_GE(it->getY(), 290);
            EXPECT_LE(it->getY(), 309);
        }
    }
}

TEST(Level, KeysAndThePointerReachTheShipButEscapeRaisesZeroOnPressOnly)
{
    Level l(EMPTY);
    l.press(SDLK_a);
    try {
        l.press(SDLK_ESCAPE);
        ADD_FAILURE() << "Escape did not leave the level";
    } catch (int n) {
        EXPECT_EQ(n, 0);
    }
    EXPECT_NO_THROW(l.release(SDLK_ESCAPE));
    l.progress();
    EXPECT_EQ(TestAccess::ship(l).getX(), 509);
    l.release(SDLK_LEFT);
    l.progress();
    EXPECT_EQ(TestAccess::ship(l).getX(), 509);

    Level pointed(EMPTY);
    pointed.updateposition(100, 384);
    EXPECT_EQ(TestAccess::heading(TestAccess::ship(pointed)), 90) << "the ship turns to the pointer";
}

TEST(Level, DrawsBackgroundShipRocksAndShotsInThatOrder)
{
    StandInCanvas canvas;
    ASSERT_TRUE(canvas.ready());

    Level l(EMPTY);
    const Asteroid& under = add_rock(l, 1, 512, 384);
    Asteroid* over = &add_rock(l, 1, 522, 384);
    while (colour_of(*over) == colour_of(under)) {
        TestAccess::asteroids(l).pop_back();
        over = &add_rock(l, 1, 522, 384);
    }
    add_shot(l, 530, 384);
    l.draw();

    EXPECT_EQ(canvas.pixel(0, 0), BACKGROUND_PIXEL);
    EXPECT_EQ(canvas.pixel(1023, 767), BACKGROUND_PIXEL);
    EXPECT_EQ(canvas.pixel(496, 384), BACKGROUND_PIXEL);
    EXPECT_EQ(canvas.pixel(498, 370), StandInTextures::ship(0)) << "the ship where no rock covers it";
    EXPECT_EQ(canvas.pixel(505, 384), colour_of(under)) << "rocks over the ship";
    EXPECT_EQ(canvas.pixel(520, 384), colour_of(*over)) << "the later rock over the earlier";
    EXPECT_EQ(canvas.pixel(530, 384), WHITE_PIXEL) << "shots over rocks";
}
