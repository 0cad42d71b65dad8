#include <gtest/gtest.h>

#include "display.h"

TEST(Display, OnlyADriverThatShowsNothingAndWasNotAskedForRefusesTheWindow)
{
    struct Case {
        const char* driver;
        const char* requested;
        bool refused;
    };
    const Case cases[] = {
        // Drivers with a screen behind them, asked for or not.
        {"x11", nullptr, false},
        {"wayland", nullptr, false},
        {"windows", nullptr, false},
        {"emscripten", nullptr, false},
        {"x11", "wayland,x11", false},
        // SDL's fallbacks when there is no display.
        {"offscreen", nullptr, true},
        {"dummy", nullptr, true},
        {"offscreen", "", true},
        {"offscreen", "x11", true},
        {"offscreen", "wayland,x11", true},
        {"dummy", "offscreen", true},
        {"offscreen", "offscreens", true},
        {"offscreen", "offscree", true},
        // Named by the player, in any case and anywhere in a list.
        {"offscreen", "offscreen", false},
        {"dummy", "dummy", false},
        {"dummy", "DUMMY", false},
        {"offscreen", "x11,offscreen", false},
        {"dummy", "dummy,x11", false},
        // SDL reports no driver at all.
        {nullptr, nullptr, true},
        {nullptr, "dummy", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shows_nothing(c.driver, c.requested), c.refused)
            << (c.driver ? c.driver : "(none)") << " with SDL_VIDEODRIVER=" << (c.requested ? c.requested : "(unset)");
    }
}
