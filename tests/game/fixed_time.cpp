// Preloaded into the game by the end-to-end tests: time() answers the second
// given in ROCKDRIFT_FIXED_TIME, so the game seeds its random sequence with a
// known value and deals the same rocks every run.
#include <cstdlib>
#include <ctime>

extern "C" time_t time(time_t* out)
{
    time_t now = 0;
    if (const char* fixed = std::getenv("ROCKDRIFT_FIXED_TIME")) {
        now = static_cast<time_t>(std::strtoll(fixed, nullptr, 10));
    } else {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (out != nullptr) {
        *out = now;
    }
    return now;
}
