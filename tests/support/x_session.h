#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "screenshot.h"

// A private X server (Xvfb) for the lifetime of the object; DISPLAY names it.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ready() const { return !name.empty(); }
    const std::string& display() const { return name; }

private:
    pid_t server = -1;
    std::string name;
};

// A client connection for looking at windows and asking them to close;
// keys and clicks go through xdotool, as a player's would through the server.
class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return display != nullptr; }
    // The top-level window with exactly this title, or 0 when none appears.
    Window find(const std::string& title, std::chrono::milliseconds timeout);
    // Every top-level window shown now with exactly this title, bottom first.
    std::vector<Window> find_all(const std::string& title);
    Screenshot capture(Window w);
    // Only the given rectangle of the window: quick enough to poll.
    Screenshot capture(Window w, int x, int y, int width, int height);
    // What the window manager sends when the player clicks the close button.
    void request_close(Window w);

private:
    std::string title_of(Window w);

    Display* display = nullptr;
};

// Runs xdotool with the given arguments against DISPLAY; true on success.
bool xdotool(const std::string& arguments);
