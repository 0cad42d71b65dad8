// The browser page around the game: the canvas fitted to every window, the
// keyboard kept by the game, full screen, touch controls, offline play and
// the offer of another game. Each game starts in a second chosen for its
// rocks, as in the scenarios of game_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "browser.h"
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

class Page : public Scenario {
protected:
    Browser& browser() { return static_cast<BrowserGame&>(*game).browser; }

    bool wait_for_page(const std::string& name, const std::string& value)
    {
        return patience.renew_on(
            poll_until([&] { return browser().values("page")[name] == value; }, patience.left(PATIENCE), 50ms));
    }

    bool press_control(const std::string& name)
    {
        return browser().send("finger " + name + " down") && browser().send("finger " + name + " up");
    }

    // Level 1 is calm, and level 2, after level 1 was left with Escape,
    // leaves a ship that steers right alone for over two seconds, while its
    // shot at the top of the field, fired at any moment of the first, flies.
    static bool calm_then_clear_to_the_right(unsigned second)
    {
        if (!calm(second)) {
            return false;
        }
        for (int fire_at = 0; fire_at <= 50; ++fire_at) {
            std::srand(second);
            const Level first(1);
            Level l(2);
            Ship& ship = TestAccess::ship(l);
            ship.press(SDLK_RIGHT);
            for (int t = 0; t < 120; ++t) {
                if (t == fire_at) {
                    l.fire(700, 0);
                }
                if (!tick(l) || TestAccess::asteroids(l).size() != 6 ||
                    TestAccess::projectiles(l).size() != (t >= fire_at ? 1u : 0u)) {
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
};

// In Chromium, whose driver can touch, resize and go full screen.
class PageInChromium : public Page {};

} // namespace

TEST_P(Page, TheGameHasTheKeyboardAndTheCanvasFitsALaptopWindow)
{
    ASSERT_NO_FATAL_FAILURE(start(clear_text_second()));
    // The game's keys leave the page where it is.
    ASSERT_TRUE(browser().send("key ArrowDown press"));
    ASSERT_TRUE(browser().send("key KeyS press"));
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
    ASSERT_NO_FATAL_FAILURE(start(second_where(calm_then_clear_to_the_right)));
    ASSERT_TRUE(press_control("Start"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return !shows_ready_letters(s, 1); })) << "Start did not start play";

    // A tap fires one shot towards where it lands; six more, a few ticks
    // apart, make the seven shots the game allows in flight. (Taps that
    // fired twice at once would reach that limit with the fourth.)
    ASSERT_TRUE(browser().send("tap 512 100"));
    ASSERT_TRUE(wait_for(shot_in_the_ships_column)) << "no shot from the first tap";
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(shots_on_screen(game->screen()), 1) << "one tap fired more than one shot";
    for (int tap = 0; tap < 6; ++tap) {
        ASSERT_TRUE(browser().send("tap 512 100"));
        std::this_thread::sleep_for(60ms);
    }
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return shots_on_screen(s) == 7; })) << "not seven shots";
    ASSERT_TRUE(press_control("Esc"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 2); }))
        << "Escape did not skip to the next level";

    // One thumb steers right while the other taps.
    ASSERT_TRUE(press_control("Start"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return !shows_ready_letters(s, 2); })) << "Start did not start play";
    ASSERT_TRUE(browser().send("finger Right down"));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(browser().send("tap 700 0"));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(browser().send("finger Right up"));
    const Screenshot s = game->screen();
    bool moved_right = false;
    for (int x = WIDTH / 2 + 30; x < WIDTH - 15 && !moved_right; x += 3) {
        moved_right = ship_alone_at(s, x);
    }
    EXPECT_TRUE(moved_right) << "the ship did not steer right";
    EXPECT_EQ(shots_on_screen(s), 1) << "the tap while steering did not fire one shot";
}

TEST_P(PageInChromium, ReloadsAndPlaysWithItsServerStopped)
{
    const unsigned second = calm_second();
    ASSERT_NO_FATAL_FAILURE(start(second));
    ASSERT_TRUE(wait_for_page("offline_ready", "1")) << "the service worker never took over";
    const std::string url = static_cast<BrowserGame&>(*game).url;
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
