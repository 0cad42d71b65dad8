// Plays the game for MINUTES minutes on a private X server with random keys,
// pointer moves and clicks, and records its resident memory (VmRSS) once a
// minute. A game that ends (Escape on the game-over screen) is started again
// at once; each row names the game it measured and how long that one had run.
//
// Usage: soak MINUTES  (scripts/soak.sh builds and runs it, with the game of
// its build)
//
// Fails when the game's resident memory after the first minute ever exceeds
// the first minute's figure by more than 1 MiB, or when a game dies of a
// signal or writes anything to its console.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "backends.h"

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
void act(RunningGame& game, std::mt19937& random)
{
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const int x = pick(1024);
    const int y = pick(768);
    switch (pick(10)) {
    case 0:
    case 1:
    case 2:
        game.click(x, y, 1);
        break;
    case 3:
        game.click(x, y, 0);
        break;
    case 4:
    case 5:
        for (const char* key : {"w", "a", "s", "d", "Up", "Down", "Left", "Right"}) {
            game.hold(key, pick(2) == 1);
        }
        break;
    case 6:
    case 7:
        game.keys("space");
        break;
    case 8:
        // Other keys and buttons the game must shrug off.
        game.keys("Return x 1 F1 Tab");
        game.click(x, y, 3);
        break;
    default:
        // About once every twenty seconds: the next level during play, or
        // the end of the game on its game-over screen.
        if (pick(20) == 0) {
            game.keys("Escape");
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: soak MINUTES\n";
        return 2;
    }
    const int minutes = std::stoi(argv[1]);
    std::mt19937 random(std::random_device{}());
    std::unique_ptr<RunningGame> game;
    int games = 0;
    Clock::time_point started;
    const auto start_game = [&] {
        game = chosen_backends().front().make();
        if (!game->start({unsigned(random())})) {
            std::cerr << "the game could not be started\n";
            std::exit(1);
        }
        started = Clock::now();
        ++games;
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
            const Console console = game->console();
            if (status != 0 || !console.says("", "")) {
                std::cerr << "game " << games << " ended with status " << status.value_or(-1) << "; console:\n"
                          << console.out << console.err;
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
        act(*game, random);
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
