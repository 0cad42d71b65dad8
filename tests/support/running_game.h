#pragma once

// One game, run one of the ways players run it: the desktop build, the
// installed game, the Linux archive in a Debian system, the Windows release
// under Wine (x_game.h), or the browser build in a browser engine
// (browser.h). The scenarios of the real game, and the measurements, are
// written once against this.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "process.h"
#include "screenshot.h"

// How to start a game.
struct Launch {
    // The second the game believes it starts in: its rocks' only seed.
    unsigned second = 0;
    // A folder of the test's to start the game in, where it looks for
    // assets/ (see RunningGame::scratch); its own folder when empty.
    std::filesystem::path folder = {};
    // The game's own images left out.
    bool no_images = false;
    Environment env = {};
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

    // Starts the game, or starts it again once it has ended; false if it
    // cannot be started at all.
    virtual bool start(const Launch& launch) = 0;
    // The game's 1024 x 768 pixels (or only some rows of them), or an empty
    // Screenshot while it shows none.
    virtual Screenshot screen(Rows rows = {}) = 0;
    // Presses and releases keys, named as X names them ("space a Up").
    virtual bool keys(const std::string& names) = 0;
    // Only presses them (down), or only releases them.
    virtual bool hold(const std::string& names, bool down) = 0;
    // Moves the pointer to a point of the game's window and clicks a mouse
    // button there (none for 0).
    virtual bool click(int x, int y, int button = 1) = 0;
    // Waits until the game has read every key and click sent to it so far;
    // false when it has not within the timeout.
    virtual bool caught_up(std::chrono::milliseconds timeout) = 0;
    // Asks the game's window (or its message box) to close, as its close
    // button does.
    virtual bool close() = 0;
    virtual bool signal(int sig) = 0;
    virtual bool running() = 0;
    // Waits for the game to end, and gives its exit status (in a page, what
    // main returned); nullopt when it has not ended in time.
    virtual std::optional<int> wait(std::chrono::milliseconds timeout) = 0;
    virtual Console console() = 0;
    // The most memory the game has had, in KiB: its process's most resident
    // memory once it has ended, or in a page its memory (which only grows).
    virtual long peak_kib() = 0;
    // The game's process, for the measurements; -1 where it has none.
    virtual pid_t pid() = 0;
    // A window of the game's that is not its play field: a message box.
    virtual bool shows_dialog() = 0;
    // A folder for Launch::folder that the game can reach; made empty.
    virtual std::filesystem::path scratch() = 0;
};
