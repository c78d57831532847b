#include "tests/support/failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int> g_allocationsBeforeFailure{-1};
std::atomic<bool> g_failAll{false};
std::atomic<std::size_t> g_allocations{0};

void* Allocate(std::size_t size) noexcept
{
    ++g_allocations;
    if (g_failAll) return nullptr;
    if (g_allocationsBeforeFailure >= 0 && g_allocationsBeforeFailure-- == 0) return nullptr;
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void lt77::test::FailAllocationForTesting(int n) { g_allocationsBeforeFailure = n; }
void lt77::test::FailAllAllocationsForTesting(bool on) { g_failAll = on; }
std::size_t lt77::test::AllocationCountForTesting() { return g_allocations; }

// Every form is replaced, so that no block is freed by another allocator
// than the one that made it (the sanitizers check that).
void* operator new(std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
// Where GCC inlines a delete of this file it takes the free() for a mismatch
// with operator new; here they are the pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop
