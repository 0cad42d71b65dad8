#pragma once

// The browser build in a browser: web/driver.mjs runs the browser and serves
// the site, and this talks to it one line at a time (its commands and the
// engines are listed at the top of driver.mjs).
#include <sys/types.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "running_game.h"
#include "x_session.h"

class Browser {
public:
    // "chromium", "firefox" or "webkit".
    explicit Browser(const std::string& engine);
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    bool started() const { return from_driver != nullptr; }

    // Sends one command; true when the driver answers "ok". The text after
    // "ok" or "error" lands in `answer`.
    bool send(const std::string& command, std::string& answer);
    bool send(const std::string& command);

    // The canvas's drawing buffer, the game's 1024 x 768 whatever size it is
    // shown at; an empty Screenshot if it fails.
    Screenshot screen();
    // An answer of name=value pairs ("page", "sample", "serve").
    std::map<std::string, std::string> values(const std::string& command);
    // The console lines the page shows under the canvas.
    std::string console();

private:
    // WebKitGTK's browser has no headless mode: it gets a private X server.
    std::unique_ptr<VirtualDisplay> display;
    pid_t driver = -1;
    std::FILE* to_driver = nullptr;
    std::FILE* from_driver = nullptr;
    std::string shot_path;
};

// The game in a page of a fresh browser, the site served by the driver.
class BrowserGame : public RunningGame {
public:
    // The site's folder, and a copy of it without the images.
    BrowserGame(const std::string& engine, std::string site, std::string bare_site);

    bool start(const Launch& launch) override;
    Screenshot screen() override { return browser.screen(); }
    bool keys(const std::string& names) override;
    bool click(int x, int y, int button) override;
    bool close() override { return false; }
    bool signal(int) override { return false; }
    bool running() override;
    std::optional<int> wait(std::chrono::milliseconds timeout) override;
    Console console() override { return {"", browser.console(), true}; }
    long peak_kib() override { return 0; }
    bool shows_dialog() override { return false; }
    std::filesystem::path scratch() override { return {}; }

    // For the page's own tests.
    Browser browser;
    // The address the site is served at; empty before start.
    std::string url;

private:
    const std::string site;
    const std::string bare_site;
};
