// Label-equivalence store of the connected-component labellings.
//
// Every label 0 .. capacity has an entry naming its class by index into the
// list of classes (kNoClass while it has none). Indices stay valid however
// many classes are added later, which is all the labellers need: a label
// finds its class in one step, without a find-and-compress walk. A union of
// two classes moves the members of the second, in order, to the end of the
// first and repoints their entries; the second class stays in the list,
// empty, so the creation order of the classes never changes.
#include "engine/components/equivalence_table.h"

#include <algorithm>

#include "engine/diagnostics.h"

namespace Skewmend {

EquivalenceTable::EquivalenceTable(uint32_t capacity)
    : capacity_(capacity), classOf_(static_cast<size_t>(capacity) + 1, kNoClass) {}

void EquivalenceTable::Union(uint32_t a, uint32_t b) {
    if (a > capacity_ || b > capacity_) {
        AssertFail(".\\EquivalenceTable", __LINE__);
    }
    if (a == b) {
        return;  // a label is always equivalent to itself
    }
    const uint32_t ca = classOf_[a];
    const uint32_t cb = classOf_[b];
    if (ca == cb && ca != kNoClass) {
        return;
    }
    if (ca == kNoClass && cb == kNoClass) {
        const auto index = static_cast<uint32_t>(classes_.size());
        classes_.push_back({a, b});
        classOf_[a] = index;
        classOf_[b] = index;
    } else if (ca == kNoClass) {
        classes_[cb].push_back(a);
        classOf_[a] = cb;
    } else if (cb == kNoClass) {
        classes_[ca].push_back(b);
        classOf_[b] = ca;
    } else {
        std::vector<uint32_t>& into = classes_[ca];
        std::vector<uint32_t>& from = classes_[cb];
        for (uint32_t label : from) {
            classOf_[label] = ca;
        }
        into.insert(into.end(), from.begin(), from.end());
        std::vector<uint32_t>().swap(from);
    }
}

std::vector<uint32_t> EquivalenceTable::MinimumMap(uint32_t labelCount) const {
    std::vector<uint32_t> map(static_cast<size_t>(labelCount) + 1, 0);
    for (const std::vector<uint32_t>& members : classes_) {
        if (members.empty()) {
            continue;
        }
        const uint32_t smallest = *std::min_element(members.begin(), members.end());
        for (uint32_t label : members) {
            if (label != smallest && label <= labelCount) {
                map[label] = smallest;
            }
        }
    }
    return map;
}

}  // namespace Skewmend
