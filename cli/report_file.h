// The report file (--report FILE): each page's decision of `auto` or
// `estimate` written beside the batch, to be reviewed, edited by hand if
// need be, and applied later by `rotate --from-report FILE`.
//
// Its form follows the file's extension: .csv is a header line and one
// line per page (RFC 4180 quoting, LF line ends); .json is
// {"command": ..., "pages": [{...}, ...], "summary": {...}}. The columns are
// those of every report (page_report.h), so the CSV or JSON a command
// prints on standard output is a report file too.
//
// The writer keeps the file in memory and writes it atomically at the end
// (a temporary file beside it, renamed into place), so a batch cut short
// leaves any earlier report as it was. The reader accepts that form (CSV
// with CRLF or LF line ends and any valid quoting; JSON with any spacing;
// the timing columns or not) and the older layout of seven columns (input,
// output, status, angle, confidence, mode, error), and rejects anything
// else with a message naming the file and the line. Relative paths in a
// report are taken from the report file's folder; in the older layout,
// which wrote them as given, from the current folder.
#pragma once

#include <cstdint>
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
    uint32_t page = 1;  // the page of a multi-page file (1 and 1 when the row names none)
    uint32_t pages = 1;
    bool hasOutput = false;
    std::string output;
    PageStatus status = PageStatus::kFailed;
    bool hasAngle = false;
    double angle = 0.0;
    bool hasConfidence = false;
    double confidence = 0.0;
    std::string mode;  // empty when the row names none
    bool hasNote = false;
    std::string note;
    bool hasError = false;
    std::string error;
    bool hasFingerprint = false;  // the input's size and digest when measured
    uint64_t inputBytes = 0;
    std::string inputSha256;
};

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
// `oldLayout` tells whether the file has the older seven columns. Paths are
// returned as written.
bool ParseReportFile(const std::string& text, ReportFormat format, const std::string& name,
                     std::vector<ReportFileRow>& rows, bool& oldLayout, std::string& error);

// The text of a report file of `format` (kCsv or kJson) for `command` that
// reads back as `rows`: the current layout without the timing columns, each
// value as the row holds it (paths as given, numbers in the shortest form
// that reads back as the same value). Reading a report and writing its rows
// with this gives a text that reads back and writes again byte for byte.
std::string ReportFileText(const std::vector<ReportFileRow>& rows, ReportFormat format,
                           const std::string& command);

// Reads and parses the report file `path`, its form by its extension, and
// makes every input and output path absolute: from the report's folder, or
// in the older layout (`oldLayout` true) from the current folder.
bool ReadReportFile(const std::string& path, std::vector<ReportFileRow>& rows, bool& oldLayout,
                    std::string& error);

}  // namespace Cli
