#pragma once

// One game, run one of the ways players run it: the desktop build, the
// installed game, the Linux archive in a Debian system, the Windows release
// under Wine (x_game.h), or the browser build in a browser engine
// (browser.h). The scenarios of the real game are written once against this.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "game_process.h"
#include "screenshot.h"

// How to start a game.
struct Launch {
    // The second the game believes it starts in: its rocks' only seed.
    unsigned second = 0;
    // A folder of the test's to start the game in, where it looks for
    // assets/ (see RunningGame::scratch); its own folder when empty.
    std::filesystem::path folder;
    // The game's own images left out.
    bool no_images = false;
    Environment env;
    // No display at all but a Wayland compositor's, shown on the screen.
    bool wayland = false;
    // Started as Windows' Explorer starts it: with no console.
    bool from_the_desktop = false;
};

// What the game wrote. A page shows both streams as one, which is `err`
// there; `merged` says so.
struct Console {
    std::string out;
    std::string err;
    bool merged = false;

    bool says(const std::string& expected_out, const std::string& expected_err) const
    {
        return merged ? err == expected_out + expected_err : out == expected_out && err == expected_err;
    }
};

class RunningGame {
public:
    virtual ~RunningGame() = default;

    // Starts the game; false if it cannot be started at all.
    virtual bool start(const Launch& launch) = 0;
    // The game's 1024 x 768 pixels, or an empty Screenshot while it shows none.
    virtual Screenshot screen() = 0;
    // Presses and releases keys, named as xdotool names them ("space a Up").
    virtual bool keys(const std::string& names) = 0;
    // Clicks a mouse button at a point of the game's window.
    virtual bool click(int x, int y, int button = 1) = 0;
    // Asks the game's window (or its message box) to close, as its close
    // button does.
    virtual bool close() = 0;
    virtual bool signal(int sig) = 0;
    virtual bool running() = 0;
    // Waits for the game to end, and gives its exit status (in a page, what
    // main returned); nullopt when it has not ended in time.
    virtual std::optional<int> wait(std::chrono::milliseconds timeout) = 0;
    virtual Console console() = 0;
    // The most resident memory the game's process had, once it has ended, in
    // KiB; 0 where there is no process of its own.
    virtual long peak_kib() = 0;
    // A window of the game's that is not its play field: a message box.
    virtual bool shows_dialog() = 0;
    // A folder for Launch::folder that the game can reach; made empty.
    virtual std::filesystem::path scratch() = 0;
};
