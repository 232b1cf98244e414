// Skew by nearest components: the coarse angle.
//
// Every component looks for its nearest neighbour among the components of a
// similar pixel count (a quarter to four times its own, bounds rounded half
// up) and contributes the direction of the line through both centroids,
// folded into 0 .. pi, weighted by the product of the two pixel counts. The
// product is formed in 32-bit unsigned arithmetic, as the weights have
// always been, and wraps only for pairs of components of more than 65535
// pixels each.
//
// The directions go into a circular histogram of 180 one-degree bins, which
// is smoothed with a pointed kernel exp(-3 |o| / 22) over offsets -21 .. 21;
// the bin with the highest smoothed weight is the estimate, the smallest
// angle winning ties. A neighbour whose centroid coincides with the
// component's own has no direction and contributes nothing. The nearest
// neighbour is the one a scan of all components in order would find (the
// lowest index among equally near ones); NearestCentroid finds it without
// visiting every pair.
#include <cmath>

#include "engine/deskew/deskewer.h"
#include "engine/deskew/nearest_centroid.h"
#include "engine/diagnostics.h"
#include "engine/portable_math.h"
#include "engine/rotator.h"

namespace Skewmend {

namespace {

constexpr int kHistogramBins = 180;
constexpr int kKernelHalfWidth = 21;

}  // namespace

bool Deskewer::GetNearestPairAngles(const std::vector<Point>& centroids,
                                    const std::vector<uint32_t>& pixelCounts,
                                    std::vector<double>& angles, std::vector<double>& weights) {
    SKEWMEND_TIMED("Deskewer::GetNearestPairAngles");
    if (centroids.size() == 1) {
        return false;
    }
    angles.clear();
    weights.clear();
    const double pi = Rotator::kPi;
    const size_t n = centroids.size();
    const NearestCentroid finder(centroids, [](size_t) { return true; });
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = pixelCounts[i];
        const auto lower = static_cast<uint32_t>(0.25 * c + 0.5);
        const auto upper = static_cast<uint64_t>(4.0 * c + 0.5);
        double best = 0.0;
        const size_t nearest = finder.Nearest(
            i, [&](size_t j) { return pixelCounts[j] >= lower && pixelCounts[j] <= upper; }, n,
            best);
        if (nearest == n) {
            continue;
        }
        const double dCol = centroids[nearest].column - centroids[i].column;
        const double dRow = centroids[nearest].row - centroids[i].row;
        const double d = std::sqrt(dCol * dCol + dRow * dRow);
        if (d == 0.0) {
            continue;
        }
        double a = PortableMath::Acos(dCol / d);
        if (dRow < 0) {
            a = 2 * pi - a;
        }
        if (a > pi) {
            a = a - pi;
        }
        angles.push_back(a);
        weights.push_back(static_cast<double>(pixelCounts[i] * pixelCounts[nearest]));
    }
    return !angles.empty();
}

int Deskewer::GetAveAngle(const std::vector<double>& angles, const std::vector<double>& weights) {
    SKEWMEND_TIMED("Deskewer::GetAveAngle");
    const double pi = Rotator::kPi;
    double hist[kHistogramBins] = {};
    for (size_t k = 0; k < angles.size(); ++k) {
        // Directions come in 0 .. pi; anything else (a NaN included) has no
        // bin and is left out rather than indexing outside the histogram.
        if (!(angles[k] >= 0.0 && angles[k] <= pi)) {
            continue;
        }
        auto b = static_cast<int>(angles[k] / pi * 180.0 + 0.5);
        if (b == 180 || b == 181) {
            b = 0;
        }
        hist[b] += weights[k];
    }
    double kernel[2 * kKernelHalfWidth + 1];
    for (int o = -kKernelHalfWidth; o <= kKernelHalfWidth; ++o) {
        kernel[o + kKernelHalfWidth] = PortableMath::Exp(-3.0 * std::fabs(o / 22.0));
    }
    double best = 0.0;
    int result = -1;
    for (int c = 0; c < kHistogramBins; ++c) {
        double score = 0.0;
        for (int o = -kKernelHalfWidth; o <= kKernelHalfWidth; ++o) {
            const int bin = (c + o + kHistogramBins) % kHistogramBins;
            score += kernel[o + kKernelHalfWidth] * hist[bin];
        }
        if (score > best) {
            best = score;
            result = c;
        }
    }
    return result;
}

}  // namespace Skewmend
