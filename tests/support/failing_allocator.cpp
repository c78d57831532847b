#include "tests/support/failing_allocator.h"

#include <cstdlib>
#include <new>

#if __has_include(<execinfo.h>)
#include <execinfo.h>
#include <unistd.h>
#define LT77_HAVE_BACKTRACE 1
#endif

namespace {

struct ThreadHook {
    bool armed = false;
    bool failEvery = false;
    bool fired = false;
    std::size_t failAt = 0;
    std::size_t counted = 0;
    std::size_t total = 0;
    void* stack[48] = {};
    int depth = 0;
};

thread_local ThreadHook t_hook;

void* Allocate(std::size_t size) noexcept
{
    ThreadHook& hook = t_hook;
    ++hook.total;
    if (hook.failEvery) return nullptr;
    if (hook.armed && ++hook.counted == hook.failAt) {
        hook.fired = true;
#ifdef LT77_HAVE_BACKTRACE
        hook.depth = backtrace(hook.stack, 48);  // fills a fixed array, allocates nothing once loaded
#endif
        return nullptr;
    }
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void lt77::test::ArmAllocationFailure(std::size_t n)
{
#ifdef LT77_HAVE_BACKTRACE
    // The first backtrace loads the unwinder, which allocates: not while armed.
    static const bool unwinderLoaded = [] {
        void* frame[1];
        return backtrace(frame, 1) >= 0;
    }();
    (void)unwinderLoaded;
#endif
    const std::size_t total = t_hook.total;
    t_hook = ThreadHook{};
    t_hook.total = total;
    t_hook.armed = true;
    t_hook.failAt = n;
}

void lt77::test::FailEveryAllocation(bool on) { t_hook.failEvery = on; }

bool lt77::test::DisarmAllocationFailure()
{
    t_hook.armed = false;
    t_hook.failEvery = false;
    return t_hook.fired;
}

std::size_t lt77::test::CountedAllocations() { return t_hook.counted; }

std::size_t lt77::test::AllocationsOnThisThread() { return t_hook.total; }

void lt77::test::PrintFailedAllocationStack()
{
#ifdef LT77_HAVE_BACKTRACE
    if (t_hook.depth > 0) backtrace_symbols_fd(t_hook.stack, t_hook.depth, STDERR_FILENO);
#endif
}

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
