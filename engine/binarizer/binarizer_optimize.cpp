// Local threshold optimisation.
//
// A global Otsu threshold (Otsu 1979) separates the grey histogram into two
// classes as well as the histogram allows, but on a real page a threshold a
// few grey levels higher or lower may give a visibly cleaner mask: fewer
// specks on the paper, fewer holes in the strokes. LocalOptimize refines
// the threshold by hill climbing on a noise score. It tries the threshold
// one step (`optStep`) up and one step down and walks in the better
// direction, within `optRange` of the start, for as long as the mask does
// not get noisier. Equal scores let the climb continue; only a strictly
// worse score stops it.
//
// The noise score counts nearly and fully isolated pixels: an interior
// pixel whose four direct neighbours are of the other class in three cases
// costs 1, in all four cases 2; the score is 1 minus their sum per interior
// pixel, so 1 means no isolated pixels at all.
//
// Scoring works on a window of `optWindow` pixels around the edge centroid
// that the illumination test found (where the text is), or on the whole
// page when there is no centroid. Candidate thresholds are applied with the
// majority rule, exactly as the final mask will be, by a temporary
// Binarizer built from that window.
#include <algorithm>
#include <cstdint>

#include "engine/binarizer/binarizer.h"
#include "engine/binarizer/binarizer_rules.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

constexpr int32_t kHighestThreshold = 255;
constexpr int32_t kLowestThreshold = 1;

// First and last index of a window of `window` pixels centred on `centre`
// along a side of `size` pixels (size > 0), clipped to the side.
void WindowSpan(uint32_t centre, uint32_t window, uint32_t size, uint32_t& first, uint32_t& last) {
    const uint32_t half = window / 2;
    centre = std::min(centre, size - 1);
    first = centre <= half ? 0 : centre - half;
    last = centre + half >= size ? size - 1 : centre + half;
}

}  // namespace

int32_t ClimbThreshold(int32_t threshold, int32_t step, int32_t lo, int32_t hi,
                       const std::function<double(int32_t)>& score) {
    const int32_t t0 = threshold;
    if (t0 + step > hi || t0 - step < lo) {
        return t0;
    }
    const double s0 = score(t0);
    const double s1 = score(t0 + step);
    const double s2 = score(t0 - step);
    if (s0 > s1 && s0 > s2) {
        return t0;
    }
    const int32_t direction = s1 > s2 ? step : -step;
    double best = s1 > s2 ? s1 : s2;
    int32_t result = t0 + direction;
    for (int32_t t = t0 + 2 * direction; direction > 0 ? t <= hi : t >= lo; t += direction) {
        const double s = score(t);
        if (s < best) {
            break;
        }
        best = s;
        result = t;
    }
    return result;
}

double Binarizer::NoiseScore(const PixelMask& mask) const {
    if (height < 3 || width < 3) {
        return 1.0;  // no interior pixel, nothing isolated
    }
    uint64_t a3 = 0;
    uint64_t a4 = 0;
    for (uint32_t r = 1; r + 1 < height; ++r) {
        const size_t row = static_cast<size_t>(r) * width;
        for (uint32_t c = 1; c + 1 < width; ++c) {
            const size_t i = row + c;
            const bool v = mask[i];
            const int opposite = (mask[i - width] != v) + (mask[i + width] != v) +
                                 (mask[i - 1] != v) + (mask[i + 1] != v);
            if (opposite == 3) {
                ++a3;
            } else if (opposite == 4) {
                ++a4;
            }
        }
    }
    const uint64_t interior = static_cast<uint64_t>(width - 2) * (height - 2);
    return 1 - static_cast<double>(a3 + 2 * a4) / static_cast<double>(interior);
}

void Binarizer::LocalOptimize(int32_t& threshold) {
    SKEWMEND_TIMED("Binarizer::LocalOptimize");
    const int32_t t0 = threshold;
    const int32_t hi = std::min(t0 + optRange, kHighestThreshold);
    const int32_t lo = std::max(t0 - optRange, kLowestThreshold);
    if (t0 + optStep > hi || t0 - optStep < lo || height == 0 || width == 0) {
        return;
    }

    uint32_t firstRow = 0;
    uint32_t lastRow = height - 1;
    uint32_t firstCol = 0;
    uint32_t lastCol = width - 1;
    if (hasSplit) {
        WindowSpan(splitRow, optWindow, height, firstRow, lastRow);
        WindowSpan(splitCol, optWindow, width, firstCol, lastCol);
    }
    BmpBase::GreyImage examined(lastRow - firstRow + 1, lastCol - firstCol + 1);
    for (uint32_t r = firstRow; r <= lastRow; ++r) {
        std::copy(grey.rows[r] + firstCol, grey.rows[r] + lastCol + 1, examined.rows[r - firstRow]);
    }
    const Binarizer window(examined);

    PixelMask mask;
    threshold = ClimbThreshold(t0, optStep, lo, hi, [&](int32_t t) {
        window.ApplyThreshold(mask, t);
        return window.NoiseScore(mask);
    });
}

}  // namespace Skewmend
