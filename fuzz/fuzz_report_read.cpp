// The report file reader (rotate --from-report) on arbitrary text, CSV or
// JSON by the first byte. A refusal must name a line of the text; an
// accepted report, written back, must read as the same rows, and writing
// those again must give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/report_file.h"

namespace {

bool SameRow(const Cli::ReportFileRow& a, const Cli::ReportFileRow& b) {
    return a.input == b.input && a.page == b.page && a.pages == b.pages &&
           a.hasOutput == b.hasOutput && a.output == b.output && a.status == b.status &&
           a.hasAngle == b.hasAngle && a.angle == b.angle && a.hasConfidence == b.hasConfidence &&
           a.confidence == b.confidence && a.mode == b.mode && a.hasNote == b.hasNote &&
           a.note == b.note && a.hasError == b.hasError && a.error == b.error &&
           a.hasFingerprint == b.hasFingerprint && a.inputBytes == b.inputBytes &&
           a.inputSha256 == b.inputSha256;
}

// "r line N: reason" with N a line of `text`.
bool NamesALine(const std::string& error, const std::string& text) {
    const std::string prefix = "r line ";
    if (error.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    size_t i = prefix.size();
    unsigned long long line = 0;
    while (i < error.size() && error[i] >= '0' && error[i] <= '9' && line < 1000000000ull) {
        line = line * 10 + static_cast<unsigned>(error[i++] - '0');
    }
    size_t lines = 1;
    for (const char ch : text) {
        lines += ch == '\n' || ch == '\r';
    }
    return line >= 1 && line <= lines && error.compare(i, 2, ": ") == 0 && error.size() > i + 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const Cli::ReportFormat format =
        (data[0] & 1) != 0 ? Cli::ReportFormat::kJson : Cli::ReportFormat::kCsv;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<Cli::ReportFileRow> rows;
    bool oldLayout = false;
    std::string error;
    if (!Cli::ParseReportFile(text, format, "r", rows, oldLayout, error)) {
        if (!NamesALine(error, text)) {
            std::abort();
        }
        return 0;
    }
    const std::string written = Cli::ReportFileText(rows, format, "auto");
    std::vector<Cli::ReportFileRow> again;
    if (!Cli::ParseReportFile(written, format, "r", again, oldLayout, error) || oldLayout ||
        again.size() != rows.size()) {
        std::abort();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!SameRow(rows[i], again[i])) {
            std::abort();
        }
    }
    if (Cli::ReportFileText(again, format, "auto") != written) {
        std::abort();
    }
    return 0;
}
