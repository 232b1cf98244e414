// Timer summary and assertion output; see diagnostics.h.
#include "diagnostics.h"

namespace Skewmend {

NamedTimer::~NamedTimer() {
    const double frequency = static_cast<double>(PerfFrequency());
    const double total = static_cast<double>(totalTicks) / frequency;
    // A call cut short by the end of the process has not been counted yet.
    const double average =
        calls == 0 ? 0.0 : static_cast<double>(totalTicks) / static_cast<double>(calls) / frequency;
    Log(name, "(). Ave: ", average, " secs, Total: ", total, " secs.");
}

void AssertFail(const char* file, int line) {
    Log("Assert fail! File: ", file, ". Line: ", line);
    EndProcess(1);
}

}  // namespace Skewmend
