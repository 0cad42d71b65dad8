#include "x_game.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* TITLE = "Rockdrift";
// Weston's window on the X server, which shows its one output.
constexpr const char* WESTON = "Weston Compositor - screen0";

// What makes the game believe it started in this second, its only source of
// randomness, so that it deals known rocks: the fixed_time library, where the
// game can load it, preloaded.
Environment started_in(unsigned second, const fs::path& clock)
{
    return {{"LD_PRELOAD", clock.string()}, {"ROCKDRIFT_FIXED_TIME", std::to_string(second)}};
}

std::string without_cr(std::string text)
{
    std::erase(text, '\r');
    return text;
}

} // namespace

XGame::XGame(XCommand c) : command(std::move(c)) {}

XGame::~XGame()
{
    game.reset();
    compositor.reset();
    for (const fs::path& folder : folders) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

bool XGame::start(const Launch& launch)
{
    if (!x.connected() || running()) {
        return false;
    }
    // A game that has ended may be started again, with everything afresh
    // but its folders.
    game.reset();
    compositor.reset();
    window = 0;
    focused = false;
    // The window of a game before can outlive its process for a moment;
    // taking it for this one's would lose every screenshot.
    poll_until([this] { return x.find(TITLE) == 0; }, PATIENCE, 10ms);

    Environment env = started_in(launch.second, command.clock);
    if (command.windows) {
        // Wine's services and desktop, started once for all the program's
        // games on its X server, with an environment of their own.
        static const std::optional<int> booted = run({{"wine", "wineboot"}});
        if (booted != 0) {
            return false;
        }
        env["ROCKDRIFT_FIXED_CLOCK"] = "1";
    }
    if (launch.wayland) {
        // Weston in a window of this X server, showing one program full
        // screen at the game's size: what that window shows, the game drew
        // through Wayland alone, without X or XWayland.
        const fs::path runtime = scratch();
        fs::permissions(runtime, fs::perms::owner_all);
        compositor = std::make_unique<Process>(Command{
            {"weston", "--backend=x11-backend.so", "--use-pixman", "--shell=kiosk-shell.so", "--socket=wayland-0",
             "--width=" + std::to_string(WIDTH), "--height=" + std::to_string(HEIGHT), "--idle-time=0"},
            runtime,
            {{"XDG_RUNTIME_DIR", runtime.string()}}});
        poll_until([&] { return fs::exists(runtime / "wayland-0") || !compositor->running(); }, PATIENCE, 10ms);
        poll_until([&] { return (window = x.find(WESTON)) != 0 || !compositor->running(); }, PATIENCE, 10ms);
        if (window == 0) {
            return false;
        }
        env.insert(
            {{"DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", runtime.string()}, {"WAYLAND_DISPLAY", "wayland-0"}});
    }
    for (const auto& [name, value] : launch.env) {
        env[name] = value;
    }

    std::vector<std::string> words = command.launcher;
    fs::path folder = command.folder;
    if (launch.from_the_desktop) {
        // Wine's start runs a program as Explorer does: in the program's own
        // folder, with no console; the folder holds the program alone.
        folder = launch.folder;
        fs::copy_file(command.game, folder / command.game.filename());
        words.insert(words.end(), {"start", "/wait", "/unix", (folder / command.game.filename()).string()});
    } else if (!launch.folder.empty()) {
        folder = launch.folder;
        words.push_back(command.game.string());
    } else if (launch.no_images) {
        folder = scratch();
        words.push_back(command.game.string());
    } else {
        words.push_back(command.start.string());
    }
    game = std::make_unique<Process>(Command{words, folder, env});
    return game->started();
}

// SDL replaces its first window when it brings up an OpenGL renderer, so the
// window is looked for afresh until one shows the whole game.
Window XGame::game_window()
{
    if (compositor) {
        return window;
    }
    const std::vector<Window> shown = x.find_all(TITLE);
    const auto whole = std::find_if(shown.begin(), shown.end(), [this](Window w) {
        return x.capture(w, {0, 1}).whole();
    });
    if (whole != shown.end() && *whole != window) {
        window = *whole;
        focused = false;
    }
    return window;
}

Screenshot XGame::screen(Rows rows)
{
    Screenshot s = x.capture(window, rows);
    if (!s.whole() && game_window() != 0) {
        s = x.capture(window, rows);
    }
    return s;
}

// Keys go where the keyboard's focus is, as a player's do: once the game has
// its window, it is given the focus, and keeps it.
bool XGame::typing(const std::string& how, const std::string& names)
{
    if (!focused && game_window() != 0) {
        focused = xdotool({"windowfocus", "--sync", std::to_string(window)});
    }
    std::istringstream words(names);
    std::vector<std::string> arguments{how};
    arguments.insert(arguments.end(), std::istream_iterator<std::string>(words), {});
    return focused && xdotool(arguments);
}

bool XGame::keys(const std::string& names)
{
    return typing("key", names);
}

bool XGame::hold(const std::string& names, bool down)
{
    return typing(down ? "keydown" : "keyup", names);
}

bool XGame::click(int x_at, int y_at, int button)
{
    std::vector<std::string> arguments{"mousemove", "--window", std::to_string(window), std::to_string(x_at),
                                       std::to_string(y_at)};
    if (button != 0) {
        arguments.insert(arguments.end(), {"click", std::to_string(button)});
    }
    return game_window() != 0 && xdotool(arguments);
}

// The game reads its window's events (or its message box's) in the order the
// server sent them, and answers a ping as it reads it. The first answer shows that the input before
// it is in the game's queue; the game reads the server again only once it
// has taken everything from that queue, so the second answer shows that it
// has handled the input.
bool XGame::caught_up(std::chrono::milliseconds timeout)
{
    const Window w = shows_dialog() ? dialog : game_window();
    return w != 0 && x.ping(w, timeout) && x.ping(w, timeout);
}

bool XGame::close()
{
    const Window w = shows_dialog() ? dialog : game_window();
    if (w == 0) {
        return false;
    }
    x.request_close(w);
    return true;
}

bool XGame::signal(int sig)
{
    if (game) {
        game->signal(sig);
    }
    return game != nullptr;
}

bool XGame::running()
{
    return game && game->running();
}

std::optional<int> XGame::wait(std::chrono::milliseconds timeout)
{
    return game ? game->wait(timeout) : std::nullopt;
}

Console XGame::console()
{
    if (!game) {
        return {};
    }
    // Wine ends lines with CR LF, as Windows does.
    return {without_cr(game->out()), without_cr(game->err())};
}

long XGame::peak_kib()
{
    return game ? game->peak_kib() : 0;
}

// A message box has the game's title too, but not the game's size.
bool XGame::shows_dialog()
{
    dialog = 0;
    for (Window w : x.find_all(TITLE)) {
        const Screenshot s = x.capture(w, {0, 1});
        dialog = s.width > 0 && s.width < WIDTH && s.height < HEIGHT ? w : dialog;
    }
    return dialog != 0;
}

fs::path XGame::scratch()
{
    std::random_device random;
    const fs::path folder = command.scratch / ("rockdrift-scratch-" + std::to_string(random()));
    fs::create_directories(folder);
    folders.push_back(folder);
    return folder;
}
