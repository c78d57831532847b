#include "tests/faults/failing_alloc.h"

#include <execinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <new>

namespace {

struct ThreadHook {
    bool armed = false;
    bool fired = false;
    std::size_t failAt = 0;
    std::size_t counted = 0;
    void* stack[48] = {};
    int depth = 0;
};

thread_local ThreadHook t_hook;

void* Allocate(std::size_t size) noexcept
{
    ThreadHook& hook = t_hook;
    if (hook.armed && ++hook.counted == hook.failAt) {
        hook.fired = true;
        hook.depth = backtrace(hook.stack, 48);  // fills a fixed array, allocates nothing once loaded
        return nullptr;
    }
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void lt77::test::ArmAllocationFailure(std::size_t n)
{
    // The first backtrace loads the unwinder, which allocates: not while armed.
    static const bool unwinderLoaded = [] {
        void* frame[1];
        return backtrace(frame, 1) >= 0;
    }();
    (void)unwinderLoaded;
    t_hook = ThreadHook{};
    t_hook.armed = true;
    t_hook.failAt = n;
}

void lt77::test::PrintFailedAllocationStack()
{
    if (t_hook.depth > 0) backtrace_symbols_fd(t_hook.stack, t_hook.depth, STDERR_FILENO);
}

bool lt77::test::DisarmAllocationFailure()
{
    t_hook.armed = false;
    return t_hook.fired;
}

std::size_t lt77::test::CountedAllocations() { return t_hook.counted; }

// Every form is replaced, so that no block is freed by another allocator
// than the one that made it.
void* operator new(std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop
