#include "cli/engine_log.h"

#include <iostream>
#include <string>

#include "engine/diagnostics.h"

namespace Cli {

namespace {

void ToStandardError(const std::string& line) {
    std::cerr << line << std::endl;
}

void Discard(const std::string&) {}

}  // namespace

void RouteEngineLog(bool verbose) {
    Skewmend::SetLogSink(verbose ? &ToStandardError : &Discard);
}

}  // namespace Cli
