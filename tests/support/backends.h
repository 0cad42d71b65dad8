#pragma once

// The ways of running the game that the scenarios play, one backend each, and
// what each cannot do. A test program plays the backends that its
// environment names (scripts/test-*.sh set it), or the desktop build.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "browser.h"
#include "c_library.h"
#include "running_game.h"

// What a scenario may need beyond a screen, keys and clicks.
enum class Need {
    Signals,       // a process to signal
    Close,         // a window to ask to close
    NoDisplay,     // a start without any display
    NamedDriver,   // SDL's video driver chosen by name
    Wayland,       // a Wayland desktop without X
    MessageBox,    // a message box for a player without a console
    Folder,        // a start in a folder of the test's, with its images
    NoImages,      // a start without the game's images
};

struct Backend {
    // For the tests' names: the kind, and for the Linux archive its system.
    std::string name;
    // Whose rand() deals the rocks.
    CLibrary library;
    std::function<std::unique_ptr<RunningGame>()> make;
    // desktop, installed, archive, wine, chromium, firefox or webkit.
    std::string kind;

    // Why this backend cannot meet the need, or nullptr when it can.
    const char* lacks(Need need) const;
};

// For GoogleTest's messages and test names.
inline std::ostream& operator<<(std::ostream& out, const Backend& b)
{
    return out << b.name;
}

// The backends ROCKDRIFT_BACKENDS names (see backends.cpp), or the desktop build.
std::vector<Backend> chosen_backends();
// Only those among them that play in a browser.
std::vector<Backend> chosen_browsers();
// A game in a fresh page of this engine's browser.
std::unique_ptr<BrowserGame> browser_game(const std::string& engine);
