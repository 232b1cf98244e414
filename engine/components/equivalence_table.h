// EquivalenceTable: records which labels of a connected-component labelling
// name the same component.
//
// Built with a capacity N, it holds labels 1 .. N. Union(a, b) puts two
// labels into one class: a new class for two classless labels, the classless
// label appended to the other's class, or the second class moved in order to
// the end of the first (the absorbed class stays behind, empty). Classes are
// kept in creation order and never removed; each label belongs to at most
// one class. A label knows its class directly, so no find step is needed; a
// union costs time proportional to the absorbed class.
#pragma once

#include <cstdint>
#include <vector>

namespace Skewmend {

class EquivalenceTable {
  public:
    explicit EquivalenceTable(uint32_t capacity);

    // Records that labels a and b (1 .. capacity) belong together.
    void Union(uint32_t a, uint32_t b);

    uint32_t Capacity() const { return capacity_; }

    // Classes in creation order; absorbed classes are empty.
    const std::vector<std::vector<uint32_t>>& Classes() const { return classes_; }

    // map[l] = the smallest label of l's class for every other member of a
    // class; 0 for class minima and labels without a class. The map has
    // `labelCount` + 1 entries; labels above labelCount are ignored.
    std::vector<uint32_t> MinimumMap(uint32_t labelCount) const;

  private:
    static constexpr uint32_t kNoClass = UINT32_MAX;

    uint32_t capacity_;
    std::vector<uint32_t> classOf_;  // entry per label 0 .. capacity
    std::vector<std::vector<uint32_t>> classes_;
};

}  // namespace Skewmend
