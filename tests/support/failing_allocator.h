// Allocation failure on demand: the test program replaces the global
// operator new, so that code can be watched failing to allocate. A plug-in
// loaded by the program shares it where the plug-in has no C++ runtime of its
// own (a Linux shared library; not a statically linked Windows DLL).
#pragma once

#include <cstddef>

namespace lt77::test {

// Allocation number n from now (0 = the next) throws std::bad_alloc, once;
// a negative n switches that failure off.
void FailAllocationForTesting(int n);
// While on, every allocation of the process fails.
void FailAllAllocationsForTesting(bool on);
// Allocations made through this program's operator new so far.
std::size_t AllocationCountForTesting();

}  // namespace lt77::test
