// Platform layer: see platform.h.
#include "engine/platform.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <chrono>
#include <cstdlib>
#endif

namespace Skewmend {

#ifdef _WIN32

int64_t PerfCounter() {
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return v.QuadPart;
}

int64_t PerfFrequency() {
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    return v.QuadPart;
}

void EndProcess(int code) {
    ExitProcess(static_cast<UINT>(code));
}

#else

int64_t PerfCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t PerfFrequency() {
    return 1000000000;
}

void EndProcess(int code) {
    std::exit(code);
}

#endif

}  // namespace Skewmend
