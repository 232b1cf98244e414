// A small strict JSON reader for the tool's own files (the report file):
// the whole grammar (objects, arrays, strings with every escape, numbers,
// true, false, null) into a tree whose values remember the line they start
// on, so that a caller checking the document's shape can name the line at
// fault. Nothing outside the grammar is accepted.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Cli {

// A byte of a string that is not part of valid UTF-8 (a file name in
// another encoding) travels in JSON as the lone low surrogate of this base
// plus the byte, "\udc80" .. "\udcff", the form Python's surrogateescape
// uses; the writer escapes such bytes so and the reader gives them back.
constexpr unsigned long kRawByteSurrogate = 0xDC80;

struct JsonValue {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
    std::string text;  // string contents (UTF-8), the number as written, or true/false
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in document order
    size_t line = 0;                                         // where the value starts, from 1
};

// Parses the whole of `text`. A lone "\udc80" .. "\udcff" becomes the raw
// byte (see kRawByteSurrogate); any other lone surrogate is refused. False with the line and the
// reason when it is not one JSON document (or nests more than 64 deep).
bool ParseJson(const std::string& text, JsonValue& value, size_t& line, std::string& why);

}  // namespace Cli
