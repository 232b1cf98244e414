// The writing side of the report file: the rows of the standard-output
// reports (page_report.h), so quoting, escaping and columns are theirs,
// kept in memory; Commit writes them to the temporary file made at Open and
// renames it over the destination.
#include "cli/report_file.h"

#include <cerrno>
#include <cstring>

#include "cli/page_report.h"
#include "pictconv/atomic_output.h"

namespace Cli {

namespace {

std::string Reason() {
    return errno != 0 ? std::string(": ") + std::strerror(errno) : std::string();
}

}  // namespace

ReportFileWriter::ReportFileWriter(const Options& options)
    : options_(options),
      writer_(ReportFileFormat(options.reportFile), text_, CommandName(options.command),
              ReportColumns(options)) {
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
    writer_.Row(PageRow(options_, result), std::string());
}

std::string ReportFileText(const std::vector<ReportFileRow>& rows, ReportFormat format,
                           const std::string& command) {
    const auto text = [](bool present, const std::string& value) {
        return present ? ReportValue::String(value) : ReportValue::Null();
    };
    const auto number = [](bool present, double value) {
        return present ? ReportValue::Number(value, ReportValue::kShortest) : ReportValue::Null();
    };
    std::ostringstream out;
    ReportWriter writer(format, out, command, ReportLayout());
    writer.Begin();
    for (const ReportFileRow& r : rows) {
        writer.Row(
            {
                {"input", ReportValue::String(r.input)},
                {"page", ReportValue::Int(r.page)},
                {"pages", ReportValue::Int(r.pages)},
                {"output", text(r.hasOutput, r.output)},
                {"status", ReportValue::String(StatusName(r.status))},
                {"angle", number(r.hasAngle, r.angle)},
                {"confidence", number(r.hasConfidence, r.confidence)},
                {"mode", text(!r.mode.empty(), r.mode)},
                {"note", text(r.hasNote, r.note)},
                {"error", text(r.hasError, r.error)},
                {"input_bytes", r.hasFingerprint
                                    ? ReportValue::Int(static_cast<long long>(r.inputBytes))
                                    : ReportValue::Null()},
                {"input_sha256", text(r.hasFingerprint, r.inputSha256)},
            },
            std::string());
    }
    writer.End({{"pages", ReportValue::Int(static_cast<long long>(rows.size()))}}, std::string());
    return out.str();
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
