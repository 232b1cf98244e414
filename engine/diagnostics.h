// Diagnostics shared by every stage of the engine: the console log, named
// profiling timers and the fatal assertion.
//
// A log line is built from its pieces with the stream's default number format
// and handed whole to the log sink. The default sink writes it to std::cout
// and ends it with std::endl (which flushes); a host that wants the lines
// elsewhere (the command-line tool, a language binding) sets its own sink.
// Each timed function owns one NamedTimer, a function-local static created
// on its first call; every call adds its duration through a ScopedTimer.
// When the library is unloaded (or the process ends) each timer prints
//     <name>(). Ave: <average> secs, Total: <total> secs.
// in the reverse order of first use. A failed assertion prints
//     Assert fail! File: <file>. Line: <line>
// and ends the process with exit code 1.
//
// Several threads may log and run timed functions at once: the counters are
// atomic and the sink is read atomically; a sink must itself be safe to call
// from several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <sstream>
#include <string>

#include "engine/platform.h"

namespace Skewmend {

class NamedTimer {
  public:
    explicit NamedTimer(const char* timerName) : name(timerName) {}
    ~NamedTimer();
    NamedTimer(const NamedTimer&) = delete;
    NamedTimer& operator=(const NamedTimer&) = delete;

    std::string name;
    std::atomic<int64_t> totalTicks{0};
    std::atomic<uint32_t> calls{0};
};

// Measures one call: started on construction, added to the timer on every
// way out of the scope.
class ScopedTimer {
  public:
    explicit ScopedTimer(NamedTimer& timer) : timer_(&timer), start_(PerfCounter()) {}
    ~ScopedTimer() {
        timer_->totalTicks.fetch_add(PerfCounter() - start_, std::memory_order_relaxed);
        timer_->calls.fetch_add(1, std::memory_order_relaxed);
    }
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

  private:
    NamedTimer* timer_;
    int64_t start_;
};

// Receives one finished log line, without its end of line.
using LogSink = void (*)(const std::string& line);

// Sends every later log line to `sink`; null restores standard output.
// Returns the sink that was in place.
LogSink SetLogSink(LogSink sink);

// Hands one finished line to the current sink.
void EmitLogLine(const std::string& line);

// Writes the pieces as one log line.
template <typename... Pieces>
void Log(const Pieces&... pieces) {
    std::ostringstream line;
    (line << ... << pieces);
    EmitLogLine(line.str());
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
