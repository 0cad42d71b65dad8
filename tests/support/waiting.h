#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

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

// Asks `done` every `pause` until it answers true, and then says true; false
// when the time runs out first. It is asked at least once.
template <typename Done> bool poll_until(Done done, std::chrono::milliseconds timeout, std::chrono::milliseconds pause)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
    }
    return true;
}
