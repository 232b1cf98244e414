// Planning a batch: the input files a command line names (folders expanded)
// and, for the writing commands, each page's output path and format, with
// the refusals decided before any work starts.
//
// Folders contribute the picture files directly inside them, and those of
// every subfolder with --recursive; a file counts as a picture by its
// content, and hidden files (a leading dot, which is also how unfinished
// outputs are named) are skipped. Entries are taken in name order.
//
// Outputs: -o names the one output; --out-dir DIR puts each output under
// DIR with the input's file name (and, for files found in a folder, its path
// below that folder); --in-place writes over the input. Under --out-dir an
// output that exists already (from an earlier, perhaps interrupted run) is
// not replaced without --force: its page is skipped, which counts as done. The output's format
// follows its extension; under --out-dir and --in-place a name without a
// picture extension keeps the input's own format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/fingerprint.h"
#include "cli/image_format.h"
#include "cli/options.h"
#include "cli/page_note.h"
#include "cli/report_file.h"

namespace Cli {

// rotate --from-report: one row of a multi-page file's report.
struct ReportPage {
    uint32_t page = 1;  // from 1
    uint32_t pages = 1;
    double angle = 0.0;
    PageNote skip = PageNote::kNone;  // not kNone: the page is left as it is, for this reason
};

struct PageTask {
    std::string input;   // as the reports name it ("-" for standard input)
    std::string source;  // where its bytes are read from, when not `input`
    std::string output;  // empty for estimate
    ImageFormat outFormat = ImageFormat::kUnknown;  // kUnknown: the input's own format
    std::string refusal;              // non-empty: the page fails with this reason, untouched
    double angle = 0.0;               // rotate: degrees to turn the page by
    PageNote skip = PageNote::kNone;  // not kNone: the page is skipped for this reason
    bool checkFingerprint = false;    // rotate --from-report: turn only the page measured
    Fingerprint expected;
    // rotate --from-report on a multi-page file: its rows, each page turned
    // by its own row's angle (tiff_jobs.h); empty otherwise.
    std::vector<ReportPage> reportPages;
};

// The file a task's picture is read from.
inline const std::string& SourceOf(const PageTask& task) {
    return task.source.empty() ? task.input : task.source;
}

// Builds the task list. False with a message for a usage error (an -o
// output with an unknown extension, or no picture at all in the inputs
// named). A missing input is not a usage error: its page fails.
bool PlanBatch(const Options& options, std::vector<PageTask>& tasks, std::string& error);

// rotate --from-report: one task per row of the report (paths absolute),
// in its order. A row with an angle and a status other than "not sure",
// "failed", "unchanged" or "skipped" turns its input by that angle in place
// or into --out-dir, under its path below the folder all the report's
// inputs share, with the same refusals as above; any other row becomes a
// skipped task that names the reason and writes nothing. So does a
// "rotated" row whose output is its input: that file holds the turned page
// already. The rows of a file of several pages (pages > 1) make one task
// at the place of its first row, each row in task.reportPages; its output
// is planned when at least one of them is applied.
void PlanFromReport(const Options& options, const std::vector<ReportFileRow>& rows,
                    std::vector<PageTask>& tasks);

// A report file must be neither a page's input nor its output: the message
// saying which, or empty when it is neither.
std::string ReportFileClash(const std::string& report, const std::vector<PageTask>& tasks);

}  // namespace Cli
