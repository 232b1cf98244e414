// Rows are built field by field in column order, so the JSON objects and
// the CSV rows list the same fields in the same order.
#include "cli/page_report.h"

#include <sstream>

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
        line += r.turned ? ", turned -> " : ", not turned (below --min-angle) -> ";
        line += r.output;
    }
    return line;
}

}  // namespace

std::vector<std::string> ReportColumns(const Options& o) {
    std::vector<std::string> columns = {"input"};
    if (o.command != Command::kEstimate) {
        columns.push_back("output");
    }
    columns.insert(columns.end(), {"status", "angle"});
    if (o.precise) {
        columns.push_back("confidence");
    }
    if (*ModeName(o) != '\0') {
        columns.push_back("mode");
    }
    if (!o.fromReport.empty()) {
        columns.push_back("note");  // why a page was skipped
    }
    columns.push_back("error");
    if (o.timings) {
        columns.insert(columns.end(), {"decode_ms", "process_ms", "encode_ms"});
    }
    return columns;
}

ReportRow PageRow(const Options& o, const PageResult& r) {
    ReportRow row;
    row.push_back({"input", ReportValue::String(r.input)});
    if (o.command != Command::kEstimate) {
        row.push_back({"output", ReportValue::String(r.output)});
    }
    row.push_back({"status", ReportValue::String(StatusName(StatusOf(o, r)))});
    if (o.command == Command::kRotate) {
        row.push_back({"angle", r.ok && !r.skipped
                                    ? ReportValue::Number(r.turnAngle, kRotateAngleDecimals)
                                    : ReportValue::Null()});
    } else if (o.precise) {
        row.push_back({"angle", r.ok && r.hasAngle
                                    ? ReportValue::Number(r.preciseAngle, kPreciseDecimals)
                                    : ReportValue::Null()});
        row.push_back({"confidence", r.ok ? ReportValue::Number(r.confidence, kPreciseDecimals)
                                          : ReportValue::Null()});
    } else {
        row.push_back(
            {"angle", r.ok && r.hasAngle ? ReportValue::Int(r.angle) : ReportValue::Null()});
    }
    if (*ModeName(o) != '\0') {
        row.push_back({"mode", ReportValue::String(ModeName(o))});
    }
    if (!o.fromReport.empty()) {
        row.push_back({"note", r.skipped ? ReportValue::String(r.note) : ReportValue::Null()});
    }
    row.push_back({"error", r.ok ? ReportValue::Null() : ReportValue::String(r.error)});
    if (o.timings) {
        row.push_back({"decode_ms", ReportValue::Number(r.decodeMs, kTimingDecimals)});
        row.push_back({"process_ms", ReportValue::Number(r.processMs, kTimingDecimals)});
        row.push_back({"encode_ms", ReportValue::Number(r.encodeMs, kTimingDecimals)});
    }
    return row;
}

std::string PageLine(const Options& o, const PageResult& r) {
    std::ostringstream line;
    line << r.input << ": ";
    if (!r.ok) {
        line << StatusName(PageStatus::kFailed) << ": " << r.error;
        return line.str();
    }
    if (r.skipped) {
        line << StatusName(PageStatus::kSkipped) << " (" << r.note << ")";
        return line.str();
    }
    if (o.precise && o.command != Command::kRotate) {
        line << PreciseLine(o, r);
        if (o.timings) {
            line << " (decode " << r.decodeMs << " ms, process " << r.processMs << " ms, encode "
                 << r.encodeMs << " ms)";
        }
        return line.str();
    }
    switch (o.command) {
        case Command::kAuto:
            line << "angle " << r.angle << ", "
                 << (r.turned ? "turned" : "not turned (3 degrees or less)") << " -> " << r.output;
            break;
        case Command::kRotate:
            line << "turned by " << Degrees(r.turnAngle) << " degrees -> " << r.output;
            break;
        default:
            line << "angle " << r.angle;
            break;
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
    if (!o.fromReport.empty()) {
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

std::string SummaryLine(const Options& o, const BatchCounts& c) {
    std::string line = Plural(c.pages, "page") + ": ";
    if (o.precise && o.command == Command::kEstimate) {
        line += std::to_string(c.pages - c.failed - c.notSure) + " estimated, " +
                std::to_string(c.notSure) + " not sure";
    } else if (o.precise) {
        line += std::to_string(c.rotated) + " turned, " + std::to_string(c.unchanged) +
                " unchanged, " + std::to_string(c.notSure) + " not sure";
    } else if (o.command == Command::kEstimate) {
        line += std::to_string(c.pages - c.failed) + " estimated";
    } else if (o.command == Command::kRotate) {
        line += std::to_string(c.rotated) + " turned";
        if (!o.fromReport.empty()) {
            line += ", " + std::to_string(c.skipped) + " skipped";
        }
    } else {
        line +=
            std::to_string(c.rotated) + " turned, " + std::to_string(c.unchanged) + " unchanged";
    }
    line += ", " + std::to_string(c.failed) + " failed";
    const std::string mode = ModeName(o);
    return mode.empty() ? line : line + " (" + mode + " mode)";
}

}  // namespace Cli
