// What the reports say about a page and a batch, per command: the report
// columns, a page's row and text line, and the summary.
//
// Columns: auto: input, output, status (rotated, unchanged, failed), angle
// (whole degrees, null on failure), error; rotate: input, output, status
// (rotated, failed), angle (as asked), error; estimate: input, status
// (estimated, failed), angle, error. With --timings: decode_ms, process_ms,
// encode_ms.
#pragma once

#include <string>
#include <vector>

#include "options.h"
#include "page_result.h"
#include "report.h"

namespace Cli {

std::vector<std::string> ReportColumns(const Options& options);
ReportRow PageRow(const Options& options, const PageResult& result);
std::string PageLine(const Options& options, const PageResult& result);

struct BatchCounts {
    size_t pages = 0;
    size_t failed = 0;
    size_t rotated = 0;
    size_t unchanged = 0;
    void Add(const PageResult& result);
};

ReportRow SummaryRow(const Options& options, const BatchCounts& counts);
std::string SummaryLine(const Options& options, const BatchCounts& counts);

}  // namespace Cli
