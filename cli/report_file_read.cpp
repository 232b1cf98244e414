// The reading side of the report file: two small strict readers, one per
// form, that turn the text into fields of one page at a time, and one check
// of those fields shared by both.
//
// CSV: records of exactly as many cells as the header has; a cell is
// either plain (no quote in it) or wholly quoted with doubled inner quotes,
// and may then hold commas and line breaks. The first record must be the
// header of one of the layouts. A byte-order mark (which spreadsheets put
// in front) is skipped, and so are empty lines at the very end. An empty
// cell is a missing value.
//
// JSON: the document is parsed whole (json_reader.h), then its shape is
// checked; every value remembers the line it starts on, so a message can
// point at the page at fault.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/json_reader.h"
#include "cli/page_report.h"
#include "cli/paths.h"
#include "cli/report_file.h"

namespace Cli {

namespace {

// The layout of earlier versions, which wrote paths as given.
const std::vector<std::string>& OldLayout() {
    static const std::vector<std::string> columns = {"input",      "output", "status", "angle",
                                                     "confidence", "mode",   "error"};
    return columns;
}

std::vector<std::string> LayoutWithTimings() {
    std::vector<std::string> columns = ReportLayout();
    columns.insert(columns.end(), TimingColumns().begin(), TimingColumns().end());
    return columns;
}

std::string JoinColumns(const std::vector<std::string>& columns) {
    std::string list;
    for (const std::string& c : columns) {
        list += (list.empty() ? "" : ",") + c;
    }
    return list;
}

// One page's values before they are checked, by column name.
struct Field {
    enum class Kind { kNull, kString, kNumber, kOther } kind = Kind::kNull;
    std::string text;
};
using Fields = std::map<std::string, Field>;

constexpr size_t kSha256HexDigits = 64;
// 2^63: sizes are written as signed 64-bit integers, and no file is larger.
constexpr double kMaxInputBytes = 9223372036854775808.0;

std::string LineError(const std::string& name, size_t line, const std::string& what) {
    return name + " line " + std::to_string(line) + ": " + what;
}

// A decimal number: an optional sign, digits, optionally a point and
// digits, optionally an exponent. No spaces, no hexadecimal, no infinity.
bool ParseNumber(const std::string& text, double& value) {
    size_t i = 0;
    auto digits = [&]() {
        const size_t from = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        return i > from;
    };
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    if (!digits()) {
        return false;
    }
    if (i < text.size() && text[i] == '.' && (++i, !digits())) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        if (!digits()) {
            return false;
        }
    }
    if (i != text.size()) {
        return false;
    }
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

// "rotated, unchanged, estimated, not sure, failed, skipped"
std::string StatusList() {
    std::string list;
    for (const PageStatus s : {PageStatus::kRotated, PageStatus::kUnchanged, PageStatus::kEstimated,
                               PageStatus::kNotSure, PageStatus::kFailed, PageStatus::kSkipped}) {
        list += (list.empty() ? "" : ", ") + std::string(StatusName(s));
    }
    return list;
}

// Checks one page's fields (the columns of the older layout when
// `oldLayout`, else of the current one) and fills `row`. False with the
// reason (without the line, which the caller adds).
bool CheckRow(const Fields& f, bool oldLayout, ReportFileRow& row, std::string& why) {
    using Kind = Field::Kind;
    static const Field kMissing;
    auto get = [&](const std::string& column) -> const Field& {
        const auto it = f.find(column);
        return it == f.end() ? kMissing : it->second;
    };
    auto text = [&](const std::string& column, bool nullable, bool& present, std::string& value) {
        const Field& v = get(column);
        present = v.kind != Kind::kNull;
        value = v.text;
        if (v.kind == Kind::kString || (nullable && v.kind == Kind::kNull)) {
            return true;
        }
        why = "the " + column + " must be " + (nullable ? "text or empty" : "text");
        return false;
    };
    auto number = [&](const std::string& column, bool& present, double& value) {
        const Field& v = get(column);
        present = v.kind != Kind::kNull;
        if (!present) {
            return true;
        }
        if (v.kind != Kind::kNumber) {
            why = "the " + column + " must be a number or empty";
            return false;
        }
        if (!ParseNumber(v.text, value)) {
            why = "the " + column + " '" + v.text + "' is not a number";
            return false;
        }
        return true;
    };
    bool present = false;
    bool hasMode = false;
    bool hasBytes = false;
    double bytes = 0.0;
    double unused = 0.0;
    bool hasPage = false, hasPages = false;
    double page = 1.0, pages = 1.0;
    std::string status;
    if (!text("input", false, present, row.input) ||
        !text("output", true, row.hasOutput, row.output) ||
        !text("status", false, present, status) || !text("mode", !oldLayout, hasMode, row.mode) ||
        !text("note", true, row.hasNote, row.note) ||
        !text("error", true, row.hasError, row.error) ||
        !text("input_sha256", true, row.hasFingerprint, row.inputSha256) ||
        !number("angle", row.hasAngle, row.angle) ||
        !number("confidence", row.hasConfidence, row.confidence) ||
        !number("page", hasPage, page) || !number("pages", hasPages, pages) ||
        !number("input_bytes", hasBytes, bytes)) {
        return false;
    }
    for (const std::string& column : TimingColumns()) {
        if (!number(column, present, unused)) {
            return false;
        }
    }
    if (row.input.empty()) {
        why = "the input is empty";
    } else if (!ParseStatus(status, row.status)) {
        why = "the status '" + status + "' is not one of " + StatusList();
    } else if (row.hasConfidence && (row.confidence < 0.0 || row.confidence > 1.0)) {
        why = "the confidence '" + get("confidence").text + "' is not between 0 and 1";
    } else if (hasMode && row.mode != "precise" && row.mode != "whole-degrees" &&
               row.mode != "standard") {
        // "standard" is what earlier versions called the whole-degree mode.
        why = "the mode '" + row.mode + "' is not precise or whole-degrees";
    } else if (!(page >= 1.0 && pages >= page && pages < 4294967296.0 && page == std::floor(page) &&
                 pages == std::floor(pages))) {
        why = "the page '" + get("page").text + "' of '" + get("pages").text +
              "' is not a page of the file";
    } else if (hasBytes != row.hasFingerprint) {
        why = "input_bytes and input_sha256 go together";
    } else if (hasBytes && (bytes < 0.0 || bytes >= kMaxInputBytes || bytes != std::floor(bytes))) {
        why = "the input_bytes '" + get("input_bytes").text + "' is not a file size";
    } else if (row.hasFingerprint &&
               (row.inputSha256.size() != kSha256HexDigits ||
                row.inputSha256.find_first_not_of("0123456789abcdef") != std::string::npos)) {
        why = "the input_sha256 '" + row.inputSha256 + "' is not 64 lowercase hex digits";
    } else {
        row.inputBytes = static_cast<uint64_t>(bytes);
        row.page = static_cast<uint32_t>(page);
        row.pages = static_cast<uint32_t>(pages);
        return true;
    }
    return false;
}

// ---- CSV ---------------------------------------------------------------

bool IsNumberColumn(const std::string& column) {
    if (column == "angle" || column == "confidence" || column == "page" || column == "pages" ||
        column == "input_bytes") {
        return true;
    }
    for (const std::string& timing : TimingColumns()) {
        if (column == timing) {
            return true;
        }
    }
    return false;
}

// Splits the next record off `text` at `pos`. False with the reason.
bool CsvRecord(const std::string& text, size_t& pos, size_t& line, std::vector<std::string>& cells,
               std::string& why) {
    cells.assign(1, std::string());
    while (pos < text.size()) {
        const char ch = text[pos];
        if (ch == '\r' || ch == '\n') {
            pos += (ch == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
            ++line;
            return true;
        }
        if (ch == ',') {
            cells.emplace_back();
            ++pos;
            continue;
        }
        std::string& cell = cells.back();
        if (ch == '"' && cell.empty()) {
            const size_t startLine = line;
            for (++pos;; ++pos) {
                if (pos >= text.size()) {
                    why = "a quoted cell starting on line " + std::to_string(startLine) +
                          " has no closing quote";
                    return false;
                }
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        cell += '"';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                if (text[pos] == '\n') {
                    ++line;
                }
                cell += text[pos];
            }
            if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
                why = "text after the closing quote of a cell";
                return false;
            }
            continue;
        }
        if (ch == '"') {
            why = "a quote inside a cell that is not quoted";
            return false;
        }
        cell += ch;
        ++pos;
    }
    return true;
}

bool ParseCsv(const std::string& text, const std::string& name, std::vector<ReportFileRow>& rows,
              bool& oldLayout, std::string& error) {
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t line = 1;
    std::vector<std::string> cells;
    std::vector<std::string> header;
    std::string why;
    while (pos < text.size()) {
        if (text.find_first_not_of("\r\n", pos) == std::string::npos) {
            break;  // empty lines at the end
        }
        const size_t recordLine = line;
        if (!CsvRecord(text, pos, line, cells, why)) {
            error = LineError(name, recordLine, why);
            return false;
        }
        if (header.empty()) {
            if (cells != ReportLayout() && cells != LayoutWithTimings() && cells != OldLayout()) {
                error = LineError(name, recordLine,
                                  "the header must be " + JoinColumns(ReportLayout()) +
                                      " (and the timing columns, if any)");
                return false;
            }
            header = cells;
            oldLayout = cells == OldLayout();
            continue;
        }
        if (cells.size() != header.size()) {
            error =
                LineError(name, recordLine,
                          std::to_string(cells.size()) + (cells.size() == 1 ? " cell" : " cells") +
                              " where " + std::to_string(header.size()) + " are needed");
            return false;
        }
        Fields fields;
        for (size_t i = 0; i < header.size(); ++i) {
            const std::string& column = header[i];
            const bool alwaysText =
                column == "input" || column == "status" || (oldLayout && column == "mode");
            const bool numeric = IsNumberColumn(column);
            Field& f = fields[column];
            f.text = cells[i];
            f.kind = !alwaysText && cells[i].empty()
                         ? Field::Kind::kNull
                         : (numeric ? Field::Kind::kNumber : Field::Kind::kString);
        }
        ReportFileRow row;
        if (!CheckRow(fields, oldLayout, row, why)) {
            error = LineError(name, recordLine, why);
            return false;
        }
        rows.push_back(row);
    }
    if (header.empty()) {
        error = LineError(name, line, "the header is missing");
        return false;
    }
    return true;
}

// ---- JSON --------------------------------------------------------------

// The members of `object` by the names in `names`; false with the reason
// for a missing, repeated or unknown member. `optional` names may be absent.
bool Members(const JsonValue& object, const std::vector<std::string>& names,
             const std::vector<std::string>& optional, std::vector<const JsonValue*>& found,
             std::string& why) {
    found.assign(names.size(), nullptr);
    for (const auto& m : object.members) {
        size_t i = 0;
        while (i < names.size() && names[i] != m.first) {
            ++i;
        }
        if (i == names.size()) {
            why = "an unknown member \"" + m.first + "\"";
            return false;
        }
        if (found[i] != nullptr) {
            why = "the member \"" + m.first + "\" is given twice";
            return false;
        }
        found[i] = &m.second;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        bool canMiss = false;
        for (const std::string& o : optional) {
            canMiss = canMiss || o == names[i];
        }
        if (found[i] == nullptr && !canMiss) {
            why = "the member \"" + names[i] + "\" is missing";
            return false;
        }
    }
    return true;
}

bool ParseJsonReport(const std::string& text, const std::string& name,
                     std::vector<ReportFileRow>& rows, bool& oldLayout, std::string& error) {
    JsonValue doc;
    std::string why;
    size_t line = 0;
    if (!ParseJson(text, doc, line, why)) {
        error = LineError(name, line, why);
        return false;
    }
    using Kind = JsonValue::Kind;
    std::vector<const JsonValue*> top;
    if (doc.kind != Kind::kObject) {
        error = LineError(name, doc.line, "the document must be an object");
        return false;
    }
    if (!Members(doc, {"command", "pages", "summary"}, {"summary"}, top, why)) {
        error = LineError(name, doc.line, why);
        return false;
    }
    if (top[0]->kind != Kind::kString || top[1]->kind != Kind::kArray ||
        (top[2] != nullptr && top[2]->kind != Kind::kObject)) {
        error = LineError(name, doc.line,
                          "\"command\" must be a string, \"pages\" a list and \"summary\" an "
                          "object");
        return false;
    }
    const std::vector<std::string> columns = LayoutWithTimings();
    for (const JsonValue& page : top[1]->items) {
        std::vector<const JsonValue*> members;
        if (page.kind != Kind::kObject) {
            error = LineError(name, page.line, "each page must be an object");
            return false;
        }
        // The older layout has no "page" member; every other page names it.
        const bool old = std::none_of(page.members.begin(), page.members.end(),
                                      [](const auto& m) { return m.first == "page"; });
        const std::vector<std::string>& names = old ? OldLayout() : columns;
        if (!Members(page, names, old ? std::vector<std::string>() : TimingColumns(), members,
                     why)) {
            error = LineError(name, page.line, why);
            return false;
        }
        oldLayout = oldLayout || old;
        Fields fields;
        for (size_t i = 0; i < names.size(); ++i) {
            if (members[i] == nullptr) {
                continue;
            }
            const JsonValue& v = *members[i];
            Field& f = fields[names[i]];
            f.text = v.text;
            f.kind = v.kind == Kind::kNull     ? Field::Kind::kNull
                     : v.kind == Kind::kString ? Field::Kind::kString
                     : v.kind == Kind::kNumber ? Field::Kind::kNumber
                                               : Field::Kind::kOther;
        }
        ReportFileRow row;
        if (!CheckRow(fields, old, row, why)) {
            error = LineError(name, page.line, why);
            return false;
        }
        rows.push_back(row);
    }
    return true;
}

}  // namespace

bool ParseReportFile(const std::string& text, ReportFormat format, const std::string& name,
                     std::vector<ReportFileRow>& rows, bool& oldLayout, std::string& error) {
    rows.clear();
    oldLayout = false;
    if (format == ReportFormat::kCsv) {
        return ParseCsv(text, name, rows, oldLayout, error);
    }
    if (format == ReportFormat::kJson) {
        return ParseJsonReport(text, name, rows, oldLayout, error);
    }
    error = "the report file '" + name + "' must end in .csv or .json";
    return false;
}

bool ReadReportFile(const std::string& path, std::vector<ReportFileRow>& rows, bool& oldLayout,
                    std::string& error) {
    const ReportFormat format = ReportFileFormat(path);
    if (format == ReportFormat::kText) {
        error = "the report file '" + path + "' must end in .csv or .json";
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        error = "cannot open the report " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read the report " + path;
        return false;
    }
    if (!ParseReportFile(text.str(), format, path, rows, oldLayout, error)) {
        return false;
    }
    // Earlier versions wrote paths as given, relative to the folder the
    // command ran in; the current layout's relative paths (written by hand)
    // belong to the report's own folder.
    const std::string base = oldLayout
                                 ? std::filesystem::current_path().string()
                                 : std::filesystem::path(AbsolutePath(path)).parent_path().string();
    for (ReportFileRow& row : rows) {
        row.input = PathFrom(base, row.input);
        if (row.hasOutput) {
            row.output = PathFrom(base, row.output);
        }
    }
    return true;
}

}  // namespace Cli
