// Where the engine's log lines go. The engine writes them to std::cout; the
// tool's own reports also belong on standard output, and scripts reading a
// JSON or CSV report must find nothing else there. RouteEngineLog points
// std::cout at standard error (--verbose) or at nothing, and returns the
// original standard-output buffer for the report stream.
#pragma once

#include <streambuf>

namespace Cli {

std::streambuf* RouteEngineLog(bool verbose);

}  // namespace Cli
