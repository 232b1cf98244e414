// Page-level handling of large buffers: see memory_pages.h. The huge-page
// advice is the system's madvise(MADV_HUGEPAGE) on the 2 MiB-aligned
// interior of the buffer; the ends that share a 2 MiB block with other
// allocations are left alone, so the advice never reaches memory the buffer
// does not own.
#include "bmpbase/memory_pages.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace BmpBase {

namespace {

constexpr size_t kHugePageBytes = size_t{2} << 20;
constexpr size_t kSmallPageBytes = 4096;

}  // namespace

void AdviseHugePages(void* buffer, size_t bytes) {
#if defined(MADV_HUGEPAGE)
    if (buffer == nullptr || bytes < kHugePageAdviceMinBytes) {
        return;
    }
    const auto start = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t first = (start + kHugePageBytes - 1) & ~(uintptr_t{kHugePageBytes} - 1);
    const uintptr_t end = (start + bytes) & ~(uintptr_t{kHugePageBytes} - 1);
    if (end > first) {
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#else
    (void)buffer;
    (void)bytes;
#endif
}

void TouchPages(uint8_t* buffer, size_t bytes) {
    if (bytes == 0) {
        return;
    }
    buffer[0] = 0;
    // Then the first byte of every later page the buffer reaches into.
    const auto start = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t firstBoundary =
        (start + kSmallPageBytes - 1) & ~(uintptr_t{kSmallPageBytes} - 1);
    for (size_t at = firstBoundary - start; at < bytes; at += kSmallPageBytes) {
        buffer[at] = 0;
    }
}

}  // namespace BmpBase
