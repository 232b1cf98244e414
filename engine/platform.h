// The engine's only contact with the operating system: a monotonic tick
// counter for the profiling timers and the end of the process after a failed
// assertion. Windows builds use the performance counter and ExitProcess;
// elsewhere std::chrono::steady_clock and std::exit stand in for them.
#pragma once

#include <cstdint>

namespace Skewmend {

// Current value of a monotonic counter, in ticks.
int64_t PerfCounter();

// Ticks per second of PerfCounter().
int64_t PerfFrequency();

// Ends the whole process (the host program included) with `code`. Static
// objects of the library are destroyed on the way out, so the timer summary
// is still printed.
[[noreturn]] void EndProcess(int code);

}  // namespace Skewmend
