// Plays the game for MINUTES minutes on a private X server with random keys,
// pointer moves and clicks, and records its resident memory (VmRSS) once a
// minute. A game that ends (Escape on the game-over screen) is started again
// at once; each row names the game it measured and how long that one had run.
//
// Usage: soak GAME MINUTES  (scripts/soak.sh builds and runs it)
//
// Fails when the game's resident memory after the first minute ever exceeds
// the first minute's figure by more than 1 MiB, or when a game dies of a
// signal or writes anything to its console.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "game_process.h"
#include "x_session.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

long rss_kib(pid_t pid)
{
    std::istringstream status(read_file("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// One random action, the way a restless player would act.
void act(std::mt19937& random)
{
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const std::string point = std::to_string(pick(1024)) + " " + std::to_string(pick(768));
    switch (pick(10)) {
    case 0:
    case 1:
    case 2:
        xdotool("mousemove " + point + " click 1");
        break;
    case 3:
        xdotool("mousemove " + point);
        break;
    case 4:
    case 5:
        for (const char* key : {"w", "a", "s", "d", "Up", "Down", "Left", "Right"}) {
            xdotool(std::string(pick(2) ? "keydown " : "keyup ") + key);
        }
        break;
    case 6:
    case 7:
        xdotool("key space");
        break;
    case 8:
        // Other keys and buttons the game must shrug off.
        xdotool("key Return x 1 F1 Tab click 3");
        break;
    default:
        // About once every twenty seconds: the next level during play, or
        // the end of the game on its game-over screen.
        if (pick(20) == 0) {
            xdotool("key Escape");
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: soak GAME MINUTES\n";
        return 2;
    }
    const std::filesystem::path game_path = std::filesystem::absolute(argv[1]);
    const int minutes = std::stoi(argv[2]);
    const VirtualDisplay display;
    if (!display.ready()) {
        std::cerr << "Xvfb did not start\n";
        return 1;
    }
    std::mt19937 random(std::random_device{}());
    std::unique_ptr<GameProcess> game;
    int games = 0;
    Clock::time_point started;
    const auto start_game = [&] {
        game = std::make_unique<GameProcess>(game_path, SOURCE_DIR);
        started = Clock::now();
        ++games;
        xdotool("search --sync --onlyvisible --name '^Rockdrift$' windowfocus --sync");
    };

    start_game();
    const Clock::time_point begin = Clock::now();
    long first = 0;
    long last = 0;
    long peak = 0;
    long long longest = 0;
    bool grew = false;
    std::cout << "minute  game  its age (s)  VmRSS (KiB)\n";
    for (int minute = 1; minute <= minutes;) {
        if (!game->running()) {
            // A game that has ended must have ended quietly and by itself.
            const std::optional<int> status = game->wait(0s);
            if (status != 0 || !game->out().empty() || !game->err().empty()) {
                std::cerr << "game " << games << " ended with status " << status.value_or(-1) << "; console:\n"
                          << game->out() << game->err();
                return 1;
            }
            start_game();
        }
        const long long age = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
        const long rss = rss_kib(game->pid());
        peak = std::max(peak, rss);
        longest = std::max(longest, age);
        // A game still loading its images is not measured: its row waits a
        // few seconds for it.
        if (Clock::now() >= begin + minute * 1min && age >= 5) {
            std::printf("%6d  %4d  %11lld  %11ld\n", minute, games, age, rss);
            std::fflush(stdout);
            first = first == 0 ? rss : first;
            last = rss;
            grew = grew || rss > first + 1024;
            ++minute;
            continue;
        }
        act(random);
        std::this_thread::sleep_for(50ms);
    }
    std::cout << "games played: " << games << ", the longest for " << longest << " s\n"
              << "resident memory: start " << first << " KiB, end " << last << " KiB, peak " << peak
              << " KiB (the peak sampled between the rows too)\n";
    if (grew) {
        std::cerr << "resident memory grew by more than 1 MiB after the first minute\n";
        return 1;
    }
    return 0;
}
