// A TIFF file as one task: every page is read and decided on its own
// (page_decision.h), and the file is written once every page has been
// decided, all pages in order, atomically (so --in-place replaces the input
// only with a complete file).
//
//   - A page that is not turned is carried over as its stored strips or
//     tiles; a turned page is written in its own kind and compression
//     (pictconv/tiff_pages.h), with what that gives up in its changeNotes.
//     When no page is turned and the output keeps the format, the file is
//     copied byte for byte (in place: left alone).
//   - A page whose turn fails is carried over unchanged and reported failed
//     with the reason. A page that cannot be decoded fails the whole file:
//     nothing is written and every page's result is failed.
//   - rotate turns each page by the task's angle, or with a report's rows
//     (task.reportPages) each page by its own row's; pages without a row,
//     or whose row is not to be applied, are carried over and skipped.
//   - estimate gives one result per page and writes nothing.
//   - A file of several pages written in another format than TIFF would
//     lose pages: every page fails and nothing is written.
//
// TiffFileTask returns false, leaving `results` empty, for a task that is
// not of this kind (an input that is not a readable TIFF, or a single-page
// TIFF written in another format); the caller then treats it as a single
// picture. `first` carries the input, output and fingerprint every result
// starts from. Throws std::bad_alloc when memory runs out.
#pragma once

#include <vector>

#include "cli/batch_plan.h"
#include "cli/options.h"
#include "cli/page_result.h"

namespace Cli {

bool TiffFileTask(const PageTask& task, const Options& options, const PageResult& first,
                  std::vector<PageResult>& results);

}  // namespace Cli
