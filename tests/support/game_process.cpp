#include "game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

GameProcess::GameProcess(const fs::path& program, const fs::path& cwd, const Environment& env,
                         const std::vector<std::string>& arguments)
{
    const std::string out_file = console.path() / "stdout";
    const std::string err_file = console.path() / "stderr";
    // Made before the fork: the child only calls what is safe there.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        for (const auto& [name, value] : env) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(cwd.c_str()) != 0) {
            _exit(127);
        }
        // A shell without job control starts its background commands with
        // SIGINT and SIGQUIT ignored, and ignoring is inherited: the game must
        // meet the signals as a player's terminal would send them.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) {
            ::signal(sig, SIG_DFL);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (running()) {
        kill(child, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

bool GameProcess::running()
{
    return !wait(std::chrono::milliseconds(0)).has_value();
}

void GameProcess::signal(int sig)
{
    if (!status) {
        kill(child, sig);
    }
}

// The waitid system call (unlike the C library's wrapper) also gives the
// usage, and with WNOWAIT leaves the child to be reaped by waitpid.
std::optional<int> GameProcess::wait(std::chrono::milliseconds timeout)
{
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

std::string GameProcess::out() const
{
    return read_file(console.path() / "stdout");
}

std::string GameProcess::err() const
{
    return read_file(console.path() / "stderr");
}

Environment started_in(unsigned second, const fs::path& clock)
{
    return {{"LD_PRELOAD", clock.empty() ? FIXED_TIME_PATH : clock.string()},
            {"ROCKDRIFT_FIXED_TIME", std::to_string(second)}};
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
