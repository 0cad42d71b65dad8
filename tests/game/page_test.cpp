// The browser page around the game: the canvas fitted to every window, the
// keyboard kept by the game, full screen, touch controls, offline play and
// the offer of another game. Each game starts in a second chosen for its
// rocks, as in the scenarios of game_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "scenario.h"
#include "test_access.h"

using namespace std::chrono_literals;

namespace {

// The share of the largest 4:3 box that fits the window which the canvas
// must fill; the page's own lines take the rest.
constexpr double LEAST_FIT = 0.85;
// A laptop's 1366 x 768 screen less the browser's bars: the driver's window
// unless a test asks for another.
const std::string LAPTOP = "1366x657";

// The page laid out at the window's size ("WIDTHxHEIGHT"), the whole canvas
// in the window at 4:3 and at least LEAST_FIT of the largest size that fits,
// and nothing that scrolls.
::testing::AssertionResult fits(std::map<std::string, std::string> page, const std::string& window)
{
    if (page["window"] != window || page["aspect"] != "1.33" || page["inside"] != "1" ||
        std::stod("0" + page["fit"]) < LEAST_FIT || page["scrolls"] != "0") {
        return ::testing::AssertionFailure()
               << "window " << page["window"] << ", canvas at " << page["fit"] << " of the largest 4:3 size, aspect "
               << page["aspect"] << ", inside " << page["inside"] << ", scrolls " << page["scrolls"];
    }
    return ::testing::AssertionSuccess();
}

class Page : public Scenario, public ::testing::WithParamInterface<Backend> {
protected:
    const Backend& backend() const override { return GetParam(); }
    void new_game() override
    {
        page.reset();
        page = browser_game(GetParam().kind);
        game = page.get();
    }
    Browser& browser() { return page->browser; }

    bool wait_for_page(const std::string& name, const std::string& value)
    {
        return patience.renew_on(
            poll_until([&] { return browser().values("page")[name] == value; }, patience.left(PATIENCE), 50ms));
    }

    bool press_control(const std::string& name)
    {
        return browser().send("finger " + name + " down") && browser().send("finger " + name + " up");
    }

    // The shots on a frame drawn after the game has read every tap so far.
    int shots_once_caught_up()
    {
        if (!caught_up()) {
            return -1;
        }
        const Screenshot before = game->screen();
        Screenshot after;
        return wait_for([&](const Screenshot& s) { return !((after = s) == before); }) ? shots_on_screen(after) : -1;
    }

    // From the start of play at this difficulty (the levels before it left
    // with Escape), a ship that steers with `key` comes near no rock for
    // `ticks` ticks, and a shot fired at `aim` on any of the first `fire_by`
    // ticks flies on.
    static bool clear_way(unsigned second, int difficulty, SDL_Keycode key, int ticks, SDL_Point aim, int fire_by)
    {
        for (int fire_at = 0; fire_at <= fire_by; ++fire_at) {
            std::srand(second);
            for (int before = 1; before < difficulty; ++before) {
                const Level skipped(before);
            }
            Level l(difficulty);
            Ship& ship = TestAccess::ship(l);
            ship.press(key);
            for (int t = 0; t < ticks; ++t) {
                if (t == fire_at && fire_by > 0) {
                    l.fire(aim.x, aim.y);
                }
                const std::size_t shots = t >= fire_at && fire_by > 0 ? 1 : 0;
                if (!tick(l) || TestAccess::asteroids(l).size() != std::size_t(3 * difficulty) ||
                    TestAccess::projectiles(l).size() != shots) {
                    return false;
                }
                // Nothing drawn beside the ship, for the check of where it is.
                for (const Asteroid& a : TestAccess::asteroids(l)) {
                    if (std::abs(a.getX() - ship.getX()) < 80 && std::abs(a.getY() - ship.getY()) < 80) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    std::unique_ptr<BrowserGame> page;
};

// In Chromium, whose driver can touch, resize and go full screen.
class PageInChromium : public Page {};

} // namespace

// The game's keys reach it, and leave the page where it is: the arrows
// scroll nothing, on the ready screen or in play.
TEST_P(Page, TheGameHasTheKeyboardAndTheCanvasFitsALaptopWindow)
{
    ASSERT_NO_FATAL_FAILURE(start(second_where([](unsigned s) { return clear_way(s, 1, SDLK_DOWN, 250, {}, 0); },
                                               "a ship steering down stays clear")));
    ASSERT_TRUE(game->keys("Down s"));
    ASSERT_NO_FATAL_FAILURE(start_play());
    ASSERT_TRUE(game->hold("Down", true));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return ship_moved(s, 0, 1); })) << "the ship did not steer down";
    ASSERT_TRUE(game->hold("Down", false));
    auto page = browser().values("page");
    EXPECT_EQ(page["title"], "Rockdrift");
    EXPECT_EQ(page["focused"], "canvas");
    EXPECT_EQ(page["scrolled"], "0");
    EXPECT_EQ(page["ended"], "0");
    EXPECT_EQ(page["touch_controls"], "0");
    EXPECT_TRUE(fits(page, LAPTOP));
    EXPECT_EQ(browser().console(), "");
}

// Every tick draws one frame; from the middle gap between frames, which a
// busy machine's late wake-ups do not drag down. (The rate over a whole
// stretch of play is measured by scripts/measure-web.sh.)
TEST_P(Page, PlayRunsAtFiftyTicksASecond)
{
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    ASSERT_NO_FATAL_FAILURE(start_play());
    const double gap = std::stod("0" + browser().values("sample 3000")["gap_ms"]);
    EXPECT_NEAR(1000 / gap, 50, 5) << "the middle gap between frames is " << gap << " ms";
}

TEST_P(PageInChromium, FitsTheCanvasToEveryWindowAsItChangesAndNothingScrolls)
{
    // Desktops, then a phone's touch screen on its side and upright.
    const std::pair<std::string, bool> windows[] = {{"1366x657", false}, {"1280x720", false}, {"1920x969", false},
                                                    {"1024x600", false}, {"800x600", false},  {"844x390", true},
                                                    {"390x844", true}};
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    for (const auto& [window, touch] : windows) {
        ASSERT_TRUE(browser().send("viewport " + window + (touch ? " touch" : "")));
        const auto page = browser().values("page");
        EXPECT_TRUE(fits(page, window));
        EXPECT_EQ(page.at("touch_controls"), touch ? "1" : "0") << window;
        EXPECT_TRUE(game->screen().whole()) << "the drawing buffer is not the game's";
    }
}

TEST_P(PageInChromium, FullScreenButtonShowsThePageFullScreenAndBackWithTheGameKeepingTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    ASSERT_TRUE(browser().send("press fullscreen"));
    EXPECT_TRUE(wait_for_page("fullscreen", "1")) << "not full screen";
    const auto page = browser().values("page");
    EXPECT_TRUE(fits(page, LAPTOP));
    EXPECT_EQ(page.at("focused"), "canvas");
    ASSERT_TRUE(browser().send("press fullscreen"));
    EXPECT_TRUE(wait_for_page("fullscreen", "0")) << "still full screen";
    ASSERT_NO_FATAL_FAILURE(start_play());
}

TEST_P(PageInChromium, TouchControlsStartSteerAndSkipAndEachTapOnTheFieldFiresOneShot)
{
    new_game();
    ASSERT_TRUE(browser().send("viewport 844x390 touch"));
    ASSERT_NO_FATAL_FAILURE(start(second_where(
        [](unsigned s) {
            return calm(s) && clear_way(s, 2, SDLK_RIGHT, 150, {700, 0}, 75);
        },
        "level 1 is calm and a ship steering right on level 2 stays clear")));
    ASSERT_TRUE(press_control("Start"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return !shows_ready_letters(s, 1); }, READY_ROWS))
        << "Start did not start play";

    // Each tap fires one shot towards where it lands, up to the seven shots
    // the game allows in flight; the eighth fires none. (Taps that fired
    // twice would make seven of the first four.)
    for (const auto& [taps, shots] : {std::pair{1, 1}, {3, 4}, {4, 7}}) {
        for (int tap = 0; tap < taps; ++tap) {
            ASSERT_TRUE(browser().send("tap 512 100"));
        }
        EXPECT_EQ(shots_once_caught_up(), shots) << "shots in flight after " << taps << " more taps";
    }
    ASSERT_TRUE(press_control("Esc"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 2); }, READY_ROWS))
        << "Escape did not skip to the next level";

    // One thumb steers right while the other taps.
    ASSERT_TRUE(press_control("Start"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return !shows_ready_letters(s, 2); }, READY_ROWS))
        << "Start did not start play";
    ASSERT_TRUE(browser().send("finger Right down"));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return ship_moved(s, 1, 0); })) << "the ship did not steer right";
    ASSERT_TRUE(browser().send("tap 700 0"));
    EXPECT_EQ(shots_once_caught_up(), 1) << "the tap while steering did not fire one shot";
    ASSERT_TRUE(browser().send("finger Right up"));
}

TEST_P(PageInChromium, ReloadsAndPlaysWithItsServerStopped)
{
    const unsigned second = calm_second();
    ASSERT_NO_FATAL_FAILURE(start(second));
    ASSERT_TRUE(wait_for_page("offline_ready", "1")) << "the service worker never took over";
    const std::string url = page->url;
    ASSERT_TRUE(browser().send("unserve " + url));
    ASSERT_TRUE(browser().send("open " + url + " " + std::to_string(second)));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 1); }))
        << "no ready screen with the server stopped";
    ASSERT_NO_FATAL_FAILURE(start_play());
}

TEST_P(PageInChromium, WhenTheGameHasEndedThePageOffersAnother)
{
    ASSERT_NO_FATAL_FAILURE(start(losing_second()));
    ASSERT_TRUE(game->keys("space"));
    ASSERT_TRUE(wait_for(shows_game_over)) << "no game-over screen";
    ASSERT_TRUE(game->keys("Escape"));
    ASSERT_TRUE(wait_for_page("ended", "1")) << "the page does not say the game has ended";
    EXPECT_EQ(browser().console(), "");
    ASSERT_TRUE(browser().send("press again"));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 1) && !shows_game_over(s); }))
        << "no new game";
    EXPECT_TRUE(wait_for_page("ended", "0")) << "the page still says the game has ended";
}

INSTANTIATE_TEST_SUITE_P(EveryEngine, Page, ::testing::ValuesIn(chosen_browsers()),
                         [](const auto& backend) { return backend.param.name; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Page);

std::vector<Backend> chromium()
{
    std::vector<Backend> browsers = chosen_browsers();
    std::erase_if(browsers, [](const Backend& b) { return b.kind != "chromium"; });
    return browsers;
}
INSTANTIATE_TEST_SUITE_P(Chromium, PageInChromium, ::testing::ValuesIn(chromium()),
                         [](const auto& backend) { return backend.param.name; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PageInChromium);
