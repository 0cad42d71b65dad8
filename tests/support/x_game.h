#pragma once

// The game as a program on the test program's X server (Xvfb): watched
// through its window's pixels, driven with real key presses and clicks, as a
// player would drive it.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "process.h"
#include "running_game.h"
#include "x_session.h"

// How a player starts one build of the game, and what the tests need to
// start it their way.
struct XCommand {
    // Words before the game: wine, or the command that enters a Debian system.
    std::vector<std::string> launcher;
    // What a player starts (the game, or a launcher beside it) and from where.
    std::filesystem::path start;
    std::filesystem::path folder;
    // The game itself, for a start in a folder of the test's.
    std::filesystem::path game;
    // Where the tests' folders go: somewhere the game can reach.
    std::filesystem::path scratch;
    // The library that makes the game believe it starts in a chosen second,
    // where the game can load it.
    std::filesystem::path clock;
    // The Windows release under Wine.
    bool windows = false;
};

class XGame : public RunningGame {
public:
    explicit XGame(XCommand command);
    ~XGame() override;

    bool start(const Launch& launch) override;
    Screenshot screen(Rows rows) override;
    bool keys(const std::string& names) override;
    bool hold(const std::string& names, bool down) override;
    bool click(int x, int y, int button) override;
    bool caught_up(std::chrono::milliseconds timeout) override;
    bool close() override;
    bool signal(int sig) override;
    bool running() override;
    std::optional<int> wait(std::chrono::milliseconds timeout) override;
    Console console() override;
    long peak_kib() override;
    pid_t pid() override { return game ? game->pid() : -1; }
    bool shows_dialog() override;
    std::filesystem::path scratch() override;

private:
    Window game_window();
    bool typing(const std::string& how, const std::string& names);

    const XCommand command;
    XClient& x = x_client();
    std::unique_ptr<Process> compositor;
    std::unique_ptr<Process> game;
    Window window = 0;
    Window dialog = 0;
    bool focused = false;
    std::vector<std::filesystem::path> folders;
};
