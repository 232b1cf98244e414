// Where the engine's log lines go. The engine writes them to standard output
// unless told otherwise; the tool's own reports belong on standard output,
// and scripts reading a JSON or CSV report must find nothing else there.
// RouteEngineLog sends the engine's lines to standard error (--verbose) or
// discards them, for the rest of the process (the engine's timers print
// their summary after main has returned).
#pragma once

namespace Cli {

void RouteEngineLog(bool verbose);

}  // namespace Cli
