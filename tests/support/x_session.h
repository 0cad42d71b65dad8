#pragma once

// The test program's private X server and its one connection to it, through
// which the tests look at windows and type and click as a player would.
#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "screenshot.h"

// The X server (Xvfb) of this test program, started at the first call and
// stopped when the program ends; DISPLAY names it from then on. Empty when it
// cannot be started.
const std::string& x_display();

// A connection to that server for looking at windows, asking them to close
// and asking whether they answer.
class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return display != nullptr; }
    // Every top-level window shown now with exactly this title, bottom first.
    std::vector<Window> find_all(const std::string& title);
    Window find(const std::string& title)
    {
        const auto all = find_all(title);
        return all.empty() ? 0 : all.front();
    }
    // The window's pixels; of a window of the game's size, only the given
    // rows of them if so asked.
    Screenshot capture(Window w, Rows rows = {});
    // What the window manager sends when the player clicks the close button.
    void request_close(Window w);
    // The desktop's way of asking whether a window still answers
    // (_NET_WM_PING): true once its owner has answered, which it does as it
    // reads its events, in the order the server sent them.
    bool ping(Window w, std::chrono::milliseconds timeout);

private:
    std::string title_of(Window w);
    Atom atom(const char* name) { return XInternAtom(display, name, False); }

    Display* display = nullptr;
    long pings = 0;
};

// The program's one connection to its X server.
XClient& x_client();

// Runs xdotool with these arguments on that server, as a player's keyboard
// and mouse: true when it succeeds.
bool xdotool(std::vector<std::string> arguments);
