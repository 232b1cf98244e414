// Running the built skewmend binary from the tests, and reading its reports
// back: a minimal JSON reader and a CSV splitter, strict enough that a
// malformed report fails the test.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace CliTest {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs skewmend with `args` (each passed as one argument) in `workDir`,
// with the file `stdinPath` as standard input when one is named.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& workDir,
                const std::string& stdinPath = std::string());

// A parsed JSON value.
struct Json {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
    bool flag = false;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t i) const { return items.at(i); }
};

// Parses a whole JSON document; false when it is not one.
bool ParseJson(const std::string& text, Json& value);

// Splits an RFC 4180 CSV text (CRLF or LF line ends) into rows of cells.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);

// The index of the column `name` in the CSV header `header`; the header's
// size when it has no such column.
size_t Column(const std::vector<std::string>& header, const std::string& name);

}  // namespace CliTest
