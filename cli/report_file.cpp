// The writing side of the report file. A page's row says what the batch
// decided: the status the standard-output report gives, the angle with two
// decimals (whole degrees outside precise mode, written the same way so
// the file has one form) and, in precise mode, the confidence. The rows go
// through the ReportWriter, so quoting and escaping are those of the
// standard-output reports, into memory; Commit writes them to the
// temporary file made at Open and renames it over the destination.
#include "cli/report_file.h"

#include <cerrno>
#include <cstring>

#include "cli/page_report.h"
#include "pictconv/atomic_output.h"

namespace Cli {

namespace {

constexpr int kAngleDecimals = 2;
constexpr int kConfidenceDecimals = 2;

ReportValue TextOrNull(bool present, const std::string& text) {
    return present ? ReportValue::String(text) : ReportValue::Null();
}

ReportValue NumberOrNull(bool present, double value, int decimals) {
    return present ? ReportValue::Number(value, decimals) : ReportValue::Null();
}

ReportRow ToReportRow(const ReportFileRow& row) {
    return {{"input", ReportValue::String(row.input)},
            {"output", TextOrNull(row.hasOutput, row.output)},
            {"status", ReportValue::String(StatusName(row.status))},
            {"angle", NumberOrNull(row.hasAngle, row.angle, kAngleDecimals)},
            {"confidence", NumberOrNull(row.hasConfidence, row.confidence, kConfidenceDecimals)},
            {"mode", ReportValue::String(row.mode)},
            {"error", TextOrNull(row.hasError, row.error)}};
}

std::string Reason() {
    return errno != 0 ? std::string(": ") + std::strerror(errno) : std::string();
}

}  // namespace

const std::vector<std::string>& ReportFileColumns() {
    static const std::vector<std::string> columns = {"input",      "output", "status", "angle",
                                                     "confidence", "mode",   "error"};
    return columns;
}

ReportFileRow ReportFileRowOf(const Options& o, const PageResult& r) {
    ReportFileRow row;
    row.input = r.input;
    row.hasOutput = o.command != Command::kEstimate;
    row.output = r.output;
    row.status = StatusOf(o, r);
    row.hasAngle = r.ok && r.hasAngle;
    row.angle = o.precise ? r.preciseAngle : static_cast<double>(r.angle);
    row.hasConfidence = o.precise && r.ok;
    row.confidence = r.confidence;
    row.mode = ModeName(o);
    row.hasError = !r.ok;
    row.error = r.error;
    return row;
}

ReportFileWriter::ReportFileWriter(const Options& options)
    : options_(options),
      writer_(ReportFileFormat(options.reportFile), text_, CommandName(options.command),
              ReportFileColumns()) {
    writer_.Begin();
}

ReportFileWriter::~ReportFileWriter() = default;

bool ReportFileWriter::Open(std::string& error) {
    errno = 0;
    out_ = std::make_unique<Pictconv::AtomicOutput>(options_.reportFile.c_str());
    if (!out_->IsOpen()) {
        error = "cannot write the report " + options_.reportFile + Reason();
        return false;
    }
    return true;
}

void ReportFileWriter::Row(const PageResult& result) {
    writer_.Row(ToReportRow(ReportFileRowOf(options_, result)), std::string());
}

bool ReportFileWriter::Commit(const ReportRow& summary, std::string& error) {
    writer_.End(summary, std::string());
    const std::string text = text_.str();
    errno = 0;
    std::FILE* stream = out_ ? out_->Stream() : nullptr;
    const bool ok = stream != nullptr &&
                    std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
                    out_->Commit();
    if (!ok) {
        error = "cannot write the report " + options_.reportFile + Reason();
    }
    out_.reset();
    return ok;
}

}  // namespace Cli
