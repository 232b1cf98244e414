// PageStatus: the outcome of one page as the reports name it, and the one
// table of those names.
//
// The standard-output reports and the report file write a page's status
// by StatusName; `rotate --from-report` reads it back with ParseStatus and
// decides on the value, so a status is spelled in this one place. The
// names are part of the reports' form and never change.
#pragma once

#include <string_view>

namespace Cli {

enum class PageStatus {
    kRotated,    // auto, rotate: the page was turned
    kUnchanged,  // auto: the page was kept as it was
    kEstimated,  // estimate: the angle was found
    kNotSure,    // precise mode: no trusted angle; the page was kept as it was
    kFailed,     // the page could not be handled
    kSkipped,    // nothing to do (an output there already, a report's row to leave)
};

// The status as the reports write it ("rotated", "not sure", ...).
const char* StatusName(PageStatus status);

// The status named exactly `name`. False for any other text.
bool ParseStatus(std::string_view name, PageStatus& status);

}  // namespace Cli
