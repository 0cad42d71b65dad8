#pragma once

// The one way the tests and measurements start a program: the game, an X
// server, a compositor, a browser's driver, a tool. Each starts with an
// environment made before it starts, the signals a terminal would leave it,
// and its console where the test wants it.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "waiting.h"

// Changes to the environment a program inherits: a value replaces the
// variable, nullopt removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

// How to start one program.
struct Command {
    // The program (found on the PATH when it has no slash), then its arguments.
    std::vector<std::string> words;
    // Its working directory; this one's when empty.
    std::filesystem::path folder = {};
    Environment env = {};
    // Descriptors of this process to hand on, each as the child's descriptor
    // of the given number (standard input is 0, and so on). Standard output
    // and error not named here go to files that out() and err() read.
    std::map<int, int> descriptors = {};
};

class Process {
public:
    explicit Process(const Command& command);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // False when the program could not be started at all.
    bool started() const { return child > 0; }
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

// Runs a program to its end, within `limit`; its exit status, or nullopt when
// it could not start or had to be killed at the limit.
std::optional<int> run(const Command& command, std::chrono::milliseconds limit = PATIENCE);

// The value of an environment variable, or "" when it is not set.
std::string environment_value(const char* name);

// A file's bytes, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& file);
