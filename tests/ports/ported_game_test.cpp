// A ported game as a player gets it: the Windows release's rockdrift.exe
// under Wine, or the Linux archive's rockdrift inside a fresh Debian system,
// played on a private X server with real X input. scripts/test-windows.sh and
// scripts/test-linux.sh unpack the release, name the unpacked game in
// ROCKDRIFT_GAME and the command line that starts it (wine, or
// scripts/in-root.sh with its system) in ROCKDRIFT_LAUNCHER.
//
// These games run on the real clock, so their rocks are not known in
// advance: every check here holds wherever the rocks are. Wine ends console
// lines with CR LF, as Windows does.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/field.h"
#include "game_process.h"
#include "game_session.h"
#include "screen_shapes.h"
#include "screen_text.h"
#include "x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path GAME = environment_value("ROCKDRIFT_GAME");
const bool WINDOWS = GAME.extension() == ".exe";

// The launcher's words, then the game.
std::vector<std::string> command_line()
{
    std::istringstream launcher(environment_value("ROCKDRIFT_LAUNCHER"));
    std::vector<std::string> words;
    for (std::string word; launcher >> word;) {
        words.push_back(word);
    }
    words.push_back(GAME.string());
    return words;
}
const std::vector<std::string> COMMAND = command_line();
const fs::path BINARY = COMMAND.front();
const std::vector<std::string> ARGUMENTS(COMMAND.begin() + 1, COMMAND.end());

// The console as a Linux program would have written it.
std::string without_cr(std::string text)
{
    std::erase(text, '\r');
    return text;
}

// A ready screen: every letter of its lines, and the ship alone at the
// centre. A white rock may cross the text's rows.
bool shows_ready_screen(const Screenshot& s, int difficulty)
{
    return shows_ready_letters(s, difficulty) && ship_alone_at_the_centre(s);
}

bool shows_first_ready_screen_among_any_rocks(const Screenshot& s)
{
    return shows_ready_screen(s, 1);
}

class PortedGame : public GameSession {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(GAME.empty()) << "ROCKDRIFT_GAME names no game";
        ASSERT_TRUE(fs::is_regular_file(GAME)) << GAME << " is not there";
        GameSession::SetUp();
    }

    // Wine's own processes of this prefix (its server, its desktop) outlive
    // the game for a while and are tied to this test's X server: they go with
    // it, so the next test starts Wine afresh on its own X server.
    void TearDown() override
    {
        if (game) {
            game.reset();
        }
        if (WINDOWS) {
            std::system("wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1");
        }
        std::error_code ignored;
        fs::remove_all(elsewhere, ignored);
    }

    // From the folder it was unpacked into, as Explorer or a launcher beside
    // the game starts it.
    void start()
    {
        GameSession::start(BINARY, GAME.parent_path(), {}, ARGUMENTS, shows_first_ready_screen_among_any_rocks);
    }

    // True on the ready screen of this difficulty, false if the game ends first.
    bool reaches_ready_screen(int difficulty)
    {
        return await_screen([difficulty](const Screenshot& s) { return shows_ready_screen(s, difficulty); }) != 0;
    }

    // A folder beside the unpacked one (which a system the game runs in sees
    // too), without assets/; removed after each test.
    const fs::path elsewhere = GAME.parent_path().parent_path() / "no-assets";
};

} // namespace

TEST_F(PortedGame, ReadyScreenShowsTheThreeLinesAndTheShipAndACloseRequestEndsIt)
{
    start();
    std::cout << "start-up to the first ready frame: " << startup.count() << " ms\n";
    const Screenshot s = screen();
    EXPECT_TRUE(shows_ready_screen(s, 1));
    EXPECT_TRUE(ship_alone_at_the_centre(s));
    x.request_close(window);
    expect_quiet_end("window closed on the ready screen");
}

TEST_F(PortedGame, SpaceStartsPlayAndAClickFires)
{
    start();
    start_play(1);
    const Screenshot first = screen();
    ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == first); }, PATIENCE)) << "frames do not change";

    ASSERT_TRUE(click(512, 100));
    EXPECT_TRUE(wait_for(shot_in_the_ships_column, PATIENCE))
        << "no shot flies up from the ship";
    x.request_close(window);
    expect_quiet_end("window closed during play");
}

TEST_F(PortedGame, EscapeDuringPlayGoesOnToDifficultyTwo)
{
    start();
    start_play(1);
    ASSERT_TRUE(key("Escape"));
    EXPECT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_screen(s, 2); }, PATIENCE))
        << "no ready screen for difficulty 2";
    x.request_close(window);
    expect_quiet_end("window closed on the second ready screen");
}

TEST_F(PortedGame, EscapeOnTheGameOverScreenEndsTheGame)
{
    // A ship left alone is hit sooner or later, and the more rocks the
    // sooner: each level that has not hit it in a few seconds is skipped.
    constexpr auto LEFT_ALONE = 5s;
    constexpr int MOST_LEVELS = 20;
    start();
    int difficulty = 1;
    int played = 0;
    for (;;) {
        ASSERT_NO_FATAL_FAILURE(start_play(difficulty));
        ++played;
        // Fire and steer a little, as a player would.
        for (const auto& [aim_x, aim_y] : {std::pair{300, 150}, {800, 200}, {700, 650}, {150, 500}}) {
            ASSERT_TRUE(click(aim_x, aim_y));
        }
        ASSERT_TRUE(key("a w"));
        if (wait_for(shows_game_over, LEFT_ALONE)) {
            break;
        }
        ASSERT_LT(played, MOST_LEVELS) << "the ship was never hit";
        ASSERT_TRUE(key("Escape"));
        ++difficulty;
        if (!reaches_ready_screen(difficulty)) {
            // The ship was hit just before the key, which then ended the
            // game from its game-over screen: play again.
            expect_quiet_end("Escape just after the ship was hit");
            start();
            difficulty = 1;
        }
    }
    std::cout << "game over after " << played << " level(s)\n";

    // The screen waits: only Escape or a way of stopping the game ends it.
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(game->running()) << "the game ended by itself";
    // Escape goes where the keyboard's focus is: still on the game.
    EXPECT_EQ(x.focused(), window) << "the game's window lost the focus";
    ASSERT_TRUE(key("Escape"));
    expect_quiet_end("Escape on the game-over screen");
}

TEST_F(PortedGame, WithoutItsImagesItSaysSoAndExitsWithOne)
{
    fs::create_directories(elsewhere);
    const Finished f = run_game(BINARY, elsewhere, {}, ARGUMENTS);
    ASSERT_TRUE(f.status.has_value()) << "the game did not end (waiting on a dialog?)";
    EXPECT_EQ(*f.status, 1);
    EXPECT_EQ(without_cr(f.err), "Texture loading failed\n");
    EXPECT_EQ(f.out, "");
}

TEST_F(PortedGame, StartedFromTheDesktopWithoutItsImagesItShowsTheErrorInAMessageBox)
{
    if (!WINDOWS) {
        GTEST_SKIP() << "only Windows shows a message box";
    }
    // Wine's start runs a program as Explorer does: in the program's own
    // folder, with no console. Here the folder holds the program alone.
    fs::create_directories(elsewhere);
    fs::copy_file(GAME, elsewhere / "rockdrift.exe");
    GameProcess g(BINARY, elsewhere, {}, {"start", "/wait", "/unix", (elsewhere / "rockdrift.exe").string()});

    // The message box has the game's title too, but not the game's size.
    Window box = 0;
    const auto shown = [&] {
        for (Window w : x.find_all("Rockdrift")) {
            const Screenshot s = x.capture(w);
            box = s.width > 0 && s.width < WIDTH && s.height < HEIGHT ? w : box;
        }
        return box != 0 || !g.running();
    };
    poll_until(shown, PATIENCE, 10ms);
    ASSERT_NE(box, 0u) << "no message box";
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(g.running()) << "the game did not wait for the player to read the message";

    x.request_close(box);
    const std::optional<int> status = g.wait(PATIENCE);
    ASSERT_TRUE(status.has_value()) << "the game did not end once the message was closed";
    EXPECT_EQ(*status, 1);
}

TEST_F(PortedGame, ItsLauncherFindsTheImagesFromAnyDirectory)
{
    if (WINDOWS) {
        GTEST_SKIP() << "Windows starts a program in its own folder";
    }
    // On SDL's dummy driver, asked for by name, the game plays with no
    // display at all, as long as it found its images.
    std::vector<std::string> command = COMMAND;
    command.back() = (GAME.parent_path() / "rockdrift.sh").string();
    GameProcess g(command.front(), "/", {{"SDL_VIDEODRIVER", "dummy"}}, {command.begin() + 1, command.end()});
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(g.running()) << "the game ended: " << g.out() << g.err();
    g.signal(SIGTERM);
    EXPECT_EQ(g.wait(PATIENCE), 0);
    EXPECT_EQ(g.err(), "");
}

TEST_F(PortedGame, OnAWaylandDesktopWithoutXItShowsTheReadyScreen)
{
    if (WINDOWS) {
        GTEST_SKIP() << "Wayland is Linux's";
    }
    // Weston in a window of this test's X server, showing one program full
    // screen at the game's size: what that window shows is what the game
    // drew through Wayland alone, without X or XWayland.
    const fs::path runtime = elsewhere / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    GameProcess weston("/usr/bin/weston", runtime, {{"XDG_RUNTIME_DIR", runtime.string()}},
                       {"--backend=x11-backend.so", "--use-pixman", "--shell=kiosk-shell.so", "--socket=wayland-0",
                        "--width=" + std::to_string(WIDTH), "--height=" + std::to_string(HEIGHT), "--idle-time=0"});
    poll_until([&] { return fs::exists(runtime / "wayland-0") || !weston.running(); }, PATIENCE, 10ms);
    window = x.find("Weston Compositor - screen0", 1s);
    ASSERT_NE(window, 0u) << "Weston did not start: " << weston.err();

    game = std::make_unique<GameProcess>(
        BINARY, GAME.parent_path(),
        GameProcess::Environment{{"DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", runtime.string()},
                                 {"WAYLAND_DISPLAY", "wayland-0"}},
        ARGUMENTS);
    EXPECT_TRUE(wait_for(shows_first_ready_screen_among_any_rocks, PATIENCE))
        << "no ready screen on Wayland; the game said: " << game->out() << game->err();
    EXPECT_TRUE(game->running());
}

TEST_F(PortedGame, WithoutADisplayItSaysSoAndExitsWithOne)
{
    const Finished f =
        run_game(BINARY, GAME.parent_path(), {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}, ARGUMENTS);
    ASSERT_TRUE(f.status.has_value()) << "the game did not end (waiting on a dialog?)";
    EXPECT_EQ(*f.status, 1);
    EXPECT_EQ(without_cr(f.out), "ERROR IN MAIN(): 1\n\n");
    // On Linux the Wayland library may add a line of its own on standard
    // error when the session has no runtime folder either.
    if (WINDOWS) {
        EXPECT_EQ(f.err, "");
    }
}
