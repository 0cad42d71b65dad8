#include "browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

Browser::Browser(const std::string& engine)
{
    // A driver that has died must fail the test, not kill it.
    ::signal(SIGPIPE, SIG_IGN);
    int commands[2];
    int answers[2];
    if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0) {
        return;
    }
    // WebKitGTK's browser has no headless mode: it shows its windows on the
    // test program's X server.
    Environment env;
    if (engine == "webkit") {
        env["DISPLAY"] = x_display();
    }
    // What the driver says besides its answers goes with the tests' output.
    driver = std::make_unique<Process>(
        Command{{"node", WEB_DRIVER_PATH, engine},
                {},
                env,
                {{commands[0], STDIN_FILENO}, {answers[1], STDOUT_FILENO}, {STDERR_FILENO, STDERR_FILENO}}});
    close(commands[0]);
    close(answers[1]);
    to_driver = commands[1];
    from_driver = answers[0];
}

Browser::~Browser()
{
    if (alive()) {
        send("quit");
        driver->wait(PATIENCE);
    }
    close(to_driver);
    close(from_driver);
}

bool Browser::send(const std::string& command, std::string& answer)
{
    answer.clear();
    const std::string line = command + "\n";
    if (!alive() || write(to_driver, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        answer = "the driver has gone";
        return false;
    }
    if (command == "quit") {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    std::size_t end = 0;
    while ((end = unread.find('\n')) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd answers{from_driver, POLLIN, 0};
        char buffer[65536];
        const ssize_t got = left.count() > 0 && poll(&answers, 1, int(left.count())) == 1
                                ? read(from_driver, buffer, sizeof buffer)
                                : -1;
        if (got <= 0) {
            answer = got == 0 ? "the driver has gone" : "no answer to \"" + command + "\" within a minute";
            driver->signal(SIGKILL);
            return false;
        }
        unread.append(buffer, std::size_t(got));
    }
    const std::string reply = unread.substr(0, end);
    unread.erase(0, end + 1);
    const std::size_t space = reply.find(' ');
    answer = space == std::string::npos ? "" : reply.substr(space + 1);
    return reply.rfind("ok", 0) == 0;
}

bool Browser::send(const std::string& command)
{
    std::string answer;
    return send(command, answer);
}

Screenshot Browser::screen(Rows rows)
{
    const fs::path file = shots.path() / "rows";
    if (!send("shot " + file.string() + " " + std::to_string(rows.top) + " " + std::to_string(rows.bottom))) {
        return {};
    }
    const std::string rgba = read_file(file);
    if (rgba.size() != std::size_t(WIDTH) * (rows.bottom - rows.top) * 4) {
        return {};
    }
    Screenshot shot{WIDTH, HEIGHT, std::vector<std::uint32_t>(std::size_t(WIDTH) * HEIGHT)};
    const auto* bytes = reinterpret_cast<const unsigned char*>(rgba.data());
    for (std::size_t i = 0, at = std::size_t(rows.top) * WIDTH; i < rgba.size(); i += 4, ++at) {
        shot.pixels[at] = 0xFF000000u | std::uint32_t(bytes[i]) << 16 | std::uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
    }
    return shot;
}

std::map<std::string, std::string> Browser::values(const std::string& command)
{
    std::map<std::string, std::string> result;
    std::string answer;
    if (!send(command, answer)) {
        return result;
    }
    std::istringstream pairs(answer);
    std::string pair;
    while (pairs >> pair) {
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) {
            result[pair.substr(0, equals)] = pair.substr(equals + 1);
        }
    }
    return result;
}

std::string Browser::console()
{
    const fs::path file = shots.path() / "console";
    return send("console " + file.string()) ? read_file(file) : "";
}

Browser& browser_for(const std::string& engine)
{
    static std::map<std::string, std::unique_ptr<Browser>> browsers;
    std::unique_ptr<Browser>& browser = browsers[engine];
    if (!browser || !browser->alive()) {
        browser = std::make_unique<Browser>(engine);
    }
    return *browser;
}

namespace {

// X's names of the keys the scenarios press, as KeyboardEvent codes.
std::string key_code(const std::string& name)
{
    static const std::map<std::string, std::string> codes = {
        {"space", "Space"},    {"Escape", "Escape"},  {"Return", "Enter"},    {"Up", "ArrowUp"},
        {"Down", "ArrowDown"}, {"Left", "ArrowLeft"}, {"Right", "ArrowRight"}};
    const auto code = codes.find(name);
    if (code != codes.end()) {
        return code->second;
    }
    return name.size() == 1 ? "Key" + std::string(1, char(std::toupper(name[0]))) : name;
}

bool each_key(Browser& browser, const std::string& names, const std::string& how)
{
    std::istringstream words(names);
    bool sent = true;
    for (std::string name; words >> name;) {
        sent = sent && browser.send("key " + key_code(name) + " " + how);
    }
    return sent;
}

} // namespace

BrowserGame::BrowserGame(const std::string& engine, std::string site_folder, std::string bare_folder)
    : browser(browser_for(engine)), site(std::move(site_folder)), bare_site(std::move(bare_folder))
{
    browser.send("fresh");
}

BrowserGame::~BrowserGame()
{
    if (!url.empty()) {
        browser.send("unserve " + url);
    }
}

// The site's own files, and a package of the folder's images made as the
// build makes the site's (web/pack_assets.py). What is not an image file
// there (a directory, a link that leads nowhere) is left out of the package,
// where the game finds it missing.
std::string BrowserGame::site_with_images_of(const fs::path& folder)
{
    variant = std::make_unique<TempDir>("site");
    const fs::path images = variant->path() / "images";
    fs::create_directory(images);
    for (const fs::directory_entry& file : fs::directory_iterator(folder / "assets")) {
        std::error_code error;
        if (file.is_regular_file(error)) {
            fs::create_symlink(file.path(), images / file.path().filename());
        }
    }
    const fs::path served = variant->path() / "site";
    fs::create_directory(served);
    for (const fs::directory_entry& file : fs::directory_iterator(site)) {
        fs::create_symlink(file.path(), served / file.path().filename());
    }
    fs::remove(served / "assets.data");
    fs::remove(served / "assets.json");
    const std::optional<int> packed =
        run({{"python3", PACK_ASSETS_PATH, images.string(), (served / "assets").string()}});
    return packed == 0 ? served.string() : "";
}

bool BrowserGame::start(const Launch& launch)
{
    if (!url.empty()) {
        browser.send("unserve " + url);
        browser.send("fresh");
    }
    const std::string folder = launch.no_images        ? bare_site
                               : launch.folder.empty() ? site
                                                       : site_with_images_of(launch.folder);
    std::string answer;
    if (folder.empty() || !browser.send("serve " + folder, answer) || answer.rfind("url=", 0) != 0) {
        std::cerr << "the site was not served: " << answer << "\n";
        return false;
    }
    url = answer.substr(4);
    if (!browser.send("open " + url + " " + std::to_string(launch.second), answer)) {
        std::cerr << "the page did not open: " << answer << "\n";
        return false;
    }
    return true;
}

bool BrowserGame::keys(const std::string& names)
{
    return each_key(browser, names, "press");
}

bool BrowserGame::hold(const std::string& names, bool down)
{
    return each_key(browser, names, down ? "down" : "up");
}

bool BrowserGame::click(int x, int y, int button)
{
    const std::string point = std::to_string(x) + " " + std::to_string(y);
    return browser.send(button == 0 ? "move " + point : "click " + point + " " + std::to_string(button));
}

bool BrowserGame::running()
{
    return browser.values("page")["ended"] == "0";
}

std::optional<int> BrowserGame::wait(std::chrono::milliseconds timeout)
{
    std::map<std::string, std::string> page;
    if (!poll_until([&] { return (page = browser.values("page"))["ended"] == "1"; }, timeout, 50ms)) {
        return std::nullopt;
    }
    // A page whose game aborted has no status: reported as a program that
    // aborted would be.
    return page["status"].empty() ? 128 + SIGABRT : std::atoi(page["status"].c_str());
}

// The page's memory only grows, so what it holds now is the most it held.
long BrowserGame::peak_kib()
{
    return std::atol(browser.values("page")["memory_kib"].c_str());
}

// A folder of the test's, whose assets/ the page's package is made of.
fs::path BrowserGame::scratch()
{
    folders.push_back(std::make_unique<TempDir>("scratch"));
    return folders.back()->path();
}
