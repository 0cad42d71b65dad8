// Plays the game world with whatever input libFuzzer makes up and checks,
// after every step, what a player must always be able to rely on.
//
// The bytes read, in order: the difficulty (one byte, -2 to 60), the seed of
// the rock dealer (two bytes), then one step per byte until the input runs
// out, each step reading its own arguments from the bytes after it:
//   press KEY, release KEY, fire X Y, updateposition X Y, one tick,
//   COUNT ticks (1 to 256), draw.
// A key is one of the game's own keys or any int; a coordinate is an edge
// value (INT_MIN, INT_MAX, ...), a point near the field, the ship's own
// position, or any int. Past the end of the input every byte reads as 0.
#include <SDL.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "canvas.h"
#include "game/field.h"
#include "game/level.h"
#include "test_access.h"

namespace {

constexpr std::size_t MAX_SHOTS = 7;
constexpr int SHIP_MARGIN = 10;
constexpr double TOLERANCE = 1e-9;
constexpr int LOWEST_DIFFICULTY = -2;
constexpr int DIFFICULTIES = 63; // -2 to 60

// The input, read front to back.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t next = 0;

    bool empty() const { return next >= size; }
    std::uint8_t byte() { return next < size ? data[next++] : 0; }
    // `count` bytes, the most significant first.
    std::uint32_t bytes(int count)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = value << 8 | byte();
        }
        return value;
    }
    int word() { return static_cast<int>(bytes(2)); }
    int any_int() { return static_cast<int>(bytes(4)); }
};

int key(Bytes& in)
{
    static constexpr int KEYS[] = {
        SDLK_w, SDLK_a, SDLK_s, SDLK_d, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_ESCAPE, SDLK_SPACE, SDLK_RETURN,
    };
    const std::uint8_t choice = in.byte();
    return choice < 0x80 ? KEYS[choice % std::size(KEYS)] : in.any_int();
}

int coordinate(Bytes& in, int ship)
{
    static constexpr int EDGES[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, WIDTH, HEIGHT, INT_MAX - 1, INT_MAX};
    switch (in.byte() % 4) {
    case 0:
        return EDGES[in.byte() % std::size(EDGES)];
    case 1:
        // From 100 pixels before the field to 100 after it, on either axis.
        return in.word() % (WIDTH + 200) - 100;
    case 2:
        // Up to four pixels either side of the ship, the ship itself included.
        return ship + in.byte() % 9 - 4;
    default:
        return in.any_int();
    }
}

void require(bool holds, const char* rule, double a = 0, double b = 0)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s (%.17g, %.17g)\n", rule, a, b);
        std::abort();
    }
}

// Inside the field, or no further than `margin` beyond any of its edges.
bool in_field(double x, double y, double margin)
{
    return x >= -margin && x <= WIDTH + margin && y >= -margin && y <= HEIGHT + margin;
}

// What holds between any two steps of play.
void check(Level& l)
{
    const Ship& ship = TestAccess::ship(l);
    require(in_field(ship.getX(), ship.getY(), SHIP_MARGIN), "the ship stays within its wrap margin", ship.getX(),
            ship.getY());
    const int heading = TestAccess::heading(ship);
    require(heading >= 0 && heading <= 360, "the heading picks one of the ship images", heading);

    const auto& shots = TestAccess::projectiles(l);
    require(shots.size() <= MAX_SHOTS, "at most seven shots fly", static_cast<double>(shots.size()));
    for (const Projectile& p : shots) {
        const double speed = std::hypot(p.getSpeedX(), p.getSpeedY());
        require(std::isfinite(speed) && std::fabs(speed - 2 * SPEED) <= TOLERANCE,
                "a shot flies at twice the ship's speed", p.getSpeedX(), p.getSpeedY());
        // A shot fired since the last tick has not moved yet: it is still at
        // the ship's centre, which may lie just outside the field.
        if (TestAccess::age(p) == 0) {
            require(p.getX() == ship.getX() && p.getY() == ship.getY(), "a new shot starts at the ship", p.getX(),
                    p.getY());
        } else {
            require(in_field(p.getX(), p.getY(), 0), "a shot stays in the field", p.getX(), p.getY());
        }
    }

    for (const Asteroid& a : TestAccess::asteroids(l)) {
        const int size = a.getSize();
        require(size >= 1 && size <= 3, "a rock is of size 1 to 3", size);
        const double vx = TestAccess::speedx(a);
        const double vy = TestAccess::speedy(a);
        require(std::isfinite(vx) && std::isfinite(vy) && std::fabs(std::hypot(vx, vy) - SPEED) <= TOLERANCE,
                "a rock drifts at the ship's speed", vx, vy);
        require(in_field(a.getX(), a.getY(), 5.0 * size), "a rock stays within its wrap margin", a.getX(), a.getY());
    }
}

Canvas* canvas = nullptr;
StandInTextures* textures = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One software renderer on a window-sized surface for the whole run.
    canvas = new Canvas;
    if (!canvas->ready()) {
        std::fprintf(stderr, "no software renderer: %s\n", SDL_GetError());
        std::abort();
    }
    textures = new StandInTextures;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes in{data, size};
    const int difficulty = in.byte() % DIFFICULTIES + LOWEST_DIFFICULTY;
    const unsigned seed = static_cast<unsigned>(in.word());
    std::srand(seed);
    Level l(difficulty);
    check(l);

    while (!in.empty()) {
        const Ship& ship = TestAccess::ship(l);
        switch (const int step = in.byte() % 7; step) {
        case 0: {
            const int k = key(in);
            try {
                l.press(k);
            } catch (int raised) {
                // Escape leaves the level in the game; here play goes on.
                require(raised == 0 && k == SDLK_ESCAPE, "only Escape raises from a key press", raised, k);
            }
            break;
        }
        case 1:
            l.release(key(in));
            break;
        case 2:
        case 3: {
            const int x = coordinate(in, ship.getX());
            const int y = coordinate(in, ship.getY());
            step == 2 ? l.fire(x, y) : l.updateposition(x, y);
            break;
        }
        case 4:
        case 5:
            // One tick, or COUNT; once a rock has reached the ship the level is over.
            for (int ticks = step == 4 ? 1 : in.byte() + 1; ticks > 0; --ticks) {
                try {
                    l.progress();
                } catch (int raised) {
                    require(raised == -1, "progress raises only game over", raised);
                    return 0;
                }
                check(l);
            }
            break;
        default:
            l.draw();
            break;
        }
        check(l);
    }
    return 0;
}
