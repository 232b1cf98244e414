// Replacement global allocation functions with a switchable size limit; see
// allocation_limit.h. They allocate with malloc and free with free, all
// variants alike, so that sanitizers see matching pairs.
#include "tests/support/allocation_limit.h"

#include <cstdlib>
#include <new>

namespace {

size_t gLimit = 0;  // 0: no limit
bool gRefused = false;

void* Allocate(size_t size) {
    if (gLimit != 0 && size > gLimit) {
        gRefused = true;
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace TestSupport {

AllocationLimit::AllocationLimit(size_t maxBytes) {
    gLimit = maxBytes;
    gRefused = false;
}

bool AllocationLimit::Refused() {
    return gRefused;
}

AllocationLimit::~AllocationLimit() {
    gLimit = 0;
}

bool AllocationLimit::ReachesTheLibrary() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

}  // namespace TestSupport
