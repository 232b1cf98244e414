// What the reports say about a page and a batch, per command: the report
// columns, a page's row and text line, and the summary.
//
// Columns: auto: input, output, status (rotated, unchanged, failed), angle
// (whole degrees, null on failure), error; rotate: input, output, status
// (rotated, failed), angle (as asked), error; estimate: input, status
// (estimated, failed), angle, error. With --timings: decode_ms, process_ms,
// encode_ms. With --precise (auto, estimate): the status may also be "not
// sure", the angle is in degrees with two decimals (null when not sure), a
// confidence column (0 .. 1, two decimals) follows it, and the summary
// counts the pages that were not sure. rotate --from-report: the status may
// also be "skipped" (the report gives no angle to apply), with the reason in
// a note column before the error, and the summary counts the skipped pages.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/page_result.h"
#include "cli/page_status.h"
#include "cli/report.h"

namespace Cli {

std::vector<std::string> ReportColumns(const Options& options);
// The page's status under the command line `options`.
PageStatus StatusOf(const Options& options, const PageResult& result);
ReportRow PageRow(const Options& options, const PageResult& result);
std::string PageLine(const Options& options, const PageResult& result);

struct BatchCounts {
    size_t pages = 0;
    size_t failed = 0;
    size_t rotated = 0;
    size_t unchanged = 0;
    size_t notSure = 0;  // precise mode: kept as they were
    size_t skipped = 0;  // rotate --from-report: no angle to apply
    void Add(const PageResult& result);
};

ReportRow SummaryRow(const Options& options, const BatchCounts& counts);
std::string SummaryLine(const Options& options, const BatchCounts& counts);

}  // namespace Cli
