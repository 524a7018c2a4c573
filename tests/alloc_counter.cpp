// Replaces the global operator new and delete of the test program so tests can count heap
// allocations and make large ones fail.
#include "tests/alloc_counter.h"
#include <cstdlib>
#include <new>

std::atomic<long long> AllocationCounter::count{0};
std::atomic<std::size_t> AllocationCounter::refuseFrom{0};

namespace {
void* Allocate(std::size_t size) {
    ++AllocationCounter::count;
    const std::size_t limit = AllocationCounter::refuseFrom;
    if (limit != 0 && size >= limit) return nullptr;
    return std::malloc(size ? size : 1);
}
void* AllocateOrThrow(std::size_t size) {
    void* block = Allocate(size);
    if (!block) throw std::bad_alloc();
    return block;
}
}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
