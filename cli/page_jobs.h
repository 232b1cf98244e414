// The work of one task for each command, run inside a worker process: load
// (format by content), decide (page_decision.h), write (atomically). A task
// is one input file: a BMP, JPEG or PNG picture, or a TIFF file, whose
// pages are worked on together (tiff_jobs.h). Returns one result per page,
// in page order, with the time spent in each step; nothing is thrown and
// every failure becomes a result with a one-line reason.
#pragma once

#include <vector>

#include "cli/batch_plan.h"
#include "cli/options.h"
#include "cli/page_result.h"

namespace Cli {

std::vector<PageResult> RunTask(const PageTask& task, const Options& options);

}  // namespace Cli
