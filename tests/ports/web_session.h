#pragma once

// The browser build in a browser, for the browser tests: tests/ports/web/driver.mjs
// runs the browser, and this talks to it one line at a time (the commands and
// the engines are listed at the top of driver.mjs).
#include <sys/types.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "x_session.h"

class Browser {
public:
    // "chromium", "firefox" or "webkit".
    explicit Browser(const std::string& engine = "chromium");
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
    // The answer of "page" or "sample", as names and values.
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
