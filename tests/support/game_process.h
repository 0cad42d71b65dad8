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

// Extra environment for a process: a value replaces the variable, nullopt
// removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

// A program started as a child process in a working directory of the test's
// choosing, with its console captured to files.
class GameProcess {
public:
    // The arguments follow the program's own name.
    GameProcess(const std::filesystem::path& program, const std::filesystem::path& cwd, const Environment& env = {},
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
    // Its most resident memory in KiB, once it has ended.
    long peak_kib() const { return peak; }

    std::string out() const;
    std::string err() const;

private:
    const TempDir console{"console"};
    pid_t child = -1;
    std::optional<int> status;
    long peak = 0;
};

// What makes the game believe it started in this second, its only source of
// randomness, so that it deals known rocks: the fixed_time library (or a copy
// of it that the game can reach) preloaded.
Environment started_in(unsigned second, const std::filesystem::path& clock = {});

// The value of an environment variable, or "" when it is not set.
std::string environment_value(const char* name);

// A file's bytes, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& file);
