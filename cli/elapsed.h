// The time a step of a job took, for the reports' timing columns: a
// monotonic clock, read in milliseconds.
#pragma once

#include <chrono>

namespace Cli {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace Cli
