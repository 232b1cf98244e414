// JSON strings escape the quote, the backslash and every control character
// (as \uXXXX apart from the usual short forms); valid UTF-8 is passed
// through, so file names stay readable, and any other byte of 0x80 and
// above becomes "\udcXX" (json_reader.h), so the document is valid UTF-8
// whatever the name. CSV cells are quoted
// when they hold a comma, a quote, a line break or leading/trailing space.
// Every row is flushed as it is written, so a script reading the report can
// follow a long batch.
#include "cli/report.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "cli/json_reader.h"

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

namespace {

// The length of the valid UTF-8 sequence that starts at `i` (shortest form,
// no surrogates, at most U+10FFFF); 0 when the byte there starts none.
size_t Utf8Length(const std::string& s, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = at(i);
    size_t n = 0;
    unsigned long cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        cp = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0u) != 0x80u) {
            return 0;
        }
        cp = (cp << 6) | (at(i + k) & 0x3Fu);
    }
    const bool shortest = (n == 3 && cp >= 0x800) || (n == 4 && cp >= 0x10000) || n == 2;
    const bool valid = cp <= 0x10FFFF && !(cp >= 0xD800 && cp < 0xE000);
    return shortest && valid ? n : 0;
}

// Fixed-point with `decimals` digits; as long as the value needs (a
// hand-edited report may hold an angle of 1e300).
std::string FixedNumber(double value, int decimals) {
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::snprintf(&text[0], text.size() + 1, "%.*f", decimals, value);
    return text;
}

std::string ShortestNumber(double value) {
    char buf[32];
    for (int digits = 1;; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, value);
        if (digits >= 17 || std::strtod(buf, nullptr) == value) {
            return buf;
        }
    }
}

}  // namespace

std::string ReportWriter::JsonString(const std::string& s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        const auto u = static_cast<unsigned char>(ch);
        if (u >= 0x80) {
            const size_t n = Utf8Length(s, i);
            if (n == 0) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04lx", kRawByteSurrogate + u - 0x80);
                out += buf;
            } else {
                out.append(s, i, n);
                i += n - 1;
            }
            continue;
        }
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
        case ReportValue::Kind::kNumber:
            return v.decimals == ReportValue::kShortest ? ShortestNumber(v.number)
                                                        : FixedNumber(v.number, v.decimals);
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

void ReportWriter::Line(const std::string& text) {
    if (format_ == ReportFormat::kText) {
        out_ << text << '\n' << std::flush;
    }
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
