#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "display.h"

TEST(Display, OnlyADriverThatShowsNothingAndWasNotAskedForRefusesTheWindow)
{
    // The driver SDL picked and what SDL_VIDEODRIVER asks for.
    using Drivers = std::vector<std::pair<const char*, const char*>>;
    // Drivers with a screen behind them, asked for or not.
    const Drivers screens = {
        {"x11", nullptr}, {"wayland", nullptr}, {"windows", nullptr}, {"emscripten", nullptr}, {"x11", "wayland,x11"},
    };
    // SDL's fallbacks when there is no display.
    const Drivers fallbacks = {
        {"offscreen", nullptr},       {"dummy", nullptr},     {"offscreen", ""},           {"offscreen", "x11"},
        {"offscreen", "wayland,x11"}, {"dummy", "offscreen"}, {"offscreen", "offscreens"}, {"offscreen", "offscree"},
    };
    // Named by the player, in any case and anywhere in a list.
    const Drivers named = {
        {"offscreen", "offscreen"},     {"dummy", "dummy"},     {"dummy", "DUMMY"},
        {"offscreen", "x11,offscreen"}, {"dummy", "dummy,x11"},
    };
    // SDL reports no driver at all.
    const Drivers none = {{nullptr, nullptr}, {nullptr, "dummy"}};
    for (const auto& [drivers, refused] :
         {std::pair{screens, false}, std::pair{fallbacks, true}, std::pair{named, false}, std::pair{none, true}}) {
        for (const auto& [driver, requested] : drivers) {
            EXPECT_EQ(shows_nothing(driver, requested), refused)
                << (driver ? driver : "(none)") << " with SDL_VIDEODRIVER=" << (requested ? requested : "(unset)");
        }
    }
}
