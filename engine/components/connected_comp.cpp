// Two-pass labelling of the ink of a page mask.
//
// First pass. Columns x = 1 .. width-2 are scanned left to right and, within
// a column, rows y = 1 .. height-2 top to bottom; the outermost rows and
// columns are never labelled. An ink pixel looks at its already visited
// neighbours up U, upper-left UL, left L and lower-left DL and takes the
// first case that applies: U's label (recording UL, L and DL where they are
// labelled differently), else UL's label (recording DL), else L's label,
// else a new label. DL alone therefore does not link: a pixel whose only
// labelled neighbour is its lower-left one starts a label of its own, and
// the two come together only if a later pixel joins them. When maxLabels
// labels are in use and another is needed, the scan stops in that column,
// which becomes lastColumn, and the pass reports false.
//
// Second pass. Every class of the equivalence table is mapped to its
// smallest label. With renumbering the classes are numbered 1, 2, ... in the
// order of their smallest label, that is of their first pixel in the scan,
// and those past maxComponents are dropped (label 0); without renumbering
// every label just becomes the smallest of its class and the count stays.
//
// Layout. The mask is row-major, the scan column-major, and every neighbour
// lies in the current or the previous column. So the mask is first
// transposed into one bit column per image column, the scan walks the set
// bits of a column word by word, and the labels of the current and the
// previous column are kept in two small arrays; the label plane itself is
// only written at ink pixels. The result is the label plane the plain
// column-by-column loop produces, bit for bit.
#include "engine/components/connected_comp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/diagnostics.h"

namespace Skewmend {

namespace {}  // namespace

ConnectedComp::ConnectedComp(const PixelMask& pageMask, uint16_t rows, uint16_t cols,
                             uint32_t maxLabelCount, uint32_t maxComponentCount)
    : mask(pageMask),
      height(rows),
      width(cols),
      maxLabels(maxLabelCount),
      maxComponents(maxComponentCount) {}

bool ConnectedComp::BuildCC() {
    SKEWMEND_TIMED("ConnectedComp::BuildCC");
    EquivalenceTable table(maxLabels);
    labelCount = 0;
    lastColumn = 0;
    const bool ok = LabelPass(labels, table, labelCount, lastColumn);
    ResolveLabels(table, labelCount, lastColumn, labels);
    return ok;
}

bool ConnectedComp::LabelPass(BmpBase::Plane32& labelPlane, EquivalenceTable& table,
                              uint32_t& count, uint16_t& lastCol) {
    const uint32_t rows = height;
    const uint32_t cols = width;
    labelPlane.Resize(rows, cols);
    lastCol = cols < 3 ? 0 : static_cast<uint16_t>(cols - 2);
    if (mask.size() < static_cast<size_t>(rows) * cols) {
        Log("ConnectedComp: the mask holds ", mask.size(), " flags, fewer than ", rows, " x ",
            cols);
        lastCol = 0;
        return false;
    }
    if (rows < 3 || cols < 3) {
        return true;  // no interior pixel
    }

    // Bit column x holds the interior flags of image column x, row y in
    // bit y of the column.
    const size_t columnWords = (rows + 63) / 64;
    std::vector<uint64_t> columnBits(columnWords * cols, 0);
    for (uint32_t y = 1; y + 1 < rows; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * cols;
        const uint64_t bit = uint64_t{1} << (y & 63);
        uint64_t* base = columnBits.data() + (y >> 6);
        mask.ForEachSet(rowStart + 1, rowStart + cols - 1,
                        [&](size_t i) { base[(i - rowStart) * columnWords] |= bit; });
    }

    // Labels of the previous and the current column, one entry per row.
    std::vector<uint32_t> previous(rows, 0);
    std::vector<uint32_t> current(rows, 0);
    uint32_t** out = labelPlane.rows;
    for (uint32_t x = 1; x + 1 < cols; ++x) {
        std::fill(current.begin(), current.end(), 0);
        const uint64_t* column = columnBits.data() + static_cast<size_t>(x) * columnWords;
        for (size_t w = 0; w < columnWords; ++w) {
            uint64_t bits = column[w];
            while (bits != 0) {
                const size_t y = w * 64 + static_cast<size_t>(__builtin_ctzll(bits));
                bits &= bits - 1;
                const uint32_t up = current[y - 1];
                const uint32_t upLeft = previous[y - 1];
                const uint32_t left = previous[y];
                const uint32_t downLeft = previous[y + 1];
                uint32_t label;
                if (up != 0) {
                    label = up;
                    if (upLeft != 0 && upLeft != up) {
                        table.Union(upLeft, up);
                    }
                    if (left != 0 && left != up) {
                        table.Union(left, up);
                    }
                    if (downLeft != 0 && downLeft != up) {
                        table.Union(downLeft, up);
                    }
                } else if (upLeft != 0) {
                    label = upLeft;
                    if (downLeft != 0 && downLeft != upLeft) {
                        table.Union(downLeft, upLeft);
                    }
                } else if (left != 0) {
                    label = left;
                } else {
                    if (count == maxLabels) {
                        lastCol = static_cast<uint16_t>(x);
                        return false;
                    }
                    label = ++count;
                }
                current[y] = label;
                out[y][x] = label;
            }
        }
        previous.swap(current);
    }
    return true;
}

void ConnectedComp::ResolveLabels(EquivalenceTable& table, uint32_t& count, uint16_t lastCol,
                                  BmpBase::Plane32& labelPlane) const {
    const uint32_t rows = height;
    const uint32_t cols = width;
    std::vector<uint32_t> map = table.MinimumMap(count);

    const bool renumber = maxComponents != kNoRenumbering;
    if (renumber) {
        uint32_t counter = 0;
        uint32_t lastNumbered = 0;
        for (uint32_t l = 1; l <= count; ++l) {
            if (map[l] != 0) {
                map[l] = map[map[l]];
            } else {
                ++counter;
                map[l] = counter;
                if (counter == maxComponents) {
                    lastNumbered = l;
                    break;
                }
            }
        }
        if (lastNumbered != 0) {
            for (uint32_t l = lastNumbered + 1; l <= count; ++l) {
                if (map[l] != 0 && map[l] <= lastNumbered) {
                    map[l] = map[map[l]];
                } else {
                    map[l] = 0;
                }
            }
        }
        count = counter;
    }

    // Only a plane of the mask's size, with its interior columns, is relabelled.
    if (rows < 3 || cols < 3 || labelPlane.rows == nullptr || labelPlane.height != rows ||
        labelPlane.width != cols || mask.size() < static_cast<size_t>(rows) * cols) {
        return;
    }
    const uint32_t lastX = std::min<uint32_t>(lastCol, cols - 2);
    const size_t mapSize = map.size();
    for (uint32_t y = 1; y + 1 < rows; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * cols;
        uint32_t* row = labelPlane.rows[y];
        mask.ForEachSet(rowStart + 1, rowStart + lastX + 1, [&](size_t i) {
            uint32_t& label = row[i - rowStart];
            if (label >= mapSize) {
                return;  // not a label of this resolution: left as it is
            }
            const uint32_t mapped = map[label];
            if (renumber || mapped != 0) {
                label = mapped;
            }
        });
    }
}

}  // namespace Skewmend
