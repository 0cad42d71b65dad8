#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace allocation_counter {

std::atomic<long> made{0};
std::atomic<long> left{-1};

} // namespace allocation_counter

void* operator new(std::size_t size)
{
    ++allocation_counter::made;
    long remaining = allocation_counter::left.load();
    while (remaining >= 0) {
        if (remaining == 0) {
            throw std::bad_alloc();
        }
        if (allocation_counter::left.compare_exchange_weak(remaining, remaining - 1)) {
            break;
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
