#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "waiting.h"

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
    const TempDir console{"console"};
    pid_t child = -1;
    std::optional<int> status;
};

// What makes the game believe it started in this second, its only source of
// randomness, so that it deals known rocks: the fixed_time library preloaded.
GameProcess::Environment started_in(unsigned second);

// The value of an environment variable, or "" when it is not set: how a test
// is told where the game it plays lives (an installed command, an unpacked
// rockdrift.exe, a served site).
std::string environment_value(const char* name);

// A file's bytes, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& file);

// Runs the game to its end and returns status, standard output and error.
struct Finished {
    std::optional<int> status;
    std::string out;
    std::string err;
};
Finished run_game(const std::filesystem::path& binary, const std::filesystem::path& cwd,
                  const GameProcess::Environment& env = {}, const std::vector<std::string>& arguments = {});
