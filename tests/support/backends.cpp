#include "backends.h"

#include <algorithm>
#include <sstream>

#include "browser.h"
#include "x_game.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> BROWSERS = {"chromium", "firefox", "webkit"};

// Each way of running the game that cannot meet a need, and why.
struct Lack {
    Need need;
    std::vector<std::string> backends;
    const char* why;
};
const std::vector<std::string> ALL_BUT_WINE = {"desktop", "installed", "archive", "chromium", "firefox", "webkit"};
const Lack LACKS[] = {
    {Need::Signals, BROWSERS, "a page's game has no process of its own to signal"},
    {Need::Signals, {"wine"}, "Windows has no signals: Wine answers them itself, killing the game or ignoring them"},
    {Need::Close, BROWSERS, "the browser's window is the browser's to close, not the page's"},
    {Need::NoDisplay, BROWSERS, "a page always has its canvas to draw on"},
    {Need::NamedDriver, BROWSERS, "a page has one video driver, its canvas"},
    {Need::Wayland, {"wine"}, "Wine draws through X only"},
    {Need::Wayland, BROWSERS, "the browser, not the game, talks to the desktop"},
    {Need::MessageBox, ALL_BUT_WINE, "only Windows shows a message box; elsewhere the line is on the console"},
    {Need::Folder, {"installed"}, "the installed command always starts the game beside its own images"},
    {Need::NoImages, {"installed"}, "the installed command always starts the game beside its own images"},
};

// The words of a command line held in an environment variable.
std::vector<std::string> words_of(const char* variable)
{
    std::istringstream line(environment_value(variable));
    std::vector<std::string> words;
    for (std::string word; line >> word;) {
        words.push_back(word);
    }
    return words;
}

// The desktop build, started from the source tree where it finds assets/.
XCommand desktop()
{
    return {{}, ROCKDRIFT_PATH, SOURCE_DIR, ROCKDRIFT_PATH, fs::temp_directory_path(), FIXED_TIME_PATH};
}

// scripts/test-install.sh installs the game and names its command; started
// as a player starts it, from a folder that has nothing of the game's.
XCommand installed()
{
    const fs::path command = environment_value("ROCKDRIFT_COMMAND");
    return {{}, command, fs::temp_directory_path(), command, fs::temp_directory_path(), FIXED_TIME_PATH};
}

// scripts/test-windows.sh and scripts/test-linux.sh unpack a release into a
// folder of their own and name the game in it, with the words that start it
// (wine, or scripts/lib/in-root.sh with its Debian system, which sees that
// folder's parent). The Linux archive is started as its README says, by the
// launcher beside the game, here from /.
XCommand ported(bool windows)
{
    const fs::path game = environment_value("ROCKDRIFT_GAME");
    const fs::path unpacked = game.parent_path().parent_path();
    // Where the game in a Debian system can load it too.
    const fs::path clock = unpacked / "fixed_time.so";
    fs::copy_file(FIXED_TIME_PATH, clock, fs::copy_options::overwrite_existing);
    if (windows) {
        return {{"/usr/bin/wine"}, game, game.parent_path(), game, unpacked, clock, true};
    }
    return {words_of("ROCKDRIFT_LAUNCHER"), game.parent_path() / "rockdrift.sh", "/", game, unpacked, clock};
}

Backend x_backend(const std::string& name, const std::string& shown, CLibrary library, XCommand (*command)())
{
    return {shown, library, [command] { return std::make_unique<XGame>(command()); }, name};
}

Backend browser_backend(const std::string& engine)
{
    return {engine, CLibrary::Musl, [engine] { return browser_game(engine); }, engine};
}

} // namespace

// scripts/test-web.sh builds the site, and a copy of it without the images.
std::unique_ptr<BrowserGame> browser_game(const std::string& engine)
{
    return std::make_unique<BrowserGame>(engine, environment_value("ROCKDRIFT_WEB_SITE"),
                                         environment_value("ROCKDRIFT_WEB_BARE_SITE"));
}

const char* Backend::lacks(Need need) const
{
    for (const Lack& l : LACKS) {
        if (l.need == need && std::find(l.backends.begin(), l.backends.end(), kind) != l.backends.end()) {
            return l.why;
        }
    }
    return nullptr;
}

std::vector<Backend> chosen_backends()
{
    std::vector<std::string> names = words_of("ROCKDRIFT_BACKENDS");
    if (names.empty()) {
        names = {"desktop"};
    }
    std::vector<Backend> chosen;
    for (const std::string& name : names) {
        if (name == "desktop") {
            chosen.push_back(x_backend(name, name, CLibrary::Glibc, desktop));
        } else if (name == "installed") {
            chosen.push_back(x_backend(name, name, CLibrary::Glibc, installed));
        } else if (name == "archive") {
            // Named after the Debian system it plays in.
            chosen.push_back(x_backend(name, "archive_in_" + environment_value("ROCKDRIFT_SYSTEM"), CLibrary::Glibc,
                                       [] { return ported(false); }));
        } else if (name == "wine") {
            chosen.push_back(x_backend(name, name, CLibrary::Msvcrt, [] { return ported(true); }));
        } else {
            chosen.push_back(browser_backend(name));
        }
    }
    return chosen;
}

std::vector<Backend> chosen_browsers()
{
    std::vector<Backend> browsers;
    for (const Backend& b : chosen_backends()) {
        if (std::find(BROWSERS.begin(), BROWSERS.end(), b.kind) != BROWSERS.end()) {
            browsers.push_back(b);
        }
    }
    return browsers;
}
