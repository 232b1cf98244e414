// The help and version texts of the skewmend tool.
#pragma once

#include <ostream>

#include "cli/options.h"

namespace Cli {

// General help (command kNone or kHelp) or the help of one command.
void PrintHelp(std::ostream& out, Command command);
void PrintVersion(std::ostream& out);
// The short hint printed after a usage error.
void PrintUsageHint(std::ostream& out);

}  // namespace Cli
