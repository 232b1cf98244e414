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

#include "binarizer/binarizer.h"
#include "components/equivalence_table.h"
#include "diagnostics.h"

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
    EquivalenceTable table(tileSize * tileSize + 1);
    const int32_t tol = regionTolerance;
    uint32_t** lab = labels.rows;
    uint8_t** g = grey.rows;

    bool exhausted = false;
    for (uint32_t c = tile.firstCol; c <= tile.lastCol && !exhausted; ++c) {
        const bool hasLeft = c > tile.firstCol;
        for (uint32_t r = tile.firstRow; r <= tile.lastRow; ++r) {
            const uint8_t v = g[r][c];
            const bool hasUp = r > tile.firstRow;
            const bool upMatch = hasUp && Matches(v, g[r - 1][c], tol);
            const bool upLeftMatch = hasUp && hasLeft && Matches(v, g[r - 1][c - 1], tol);
            const bool leftMatch = hasLeft && Matches(v, g[r][c - 1], tol);
            const bool downLeftMatch =
                hasLeft && r < tile.lastRow && Matches(v, g[r + 1][c - 1], tol);
            if (upMatch) {
                const uint32_t l = lab[r - 1][c];
                lab[r][c] = l;
                if (upLeftMatch && lab[r - 1][c - 1] != l) {
                    table.Union(lab[r - 1][c - 1] - base, l - base);
                }
                if (leftMatch && lab[r][c - 1] != l) {
                    table.Union(lab[r][c - 1] - base, l - base);
                }
                if (downLeftMatch && lab[r + 1][c - 1] != l) {
                    table.Union(lab[r + 1][c - 1] - base, l - base);
                }
            } else if (upLeftMatch) {
                const uint32_t l = lab[r - 1][c - 1];
                lab[r][c] = l;
                if (downLeftMatch && lab[r + 1][c - 1] != l) {
                    table.Union(lab[r + 1][c - 1] - base, l - base);
                }
            } else if (leftMatch) {
                lab[r][c] = lab[r][c - 1];
            } else {
                if (counter >= kMaxFlatLabels) {
                    exhausted = true;
                    break;
                }
                ++counter;
                lab[r][c] = counter;
            }
        }
    }

    // Every label of a class becomes the class's smallest label. Pixels left
    // at 0 by the label limit stay unlabelled.
    const std::vector<uint32_t> map = table.MinimumMap(counter - base);
    for (uint32_t r = tile.firstRow; r <= tile.lastRow; ++r) {
        for (uint32_t c = tile.firstCol; c <= tile.lastCol; ++c) {
            const uint32_t l = lab[r][c];
            if (l != 0 && map[l - base] != 0) {
                lab[r][c] = base + map[l - base];
            }
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
    for (size_t i = 0; i < n; ++i) {
        p[i] = map[p[i]];
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
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t* row = labels.rows[r];
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t l = row[c];
            if (l == 0 || l > keptCount) {
                continue;
            }
            RegionRect& box = backgrounds[l - 1];
            box.firstRow = std::min(box.firstRow, static_cast<uint16_t>(r));
            box.lastRow = std::max(box.lastRow, static_cast<uint16_t>(r));
            box.firstCol = std::min(box.firstCol, static_cast<uint16_t>(c));
            box.lastCol = std::max(box.lastCol, static_cast<uint16_t>(c));
        }
    }
    ccInfoDone = true;
}

}  // namespace Skewmend
