// Allocation failure on demand: the test binary replaces the global
// operator new, so that code can be watched failing to grow a buffer.
#pragma once

namespace lt77::test {

// Allocation number n from now (0 = the next) throws std::bad_alloc, once;
// a negative n switches the failure off.
void FailAllocationForTesting(int n);

}  // namespace lt77::test
