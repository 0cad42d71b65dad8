// The browser build of the game, served on this machine and played in
// headless browsers with real key presses, mouse moves, clicks and touches;
// the canvas's drawing buffer is read back and checked with what the tests
// of the desktop game know about its screens, whatever size the page shows
// it at. The basic play runs in Chromium, Firefox and WebKit; the rest in
// Chromium. scripts/test-web.sh builds and serves the site and runs these
// with its address in ROCKDRIFT_WEB_URL (a copy without the images in
// ROCKDRIFT_WEB_BARE_URL, and the site's folder in ROCKDRIFT_WEB_SITE).
//
// The rocks are random: the page starts its game with the time as the seed,
// and the browser's rand() is not glibc's. Where a rock could spoil a check
// (a white rock across a line of text, or across the column a shot flies
// up), the page is loaded again for another deal.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "game/field.h"
#include "game_process.h"
#include "screen_shapes.h"
#include "screen_text.h"
#include "web_session.h"
#include "x_session.h"

using namespace std::chrono_literals;

namespace {

// Deals of the rocks to try before a check counts as failed.
constexpr int DEALS = 6;
// How long a player could wait for a rock to reach a ship left alone.
constexpr auto LONG_ENOUGH_TO_LOSE = 40s;
// Ticks a second the browser must hold over ten seconds of play.
constexpr double LEAST_TICK_RATE = 49.8;
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

class WebPage : public ::testing::Test {
protected:
    explicit WebPage(const std::string& engine = "chromium") : browser(engine) {}

    void SetUp() override
    {
        ASSERT_FALSE(site.empty()) << "ROCKDRIFT_WEB_URL is not set; run scripts/test-web.sh";
        ASSERT_TRUE(browser.started()) << "the browser's driver did not start";
    }

    template <typename Check> bool wait_for(Check check, std::chrono::milliseconds timeout)
    {
        return poll_screens([this] { return browser.screen(); }, check, timeout, 20ms);
    }

    bool wait_for_page(const std::string& name, const std::string& value, std::chrono::milliseconds timeout)
    {
        return poll_until([&] { return browser.values("page")[name] == value; }, timeout, 50ms);
    }

    // Loads the page until its first ready screen shows the three lines with
    // no white rock across them; false if no deal in DEALS does.
    bool open_ready_screen(const std::string& url)
    {
        for (int deal = 0; deal < DEALS; ++deal) {
            if (!browser.send("open " + url)) {
                return false;
            }
            if (wait_for([](const Screenshot& s) { return shows_text(s, ready_lines(1)); }, 15s)) {
                return true;
            }
        }
        return false;
    }
    bool open_ready_screen() { return open_ready_screen(site); }

    // Plays `deal` (which sets its argument once it has seen what it looked
    // for) on a fresh ready screen, and on another deal of the rocks while one
    // spoils the check, up to DEALS; then fails with `failure`.
    template <typename Deal> void in_some_deal(const std::string& failure, Deal deal)
    {
        for (int tried = 0; tried < DEALS; ++tried) {
            ASSERT_TRUE(open_ready_screen()) << "no ready screen";
            bool seen = false;
            deal(seen);
            if (seen || HasFatalFailure()) {
                return;
            }
        }
        FAIL() << failure;
    }

    // Starts play with the given key press (Space, or a finger on Start).
    bool start_play(const std::string& command = "key Space press")
    {
        const Screenshot ready = browser.screen();
        return browser.send(command) && wait_for([&](const Screenshot& s) { return !(s == ready); }, PATIENCE);
    }

    bool press_control(const std::string& name)
    {
        return browser.send("finger " + name + " down") && browser.send("finger " + name + " up");
    }

    Browser browser;
    const std::string site = environment_value("ROCKDRIFT_WEB_URL");
};

// The basic play, in each of the three browser engines.
class WebGame : public WebPage, public ::testing::WithParamInterface<const char*> {
protected:
    WebGame() : WebPage(GetParam()) {}
};

} // namespace

TEST_P(WebGame, ReadyScreenShowsTheThreeLinesAndTheShipOnACanvasFittedToALaptopWindow)
{
    ASSERT_TRUE(browser.send("viewport " + LAPTOP));
    ASSERT_TRUE(open_ready_screen()) << "no ready screen";
    const Screenshot s = browser.screen();
    EXPECT_TRUE(shows_text(s, ready_lines(1)));
    EXPECT_TRUE(ship_alone_at_the_centre(s));
    EXPECT_TRUE(mostly_background(s));

    // The game has the keyboard from the start, and its keys leave the page
    // where it is.
    ASSERT_TRUE(browser.send("key ArrowDown press"));
    ASSERT_TRUE(browser.send("key KeyS press"));
    auto page = browser.values("page");
    EXPECT_EQ(page["title"], "Rockdrift");
    EXPECT_EQ(page["focused"], "canvas");
    EXPECT_EQ(page["scrolled"], "0");
    EXPECT_EQ(page["ended"], "0");
    EXPECT_EQ(page["touch_controls"], "0");
    EXPECT_TRUE(fits(page, LAPTOP));
    EXPECT_EQ(browser.console(), "");
}

TEST_P(WebGame, SpaceStartsPlayAndAClickOnTheScaledCanvasFiresAShotSeenInFlight)
{
    in_some_deal("no shot seen flying up from the ship in any deal", [&](bool& seen) {
        ASSERT_TRUE(start_play()) << "Space did not start play";
        const Screenshot before = browser.screen();
        ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == before); }, PATIENCE)) << "frames do not change";
        if (shot_in_the_ships_column(browser.screen())) {
            return; // a white rock in the shot's way
        }
        ASSERT_TRUE(browser.send("move 512 100"));
        ASSERT_TRUE(browser.send("click 512 100"));
        // A rock crossing the column may have taken the shot: deal again.
        seen = wait_for(shot_in_the_ships_column, 5s);
    });
}

TEST_P(WebGame, EscapeDuringPlayLeadsToTheReadyScreenOfDifficultyTwo)
{
    in_some_deal("no ready screen for difficulty 2 in any deal", [&](bool& seen) {
        ASSERT_TRUE(start_play()) << "Space did not start play";
        ASSERT_TRUE(browser.send("key Escape press"));
        seen = wait_for([](const Screenshot& s) { return shows_text(s, ready_lines(2)); }, 15s);
    });
}

INSTANTIATE_TEST_SUITE_P(Engines, WebGame, ::testing::Values("chromium", "firefox", "webkit"),
                         [](const auto& engine) { return std::string(engine.param); });

TEST_F(WebPage, FitsTheCanvasToEveryWindowAsItChangesAndNothingScrolls)
{
    // Desktops, then a phone's touch screen on its side and upright.
    const std::pair<std::string, bool> windows[] = {{"1366x657", false}, {"1280x720", false}, {"1920x969", false},
                                                    {"1024x600", false}, {"800x600", false},  {"844x390", true},
                                                    {"390x844", true}};
    ASSERT_TRUE(open_ready_screen()) << "no ready screen";
    for (const auto& [window, touch] : windows) {
        ASSERT_TRUE(browser.send("viewport " + window + (touch ? " touch" : "")));
        const auto page = browser.values("page");
        EXPECT_TRUE(fits(page, window));
        EXPECT_EQ(page.at("touch_controls"), touch ? "1" : "0") << window;
        const Screenshot s = browser.screen();
        EXPECT_EQ(std::pair(s.width, s.height), std::pair(WIDTH, HEIGHT)) << "the drawing buffer is not the game's";
    }
}

TEST_F(WebPage, FullScreenButtonShowsThePageFullScreenAndBackWithTheGameKeepingTheKeyboard)
{
    ASSERT_TRUE(open_ready_screen()) << "no ready screen";
    ASSERT_TRUE(browser.send("press fullscreen"));
    EXPECT_TRUE(wait_for_page("fullscreen", "1", 5s)) << "not full screen";
    const auto page = browser.values("page");
    EXPECT_TRUE(fits(page, LAPTOP));
    EXPECT_EQ(page.at("focused"), "canvas");
    ASSERT_TRUE(browser.send("press fullscreen"));
    EXPECT_TRUE(wait_for_page("fullscreen", "0", 5s)) << "still full screen";
    EXPECT_TRUE(start_play()) << "Space did not start play";
}

TEST_F(WebPage, TouchControlsStartSteerAndSkipAndEachTapOnTheFieldFiresOneShot)
{
    ASSERT_TRUE(browser.send("viewport 844x390 touch"));
    const std::string failure = "in every deal shots went missing or a rock came near the ship (or taps fired twice, "
                                "reaching the seven shots early)";
    in_some_deal(failure, [&](bool& seen) {
        ASSERT_TRUE(start_play("finger Start down") && browser.send("finger Start up")) << "Start did not start play";
        if (shot_in_the_ships_column(browser.screen())) {
            return; // a white rock in the shots' way
        }
        // A tap fires one shot towards where it lands; six more, a few ticks
        // apart, make the seven shots the game allows in flight. (Taps that
        // fired twice at once would reach that limit with the fourth.)
        ASSERT_TRUE(browser.send("tap 512 100"));
        const bool first = wait_for(shot_in_the_ships_column, 2s);
        std::this_thread::sleep_for(100ms);
        ASSERT_LE(shots_on_screen(browser.screen()), 1) << "one tap fired more than one shot";
        for (int tap = 0; tap < 6; ++tap) {
            ASSERT_TRUE(browser.send("tap 512 100"));
            std::this_thread::sleep_for(60ms);
        }
        std::this_thread::sleep_for(100ms);
        if (!first || shots_on_screen(browser.screen()) != 7) {
            return; // a rock took a shot
        }
        ASSERT_TRUE(press_control("Escape"));
        // The text is drawn over the rocks: whatever they are, its letters show.
        ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 2); }, 15s))
            << "Escape did not skip to the next level";

        // One thumb steers right while the other taps.
        ASSERT_TRUE(start_play("finger Start down") && browser.send("finger Start up")) << "Start did not start play";
        ASSERT_TRUE(browser.send("finger Right down"));
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(browser.send("tap 700 0"));
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(browser.send("finger Right up"));
        const Screenshot s = browser.screen();
        bool moved_right = false;
        for (int x = WIDTH / 2 + 30; x < WIDTH - 15 && !moved_right; x += 3) {
            moved_right = ship_alone_at(s, x);
        }
        seen = shots_on_screen(s) == 1 && moved_right;
    });
}

TEST_F(WebPage, ReloadsAndPlaysWithItsServerStopped)
{
    // A server of its own to stop; python3 -u prints the port it picked at once.
    const std::string folder = environment_value("ROCKDRIFT_WEB_SITE");
    GameProcess server("/usr/bin/env", folder, {}, {"python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1"});
    std::string out;
    ASSERT_TRUE(poll_until([&] { return (out = server.out()).find(" port ") != std::string::npos; }, 5s, 50ms))
        << "no server for ROCKDRIFT_WEB_SITE (" << folder << "): " << server.err();
    const std::string url = "http://127.0.0.1:" + std::to_string(std::stoi(out.substr(out.find(" port ") + 6))) + "/";

    ASSERT_TRUE(open_ready_screen(url)) << "no ready screen";
    ASSERT_TRUE(wait_for_page("offline_ready", "1", 30s)) << "the service worker never took over";
    server.signal(SIGTERM);
    ASSERT_TRUE(server.wait(5s).has_value()) << "the server did not stop";
    ASSERT_TRUE(open_ready_screen(url)) << "no ready screen with the server stopped";
    EXPECT_TRUE(start_play()) << "Space did not start play with the server stopped";
}

TEST_F(WebPage, GameOverShowsItsTwoLinesOverTheLastFrameAndThePageOffersAnotherGame)
{
    ASSERT_NO_FATAL_FAILURE(in_some_deal("no game-over screen", [&](bool& lost) {
        ASSERT_TRUE(start_play()) << "Space did not start play";
        lost = wait_for(shows_game_over, LONG_ENOUGH_TO_LOSE);
    }));

    // The frame beneath is kept: the field's colour over most of the screen
    // and the top of the ship above the text, where a lost frame is black.
    const Screenshot s = browser.screen();
    EXPECT_TRUE(mostly_background(s));
    int ship = 0;
    for (int y = 369; y < 384; ++y) {
        for (int x = 497; x <= 526; ++x) {
            ship += !is_background(s.at(x, y)) && s.at(x, y) != 0xFF000000;
        }
    }
    EXPECT_GT(ship, 10) << "no ship beneath the game-over lines";

    ASSERT_TRUE(browser.send("key Escape press"));
    EXPECT_TRUE(wait_for_page("ended", "1", 10s)) << "the page does not say the game has ended";
    EXPECT_EQ(browser.console(), "");
    // Play again.
    ASSERT_TRUE(browser.send("press again"));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return s.at(0, 0) == BACKGROUND && !shows_game_over(s); }, 15s));
    EXPECT_TRUE(wait_for_page("ended", "0", 10s)) << "no new game";
}

TEST_F(WebPage, PlayHoldsFiftyTicksASecond)
{
    in_some_deal("the ship was hit within ten seconds in every deal", [&](bool& sampled) {
        ASSERT_TRUE(start_play()) << "Space did not start play";
        // Every tick draws one frame: frames counted over ten seconds, and
        // timed by the page from the last frame before to the last within.
        auto sample = browser.values("sample 10000");
        if (wait_for(shows_game_over, 0ms)) {
            return; // the ship was hit during the sample: frames stopped
        }
        const double rate = std::stod(sample["frames"]) * 1000.0 / std::stod(sample["frame_ms"]);
        std::cout << "ticks a second over 10 s of play: " << rate << "\n";
        EXPECT_GE(rate, LEAST_TICK_RATE);
        sampled = true;
    });
}

TEST(WebGameWithoutAssets, ThePageSaysTextureLoadingFailed)
{
    const std::string bare = environment_value("ROCKDRIFT_WEB_BARE_URL");
    ASSERT_FALSE(bare.empty()) << "ROCKDRIFT_WEB_BARE_URL is not set; run scripts/test-web.sh";
    Browser browser;
    ASSERT_TRUE(browser.send("open " + bare));
    std::string console;
    poll_until([&] { return (console = browser.console()).find("Texture loading failed") != std::string::npos; }, 20s,
               100ms);
    EXPECT_EQ(console, "Texture loading failed\n");
    EXPECT_EQ(browser.values("page")["ended"], "1");
}
