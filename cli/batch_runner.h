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
//
// Every page reaches `deliver` exactly once. Should waiting for the workers
// fail (anything but an interruption), the batch stops: the pages not yet
// reported are delivered as failed with the reason, and the workers are
// ended and reaped before RunBatch returns.
#pragma once

#include <poll.h>

#include <cstddef>
#include <functional>

#include "cli/page_result.h"

namespace Cli {

using PageJob = std::function<PageResult(size_t index)>;
using ResultSink = std::function<void(size_t index, const PageResult& result)>;
using ProgressSink = std::function<void(size_t done)>;
// How the runner waits for results: poll(). Tests pass a function that
// fails, since poll() itself cannot be made to fail on demand.
using WaitFunction = int (*)(pollfd* fds, nfds_t count, int timeoutMs);

void RunBatch(size_t pages, int jobs, const PageJob& job, const ResultSink& deliver,
              const ProgressSink& progress, WaitFunction wait = ::poll);

}  // namespace Cli
