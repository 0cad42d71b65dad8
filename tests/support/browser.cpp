#include "browser.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

Browser::Browser(const std::string& engine)
    : shot_path((fs::temp_directory_path() / ("rockdrift-canvas-" + std::to_string(::getpid()) + ".png")).string())
{
    if (engine == "webkit") {
        display = std::make_unique<VirtualDisplay>();
    }
    // A driver that has died must fail the test, not kill it.
    signal(SIGPIPE, SIG_IGN);
    int commands[2];
    int answers[2];
    if (pipe(commands) != 0 || pipe(answers) != 0) {
        return;
    }
    driver = fork();
    if (driver == 0) {
        dup2(commands[0], STDIN_FILENO);
        dup2(answers[1], STDOUT_FILENO);
        close(commands[1]);
        close(answers[0]);
        execlp("node", "node", WEB_DRIVER_PATH, engine.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(commands[0]);
    close(answers[1]);
    if (driver < 0) {
        close(commands[1]);
        close(answers[0]);
        return;
    }
    to_driver = fdopen(commands[1], "w");
    from_driver = fdopen(answers[0], "r");
}

Browser::~Browser()
{
    if (to_driver != nullptr) {
        std::fputs("quit\n", to_driver);
        std::fclose(to_driver);
    }
    if (from_driver != nullptr) {
        std::fclose(from_driver);
    }
    if (driver > 0) {
        int status = 0;
        waitpid(driver, &status, 0);
    }
    std::remove(shot_path.c_str());
}

bool Browser::send(const std::string& command, std::string& answer)
{
    answer.clear();
    if (to_driver == nullptr || from_driver == nullptr) {
        answer = "no driver";
        return false;
    }
    std::fputs((command + "\n").c_str(), to_driver);
    std::fflush(to_driver);
    char buffer[4096];
    std::string line;
    while (std::fgets(buffer, sizeof buffer, from_driver) != nullptr) {
        line += buffer;
        if (!line.empty() && line.back() == '\n') {
            break;
        }
    }
    if (line.empty()) {
        answer = "the driver has gone";
        return false;
    }
    line.pop_back();
    const bool ok = line.rfind("ok", 0) == 0;
    const std::size_t space = line.find(' ');
    answer = space == std::string::npos ? "" : line.substr(space + 1);
    return ok;
}

bool Browser::send(const std::string& command)
{
    std::string answer;
    return send(command, answer);
}

Screenshot Browser::screen()
{
    return send("shot " + shot_path) ? Screenshot::load_png(shot_path) : Screenshot{};
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
    std::string encoded;
    if (!send("console", encoded)) {
        return "";
    }
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            text += static_cast<char>(std::strtol(encoded.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            text += encoded[i];
        }
    }
    return text;
}

namespace {

// xdotool's names of the keys the scenarios press, as KeyboardEvent codes.
std::string key_code(const std::string& name)
{
    static const std::map<std::string, std::string> codes = {
        {"space", "Space"},  {"Escape", "Escape"},       {"Return", "Enter"},     {"Up", "ArrowUp"},
        {"Down", "ArrowDown"}, {"Left", "ArrowLeft"}, {"Right", "ArrowRight"}};
    const auto code = codes.find(name);
    if (code != codes.end()) {
        return code->second;
    }
    return name.size() == 1 ? "Key" + std::string(1, char(std::toupper(name[0]))) : name;
}

} // namespace

BrowserGame::BrowserGame(const std::string& engine, std::string site_folder, std::string bare_folder)
    : browser(engine), site(std::move(site_folder)), bare_site(std::move(bare_folder))
{
}

bool BrowserGame::start(const Launch& launch)
{
    url = browser.values("serve " + (launch.no_images ? bare_site : site))["url"];
    return !url.empty() && browser.send("open " + url + " " + std::to_string(launch.second));
}

bool BrowserGame::keys(const std::string& names)
{
    std::istringstream words(names);
    bool sent = true;
    for (std::string name; words >> name;) {
        sent = sent && browser.send("key " + key_code(name) + " press");
    }
    return sent;
}

bool BrowserGame::click(int x, int y, int button)
{
    return browser.send("click " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(button));
}

bool BrowserGame::running()
{
    return browser.values("page")["ended"] == "0";
}

std::optional<int> BrowserGame::wait(std::chrono::milliseconds timeout)
{
    std::map<std::string, std::string> page;
    if (!poll_until([&] { return (page = browser.values("page"))["ended"] == "1"; }, timeout,
                    std::chrono::milliseconds(50))) {
        return std::nullopt;
    }
    // A page whose game aborted has no status: reported as a program that
    // aborted would be.
    return page["status"].empty() ? 128 + SIGABRT : std::atoi(page["status"].c_str());
}
