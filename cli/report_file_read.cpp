// The reading side of the report file: two small strict readers, one per
// form, that turn the text into fields of one page at a time, and one check
// of those fields shared by both.
//
// CSV: records of exactly seven cells; a cell is either plain (no quote in
// it) or wholly quoted with doubled inner quotes, and may then hold commas
// and line breaks. The first record must be the header. A byte-order mark
// (which spreadsheets put in front) is skipped, and so are empty lines at
// the very end. An empty cell is a missing value.
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
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/json_reader.h"
#include "cli/report_file.h"

namespace Cli {

namespace {

constexpr size_t kColumnCount = 7;

// One page's values before they are checked, in column order.
struct Field {
    enum class Kind { kNull, kString, kNumber, kOther } kind = Kind::kNull;
    std::string text;
};

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

// The statuses `auto` and `estimate` give a page, the commands that write
// report files; "skipped" belongs to `rotate` only.
constexpr PageStatus kReportFileStatuses[] = {PageStatus::kRotated, PageStatus::kUnchanged,
                                              PageStatus::kEstimated, PageStatus::kNotSure,
                                              PageStatus::kFailed};

bool ParseReportFileStatus(const std::string& text, PageStatus& status) {
    return ParseStatus(text, status) &&
           std::find(std::begin(kReportFileStatuses), std::end(kReportFileStatuses), status) !=
               std::end(kReportFileStatuses);
}

// "rotated, unchanged, estimated, not sure, failed"
std::string ReportFileStatusList() {
    std::string list;
    for (const PageStatus s : kReportFileStatuses) {
        list += (list.empty() ? "" : ", ") + std::string(StatusName(s));
    }
    return list;
}

// Checks one page's fields and fills `row`. False with the reason (without
// the line, which the caller adds).
bool CheckRow(const std::vector<Field>& f, ReportFileRow& row, std::string& why) {
    const std::vector<std::string>& columns = ReportFileColumns();
    using Kind = Field::Kind;
    auto isText = [&](size_t i, bool nullable) {
        if (f[i].kind == Kind::kString || (nullable && f[i].kind == Kind::kNull)) {
            return true;
        }
        why = "the " + columns[i] + " must be " + (nullable ? "text or empty" : "text");
        return false;
    };
    auto number = [&](size_t i, bool& present, double& value) {
        present = f[i].kind != Kind::kNull;
        if (!present) {
            return true;
        }
        if (f[i].kind != Kind::kNumber) {
            why = "the " + columns[i] + " must be a number or empty";
            return false;
        }
        if (!ParseNumber(f[i].text, value)) {
            why = "the " + columns[i] + " '" + f[i].text + "' is not a number";
            return false;
        }
        return true;
    };
    if (!isText(0, false) || !isText(1, true) || !isText(2, false) || !isText(5, false) ||
        !isText(6, true) || !number(3, row.hasAngle, row.angle) ||
        !number(4, row.hasConfidence, row.confidence)) {
        return false;
    }
    row.input = f[0].text;
    row.hasOutput = f[1].kind != Kind::kNull;
    row.output = f[1].text;
    row.mode = f[5].text;
    row.hasError = f[6].kind != Kind::kNull;
    row.error = f[6].text;
    if (row.input.empty()) {
        why = "the input is empty";
    } else if (!ParseReportFileStatus(f[2].text, row.status)) {
        why = "the status '" + f[2].text + "' is not one of " + ReportFileStatusList();
    } else if (row.hasConfidence && (row.confidence < 0.0 || row.confidence > 1.0)) {
        why = "the confidence '" + f[4].text + "' is not between 0 and 1";
    } else if (row.mode != "precise" && row.mode != "whole-degrees" && row.mode != "standard") {
        // "standard" is what earlier versions called the whole-degree mode.
        why = "the mode '" + row.mode + "' is not precise or whole-degrees";
    } else {
        return true;
    }
    return false;
}

// ---- CSV ---------------------------------------------------------------

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
              std::string& error) {
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t line = 1;
    std::vector<std::string> cells;
    std::string why;
    bool header = true;
    while (pos < text.size()) {
        if (text.find_first_not_of("\r\n", pos) == std::string::npos) {
            break;  // empty lines at the end
        }
        const size_t recordLine = line;
        if (!CsvRecord(text, pos, line, cells, why)) {
            error = LineError(name, recordLine, why);
            return false;
        }
        if (header) {
            if (cells != ReportFileColumns()) {
                error = LineError(name, recordLine,
                                  "the header must be "
                                  "input,output,status,angle,confidence,mode,error");
                return false;
            }
            header = false;
            continue;
        }
        if (cells.size() != kColumnCount) {
            error = LineError(name, recordLine,
                              std::to_string(cells.size()) +
                                  (cells.size() == 1 ? " cell" : " cells") + " where 7 are needed");
            return false;
        }
        std::vector<Field> fields(kColumnCount);
        for (size_t i = 0; i < kColumnCount; ++i) {
            const bool numeric = i == 3 || i == 4;
            const bool nullable = i == 1 || numeric || i == 6;
            fields[i].text = cells[i];
            fields[i].kind = nullable && cells[i].empty()
                                 ? Field::Kind::kNull
                                 : (numeric ? Field::Kind::kNumber : Field::Kind::kString);
        }
        ReportFileRow row;
        if (!CheckRow(fields, row, why)) {
            error = LineError(name, recordLine, why);
            return false;
        }
        rows.push_back(row);
    }
    if (header) {
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
                     std::vector<ReportFileRow>& rows, std::string& error) {
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
    for (const JsonValue& page : top[1]->items) {
        std::vector<const JsonValue*> members;
        if (page.kind != Kind::kObject) {
            error = LineError(name, page.line, "each page must be an object");
            return false;
        }
        if (!Members(page, ReportFileColumns(), {}, members, why)) {
            error = LineError(name, page.line, why);
            return false;
        }
        std::vector<Field> fields(kColumnCount);
        for (size_t i = 0; i < kColumnCount; ++i) {
            const JsonValue& v = *members[i];
            fields[i].text = v.text;
            fields[i].kind = v.kind == Kind::kNull     ? Field::Kind::kNull
                             : v.kind == Kind::kString ? Field::Kind::kString
                             : v.kind == Kind::kNumber ? Field::Kind::kNumber
                                                       : Field::Kind::kOther;
        }
        ReportFileRow row;
        if (!CheckRow(fields, row, why)) {
            error = LineError(name, page.line, why);
            return false;
        }
        rows.push_back(row);
    }
    return true;
}

}  // namespace

bool ParseReportFile(const std::string& text, ReportFormat format, const std::string& name,
                     std::vector<ReportFileRow>& rows, std::string& error) {
    rows.clear();
    if (format == ReportFormat::kCsv) {
        return ParseCsv(text, name, rows, error);
    }
    if (format == ReportFormat::kJson) {
        return ParseJsonReport(text, name, rows, error);
    }
    error = "the report file '" + name + "' must end in .csv or .json";
    return false;
}

bool ReadReportFile(const std::string& path, std::vector<ReportFileRow>& rows, std::string& error) {
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
    return ParseReportFile(text.str(), format, path, rows, error);
}

}  // namespace Cli
