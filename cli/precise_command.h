// Precise mode on the command line, kept apart from the rest of the tool so
// that the full command-line front end can take it over as it is:
//
//   skewmend auto --precise INPUT -o OUTPUT [--corner white|black|paper]
//                 [--min-confidence X] [--min-angle D] [--report FILE]
//   skewmend estimate --precise INPUT [--report FILE]
//
// Both print one JSON report line on standard output:
//   {"file": "...", "status": "rotated", "angle": 7.30, "confidence": 0.93}
// with status "rotated", "unchanged", "not sure" or "failed" ("estimate"
// says "found" for a sure estimate) and angle null when there is no trusted
// angle. `--report FILE` also writes the report to FILE, as CSV when FILE
// ends in ".csv" and as JSON otherwise. A page that is "not sure" is written
// unchanged. The engine's own log lines are not shown.
// Exit codes: 0 done (whatever the status, "failed" aside), 1 failed,
// 2 usage error.
#pragma once

namespace SkewmendCli {

// True when argv asks for precise mode (a --precise flag after `auto` or
// `estimate`).
bool IsPreciseCommand(int argc, char** argv);

// Runs the precise command; returns the exit code.
int RunPreciseCommand(int argc, char** argv);

}  // namespace SkewmendCli
