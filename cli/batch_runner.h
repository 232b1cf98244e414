// BatchRunner: runs one job per task (an input file) in worker processes
// and hands the results back in task order.
//
// The engine is single-threaded by design, so a batch is spread over
// processes, not threads: `jobs` workers are forked, each receives task
// indices one at a time through a pipe and sends back the serialised
// results of the task's pages (one for a single picture, one per page of a
// multi-page file). A worker that dies in the middle of a task (an engine
// assertion ends its process) costs only that task, which is reported as
// one failed result, and a fresh worker takes its place. Results reach
// `deliver` in index order as soon as all earlier tasks are done;
// `progress` is called after every finished task with the count done so
// far.
//
// Every task reaches `deliver` exactly once, with at least one result.
// Should waiting for the workers fail (anything but an interruption), the
// batch stops: the tasks not yet reported are delivered as failed with the
// reason, and the workers are ended and reaped before RunBatch returns.
#pragma once

#include <poll.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "cli/page_result.h"

namespace Cli {

using PageResults = std::vector<PageResult>;
using PageJob = std::function<PageResults(size_t index)>;
using ResultSink = std::function<void(size_t index, const PageResults& results)>;
using ProgressSink = std::function<void(size_t done)>;
// How the runner waits for results: poll(). Tests pass a function that
// fails, since poll() itself cannot be made to fail on demand.
using WaitFunction = int (*)(pollfd* fds, nfds_t count, int timeoutMs);

void RunBatch(size_t tasks, int jobs, const PageJob& job, const ResultSink& deliver,
              const ProgressSink& progress, WaitFunction wait = ::poll);

}  // namespace Cli
