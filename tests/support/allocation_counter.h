#pragma once

#include <atomic>

// Every allocation through operator new in a program that links
// allocation_counter.cpp is counted, and can be made to fail after a given
// number of successes to play out running out of memory. SDL allocates with
// malloc and is neither counted nor affected.
namespace allocation_counter {

// Allocations made so far.
extern std::atomic<long> made;
// How many more may succeed; -1 for no limit.
extern std::atomic<long> left;

} // namespace allocation_counter
