// rand() and srand() for the programs that deal rocks as another C library
// would: these definitions take the place of the system's for the whole
// program, the world's code included.
#include "c_library.h"

#include <cstdint>
#include <cstdlib>

namespace {

CLibrary dealing = CLibrary::Glibc;

// glibc's own generator, on a state of this program's: the same 128-byte
// additive feedback state that srand() seeds in the C library.
struct Glibc {
    char state[128] = {};
    random_data data{};
    Glibc() { initstate_r(1, state, sizeof state, &data); }
    void seed(unsigned s) { srandom_r(s, &data); }
    int next()
    {
        std::int32_t r = 0;
        random_r(&data, &r);
        return r;
    }
} glibc;

// Microsoft's C runtime: a 32-bit linear congruence, 15 bits of it returned.
std::uint32_t msvcrt = 1;
// musl's: a 64-bit linear congruence, its top 31 bits returned.
std::uint64_t musl = 0;

} // namespace

extern "C" void srand(unsigned seed)
{
    glibc.seed(seed);
    msvcrt = seed;
    musl = seed - 1;
}

extern "C" int rand()
{
    switch (dealing) {
    case CLibrary::Msvcrt:
        msvcrt = msvcrt * 214013u + 2531011u;
        return static_cast<int>((msvcrt >> 16) & 0x7FFF);
    case CLibrary::Musl:
        musl = 6364136223846793005ull * musl + 1;
        return static_cast<int>(musl >> 33);
    case CLibrary::Glibc:
        break;
    }
    return glibc.next();
}

DealingLike::DealingLike(CLibrary library) : before(dealing)
{
    dealing = library;
}

DealingLike::~DealingLike()
{
    dealing = before;
}
