#include "web_session.h"

#include <SDL.h>
#include <SDL_image.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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
    Screenshot shot;
    if (!send("shot " + shot_path)) {
        return shot;
    }
    SDL_Surface* loaded = IMG_Load(shot_path.c_str());
    SDL_Surface* argb = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    if (argb != nullptr) {
        shot.width = argb->w;
        shot.height = argb->h;
        shot.pixels.resize(std::size_t(argb->w) * argb->h);
        for (int y = 0; y < argb->h; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(argb->pixels) +
                                                                     std::size_t(y) * argb->pitch);
            std::copy(row, row + argb->w, shot.pixels.begin() + std::size_t(y) * argb->w);
        }
    }
    SDL_FreeSurface(argb);
    SDL_FreeSurface(loaded);
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
