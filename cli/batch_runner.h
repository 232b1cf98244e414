// BatchRunner: runs one job per page in worker processes and hands the
// results back in page order.
//
// The engine is single-threaded by design, so a batch is spread over
// processes, not threads: `jobs` workers are forked, each receives page
// indices one at a time through a pipe and sends back the serialised
// PageResult. A worker that dies in the middle of a page (an engine
// assertion ends its process) costs only that page, which is reported as
// failed, and a fresh worker takes its place. Results reach `deliver` in
// index order as soon as all earlier pages are done; `progress` is called
// after every finished page with the count done so far.
#pragma once

#include <cstddef>
#include <functional>

#include "page_result.h"

namespace Cli {

using PageJob = std::function<PageResult(size_t index)>;
using ResultSink = std::function<void(size_t index, const PageResult& result)>;
using ProgressSink = std::function<void(size_t done)>;

void RunBatch(size_t pages, int jobs, const PageJob& job, const ResultSink& deliver,
              const ProgressSink& progress);

}  // namespace Cli
