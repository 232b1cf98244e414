#include "cli/page_status.h"

namespace Cli {

namespace {

struct StatusEntry {
    PageStatus status;
    const char* name;
};

constexpr StatusEntry kStatusNames[] = {
    {PageStatus::kRotated, "rotated"},     {PageStatus::kUnchanged, "unchanged"},
    {PageStatus::kEstimated, "estimated"}, {PageStatus::kNotSure, "not sure"},
    {PageStatus::kFailed, "failed"},       {PageStatus::kSkipped, "skipped"},
};

}  // namespace

const char* StatusName(PageStatus status) {
    for (const StatusEntry& e : kStatusNames) {
        if (e.status == status) {
            return e.name;
        }
    }
    return "";
}

bool ParseStatus(std::string_view name, PageStatus& status) {
    for (const StatusEntry& e : kStatusNames) {
        if (name == e.name) {
            status = e.status;
            return true;
        }
    }
    return false;
}

}  // namespace Cli
