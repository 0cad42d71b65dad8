// The browser build of the game, served on this machine and played in
// Debian's headless Chromium with real key presses, mouse moves and clicks;
// the canvas is read back as screenshots and checked with what the tests of
// the desktop game know about its screens. scripts/test-web.sh builds and
// serves the site and runs these with its address in ROCKDRIFT_WEB_URL (and
// a copy without the images in ROCKDRIFT_WEB_BARE_URL).
//
// The rocks are random: the page starts its game with the time as the seed,
// and the browser's rand() is not glibc's. Where a rock could spoil a check
// (a white rock across a line of text, or across the column a shot flies
// up), the page is loaded again for another deal.
#include <gtest/gtest.h>

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

class WebGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(site.empty()) << "ROCKDRIFT_WEB_URL is not set; run scripts/test-web.sh";
        ASSERT_TRUE(browser.started()) << "the Chromium driver did not start";
    }

    template <typename Check> bool wait_for(Check check, std::chrono::milliseconds timeout)
    {
        return poll_screens([this] { return browser.screen(); }, check, timeout, 20ms);
    }

    bool wait_for_page(const std::string& name, const std::string& value, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        do {
            if (browser.values("page")[name] == value) {
                return true;
            }
            std::this_thread::sleep_for(50ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    // Loads the page until its first ready screen shows the three lines with
    // no white rock across them; false if no deal in DEALS does.
    bool open_ready_screen()
    {
        for (int deal = 0; deal < DEALS; ++deal) {
            if (!browser.send("open " + site)) {
                return false;
            }
            if (wait_for([](const Screenshot& s) { return shows_text(s, ready_lines(1)); }, 15s)) {
                return true;
            }
        }
        return false;
    }

    bool start_play()
    {
        const Screenshot ready = browser.screen();
        return browser.send("key Space press") && wait_for([&](const Screenshot& s) { return !(s == ready); }, PATIENCE);
    }

    Browser browser;
    const std::string site = environment_value("ROCKDRIFT_WEB_URL");
};

} // namespace

TEST_F(WebGame, ReadyScreenShowsTheThreeLinesAndTheShip)
{
    ASSERT_TRUE(open_ready_screen()) << "no ready screen";
    const Screenshot s = browser.screen();
    EXPECT_TRUE(shows_text(s, ready_lines(1)));
    EXPECT_TRUE(ship_alone_at_the_centre(s));
    for (auto [x, y] : {std::pair{0, 0}, {1023, 0}, {0, 767}, {1023, 767}}) {
        EXPECT_TRUE(is_background(s.at(x, y))) << x << ", " << y;
    }

    // The game has the keyboard from the start, and its keys leave the page
    // where it is.
    ASSERT_TRUE(browser.send("key ArrowDown press"));
    ASSERT_TRUE(browser.send("key KeyS press"));
    auto page = browser.values("page");
    EXPECT_EQ(page["title"], "Rockdrift");
    EXPECT_EQ(page["focused"], "canvas");
    EXPECT_EQ(page["scrolled"], "0");
    EXPECT_EQ(page["ended"], "0");
    EXPECT_EQ(browser.console(), "");
}

TEST_F(WebGame, SpaceStartsPlayAndAClickFiresAShotSeenInFlight)
{
    for (int deal = 0; deal < DEALS; ++deal) {
        ASSERT_TRUE(open_ready_screen()) << "no ready screen";
        ASSERT_TRUE(start_play()) << "Space did not start play";
        const Screenshot before = browser.screen();
        ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == before); }, PATIENCE)) << "frames do not change";
        if (shot_in_the_ships_column(browser.screen())) {
            continue; // a white rock in the shot's way
        }
        ASSERT_TRUE(browser.send("move 512 100"));
        ASSERT_TRUE(browser.send("click 512 100"));
        EXPECT_TRUE(wait_for(shot_in_the_ships_column, 5s)) << "no shot flies up from the ship";
        return;
    }
    FAIL() << "white rocks in the shot's way in every deal";
}

TEST_F(WebGame, EscapeDuringPlayLeadsToTheReadyScreenOfDifficultyTwo)
{
    for (int deal = 0; deal < DEALS; ++deal) {
        ASSERT_TRUE(open_ready_screen()) << "no ready screen";
        ASSERT_TRUE(start_play()) << "Space did not start play";
        ASSERT_TRUE(browser.send("key Escape press"));
        if (wait_for([](const Screenshot& s) { return shows_text(s, ready_lines(2)); }, 15s)) {
            return;
        }
    }
    FAIL() << "no ready screen for difficulty 2 in any deal";
}

TEST_F(WebGame, GameOverShowsItsTwoLinesOverTheLastFrameAndThePageOffersAnotherGame)
{
    bool lost = false;
    for (int deal = 0; deal < DEALS && !lost; ++deal) {
        ASSERT_TRUE(open_ready_screen()) << "no ready screen";
        ASSERT_TRUE(start_play()) << "Space did not start play";
        lost = wait_for(shows_game_over, LONG_ENOUGH_TO_LOSE);
    }
    ASSERT_TRUE(lost) << "no game-over screen";

    // The frame beneath is kept: the field's colour in the corners and the
    // top of the ship above the text, where a lost frame would be black.
    const Screenshot s = browser.screen();
    for (auto [x, y] : {std::pair{0, 0}, {1023, 0}, {0, 767}, {1023, 767}}) {
        EXPECT_TRUE(is_background(s.at(x, y))) << x << ", " << y;
    }
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

TEST_F(WebGame, PlayHoldsFiftyTicksASecond)
{
    for (int deal = 0; deal < DEALS; ++deal) {
        ASSERT_TRUE(open_ready_screen()) << "no ready screen";
        ASSERT_TRUE(start_play()) << "Space did not start play";
        // Every tick draws one frame: frames counted over ten seconds, and
        // timed by the page from the last frame before to the last within.
        auto sample = browser.values("sample 10000");
        if (wait_for(shows_game_over, 0ms)) {
            continue; // the ship was hit during the sample: frames stopped
        }
        const double rate = std::stod(sample["frames"]) * 1000.0 / std::stod(sample["frame_ms"]);
        std::cout << "ticks a second over 10 s of play: " << rate << "\n";
        EXPECT_GE(rate, LEAST_TICK_RATE);
        return;
    }
    FAIL() << "the ship was hit within ten seconds in every deal";
}

TEST(WebGameWithoutAssets, ThePageSaysTextureLoadingFailed)
{
    const std::string bare = environment_value("ROCKDRIFT_WEB_BARE_URL");
    ASSERT_FALSE(bare.empty()) << "ROCKDRIFT_WEB_BARE_URL is not set; run scripts/test-web.sh";
    Browser browser;
    ASSERT_TRUE(browser.send("open " + bare));
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    std::string console;
    while (console.find("Texture loading failed") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        console = browser.console();
    }
    EXPECT_EQ(console, "Texture loading failed\n");
    EXPECT_EQ(browser.values("page")["ended"], "1");
}
