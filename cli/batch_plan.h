// Planning a batch: the input files a command line names (folders expanded)
// and, for the writing commands, each page's output path and format, with
// the refusals decided before any work starts.
//
// Folders contribute the picture files directly inside them, and those of
// every subfolder with --recursive; a file counts as a picture by its
// content, and hidden files (a leading dot, which is also how unfinished
// outputs are named) are skipped. Entries are taken in name order.
//
// Outputs: -o names the one output; --out-dir DIR puts each output under
// DIR with the input's file name (and, for files found in a folder, its path
// below that folder); --in-place writes over the input. The output's format
// follows its extension; under --out-dir and --in-place a name without a
// picture extension keeps the input's own format.
#pragma once

#include <string>
#include <vector>

#include "image_format.h"
#include "options.h"

namespace Cli {

struct PageTask {
    std::string input;
    std::string output;                             // empty for estimate
    ImageFormat outFormat = ImageFormat::kUnknown;  // kUnknown: the input's own format
    std::string refusal;  // non-empty: the page fails with this reason, untouched
};

// Builds the task list. False with a message for a usage error (an -o
// output with an unknown extension, or no picture at all in the inputs
// named). A missing input is not a usage error: its page fails.
bool PlanBatch(const Options& options, std::vector<PageTask>& tasks, std::string& error);

}  // namespace Cli
