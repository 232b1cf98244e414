// What the reports say about a page and a batch: the one layout of their
// columns, a page's row and text line, and the summary.
//
// Every report with columns (--format csv, the keys of --format json, the
// report file of --report) has the same columns in the same order:
// input, page, pages, output, status, angle, confidence, mode, note, error,
// input_bytes, input_sha256, and with --timings decode_ms, process_ms,
// encode_ms. Paths are absolute. page and pages are the page's number
// (from 1) and its file's page count: 1 and 1 for a single picture. status is one of rotated,
// unchanged, estimated, not sure, skipped, failed; angle is the correction (two decimals in precise
// mode and for rotate, whole degrees with
// --whole-degrees; null without one); confidence is precise mode's (null
// otherwise); mode is "precise" or "whole-degrees" for auto and estimate,
// null for rotate; note is a reason from the fixed list of page_note.h,
// followed (after "; ") by what writing the page in its kind gave up;
// error the failure message; input_bytes and input_sha256 the size and
// SHA-256 digest of the input as it was read.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/page_result.h"
#include "cli/page_status.h"
#include "cli/report.h"

namespace Cli {

// The twelve columns every report has, in order.
const std::vector<std::string>& ReportLayout();
// The columns --timings adds after them.
const std::vector<std::string>& TimingColumns();
// The columns of a report under the command line `options`.
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
// The text form's line for a file of several pages, after its pages' lines:
// "three.tif: 3 pages: 2 turned, 1 unchanged, 0 not sure, 0 failed -> out.tif"
// (the output named when the file was written).
std::string FileSummaryLine(const Options& options, const std::string& input,
                            const std::string& output, const BatchCounts& counts);

}  // namespace Cli
