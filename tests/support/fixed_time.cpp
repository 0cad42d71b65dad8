// Preloaded into the game by the tests that play it: the game believes it
// started in the second given in ROCKDRIFT_FIXED_TIME, so it seeds its random
// sequence with a known value and deals the same rocks every run. A Linux
// game asks time(); under Wine a Windows game asks the wall clock itself, so
// with ROCKDRIFT_FIXED_CLOCK set too the wall clock stands still at that
// second. Other clocks go on as they are, read with the system call itself:
// the C library's symbols for it differ between the Debian systems this runs
// in.
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace {

// The chosen second, or -1 when none is given.
long chosen_second()
{
    static const long second = [] {
        const char* fixed = std::getenv("ROCKDRIFT_FIXED_TIME");
        return fixed != nullptr ? std::strtol(fixed, nullptr, 10) : -1L;
    }();
    return second;
}

bool wall_clock_fixed(clockid_t id)
{
    static const bool fixed = std::getenv("ROCKDRIFT_FIXED_CLOCK") != nullptr && chosen_second() >= 0;
    return fixed && (id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE);
}

} // namespace

extern "C" time_t time(time_t* out)
{
    time_t now = chosen_second();
    if (now < 0) {
        timespec ts{};
        syscall(SYS_clock_gettime, CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

extern "C" int clock_gettime(clockid_t id, timespec* ts)
{
    if (wall_clock_fixed(id)) {
        *ts = {chosen_second(), 0};
        return 0;
    }
    return static_cast<int>(syscall(SYS_clock_gettime, id, ts));
}

extern "C" int gettimeofday(timeval* tv, void* zone)
{
    if (wall_clock_fixed(CLOCK_REALTIME)) {
        *tv = {chosen_second(), 0};
        return 0;
    }
    return static_cast<int>(syscall(SYS_gettimeofday, tv, zone));
}
