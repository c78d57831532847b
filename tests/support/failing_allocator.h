// Allocation failure on demand: the test program replaces the global
// operator new, so that code can be watched failing to allocate. A library
// loaded by the program (the rendering plug-in, the port monitor) shares it
// where the library has no C++ runtime of its own: a Linux shared library,
// not a statically linked Windows DLL.
//
// Only the allocations of the thread that asks count and fail, so that the
// threads of the code under test (a monitor's status thread) neither move the
// count from run to run nor take the failure meant for the job.
#pragma once

#include <cstddef>

namespace lt77::test {

// From now on, on this thread, allocation number n (1 = the next) fails,
// once: operator new throws std::bad_alloc, the nothrow forms return null.
void ArmAllocationFailure(std::size_t n);
// While on, every allocation of this thread fails.
void FailEveryAllocation(bool on);
// Stops the failures of both. True when an armed allocation was reached and
// failed.
bool DisarmAllocationFailure();
// Allocations of this thread since the hook was last armed.
std::size_t CountedAllocations();
// Allocations of this thread through this program's operator new so far.
std::size_t AllocationsOnThisThread();
// Writes the call stack of the allocation that failed to standard error,
// where the system can tell it, for a run whose outcome a test does not
// accept.
void PrintFailedAllocationStack();

}  // namespace lt77::test
