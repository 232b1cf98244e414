// ReportWriter: the per-page report of a batch in one of three forms, on
// one stream (standard output), rows in input order.
//
//   text  one human-readable line per page, then a summary line
//   json  {"command": ..., "pages": [ {field: value, ...}, ... ],
//          "summary": {...}}, written incrementally
//   csv   a header of the column names, then one row per page (RFC 4180
//         quoting, LF line ends); no summary row, so every row has the
//         same shape
//
// Rows are lists of named values; the column list fixed at construction
// orders the CSV columns (a field missing from a row is an empty cell). New
// report fields are new entries in the rows and the column list.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace Cli {

struct ReportValue {
    enum class Kind { kNull, kString, kInt, kBool, kNumber };
    Kind kind = Kind::kNull;
    std::string text;
    long long integer = 0;
    bool flag = false;
    double number = 0.0;
    // Digits after the point for kNumber; kShortest for the shortest
    // decimal form that reads back as the same double.
    int decimals = 2;
    static constexpr int kShortest = -1;

    static ReportValue Null() { return {}; }
    static ReportValue String(std::string s);
    static ReportValue Int(long long v);
    static ReportValue Bool(bool v);
    static ReportValue Number(double v, int decimals);
};

struct ReportField {
    std::string key;
    ReportValue value;
};
using ReportRow = std::vector<ReportField>;

class ReportWriter {
  public:
    ReportWriter(ReportFormat format, std::ostream& out, std::string command,
                 std::vector<std::string> columns);

    void Begin();
    // `text` is the row's line in the text form (without newline).
    void Row(const ReportRow& row, const std::string& text);
    // A line of the text form only (a file's summary); nothing in the others.
    void Line(const std::string& text);
    // `text` is the summary line in the text form.
    void End(const ReportRow& summary, const std::string& text);

    static std::string JsonString(const std::string& s);
    static std::string CsvCell(const std::string& s);

  private:
    static std::string JsonValue(const ReportValue& v);
    static std::string PlainValue(const ReportValue& v);
    static std::string JsonObject(const ReportRow& row);

    ReportFormat format_;
    std::ostream& out_;
    std::string command_;
    std::vector<std::string> columns_;
    size_t rows_ = 0;
};

}  // namespace Cli
