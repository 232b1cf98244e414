#include "pictconv/xmp_packet.h"

namespace Pictconv {

namespace {

constexpr char kProperty[] = "tiff:Orientation";

// The position of the value after a property name that ends at `at`: the
// attribute form (`="6"` or `='6'`, spaces allowed around `=`) or the
// element form (`>6<`). npos when neither follows.
size_t ValueAfter(const std::string& xmp, size_t at) {
    while (at < xmp.size() &&
           (xmp[at] == ' ' || xmp[at] == '\t' || xmp[at] == '\n' || xmp[at] == '\r')) {
        ++at;
    }
    if (at >= xmp.size()) {
        return std::string::npos;
    }
    if (xmp[at] == '>') {
        return at + 1;
    }
    if (xmp[at] != '=') {
        return std::string::npos;
    }
    ++at;
    while (at < xmp.size() && (xmp[at] == ' ' || xmp[at] == '\t')) {
        ++at;
    }
    if (at < xmp.size() && (xmp[at] == '"' || xmp[at] == '\'')) {
        return at + 1;
    }
    return std::string::npos;
}

}  // namespace

int SetXmpOrientationUpright(std::string& xmp) {
    int changed = 0;
    const size_t nameLength = sizeof kProperty - 1;
    for (size_t at = xmp.find(kProperty); at != std::string::npos;
         at = xmp.find(kProperty, at + nameLength)) {
        const size_t value = ValueAfter(xmp, at + nameLength);
        if (value == std::string::npos || value + 1 >= xmp.size()) {
            continue;
        }
        const char digit = xmp[value];
        const char after = xmp[value + 1];
        const bool single = after == '"' || after == '\'' || after == '<';
        if (single && digit >= '2' && digit <= '8') {
            xmp[value] = '1';
            ++changed;
        }
    }
    return changed;
}

}  // namespace Pictconv
