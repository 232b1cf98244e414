// Component measurement: from the cropped mask to a clean list of ink
// components (centroid, pixel count, radius).
//
// The mask is labelled (at most 1024 components). Each component is measured:
// its centroid (mean row and column), its pixel count and its radius (the
// largest distance from the centroid to one of its pixels). Components whose
// radius exceeds four times the median radius (pictures, rules, frames) are
// erased from the mask and the grey image, so the density refinement does not
// see them either; components heavier than eight times the median pixel count
// are only dropped from the list. A small component whose radius is at most
// 0.6 times that of its nearest neighbour is joined to it when it lies within
// the neighbour's radius (the dot of an i), and left out otherwise (a speck).
// The joins are resolved on the label plane without renumbering, and the
// components are measured again. Nearest neighbours are found with
// NearestCentroid, which gives the full scan's answer without visiting
// every pair.
//
// Every per-pixel loop covers rows 1 .. height - 2 and columns
// 1 .. lastColumn, the part the labeller visited. Centroid sums are 64-bit,
// so no page within the size limits overflows them.
#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/components/connected_comp.h"
#include "engine/components/equivalence_table.h"
#include "engine/deskew/deskewer.h"
#include "engine/deskew/nearest_centroid.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

constexpr double kTooBigRadiusFactor = 4.0;
constexpr double kTooHeavyCountFactor = 8.0;
constexpr double kFragmentRadiusRatio = 0.6;

enum class Verdict : uint8_t { kKept, kTooBig, kTooHeavy };

// Calls visit(y, x, label) for every ink pixel the labeller covered, row by
// row and left to right within a row. The set flags of each row's stretch of
// the packed mask are walked a word at a time, so paper costs next to
// nothing.
template <typename Visit>
void ForEachInkPixel(const PixelMask& mask, uint16_t height, uint16_t width, uint32_t lastColumn,
                     const BmpBase::Plane32& labels, Visit visit) {
    const int32_t lastRow = static_cast<int32_t>(height) - 2;
    const auto lastCol =
        static_cast<int32_t>(std::min<uint32_t>(lastColumn, width > 0 ? width - 1u : 0u));
    if (lastCol < 1) {
        return;
    }
    for (int32_t y = 1; y <= lastRow; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * width;
        const uint32_t* labelRow = labels.rows[y];
        mask.ForEachSet(rowStart + 1, rowStart + static_cast<size_t>(lastCol) + 1, [&](size_t i) {
            const auto x = static_cast<int32_t>(i - rowStart);
            visit(y, x, labelRow[x]);
        });
    }
}

}  // namespace

bool Deskewer::GetAllCCCentroids(std::vector<Point>& centroids, std::vector<uint32_t>& pixelCounts,
                                 std::vector<double>& radii) {
    SKEWMEND_TIMED("Deskewer::GetAllCCCentroids");
    BmpBase::Plane32 labels;
    uint32_t n = 0;
    LabelComponents(labels, n);

    std::vector<Point> centroid;
    std::vector<uint32_t> count;
    std::vector<double> radius;
    uint32_t validCount = 0;
    ComputeCentroids(n, labels, centroid, count, validCount);
    if (validCount < 2) {
        return false;
    }
    ComputeRadii(n, labels, centroid, radius);
    FilterComponents(radius, n, labels, count, validCount);
    if (validCount < 2) {
        return false;
    }
    std::vector<bool> marked(n + 1, false);
    MergeComponents(centroid, n, count, radius, labels, marked);
    ComputeCentroids(n, labels, centroid, count, validCount);
    if (validCount < 2) {
        return false;
    }
    ComputeRadii(n, labels, centroid, radius);

    centroids.clear();
    pixelCounts.clear();
    radii.clear();
    for (uint32_t k = 1; k <= n; ++k) {
        if (!marked[k] && count[k] != 0) {
            centroids.push_back(centroid[k]);
            pixelCounts.push_back(count[k]);
            radii.push_back(radius[k]);
        }
    }
    return true;
}

void Deskewer::LabelComponents(BmpBase::Plane32& labels, uint32_t& n) {
    ConnectedComp cc(mask, height, width, kMaxProvisionalLabels, kMaxComponents);
    cc.BuildCC();
    labels = std::move(cc.labels);
    n = cc.labelCount;
    lastColumn = cc.lastColumn;
}

void Deskewer::ComputeCentroids(uint32_t n, const BmpBase::Plane32& labels,
                                std::vector<Point>& centroid, std::vector<uint32_t>& count,
                                uint32_t& validCount) const {
    std::vector<uint64_t> sumRow(n + 1, 0), sumCol(n + 1, 0);
    std::vector<uint32_t> pixels(n + 1, 0);
    // Consecutive ink pixels mostly share a label: their sums are gathered
    // in locals and added to the component's totals when the label changes
    // (integer sums, so the totals are the same in any grouping).
    uint32_t runLabel = 0;
    uint64_t runRow = 0;
    uint64_t runCol = 0;
    uint32_t runPixels = 0;
    auto flush = [&] {
        sumRow[runLabel] += runRow;
        sumCol[runLabel] += runCol;
        pixels[runLabel] += runPixels;
    };
    ForEachInkPixel(mask, height, width, lastColumn, labels, [&](int32_t y, int32_t x, uint32_t l) {
        if (l != runLabel) {
            flush();
            runLabel = l;
            runRow = 0;
            runCol = 0;
            runPixels = 0;
        }
        runRow += static_cast<uint64_t>(y);
        runCol += static_cast<uint64_t>(x);
        runPixels += 1;
    });
    flush();
    centroid.assign(n + 1, Point{});
    count.assign(n + 1, 0);
    validCount = 0;
    for (uint32_t k = 1; k <= n; ++k) {
        if (pixels[k] > 0) {
            centroid[k].row = static_cast<double>(sumRow[k]) / static_cast<double>(pixels[k]);
            centroid[k].column = static_cast<double>(sumCol[k]) / static_cast<double>(pixels[k]);
            count[k] = pixels[k];
            validCount += 1;
        }
    }
}

void Deskewer::ComputeRadii(uint32_t n, const BmpBase::Plane32& labels,
                            const std::vector<Point>& centroid, std::vector<double>& radius) const {
    radius.assign(n + 1, 0.0);
    // The largest squared distance of a run of pixels of one label is kept
    // in a local and stored when the label changes; a maximum does not
    // depend on the order its values are seen in.
    uint32_t runLabel = 0;
    double runMax = 0.0;
    double runRow = centroid[0].row;
    double runCol = centroid[0].column;
    ForEachInkPixel(mask, height, width, lastColumn, labels, [&](int32_t y, int32_t x, uint32_t l) {
        if (l != runLabel) {
            radius[runLabel] = runMax;
            runLabel = l;
            runMax = radius[l];
            runRow = centroid[l].row;
            runCol = centroid[l].column;
        }
        const double dx = x - runCol;
        const double dy = y - runRow;
        const double d2 = dx * dx + dy * dy;
        if (d2 > runMax) {
            runMax = d2;
        }
    });
    radius[runLabel] = runMax;
    for (double& r : radius) {
        r = std::sqrt(r);
    }
}

void Deskewer::FilterComponents(const std::vector<double>& radius, uint32_t n,
                                BmpBase::Plane32& labels, std::vector<uint32_t>& count,
                                uint32_t& validCount) {
    std::vector<double> radii;
    std::vector<uint32_t> counts;
    for (uint32_t k = 1; k <= n; ++k) {
        if (count[k] != 0) {
            radii.push_back(radius[k]);
            counts.push_back(count[k]);
        }
    }
    if (radii.empty()) {
        return;
    }
    std::sort(radii.begin(), radii.end());
    std::sort(counts.begin(), counts.end());
    const double radiusLimit = kTooBigRadiusFactor * radii[radii.size() / 2];
    const auto countLimit =
        static_cast<uint64_t>(kTooHeavyCountFactor * counts[counts.size() / 2] + 0.5);

    std::vector<Verdict> verdict(n + 1, Verdict::kKept);
    bool anyTooBig = false;
    bool anyTooHeavy = false;
    for (uint32_t k = 1; k <= n; ++k) {
        if (count[k] == 0) {
            continue;
        }
        if (radius[k] > radiusLimit) {
            verdict[k] = Verdict::kTooBig;
            anyTooBig = true;
        } else if (count[k] > countLimit) {
            verdict[k] = Verdict::kTooHeavy;
            anyTooHeavy = true;
        } else {
            continue;
        }
        count[k] = 0;
        validCount -= 1;
    }
    if (!anyTooBig && !anyTooHeavy) {
        return;
    }
    const uint16_t w = width;
    ForEachInkPixel(mask, height, width, lastColumn, labels, [&](int32_t y, int32_t x, uint32_t l) {
        const Verdict v = verdict[l];
        if (v == Verdict::kTooBig) {
            mask.Clear(static_cast<size_t>(y) * w + static_cast<size_t>(x));
            grey.rows[y][x] = backgroundGrey;
            labels.rows[y][x] = 0;
        } else if (v == Verdict::kTooHeavy) {
            labels.rows[y][x] = 0;
        }
    });
}

void Deskewer::MergeComponents(const std::vector<Point>& centroid, uint32_t n,
                               const std::vector<uint32_t>& count,
                               const std::vector<double>& radius, BmpBase::Plane32& labels,
                               std::vector<bool>& marked) const {
    EquivalenceTable table(kMaxComponents);
    marked.resize(n + 1, false);
    const NearestCentroid nearest(centroid, [&](size_t m) { return count[m] != 0; });
    for (uint32_t k = 0; k <= n; ++k) {
        if (count[k] == 0) {
            continue;
        }
        double best = 0.0;
        const auto j = static_cast<uint32_t>(nearest.Nearest(
            k, [](size_t) { return true; }, k, best));
        if (j == k) {
            continue;
        }
        uint32_t small;
        double ratio;
        if (radius[j] > radius[k]) {
            small = k;
            ratio = radius[k] / radius[j];
        } else {
            small = j;
            ratio = radius[j] / radius[k];
        }
        if (ratio > kFragmentRadiusRatio) {
            continue;
        }
        const double large = radius[j] >= radius[k] ? radius[j] : radius[k];
        if (std::sqrt(best) < large) {
            table.Union(k, j);
        } else {
            marked[small] = true;
        }
    }
    ConnectedComp resolver(mask, height, width, kMaxProvisionalLabels,
                           ConnectedComp::kNoRenumbering);
    uint32_t labelCount = n;
    resolver.ResolveLabels(table, labelCount, static_cast<uint16_t>(lastColumn), labels);
}

}  // namespace Skewmend
