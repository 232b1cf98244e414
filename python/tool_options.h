// The tool's command line as the Python package's options: the keyword
// arguments become the arguments of a skewmend command and go through the
// tool's own parser and checks (cli/options.h), so every option is checked
// by one rule whether it comes from a shell or from Python.
//
// ToolOptions throws ValueError with the tool's message, its option names
// written as the keyword arguments are ("--min-confidence" becomes
// "min_confidence"). UsageOptions is for the batch driver, whose options
// are the tool's: false with the tool's message unchanged.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace Levelora {

// `args` after the program name: the command, then its options and inputs.
Cli::Options ToolOptions(const std::vector<std::string>& args);

bool UsageOptions(const std::vector<std::string>& args, Cli::Options& options, std::string& error);

// `value` as the parser reads it back exactly.
std::string NumberArgument(double value);

}  // namespace Levelora
