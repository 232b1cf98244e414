// Diagnostics shared by every stage of the engine: the console log, named
// profiling timers and the fatal assertion.
//
// Log lines go to std::cout piece by piece and end with std::endl (which
// flushes); numbers use the stream's default format. Each timed function owns
// one NamedTimer, a function-local static created on its first call; every
// call adds its duration through a ScopedTimer. When the library is unloaded
// (or the process ends) each timer prints
//     <name>(). Ave: <average> secs, Total: <total> secs.
// in the reverse order of first use. A failed assertion prints
//     Assert fail! File: <file>. Line: <line>
// and ends the process with exit code 1.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>

#include "platform.h"

namespace Skewmend {

class NamedTimer {
  public:
    explicit NamedTimer(const char* timerName) : name(timerName) {}
    ~NamedTimer();
    NamedTimer(const NamedTimer&) = delete;
    NamedTimer& operator=(const NamedTimer&) = delete;

    std::string name;
    int64_t totalTicks = 0;
    uint32_t calls = 0;
};

// Measures one call: started on construction, added to the timer on every
// way out of the scope.
class ScopedTimer {
  public:
    explicit ScopedTimer(NamedTimer& timer) : timer_(&timer), start_(PerfCounter()) {}
    ~ScopedTimer() {
        timer_->totalTicks += PerfCounter() - start_;
        timer_->calls += 1;
    }
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

  private:
    NamedTimer* timer_;
    int64_t start_;
};

// Writes the pieces as one log line on standard output.
template <typename... Pieces>
void Log(const Pieces&... pieces) {
    (std::cout << ... << pieces) << std::endl;
}

// Prints the assertion line for `file` and `line` and ends the process with
// exit code 1.
[[noreturn]] void AssertFail(const char* file, int line);

}  // namespace Skewmend

// Times the rest of the enclosing function under `timerName`.
#define SKEWMEND_TIMED(timerName)                            \
    static ::Skewmend::NamedTimer skewmendTimer_{timerName}; \
    ::Skewmend::ScopedTimer skewmendScopedTimer_ {           \
        skewmendTimer_                                       \
    }
