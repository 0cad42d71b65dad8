#pragma once

// The browser build in a browser: web/driver.mjs runs the browser and serves
// the site, and this talks to it one line at a time (its commands and the
// engines are listed at the top of driver.mjs).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "running_game.h"
#include "temp_dir.h"

// One engine's driver and browser, started once for the test program and
// shared by its games, each in a context of its own.
class Browser {
public:
    // "chromium", "firefox" or "webkit".
    explicit Browser(const std::string& engine);
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Sends one command; true when the driver answers "ok". The text after
    // "ok" or "error" lands in `answer`. A driver that does not answer
    // within PATIENCE is stopped, and says so.
    bool send(const std::string& command, std::string& answer);
    bool send(const std::string& command);
    bool alive() { return driver && driver->running(); }

    // Rows of the canvas's drawing buffer, the game's 1024 x 768 whatever
    // size it is shown at; an empty Screenshot if it fails.
    Screenshot screen(Rows rows);
    // An answer of name=value pairs ("page", "sample", "serve").
    std::map<std::string, std::string> values(const std::string& command);
    // The console lines the page shows under the canvas.
    std::string console();

private:
    std::unique_ptr<Process> driver;
    int to_driver = -1;
    int from_driver = -1;
    // What the driver has written beyond the last answer read.
    std::string unread;
    const TempDir shots{"canvas"};
};

// The test program's browser of this engine, started at the first call
// (again, if the one before has died).
Browser& browser_for(const std::string& engine);

// The game in a fresh page of the engine's browser, the site served by the
// driver.
class BrowserGame : public RunningGame {
public:
    // The site's folder, and a copy of it without the images.
    BrowserGame(const std::string& engine, std::string site, std::string bare_site);
    ~BrowserGame() override;

    bool start(const Launch& launch) override;
    Screenshot screen(Rows rows) override { return browser.screen(rows); }
    bool keys(const std::string& names) override;
    bool hold(const std::string& names, bool down) override;
    bool click(int x, int y, int button) override;
    bool caught_up(std::chrono::milliseconds) override { return browser.send("settle"); }
    bool close() override { return false; }
    bool signal(int) override { return false; }
    bool running() override;
    std::optional<int> wait(std::chrono::milliseconds timeout) override;
    Console console() override { return {"", browser.console(), true}; }
    long peak_kib() override;
    pid_t pid() override { return -1; }
    bool shows_dialog() override { return false; }
    std::filesystem::path scratch() override;

    Browser& browser;
    // The address the site is served at; empty before start.
    std::string url;

private:
    // The site with the images of a folder of the test's in its package.
    std::string site_with_images_of(const std::filesystem::path& folder);

    const std::string site;
    const std::string bare_site;
    std::unique_ptr<TempDir> variant;
    std::vector<std::unique_ptr<TempDir>> folders;
};
