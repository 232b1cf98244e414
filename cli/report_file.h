// The report file (--report FILE): each page's decision of `auto` or
// `estimate` written beside the batch, to be reviewed, edited by hand if
// need be, and applied later by `rotate --from-report FILE`.
//
// Its form follows the file's extension: .csv is a header line and one
// line per page (RFC 4180 quoting, CRLF line ends); .json is
// {"command": ..., "pages": [{...}, ...], "summary": {...}}. Each page has
// exactly the columns input, output (empty/null for estimate), status
// ("rotated", "unchanged", "estimated", "not sure", "failed"), angle (the
// correction in degrees, two decimals; empty/null without one), confidence
// (0 .. 1, two decimals; empty/null outside precise mode), mode ("precise"
// or "standard") and error (empty/null unless failed).
//
// The writer keeps the file in memory and writes it atomically at the end
// (a temporary file beside it, renamed into place), so a batch cut short
// leaves any earlier report as it was. The reader accepts exactly that
// form (CSV with CRLF or LF line ends and any valid quoting; JSON with any
// spacing) and rejects anything else with a message naming the file and
// the line.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/page_result.h"
#include "cli/page_status.h"
#include "cli/report.h"

namespace Pictconv {
class AtomicOutput;
}

namespace Cli {

struct ReportFileRow {
    std::string input;
    bool hasOutput = false;
    std::string output;
    PageStatus status = PageStatus::kFailed;
    bool hasAngle = false;
    double angle = 0.0;
    bool hasConfidence = false;
    double confidence = 0.0;
    std::string mode;
    bool hasError = false;
    std::string error;
};

// The column names, in order.
const std::vector<std::string>& ReportFileColumns();

// A page's row as the command line `options` decided it.
ReportFileRow ReportFileRowOf(const Options& options, const PageResult& result);

class ReportFileWriter {
  public:
    // `options.reportFile` names the file; its extension gives the form.
    explicit ReportFileWriter(const Options& options);
    ~ReportFileWriter();

    // Creates the temporary file beside the report, so that a report that
    // cannot be written is known before any page is processed. Only its
    // descriptor is open until Commit, so worker processes forked in between
    // inherit no buffered data. False with a one-line reason.
    bool Open(std::string& error);
    void Row(const PageResult& result);
    // Writes the report and renames it into place. False with a reason.
    bool Commit(const ReportRow& summary, std::string& error);

  private:
    const Options& options_;
    std::ostringstream text_;
    ReportWriter writer_;
    std::unique_ptr<Pictconv::AtomicOutput> out_;
};

// Parses the text of a report file in `format` (kCsv or kJson). `name`
// starts every message. False with "NAME line N: reason" when malformed.
bool ParseReportFile(const std::string& text, ReportFormat format, const std::string& name,
                     std::vector<ReportFileRow>& rows, std::string& error);

// Reads and parses the report file `path`, its form by its extension.
bool ReadReportFile(const std::string& path, std::vector<ReportFileRow>& rows, std::string& error);

}  // namespace Cli
