// What `python3 -m levelora.batch` needs from the tool, so that a batch on a
// cluster plans, handles and reports its pages with the tool's own code:
//
//   _Batch(args)          the tool's `auto` command line (without the
//                         program name) parsed, checked and planned
//                         (cli/batch_plan.h), the report file of --report
//                         opened; ValueError with the tool's message for a
//                         usage error. tasks() gives each file's task as a
//                         picklable tuple, in input order; begin(),
//                         deliver(i, results), deliver_failure(i, reason),
//                         progress(done) and finish() write the report as
//                         the tool does (cli/batch_report.h) on standard
//                         output; finish() returns the tool's exit status.
//   _run_task(args, task) runs the tool's task (cli/page_jobs.h RunTask) on
//                         one file in the calling process, the GIL
//                         released, and returns the serialised results,
//                         one per page (a multi-page TIFF gives several).
#pragma once

#include <pybind11/pybind11.h>

namespace Levelora {

void AddBatch(pybind11::module_& m);

}  // namespace Levelora
