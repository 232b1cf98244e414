// Timer summary and assertion output; see diagnostics.h.
#include "engine/diagnostics.h"

#include <iostream>

namespace Skewmend {

namespace {

void StandardOutputSink(const std::string& line) {
    std::cout << line << std::endl;
}

std::atomic<LogSink> currentSink{&StandardOutputSink};

}  // namespace

LogSink SetLogSink(LogSink sink) {
    return currentSink.exchange(sink == nullptr ? &StandardOutputSink : sink);
}

void EmitLogLine(const std::string& line) {
    currentSink.load()(line);
}

NamedTimer::~NamedTimer() {
    const double frequency = static_cast<double>(PerfFrequency());
    const int64_t ticks = totalTicks.load();
    const uint32_t count = calls.load();
    const double total = static_cast<double>(ticks) / frequency;
    // A call cut short by the end of the process has not been counted yet.
    const double average =
        count == 0 ? 0.0 : static_cast<double>(ticks) / static_cast<double>(count) / frequency;
    Log(name, "(). Ave: ", average, " secs, Total: ", total, " secs.");
}

void AssertFail(const char* file, int line) {
    Log("Assert fail! File: ", file, ". Line: ", line);
    EndProcess(1);
}

}  // namespace Skewmend
