// The installed game, started the way a player starts it: by its command,
// from a directory that has nothing to do with the game. scripts/test-install.sh
// names the command in ROCKDRIFT_COMMAND, once for each way of installing.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <optional>
#include <string>

#include "game_process.h"
#include "game_session.h"
#include "screen_text.h"
#include "temp_dir.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

class InstalledGame : public GameSession {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(command.empty()) << "ROCKDRIFT_COMMAND names no installed command";
        ASSERT_TRUE(fs::is_regular_file(command)) << command << " is not installed";
        GameSession::SetUp();
    }

    const fs::path command = environment_value("ROCKDRIFT_COMMAND");
    // Empty, so nothing the game needs can be found in it.
    const TempDir tmp{"elsewhere"};
    const fs::path elsewhere = tmp.path();
};

} // namespace

TEST_F(InstalledGame, StartsOnTheReadyScreenFromAnyDirectoryAndEndsQuietlyOnSigterm)
{
    ASSERT_NO_FATAL_FAILURE(start(command, elsewhere, started_in(clear_text_rows_seed())));

    // The launcher hands its process over to the game, so the signal reaches
    // the game itself and its status comes back unchanged.
    game->signal(SIGTERM);
    expect_quiet_end("SIGTERM on the ready screen");
}

TEST_F(InstalledGame, PassesTheGamesFailureOnWhenThereIsNoDisplay)
{
    const Finished f = run_game(command, elsewhere, {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", std::nullopt}});
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.out, "ERROR IN MAIN(): 1\n\n");
    EXPECT_EQ(f.err, "");
}
