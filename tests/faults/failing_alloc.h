// Allocation failure at a chosen allocation: the test program replaces the
// global operator new, and a shared library it loads (the rendering plug-in,
// the port monitor) allocates through it on Linux. Only allocations of the
// thread that armed the hook count, so that threads of the code under test
// (a monitor's status thread) do not move the count from run to run.
#pragma once

#include <cstddef>

namespace lt77::test {

// From now on, on this thread, allocation number `n` (1 = the next) fails:
// operator new throws std::bad_alloc, the nothrow forms return null.
void ArmAllocationFailure(std::size_t n);
// Stops counting. True when the armed allocation was reached and failed.
bool DisarmAllocationFailure();
// Allocations counted since the hook was last armed.
std::size_t CountedAllocations();
// Writes the call stack of the allocation that failed to standard error,
// for a run whose outcome a test does not accept.
void PrintFailedAllocationStack();

}  // namespace lt77::test
