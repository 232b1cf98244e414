#include "python/tool_options.h"

#include <pybind11/pybind11.h>

#include <cctype>
#include <cstdio>

namespace Levelora {

namespace {

// "--min-confidence needs ..." -> "min_confidence needs ...".
std::string AsKeywords(const std::string& message) {
    std::string out;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message.compare(i, 2, "--") == 0 && i + 2 < message.size() &&
            std::islower(static_cast<unsigned char>(message[i + 2]))) {
            for (i += 2;
                 i < message.size() &&
                 (std::islower(static_cast<unsigned char>(message[i])) || message[i] == '-');
                 ++i) {
                out += message[i] == '-' ? '_' : message[i];
            }
            --i;
        } else {
            out += message[i];
        }
    }
    return out;
}

}  // namespace

bool UsageOptions(const std::vector<std::string>& args, Cli::Options& options, std::string& error) {
    std::vector<const char*> argv{"skewmend"};
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    return Cli::ParseArguments(static_cast<int>(argv.size()), argv.data(), options, error) &&
           Cli::ValidateOptions(options, error);
}

Cli::Options ToolOptions(const std::vector<std::string>& args) {
    Cli::Options options;
    std::string error;
    if (!UsageOptions(args, options, error)) {
        throw pybind11::value_error(AsKeywords(error));
    }
    return options;
}

std::string NumberArgument(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace Levelora
