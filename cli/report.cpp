// JSON strings escape the quote, the backslash and every control character
// (as \uXXXX apart from the usual short forms); bytes of 0x80 and above are
// passed through, so UTF-8 file names stay readable. CSV cells are quoted
// when they hold a comma, a quote, a line break or leading/trailing space.
// Every row is flushed as it is written, so a script reading the report can
// follow a long batch.
#include "cli/report.h"

#include <cstdio>
#include <utility>

namespace Cli {

ReportValue ReportValue::String(std::string s) {
    ReportValue v;
    v.kind = Kind::kString;
    v.text = std::move(s);
    return v;
}

ReportValue ReportValue::Int(long long value) {
    ReportValue v;
    v.kind = Kind::kInt;
    v.integer = value;
    return v;
}

ReportValue ReportValue::Bool(bool value) {
    ReportValue v;
    v.kind = Kind::kBool;
    v.flag = value;
    return v;
}

ReportValue ReportValue::Number(double value, int decimals) {
    ReportValue v;
    v.kind = Kind::kNumber;
    v.number = value;
    v.decimals = decimals;
    return v;
}

ReportWriter::ReportWriter(ReportFormat format, std::ostream& out, std::string command,
                           std::vector<std::string> columns)
    : format_(format), out_(out), command_(std::move(command)), columns_(std::move(columns)) {}

std::string ReportWriter::JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", u);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::string ReportWriter::CsvCell(const std::string& s) {
    const bool quote = s.find_first_of(",\"\r\n") != std::string::npos ||
                       (!s.empty() && (s.front() == ' ' || s.back() == ' '));
    if (!quote) {
        return s;
    }
    std::string out = "\"";
    for (const char ch : s) {
        out += ch;
        if (ch == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string ReportWriter::PlainValue(const ReportValue& v) {
    switch (v.kind) {
        case ReportValue::Kind::kNull:
            return "";
        case ReportValue::Kind::kString:
            return v.text;
        case ReportValue::Kind::kInt:
            return std::to_string(v.integer);
        case ReportValue::Kind::kBool:
            return v.flag ? "true" : "false";
        case ReportValue::Kind::kNumber: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*f", v.decimals, v.number);
            return buf;
        }
    }
    return "";
}

std::string ReportWriter::JsonValue(const ReportValue& v) {
    switch (v.kind) {
        case ReportValue::Kind::kNull:
            return "null";
        case ReportValue::Kind::kString:
            return JsonString(v.text);
        default:
            return PlainValue(v);
    }
}

std::string ReportWriter::JsonObject(const ReportRow& row) {
    std::string out = "{";
    for (size_t i = 0; i < row.size(); ++i) {
        out += (i == 0 ? "" : ", ") + JsonString(row[i].key) + ": " + JsonValue(row[i].value);
    }
    return out + "}";
}

void ReportWriter::Begin() {
    if (format_ == ReportFormat::kJson) {
        out_ << "{\"command\": " << JsonString(command_) << ", \"pages\": [" << std::flush;
    } else if (format_ == ReportFormat::kCsv) {
        for (size_t i = 0; i < columns_.size(); ++i) {
            out_ << (i == 0 ? "" : ",") << CsvCell(columns_[i]);
        }
        out_ << "\n" << std::flush;
    }
}

void ReportWriter::Row(const ReportRow& row, const std::string& text) {
    switch (format_) {
        case ReportFormat::kText:
            out_ << text << '\n';
            break;
        case ReportFormat::kJson:
            out_ << (rows_ == 0 ? "\n  " : ",\n  ") << JsonObject(row);
            break;
        case ReportFormat::kCsv:
            for (size_t i = 0; i < columns_.size(); ++i) {
                std::string cell;
                for (const ReportField& f : row) {
                    if (f.key == columns_[i]) {
                        cell = PlainValue(f.value);
                    }
                }
                out_ << (i == 0 ? "" : ",") << CsvCell(cell);
            }
            out_ << "\n";
            break;
    }
    ++rows_;
    out_.flush();
}

void ReportWriter::End(const ReportRow& summary, const std::string& text) {
    if (format_ == ReportFormat::kText) {
        out_ << text << '\n';
    } else if (format_ == ReportFormat::kJson) {
        out_ << (rows_ == 0 ? "" : "\n") << "], \"summary\": " << JsonObject(summary) << "}\n";
    }
    out_.flush();
}

}  // namespace Cli
