// The installed game, started the way a player starts it: by its command,
// from a directory that has nothing to do with the game. scripts/test-install.sh
// names the command in ROCKDRIFT_COMMAND, once for each way of installing.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "game_process.h"
#include "game_session.h"
#include "screen_text.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const fs::path FIXED_TIME = FIXED_TIME_PATH;

class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(command.empty()) << "ROCKDRIFT_COMMAND names no installed command";
        ASSERT_TRUE(fs::is_regular_file(command)) << command << " is not installed";
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        ASSERT_TRUE(x.connected());
        fs::create_directories(elsewhere);
    }

    void TearDown() override { fs::remove_all(elsewhere); }

    const fs::path command = environment_value("ROCKDRIFT_COMMAND");
    // Empty, so nothing the game needs can be found in it.
    const fs::path elsewhere = fs::temp_directory_path() / ("rockdrift-elsewhere-" + std::to_string(::getpid()));
    VirtualDisplay display;
    XClient x;
};

} // namespace

TEST_F(InstalledGame, StartsOnTheReadyScreenFromAnyDirectoryAndEndsQuietlyOnSigterm)
{
    GameProcess game(command, elsewhere,
                     GameProcess::Environment{{"LD_PRELOAD", FIXED_TIME.string()},
                                              {"ROCKDRIFT_FIXED_TIME", std::to_string(clear_text_rows_seed())}});
    ASSERT_NE(await_ready_screen(x, game, PATIENCE), 0u)
        << "no ready screen; the game said: " << game.out() << game.err();

    // The launcher hands its process over to the game, so the signal reaches
    // the game itself and its status comes back unchanged.
    game.signal(SIGTERM);
    const std::optional<int> status = game.wait(PATIENCE);
    ASSERT_TRUE(status.has_value()) << "the game did not end on SIGTERM";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(game.out(), "");
    EXPECT_EQ(game.err(), "");
}

TEST_F(InstalledGame, PassesTheGamesFailureOnWhenThereIsNoDisplay)
{
    const Finished f = run_game(command, elsewhere, {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", std::nullopt}});
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.out, "ERROR IN MAIN(): 1\n\n");
    EXPECT_EQ(f.err, "");
}
