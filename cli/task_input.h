// What every job does with a task's input before its pages are worked on:
// the first result (input, output, a refusal decided when planning), the
// input's fingerprint for the report (and, for a report's row, whether the
// input is still the picture the row measured), and messages that name
// standard input's temporary copy as "-", as the reports do.
#pragma once

#include <string>

#include "cli/batch_plan.h"
#include "cli/page_result.h"

namespace Cli {

// A result for `task` that carries its input, output and refusal.
PageResult BeginResult(const PageTask& task);

// Takes the input's fingerprint into `r`; for a report's row, marks `r`
// skipped when the input is no longer the picture the row measured. False
// with the reason in r.error when the input cannot be read.
bool ReadInput(const PageTask& task, PageResult& r);

// Replaces the path of the file the task reads by the input's name in
// `message`.
void NameAsInput(const PageTask& task, std::string& message);

}  // namespace Cli
