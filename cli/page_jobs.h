// The work of one page for each command, run inside a worker process:
// load (format by content), process, write (atomically). Each returns the
// page's PageResult with the time spent in each step; nothing is thrown and
// every failure becomes a result with a one-line reason.
#pragma once

#include "cli/batch_plan.h"
#include "cli/options.h"
#include "cli/page_result.h"

namespace Cli {

PageResult AutoPage(const PageTask& task, const Options& options);
PageResult RotatePage(const PageTask& task, const Options& options);
PageResult EstimatePage(const PageTask& task, const Options& options);

}  // namespace Cli
