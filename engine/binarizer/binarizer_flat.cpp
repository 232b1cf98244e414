// Flat regions and the page background.
//
// Several binarization methods need to know where the paper is before any
// threshold exists. GetCCInfo finds it by labelling the grey image into flat
// regions: connected pixels whose neighbouring grey values differ by at most
// `regionTolerance`. The largest region is taken as the paper; it becomes
// label 1 and its pixel count and bounding box are recorded in
// `backgroundSizes` and `backgrounds`.
//
// The labelling is a two-pass connected-component labelling on grey values
// rather than on ink flags. Each tile of tileSize x tileSize pixels is
// scanned column by column; a pixel looks at its up, up-left, left and
// down-left neighbours inside the tile, takes the label of the first match
// in that order and records the equivalences in a small per-tile table,
// whose labels are counted from the label counter at the start of the tile.
// Matching on grey values is not transitive (a gradient of one level per
// pixel is a single region although its ends differ by far more than the
// tolerance), so a pixel that only matches its down-left neighbour starts a
// label of its own, and left and up-left are not united with each other.
// The tile is copied transposed into a small buffer first, so that the
// column-by-column scan reads memory in order.
//
// After all tiles, the pixels on both sides of every tile border are
// compared and matching labels are united in one large table; resolving it
// maps every label to the smallest label of its class.
//
// The label counter is limited to kMaxFlatLabels. A very noisy page can
// reach it; from then on no label is issued and the remaining pixels keep
// label 0 (no region), which every later step skips.
#include <algorithm>
#include <cstdlib>
#include <queue>
#include <utility>
#include <vector>

#include "engine/binarizer/binarizer.h"
#include "engine/components/equivalence_table.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

// Most labels the flat-region labelling issues over the whole image.
constexpr uint32_t kMaxFlatLabels = 1048576;

// Empty-box start values, widened to cover the region's pixels.
constexpr uint16_t kBoxStartFirst = 65535;

bool Matches(uint8_t a, uint8_t b, int32_t tolerance) {
    return std::abs(static_cast<int32_t>(a) - static_cast<int32_t>(b)) <= tolerance;
}

// Unites two labels of the border table; label 0 marks a pixel that got no
// label and takes part in nothing.
void UniteIfLabelled(EquivalenceTable& table, uint32_t a, uint32_t b) {
    if (a != 0 && b != 0 && a != b) {
        table.Union(a, b);
    }
}

}  // namespace

void Binarizer::LabelTile(uint32_t& counter, const RegionRect& tile) {
    const uint32_t base = counter;
    const uint32_t rows = static_cast<uint32_t>(tile.lastRow - tile.firstRow + 1);
    const uint32_t cols = static_cast<uint32_t>(tile.lastCol - tile.firstCol + 1);
    const uint32_t room = kMaxFlatLabels - base;  // labels still available
    EquivalenceTable table(tileSize * tileSize + 1);
    const int32_t tol = regionTolerance;

    // The tile is scanned column by column; a transposed copy makes that
    // scan sequential in memory. Labels here count from 1 within the tile
    // (the tile table's labels); 0 is no label.
    std::vector<uint8_t> g(static_cast<size_t>(rows) * cols);
    std::vector<uint32_t> lab(g.size(), 0);
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* src = grey.rows[tile.firstRow + r] + tile.firstCol;
        for (uint32_t c = 0; c < cols; ++c) {
            g[static_cast<size_t>(c) * rows + r] = src[c];
        }
    }

    uint32_t issued = 0;
    bool exhausted = false;
    for (uint32_t c = 0; c < cols && !exhausted; ++c) {
        const bool hasLeft = c > 0;
        const size_t column = static_cast<size_t>(c) * rows;
        for (uint32_t r = 0; r < rows; ++r) {
            const size_t i = column + r;
            const size_t left = i - rows;  // used only when hasLeft
            const uint8_t v = g[i];
            const bool hasUp = r > 0;
            const bool upMatch = hasUp && Matches(v, g[i - 1], tol);
            const bool upLeftMatch = hasUp && hasLeft && Matches(v, g[left - 1], tol);
            const bool leftMatch = hasLeft && Matches(v, g[left], tol);
            const bool downLeftMatch = hasLeft && r + 1 < rows && Matches(v, g[left + 1], tol);
            if (upMatch) {
                const uint32_t l = lab[i - 1];
                lab[i] = l;
                if (upLeftMatch && lab[left - 1] != l) {
                    table.Union(lab[left - 1], l);
                }
                if (leftMatch && lab[left] != l) {
                    table.Union(lab[left], l);
                }
                if (downLeftMatch && lab[left + 1] != l) {
                    table.Union(lab[left + 1], l);
                }
            } else if (upLeftMatch) {
                const uint32_t l = lab[left - 1];
                lab[i] = l;
                if (downLeftMatch && lab[left + 1] != l) {
                    table.Union(lab[left + 1], l);
                }
            } else if (leftMatch) {
                lab[i] = lab[left];
            } else {
                if (issued >= room) {
                    exhausted = true;
                    break;
                }
                lab[i] = ++issued;
            }
        }
    }
    counter = base + issued;

    // Every label of a class becomes the class's smallest label, counted on
    // from the labels of the earlier tiles. Pixels left without a label by
    // the label limit stay unlabelled (0).
    const std::vector<uint32_t> map = table.MinimumMap(issued);
    for (uint32_t r = 0; r < rows; ++r) {
        uint32_t* dst = labels.rows[tile.firstRow + r] + tile.firstCol;
        for (uint32_t c = 0; c < cols; ++c) {
            const uint32_t l = lab[static_cast<size_t>(c) * rows + r];
            dst[c] = l == 0 ? 0 : base + (map[l] != 0 ? map[l] : l);
        }
    }
}

void Binarizer::LabelFlatRegions(uint32_t& counter) {
    counter = 0;
    for (uint32_t r0 = 0; r0 < height; r0 += tileSize) {
        for (uint32_t c0 = 0; c0 < width; c0 += tileSize) {
            RegionRect tile;
            tile.firstRow = static_cast<uint16_t>(r0);
            tile.lastRow = static_cast<uint16_t>(std::min(r0 + tileSize, height) - 1);
            tile.firstCol = static_cast<uint16_t>(c0);
            tile.lastCol = static_cast<uint16_t>(std::min(c0 + tileSize, width) - 1);
            LabelTile(counter, tile);
        }
    }

    EquivalenceTable border(kMaxFlatLabels);
    const int32_t tol = regionTolerance;
    uint32_t** lab = labels.rows;
    uint8_t** g = grey.rows;

    // Horizontal tile borders: row r against row r - 1, columns c - 1 .. c + 1.
    for (uint32_t r = tileSize; r < height; r += tileSize) {
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t cFirst = c > 0 ? c - 1 : 0;
            const uint32_t cLast = c + 1 < width ? c + 1 : c;
            for (uint32_t cc = cFirst; cc <= cLast; ++cc) {
                if (Matches(g[r][c], g[r - 1][cc], tol)) {
                    UniteIfLabelled(border, lab[r][c], lab[r - 1][cc]);
                }
            }
        }
    }
    // Vertical tile borders: column c against column c - 1, rows r - 1 .. r + 1.
    for (uint32_t c = tileSize; c < width; c += tileSize) {
        for (uint32_t r = 0; r < height; ++r) {
            const uint32_t rFirst = r > 0 ? r - 1 : 0;
            const uint32_t rLast = r + 1 < height ? r + 1 : r;
            for (uint32_t rr = rFirst; rr <= rLast; ++rr) {
                if (Matches(g[r][c], g[rr][c - 1], tol)) {
                    UniteIfLabelled(border, lab[r][c], lab[rr][c - 1]);
                }
            }
        }
    }

    const std::vector<uint32_t> map = border.MinimumMap(counter);
    uint32_t* p = labels.Data();
    const size_t n = labels.ElementCount();
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != 0 && map[p[i]] != 0) {
            p[i] = map[p[i]];
        }
    }
}

void Binarizer::GetCCInfo() {
    SKEWMEND_TIMED("Binarizer::GetCCInfo");
    if (ccInfoDone) {
        return;
    }
    labels.Resize(height, width);
    uint32_t counter = 0;
    LabelFlatRegions(counter);

    std::vector<uint32_t> counts(static_cast<size_t>(counter) + 1, 0);
    uint32_t* p = labels.Data();
    const size_t n = labels.ElementCount();
    for (size_t i = 0; i < n; ++i) {
        ++counts[p[i]];
    }

    // Bounded min-heap of (count, label): the top is the smallest count and,
    // among equal counts, the earliest label, so a later label displaces an
    // earlier one of the same size. Labels without pixels (united away) are
    // not regions and take no place.
    using Entry = std::pair<uint32_t, uint32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
    const size_t keep = backgroundCount > 0 ? static_cast<size_t>(backgroundCount) : 0;
    for (uint32_t l = 1; l <= counter && keep > 0; ++l) {
        if (counts[l] == 0) {
            continue;
        }
        heap.push(Entry(counts[l], l));
        if (heap.size() > keep) {
            heap.pop();
        }
    }
    // Popping yields smallest first; filling from the back gives largest first.
    std::vector<Entry> kept(heap.size());
    for (size_t i = kept.size(); i > 0; --i) {
        kept[i - 1] = heap.top();
        heap.pop();
    }

    // Kept region i becomes label i + 1; an old label j <= kept.size() that
    // was not kept moves out of the way to counter + j.
    const uint32_t keptCount = static_cast<uint32_t>(kept.size());
    std::vector<uint32_t> map(static_cast<size_t>(counter) + 1);
    for (uint32_t l = 0; l <= counter; ++l) {
        map[l] = l;
    }
    for (uint32_t j = 1; j <= keptCount && j <= counter; ++j) {
        map[j] = counter + j;
    }
    for (uint32_t i = 0; i < keptCount; ++i) {
        map[kept[i].second] = i + 1;
    }
    backgroundSizes.clear();
    backgrounds.clear();
    for (const Entry& e : kept) {
        backgroundSizes.push_back(e.first);
        RegionRect box;
        box.firstRow = kBoxStartFirst;
        box.lastRow = 0;
        box.firstCol = kBoxStartFirst;
        box.lastCol = 0;
        backgrounds.push_back(box);
    }

    // One pass rewrites the labels and finds the kept regions' boxes: within
    // a row the first and the last column of each kept label, merged into
    // its box at the end of the row.
    std::vector<uint32_t> rowFirst(keptCount);
    std::vector<uint32_t> rowLast(keptCount);
    std::vector<uint8_t> inRow(keptCount);
    for (uint32_t r = 0; r < height; ++r) {
        uint32_t* row = labels.rows[r];
        std::fill(inRow.begin(), inRow.end(), uint8_t{0});
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t l = map[row[c]];
            row[c] = l;
            const uint32_t k = l - 1;  // wraps for label 0
            if (k < keptCount) {
                if (inRow[k] == 0) {
                    inRow[k] = 1;
                    rowFirst[k] = c;
                }
                rowLast[k] = c;
            }
        }
        for (uint32_t k = 0; k < keptCount; ++k) {
            if (inRow[k] == 0) {
                continue;
            }
            RegionRect& box = backgrounds[k];
            box.firstRow = std::min(box.firstRow, static_cast<uint16_t>(r));
            box.lastRow = static_cast<uint16_t>(r);
            box.firstCol = std::min(box.firstCol, static_cast<uint16_t>(rowFirst[k]));
            box.lastCol = std::max(box.lastCol, static_cast<uint16_t>(rowLast[k]));
        }
    }
    ccInfoDone = true;
}

}  // namespace Skewmend
