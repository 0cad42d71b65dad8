#include "x_game.h"

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* TITLE = "Rockdrift";
// Weston's window on the X server, which shows its one output.
constexpr const char* WESTON = "Weston Compositor - screen0";

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
    // Wine's own processes of this prefix (its server, its desktop) outlive
    // the game for a while and are tied to this X server: they go with it,
    // so the next game starts Wine afresh.
    if (command.windows) {
        std::system("wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1");
    }
    for (const fs::path& folder : folders) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

bool XGame::start(const Launch& launch)
{
    if (!display.ready() || !x.connected() || game) {
        return false;
    }
    // The window of a game before can outlive its process for a moment;
    // taking it for this one's would lose every screenshot.
    poll_until([this] { return x.find(TITLE, 0ms) == 0; }, PATIENCE, 10ms);

    Environment env = started_in(launch.second, command.clock);
    if (command.windows) {
        env["ROCKDRIFT_FIXED_CLOCK"] = "1";
    }
    if (launch.wayland) {
        // Weston in a window of this X server, showing one program full
        // screen at the game's size: what that window shows, the game drew
        // through Wayland alone, without X or XWayland.
        const fs::path runtime = scratch();
        fs::permissions(runtime, fs::perms::owner_all);
        compositor = std::make_unique<GameProcess>(
            "/usr/bin/weston", runtime, Environment{{"XDG_RUNTIME_DIR", runtime.string()}},
            std::vector<std::string>{"--backend=x11-backend.so", "--use-pixman", "--shell=kiosk-shell.so",
                                     "--socket=wayland-0", "--width=" + std::to_string(WIDTH),
                                     "--height=" + std::to_string(HEIGHT), "--idle-time=0"});
        poll_until([&] { return fs::exists(runtime / "wayland-0") || !compositor->running(); }, PATIENCE, 10ms);
        window = x.find(WESTON, 1s);
        if (window == 0) {
            return false;
        }
        env.insert({{"DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", runtime.string()}, {"WAYLAND_DISPLAY", "wayland-0"}});
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
    const fs::path program = words.front();
    game = std::make_unique<GameProcess>(program, folder, env, std::vector<std::string>(words.begin() + 1, words.end()));
    return true;
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
        const Screenshot s = x.capture(w);
        return s.whole();
    });
    if (whole != shown.end() && *whole != window) {
        window = *whole;
        focused = false;
    }
    return window;
}

Screenshot XGame::screen()
{
    Screenshot s = x.capture(window);
    if (!s.whole() && game_window() != 0) {
        s = x.capture(window);
    }
    return s;
}

bool XGame::keys(const std::string& names)
{
    // Keys go where the keyboard's focus is, as a player's do: once the game
    // has its window, it is given the focus, and keeps it.
    if (!focused && game_window() != 0) {
        focused = xdotool("windowfocus --sync " + std::to_string(window));
    }
    return focused && xdotool("key " + names);
}

bool XGame::click(int x_at, int y_at, int button)
{
    return game_window() != 0 && xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(x_at) +
                                         " " + std::to_string(y_at) + " click " + std::to_string(button));
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
        const Screenshot s = x.capture(w);
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
