#pragma once

// The real game on a private X server, for the end-to-end tests: started from
// the source tree with a known seed, watched through screenshots of its
// window and driven through xdotool, as a player would drive it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/field.h"
#include "game_process.h"
#include "screen_text.h"
#include "x_session.h"

class GameSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        ASSERT_TRUE(x.connected());
    }

    // Starts the game believing it started in the second `seed` (its only
    // source of randomness), waits for its ready screen and focuses it.
    void start(unsigned seed) { start(ROCKDRIFT_PATH, SOURCE_DIR, started_in(seed)); }

    // Starts `binary` (the game, or a launcher handed the game among the
    // arguments) in `cwd`, waits for a screen that passes `ready` and focuses it.
    void start(const std::filesystem::path& binary, const std::filesystem::path& cwd,
               const GameProcess::Environment& env, const std::vector<std::string>& arguments = {},
               bool (*ready)(const Screenshot&) = shows_first_ready_screen)
    {
        using namespace std::chrono_literals;
        ASSERT_GT(patience.left(PATIENCE).count(), 0) << "not started: a wait for the game before ran out";
        // The window of the game before can outlive its process for a moment;
        // taking it for the new one would lose every screenshot.
        poll_until([this] { return x.find("Rockdrift", 0ms) == 0; }, patience.left(PATIENCE), 10ms);
        const auto started = std::chrono::steady_clock::now();
        game = std::make_unique<GameProcess>(binary, cwd, env, arguments);
        window = await_screen(ready);
        ASSERT_NE(window, 0u) << "no ready screen; the game said: " << game->out() << game->err();
        startup = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        ASSERT_TRUE(xdotool("windowfocus --sync " + std::to_string(window))) << "the window did not take the focus";
    }

    // Waits for a screen of the game that passes `check` and returns the
    // window showing it, or 0 when the game ends or the time runs out first.
    // SDL replaces its first window when it brings up an OpenGL renderer, so
    // the window is looked for afresh on every poll.
    template <typename Check> Window await_screen(Check check)
    {
        using namespace std::chrono_literals;
        Window shown = 0;
        const auto look = [&] {
            if (!game->running()) {
                return true;
            }
            const Window w = x.find("Rockdrift", 1s);
            const Screenshot s = w != 0 ? x.capture(w) : Screenshot{};
            shown = s.width == WIDTH && s.height == HEIGHT && check(s) ? w : 0;
            return shown != 0;
        };
        poll_until(look, patience.left(PATIENCE), 10ms);
        return patience.renew_on(shown);
    }

    // SDL replaces its first window when it brings up an OpenGL renderer, so
    // a window found early in start-up may be gone: look for it again.
    Screenshot screen()
    {
        using namespace std::chrono_literals;
        Screenshot s = x.capture(window);
        if (s.width != WIDTH || s.height != HEIGHT) {
            window = x.find("Rockdrift", 1s);
            s = x.capture(window);
        }
        return s;
    }

    template <typename Check>
    bool wait_for(Check check, std::chrono::milliseconds timeout)
    {
        return patience.renew_on(
            poll_screens([this] { return screen(); }, check, patience.left(timeout), std::chrono::milliseconds(5)));
    }

    // Keys go where the keyboard's focus is, as a player's do; a click goes
    // to a point of the game's window.
    bool key(const std::string& names) { return xdotool("key " + names); }
    bool click(int at_x, int at_y)
    {
        return xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(at_x) + " " +
                       std::to_string(at_y) + " click 1");
    }

    // Space, and the ready screen of this difficulty gone, wherever the rocks
    // lie.
    void start_play(int difficulty = 1)
    {
        ASSERT_TRUE(key("space"));
        ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !shows_ready_letters(s, difficulty); }, PATIENCE))
            << "play did not start";
    }

    // Status 0 and nothing on the console.
    void expect_quiet_end(const std::string& how)
    {
        const std::optional<int> status = patience.renew_on(game->wait(patience.left(PATIENCE)));
        ASSERT_TRUE(status.has_value()) << how << ": the game did not end";
        EXPECT_EQ(*status, 0) << how;
        EXPECT_EQ(game->out(), "") << how;
        EXPECT_EQ(game->err(), "") << how;
    }

    Patience patience;
    VirtualDisplay display;
    XClient x;
    std::unique_ptr<GameProcess> game;
    Window window = 0;
    std::chrono::milliseconds startup{};
};
