// Method selection and the illumination test.
//
// Binarize_Best chooses the binarization for the page at hand. A global
// threshold (Otsu 1979) serves an evenly lit page best; a page lit more
// brightly on one side needs a local method such as Sauvola's (Sauvola and
// Pietikäinen 2000).
//
// The illumination test looks at the paper only: the gradient image (the
// larger of the vertical and horizontal grey differences of each pixel) is
// cleared outside the page background box, and its own Otsu threshold picks
// the strong-gradient pixels, the text edges. The box is cut into four
// quadrants at the centroid of those edges, so that each quadrant holds
// text and paper, and the Otsu thresholds of the quadrants are compared:
// when their spread is small against the mean separation of their two
// classes, the page counts as evenly lit.
//
// An evenly lit page whose paper box fills more than 95 % of the image is
// binarized with the global threshold refined by the local optimisation
// around the edge centroid; with a smaller box (a picture, a dark margin)
// the multi-background Otsu thresholds the box and the rest apart. Any
// other page gets Sauvola after the polarity step, with k and R searched on
// the edge pixels.
//
// Two degenerate cases have defined answers. A page without a single edge
// pixel (the paper box is one flat grey) has no centroid; its paper cannot
// be unevenly lit, so it counts as evenly lit and no centroid is recorded
// (the optimisation then examines the whole page). A centroid outside the
// box (possible when the edge mask is inverted by the majority rule) is
// moved to the nearest point of the box before the quadrants are cut, so
// no quadrant reaches outside the box.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/binarizer/binarizer.h"
#include "engine/binarizer/binarizer_rules.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

// Share of the image the paper box must exceed for the plain optimised Otsu.
constexpr double kBackgroundDominanceLimit = 0.95;

// Each quadrant's separation weighs a quarter in the mean.
constexpr double kQuadrantWeight = 0.25;

}  // namespace

bool QuadrantsEvenlyLit(const int32_t thresholds[4], const double separations[4], double limit) {
    const int32_t spread = *std::max_element(thresholds, thresholds + 4) -
                           *std::min_element(thresholds, thresholds + 4);
    const double meanSep =
        (separations[0] + separations[1] + separations[2] + separations[3]) * kQuadrantWeight;
    if (!(meanSep > 0.0)) {
        return false;
    }
    const double ratio = spread / meanSep;
    return ratio < limit;
}

void Binarizer::Difference(BmpBase::GreyImage& out) const {
    SKEWMEND_TIMED("Binarizer::Difference");
    out.Resize(height, width);
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* g = grey.rows[r];
        const uint8_t* up = r > 0 ? grey.rows[r - 1] : nullptr;
        uint8_t* o = out.rows[r];
        for (uint32_t c = 0; c < width; ++c) {
            const int dv = up != nullptr ? std::abs(g[c] - up[c]) : 0;
            const int dh = c > 0 ? std::abs(g[c] - g[c - 1]) : 0;
            o[c] = static_cast<uint8_t>(std::max(dv, dh));
        }
    }
}

void Binarizer::FilterDiff(BmpBase::GreyImage& diff, const RegionRect& box) const {
    SKEWMEND_TIMED("Binarizer::FilterDiff");
    for (uint32_t r = 0; r < diff.height; ++r) {
        uint8_t* d = diff.rows[r];
        if (r < box.firstRow || r > box.lastRow) {
            std::fill(d, d + diff.width, uint8_t{0});
            continue;
        }
        for (uint32_t c = 0; c < diff.width; ++c) {
            if (c < box.firstCol || c > box.lastCol) {
                d[c] = 0;
            }
        }
    }
}

void Binarizer::EdgeCentroid(const PixelMask& edges, uint32_t& row, uint32_t& col) const {
    uint64_t rowSum = 0;
    uint64_t colSum = 0;
    uint64_t count = 0;
    const size_t n = std::min(edges.size(), static_cast<size_t>(height) * width);
    for (size_t i = 0; i < n; ++i) {
        if (edges[i]) {
            rowSum += i / width;
            colSum += i % width;
            ++count;
        }
    }
    if (count == 0) {
        row = 0;  // no edge, no centroid; IsWellIllumi does not use it
        col = 0;
        return;
    }
    row = static_cast<uint32_t>(rowSum / count);
    col = static_cast<uint32_t>(colSum / count);
}

bool Binarizer::IsWellIllumi(const RegionRect& box, const PixelMask& edges) {
    SKEWMEND_TIMED("Binarizer::IsWellIllumi");
    if (edges.Count() == 0) {
        return true;  // flat paper: nothing can be lit unevenly
    }
    uint32_t a = 0;
    uint32_t b = 0;
    EdgeCentroid(edges, a, b);
    splitRow = a;
    splitCol = b;
    hasSplit = true;

    // The quadrants meet at the centroid, moved into the box if need be.
    const uint16_t splitR =
        static_cast<uint16_t>(std::min<uint32_t>(std::max<uint32_t>(a, box.firstRow), box.lastRow));
    const uint16_t splitC =
        static_cast<uint16_t>(std::min<uint32_t>(std::max<uint32_t>(b, box.firstCol), box.lastCol));
    const RegionRect quadrants[4] = {
        {box.firstRow, splitR, box.firstCol, splitC},
        {box.firstRow, splitR, splitC, box.lastCol},
        {splitR, box.lastRow, box.firstCol, splitC},
        {splitR, box.lastRow, splitC, box.lastCol},
    };
    int32_t thresholds[4];
    double separations[4];
    for (int q = 0; q < 4; ++q) {
        separations[q] = 0.0;
        thresholds[q] = OtsuThreshold(&quadrants[q], nullptr, separations[q]);
    }
    return QuadrantsEvenlyLit(thresholds, separations, illumiRatio);
}

bool Binarizer::CheckIllumination(PixelMask& edges) {
    if (!ccInfoDone) {
        GetCCInfo();  // the background box, when no caller has asked for it yet
    }
    if (backgrounds.empty()) {
        edges.Reset(static_cast<size_t>(height) * width);
        return true;  // an image without pixels has nothing lit unevenly
    }
    const RegionRect box = backgrounds.front();
    BmpBase::GreyImage gradient;
    Difference(gradient);
    FilterDiff(gradient, box);
    {
        Binarizer edgeBinarizer(gradient);
        int32_t threshold = 0;
        edgeBinarizer.Binarize_Otsu(edges, threshold, false);
    }
    return IsWellIllumi(box, edges);
}

bool Binarizer::IsBackgroundDominant() const {
    if (backgrounds.empty()) {
        return false;
    }
    const double ratio = static_cast<double>(backgrounds.front().Area()) /
                         static_cast<double>(static_cast<uint64_t>(width) * height);
    Log("Biggest background area ratio is ", ratio);
    return ratio > kBackgroundDominanceLimit;
}

void Binarizer::Binarize_Best(PixelMask& result) {
    SKEWMEND_TIMED("Binarizer::Binarize_Best");
    GetCCInfo();
    PixelMask edges;
    if (CheckIllumination(edges)) {
        Log("Use best Otsu");
        if (IsBackgroundDominant()) {
            bestChoice = BestChoice::kOtsu;
            int32_t threshold = 0;
            Binarize_Otsu(result, threshold, true);
        } else {
            Log("Use multi background Otsu");
            bestChoice = BestChoice::kMultiBackground;
            Binarize_MultiBackgroundOtsu(result);
        }
        return;
    }
    Log("Use best Sauvola");
    bestChoice = BestChoice::kSauvola;
    RevertIfInverted();
    if (useIntegral) {
        BuildIntegralTables();
    }
    double k = 0.0;
    int32_t R = 0;
    SelectSauvolaParams(edges, k, R);
    Binarize_Sauvola(result, R, k);
}

}  // namespace Skewmend
