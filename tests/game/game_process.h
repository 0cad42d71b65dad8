#pragma once

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// How long a test waits for what the game should do in a moment. Deadlines
// only end a failing test, so they are set for the sanitizer build on a busy
// 2-core machine, which can be ten times slower than the normal one idle.
inline constexpr std::chrono::seconds PATIENCE{60};

// How long a test may still wait for its game. A hung game must fail the test
// at the first screen or event it does not show, not after each later wait
// has run out in turn: all the waits of a test draw on one PATIENCE, renewed
// whenever the game shows what was waited for.
class Patience {
public:
    // The timeout, or what is left of the allowance if that is less.
    std::chrono::milliseconds left(std::chrono::milliseconds timeout) const
    {
        const auto rest = renewed + PATIENCE - std::chrono::steady_clock::now();
        return std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(rest),
                          std::chrono::milliseconds(0), timeout);
    }
    // Passes the result through, renewing the allowance when it shows success.
    template <typename Result> Result renew_on(Result result)
    {
        if (result) {
            renewed = std::chrono::steady_clock::now();
        }
        return result;
    }

private:
    std::chrono::steady_clock::time_point renewed = std::chrono::steady_clock::now();
};

// The real game binary, started as a child process in a working directory of
// the test's choosing, with its console captured to files.
class GameProcess {
public:
    // Extra environment: a value replaces the variable, nullopt removes it.
    using Environment = std::map<std::string, std::optional<std::string>>;

    // The arguments follow the binary's own name (the game takes none, but a
    // launcher such as wine does).
    GameProcess(const std::filesystem::path& binary, const std::filesystem::path& cwd, const Environment& env = {},
                const std::vector<std::string>& arguments = {});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    pid_t pid() const { return child; }
    bool running();
    void signal(int sig);
    // The exit status, or nullopt when it has not ended in time. A process
    // ended by a signal reports 128 + the signal number, as a shell would.
    std::optional<int> wait(std::chrono::milliseconds timeout);

    std::string out() const;
    std::string err() const;

private:
    std::filesystem::path console;
    pid_t child = -1;
    std::optional<int> status;
};

// The value of an environment variable, or "" when it is not set: how a test
// is told where the game it plays lives (an installed command, an unpacked
// rockdrift.exe, a served site).
std::string environment_value(const char* name);

// Runs the game to its end and returns status, standard output and error.
struct Finished {
    std::optional<int> status;
    std::string out;
    std::string err;
};
Finished run_game(const std::filesystem::path& binary, const std::filesystem::path& cwd,
                  const GameProcess::Environment& env = {},
                  std::chrono::milliseconds timeout = PATIENCE);
