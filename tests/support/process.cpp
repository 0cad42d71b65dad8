#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// This process's environment with the command's changes, as "NAME=value".
std::vector<std::string> environment_with(const Environment& changes)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        if (!changes.contains(variable.substr(0, variable.find('=')))) {
            entries.push_back(variable);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            entries.push_back(name + "=" + *value);
        }
    }
    return entries;
}

std::vector<char*> pointers_to(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

// posix_spawn does in the child only what is safe between fork and exec: the
// environment, arguments and file names are all made here first.
Process::Process(const Command& command)
{
    std::vector<std::string> words = command.words;
    std::vector<std::string> environment = environment_with(command.env);
    const std::vector<char*> argv = pointers_to(words);
    const std::vector<char*> envp = pointers_to(environment);
    const std::string out_file = console.path() / "stdout";
    const std::string err_file = console.path() / "stderr";

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::pair<int, std::string> standard[] = {{STDIN_FILENO, "/dev/null"}, {STDOUT_FILENO, out_file},
                                                    {STDERR_FILENO, err_file}};
    for (const auto& [fd, file] : standard) {
        if (!command.descriptors.contains(fd)) {
            const int how = fd == STDIN_FILENO ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
            posix_spawn_file_actions_addopen(&files, fd, file.c_str(), how, 0644);
        }
    }
    for (const auto& [ours, theirs] : command.descriptors) {
        posix_spawn_file_actions_adddup2(&files, ours, theirs);
    }
    if (!command.folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&files, command.folder.c_str());
    }

    // A shell without job control starts its background commands with SIGINT
    // and SIGQUIT ignored, and ignoring is inherited: a program must meet the
    // signals as a player's terminal would send them.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t terminal;
    sigemptyset(&terminal);
    for (const int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) {
        sigaddset(&terminal, sig);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &terminal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    if (!words.empty() &&
        posix_spawnp(&child, words.front().c_str(), &files, &attributes, argv.data(), envp.data()) != 0) {
        child = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
}

Process::~Process()
{
    if (running()) {
        kill(child, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

bool Process::running()
{
    return child > 0 && !wait(std::chrono::milliseconds(0)).has_value();
}

void Process::signal(int sig)
{
    if (child > 0 && !status) {
        kill(child, sig);
    }
}

// The waitid system call (unlike the C library's wrapper) also gives the
// usage, and with WNOWAIT leaves the child to be reaped by waitpid.
std::optional<int> Process::wait(std::chrono::milliseconds timeout)
{
    if (child <= 0) {
        return std::nullopt;
    }
    poll_until(
        [this] {
            siginfo_t info{};
            rusage usage{};
            if (!status && syscall(SYS_waitid, P_PID, child, &info, WEXITED | WNOWAIT | WNOHANG, &usage) == 0 &&
                info.si_pid == child) {
                peak = usage.ru_maxrss;
                int raw = 0;
                waitpid(child, &raw, 0);
                status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            }
            return status.has_value();
        },
        timeout, std::chrono::milliseconds(5));
    return status;
}

std::string Process::out() const
{
    return read_file(console.path() / "stdout");
}

std::string Process::err() const
{
    return read_file(console.path() / "stderr");
}

std::optional<int> run(const Command& command, std::chrono::milliseconds limit)
{
    Process p(command);
    const std::optional<int> status = p.wait(limit);
    if (!status) {
        p.signal(SIGKILL);
        p.wait(std::chrono::seconds(5));
    }
    return status;
}

std::string environment_value(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string read_file(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
