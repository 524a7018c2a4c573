// Counts the test program's heap allocations through the global operator new, and can refuse
// large requests: for the no-allocation-per-frame and out-of-memory tests.
#pragma once
#include <atomic>
#include <cstddef>

struct AllocationCounter {
    static std::atomic<long long> count;
    // Requests of at least this many bytes fail (0: none fail).
    static std::atomic<std::size_t> refuseFrom;
};
