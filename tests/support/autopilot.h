#pragma once

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/level.h"
#include "test_access.h"

// Plays a level ahead of time, exactly as the play loop would with the same
// seed, and records the events that make it happen. Replaying those events
// through the real play loop must then give the same game, tick for tick.
struct Playthrough {
    unsigned seed = 0;
    std::vector<SDL_Event> events; // space first, then clicks and ticks
    int ticks = 0;
};

inline SDL_Event key_event(Uint32 type, SDL_Keycode key)
{
    SDL_Event ev{};
    ev.type = type;
    ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = key;
    return ev;
}

inline SDL_Event click_event(int x, int y, Uint8 button = SDL_BUTTON_LEFT)
{
    SDL_Event ev{};
    ev.type = SDL_MOUSEBUTTONDOWN;
    ev.button.button = button;
    ev.button.state = SDL_PRESSED;
    ev.button.x = x;
    ev.button.y = y;
    return ev;
}

inline SDL_Event motion_event(int x, int y)
{
    SDL_Event ev{};
    ev.type = SDL_MOUSEMOTION;
    ev.motion.x = x;
    ev.motion.y = y;
    return ev;
}

inline SDL_Event tick_event()
{
    SDL_Event ev{};
    ev.type = SDL_USEREVENT;
    return ev;
}

inline SDL_Event quit_event()
{
    SDL_Event ev{};
    ev.type = SDL_QUIT;
    return ev;
}

// Where to aim so that a shot from the ship meets the rock, ignoring wraps.
inline SDL_Point intercept(const Ship& ship, const Asteroid& a)
{
    const double dx = a.getX() - ship.getX();
    const double dy = a.getY() - ship.getY();
    const double vx = TestAccess::speedx(a);
    const double vy = TestAccess::speedy(a);
    // |d + v t| = 6 t, with |v| = 3.
    const double qa = vx * vx + vy * vy - 36;
    const double qb = 2 * (dx * vx + dy * vy);
    const double qc = dx * dx + dy * dy;
    const double t = (-qb - std::sqrt(qb * qb - 4 * qa * qc)) / (2 * qa);
    return SDL_Point{static_cast<int>(std::lround(a.getX() + vx * t)),
                     static_cast<int>(std::lround(a.getY() + vy * t))};
}

// The rock nearest the ship; the first of them on a tie.
inline const Asteroid& nearest(Level& l)
{
    const Ship& ship = TestAccess::ship(l);
    return *std::ranges::min_element(TestAccess::asteroids(l), {}, [&ship](const Asteroid& a) {
        return std::hypot(a.getX() - ship.getX(), a.getY() - ship.getY());
    });
}

// One tick as the play loop runs it, with the pointer never moved.
inline bool tick(Level& l)
{
    l.updateposition(0, 0);
    try {
        l.progress();
    } catch (int) {
        return false;
    }
    return true;
}

// Feeds recorded events to the level as the play loop does (a key that goes
// down is pressed, a click fires, a tick ticks), up to the event that clears
// the level. False when a rock reaches the ship.
inline bool replay(Level& l, const std::vector<SDL_Event>& events)
{
    for (const SDL_Event& ev : events) {
        if (ev.type == SDL_MOUSEBUTTONDOWN) {
            l.fire(ev.button.x, ev.button.y);
        } else if (ev.type == SDL_KEYDOWN) {
            l.press(ev.key.keysym.sym);
        } else if (ev.type == SDL_USEREVENT && !tick(l)) {
            return false;
        }
        if (l.complete()) {
            break;
        }
    }
    return true;
}

// How a level played ahead of time is to end.
enum class Outcome { Cleared, Lost };

// Plays a level from Space on, shooting at the nearest rock whenever a shot
// is free when it is to be cleared, leaving the ship idle when it is to be
// lost. Nothing when it ends the other way or time runs out.
inline std::optional<Playthrough> play_ahead(unsigned seed, int difficulty, int max_ticks, Outcome wanted)
{
    std::srand(seed);
    Level l(difficulty);
    Playthrough p{seed, {key_event(SDL_KEYDOWN, SDLK_SPACE)}};
    while (p.ticks < max_ticks) {
        if (wanted == Outcome::Cleared && TestAccess::projectiles(l).size() < 7) {
            const SDL_Point aim = intercept(TestAccess::ship(l), nearest(l));
            l.fire(aim.x, aim.y);
            p.events.push_back(click_event(aim.x, aim.y));
        }
        p.events.push_back(tick_event());
        ++p.ticks;
        const bool lost = !tick(l);
        if (lost || l.complete()) {
            return lost == (wanted == Outcome::Lost) ? std::optional(p) : std::nullopt;
        }
    }
    return std::nullopt;
}

// The playthrough of the first seed, of `count` from `from` on, on which
// `play` succeeds.
template <typename Play> std::optional<Playthrough> first_playthrough(unsigned from, unsigned count, Play play)
{
    for (unsigned seed = from; seed < from + count; ++seed) {
        if (std::optional<Playthrough> p = play(seed)) {
            return p;
        }
    }
    return std::nullopt;
}

// The first seed from `from` on that `fits`: the game's rocks are dealt
// again until they suit what a test needs. A search that runs through
// `count` seeds in vain says so, with what it looked for.
template <typename Fits> unsigned first_seed(unsigned from, Fits fits, const char* what, unsigned count = 100'000)
{
    for (unsigned seed = from; seed - from < count; ++seed) {
        if (fits(seed)) {
            return seed;
        }
    }
    throw std::runtime_error("none of the " + std::to_string(count) + " seeds from " + std::to_string(from) +
                             " deals rocks where " + what);
}

// The first seed from `from` on whose level an idle ship survives this many
// ticks: for watching a game run without it ending.
inline unsigned survivable_seed(unsigned from, int difficulty, int ticks)
{
    return first_seed(
        from,
        [&](unsigned seed) {
            std::srand(seed);
            Level l(difficulty);
            int t = 0;
            while (t < ticks && tick(l)) {
                ++t;
            }
            return t == ticks;
        },
        "an idle ship survives");
}
