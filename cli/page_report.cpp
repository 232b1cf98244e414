// Rows are built field by field in column order, so the JSON objects and
// the CSV rows list the same fields in the same order.
#include "cli/page_report.h"

#include <sstream>

#include "cli/paths.h"

namespace Cli {

namespace {

constexpr int kTimingDecimals = 1;
constexpr int kRotateAngleDecimals = 2;
constexpr int kPreciseDecimals = 2;

}  // namespace

PageStatus StatusOf(const Options& o, const PageResult& r) {
    if (!r.ok) {
        return PageStatus::kFailed;
    }
    if (r.skipped) {
        return PageStatus::kSkipped;
    }
    if (r.notSure) {
        return PageStatus::kNotSure;
    }
    if (o.command == Command::kEstimate) {
        return PageStatus::kEstimated;
    }
    return r.turned ? PageStatus::kRotated : PageStatus::kUnchanged;
}

namespace {

std::string Plural(size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string Degrees(double angle) {
    std::ostringstream s;
    s << angle;
    return s.str();
}

std::string Fixed(double value) {
    std::ostringstream s;
    s.setf(std::ios::fixed);
    s.precision(kPreciseDecimals);
    s << value;
    return s.str();
}

// The text of a page that precise mode decided (after "input: ").
std::string PreciseLine(const Options& o, const PageResult& r) {
    const std::string confidence = "confidence " + Fixed(r.confidence);
    if (r.notSure) {
        return StatusName(PageStatus::kNotSure) + (" (" + confidence + ")") +
               (o.command == Command::kAuto ? ", not turned -> " + r.output : "");
    }
    std::string line = "angle " + Fixed(r.preciseAngle) + " (" + confidence + ")";
    if (o.command == Command::kAuto) {
        line +=
            r.turned ? ", turned -> " : std::string(", not turned (") + NoteText(r.note) + ") -> ";
        line += r.output;
    }
    return line;
}

// The note column: the reason from the fixed list, then what writing the
// page in its kind gave up.
std::string NoteOf(const PageResult& r) {
    std::string note = NoteText(r.note);
    if (!r.changeNotes.empty()) {
        note += (note.empty() ? "" : "; ") + r.changeNotes;
    }
    return note;
}

}  // namespace

const std::vector<std::string>& ReportLayout() {
    static const std::vector<std::string> columns = {
        "input",      "page", "pages", "output", "status",      "angle",
        "confidence", "mode", "note",  "error",  "input_bytes", "input_sha256"};
    return columns;
}

const std::vector<std::string>& TimingColumns() {
    static const std::vector<std::string> columns = {"decode_ms", "process_ms", "encode_ms"};
    return columns;
}

std::vector<std::string> ReportColumns(const Options& o) {
    std::vector<std::string> columns = ReportLayout();
    if (o.timings) {
        columns.insert(columns.end(), TimingColumns().begin(), TimingColumns().end());
    }
    return columns;
}

ReportRow PageRow(const Options& o, const PageResult& r) {
    ReportValue angle;
    if (r.ok && !r.skipped && o.command == Command::kRotate) {
        angle = ReportValue::Number(r.turnAngle, kRotateAngleDecimals);
    } else if (r.ok && r.hasAngle) {
        angle = o.precise ? ReportValue::Number(r.preciseAngle, kPreciseDecimals)
                          : ReportValue::Int(r.angle);
    }
    const std::string mode = ModeName(o);
    const std::string note = NoteOf(r);
    ReportRow row = {
        {"input", ReportValue::String(AbsolutePath(r.input))},
        {"page", ReportValue::Int(r.page)},
        {"pages", ReportValue::Int(r.pages)},
        {"output",
         r.output.empty() ? ReportValue::Null() : ReportValue::String(AbsolutePath(r.output))},
        {"status", ReportValue::String(StatusName(StatusOf(o, r)))},
        {"angle", angle},
        {"confidence", o.precise && r.ok && !r.skipped
                           ? ReportValue::Number(r.confidence, kPreciseDecimals)
                           : ReportValue::Null()},
        {"mode", mode.empty() ? ReportValue::Null() : ReportValue::String(mode)},
        {"note", note.empty() ? ReportValue::Null() : ReportValue::String(note)},
        {"error", r.ok ? ReportValue::Null() : ReportValue::String(r.error)},
        {"input_bytes", r.hasFingerprint ? ReportValue::Int(static_cast<long long>(r.inputBytes))
                                         : ReportValue::Null()},
        {"input_sha256",
         r.hasFingerprint ? ReportValue::String(r.inputSha256) : ReportValue::Null()},
    };
    if (o.timings) {
        row.push_back({"decode_ms", ReportValue::Number(r.decodeMs, kTimingDecimals)});
        row.push_back({"process_ms", ReportValue::Number(r.processMs, kTimingDecimals)});
        row.push_back({"encode_ms", ReportValue::Number(r.encodeMs, kTimingDecimals)});
    }
    return row;
}

std::string PageLine(const Options& o, const PageResult& r) {
    std::ostringstream line;
    line << r.input;
    if (r.pages > 1) {
        line << " (page " << r.page << " of " << r.pages << ")";
    }
    line << ": ";
    if (!r.ok) {
        line << StatusName(PageStatus::kFailed) << ": " << r.error;
        return line.str();
    }
    if (r.skipped) {
        line << StatusName(PageStatus::kSkipped) << " (" << NoteText(r.note) << ")";
        return line.str();
    }
    if (o.precise && o.command != Command::kRotate) {
        line << PreciseLine(o, r);
        if (!r.changeNotes.empty()) {
            line << " (" << r.changeNotes << ")";
        }
        if (o.timings) {
            line << " (decode " << r.decodeMs << " ms, process " << r.processMs << " ms, encode "
                 << r.encodeMs << " ms)";
        }
        return line.str();
    }
    switch (o.command) {
        case Command::kAuto:
            line << (r.hasAngle ? "angle " + std::to_string(r.angle) : std::string("no angle"))
                 << ", "
                 << (r.turned ? std::string("turned")
                              : std::string("not turned (") + NoteText(r.note) + ")")
                 << " -> " << r.output;
            break;
        case Command::kRotate:
            line << (r.turned ? "turned by " + Degrees(r.turnAngle) + " degrees"
                              : std::string("not turned"))
                 << " -> " << r.output;
            break;
        default:
            line << "angle " << r.angle;
            break;
    }
    if (!r.changeNotes.empty()) {
        line << " (" << r.changeNotes << ")";
    }
    if (o.timings) {
        line << " (decode " << r.decodeMs << " ms, process " << r.processMs << " ms, encode "
             << r.encodeMs << " ms)";
    }
    return line.str();
}

void BatchCounts::Add(const PageResult& r) {
    ++pages;
    if (!r.ok) {
        ++failed;
    } else if (r.skipped) {
        ++skipped;
    } else if (r.notSure) {
        ++notSure;
    } else if (r.turned) {
        ++rotated;
    } else {
        ++unchanged;
    }
}

ReportRow SummaryRow(const Options& o, const BatchCounts& c) {
    ReportRow row = {{"pages", ReportValue::Int(static_cast<long long>(c.pages))},
                     {"succeeded", ReportValue::Int(static_cast<long long>(c.pages - c.failed))},
                     {"failed", ReportValue::Int(static_cast<long long>(c.failed))}};
    if (o.command != Command::kEstimate) {
        row.push_back({"rotated", ReportValue::Int(static_cast<long long>(c.rotated))});
        row.push_back({"unchanged", ReportValue::Int(static_cast<long long>(c.unchanged))});
    }
    if (o.command != Command::kEstimate) {
        row.push_back({"skipped", ReportValue::Int(static_cast<long long>(c.skipped))});
    }
    if (o.precise) {
        row.push_back({"not_sure", ReportValue::Int(static_cast<long long>(c.notSure))});
    }
    if (*ModeName(o) != '\0') {
        row.push_back({"mode", ReportValue::String(ModeName(o))});
    }
    return row;
}

namespace {

// "N pages: X turned, ..., F failed" for the counts of a batch or a file.
std::string CountsText(const Options& o, const BatchCounts& c) {
    std::string line = Plural(c.pages, "page") + ": ";
    if (o.precise && o.command == Command::kEstimate) {
        line += std::to_string(c.pages - c.failed - c.notSure) + " estimated, " +
                std::to_string(c.notSure) + " not sure";
    } else if (o.precise) {
        line += std::to_string(c.rotated) + " turned, " + std::to_string(c.unchanged) +
                " unchanged, " + std::to_string(c.notSure) + " not sure";
        if (c.skipped > 0) {
            line += ", " + std::to_string(c.skipped) + " skipped";
        }
    } else if (o.command == Command::kEstimate) {
        line += std::to_string(c.pages - c.failed) + " estimated";
    } else if (o.command == Command::kRotate) {
        line += std::to_string(c.rotated) + " turned";
        if (c.unchanged > 0) {
            line += ", " + std::to_string(c.unchanged) + " unchanged";
        }
        if (!o.fromReport.empty() || c.skipped > 0) {
            line += ", " + std::to_string(c.skipped) + " skipped";
        }
    } else {
        line +=
            std::to_string(c.rotated) + " turned, " + std::to_string(c.unchanged) + " unchanged";
        if (c.skipped > 0) {
            line += ", " + std::to_string(c.skipped) + " skipped";
        }
    }
    line += ", " + std::to_string(c.failed) + " failed";
    return line;
}

}  // namespace

std::string SummaryLine(const Options& o, const BatchCounts& c) {
    const std::string line = CountsText(o, c);
    const std::string mode = ModeName(o);
    return mode.empty() ? line : line + " (" + mode + " mode)";
}

std::string FileSummaryLine(const Options& o, const std::string& input, const std::string& output,
                            const BatchCounts& c) {
    std::string line = input + ": " + CountsText(o, c);
    if (o.command != Command::kEstimate && !output.empty() && c.failed < c.pages) {
        line += " -> " + output;
    }
    return line;
}

}  // namespace Cli
