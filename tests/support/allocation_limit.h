// A test-only allocation limit: while an AllocationLimit object lives, every
// allocation through the global operator new larger than the limit throws
// std::bad_alloc, as it would for a page whose buffers do not fit in memory,
// and is recorded, so that a test can also tell that code never asked for
// such a block. Link the library test_allocation_limit to use it.
// The program's replacement operators new and delete (allocation_limit.cpp)
// serve the whole test program and, on Linux, the engine library it loads.
// On Windows the DLL carries its own runtime, so the limit reaches only the
// test program (AllocationLimit::ReachesTheLibrary tells).
#pragma once

#include <cstddef>

namespace TestSupport {

class AllocationLimit {
  public:
    explicit AllocationLimit(size_t maxBytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    static bool ReachesTheLibrary();

    // True when a request above the limit was refused since the last
    // AllocationLimit was made.
    static bool Refused();
};

}  // namespace TestSupport
