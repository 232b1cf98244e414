// Projection profiles of ink pixels at fractional angles.
//
// Each ink pixel is kept as its offset from the centre of the mask. For an
// angle a with t = tan(a), every pixel goes to exactly one bin of a sheared
// profile, bin trunc(y' - x' t + half), where half = (H + |t| W) / 2 + 2
// leaves room on both sides; pixels on one line of direction a share a bin.
// The score is the sum of squared differences of neighbouring bins, scaled
// by the profile length (H + |t| W) over N^2, so scores of different angles
// and pages compare: it is high when the ink is packed into a few sharp
// lines of that direction and flat for ink without direction. Binning along
// the shear (rather than by the perpendicular distance) and never splitting
// a pixel between bins keeps pure noise flat at 0 and 45 degrees.
//
// A fine search steps a quarter degree (+-1.5), then a twentieth (+-0.25)
// around the best, and places the peak by a least-squares parabola through
// seven points a twentieth apart, moving it by at most three steps.
// Scores are memoised by angle, since the searches revisit angles.
#include <cmath>
#include <limits>

#include "engine/deskew/precise.h"
#include "engine/portable_math.h"
#include "engine/rotator.h"

namespace Skewmend {

namespace {

constexpr double kCoarseStepDeg = 0.25;
constexpr int kCoarseSteps = 6;
constexpr double kFineStepDeg = 0.05;
constexpr int kFineSteps = 5;
constexpr int kParabolaHalfWidth = 3;
constexpr double kMaxParabolaShift = 3.0;
constexpr double kNearSidesDeg = 2.0;
constexpr double kFarSidesDeg = 4.0;

}  // namespace

ProfilePixels::ProfilePixels(const PixelMask& mask, uint32_t rows, uint32_t cols, bool skipBorder)
    : rows_(rows), cols_(cols) {
    const double centreX = (static_cast<double>(cols) - 1) / 2;
    const double centreY = (static_cast<double>(rows) - 1) / 2;
    const uint32_t margin = skipBorder ? 1 : 0;
    if (rows <= 2 * margin || cols <= 2 * margin) {
        return;
    }
    for (uint32_t y = margin; y < rows - margin; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * cols;
        for (uint32_t x = margin; x < cols - margin; ++x) {
            if (mask[rowStart + x]) {
                xs_.push_back(x - centreX);
                ys_.push_back(y - centreY);
            }
        }
    }
}

double ProfilePixels::Score(double degrees) {
    const auto found = memo_.find(degrees);
    if (found != memo_.end()) {
        return found->second;
    }
    double score = 0.0;
    if (!xs_.empty()) {
        const double t = PortableMath::Tan(degrees * Rotator::kPi / 180);
        const double span = rows_ + std::fabs(t) * cols_;
        const double half = span / 2 + 2;
        const auto binCount = static_cast<size_t>(2 * half) + 3;
        bins_.assign(binCount, 0);
        const size_t n = xs_.size();
        for (size_t i = 0; i < n; ++i) {
            bins_[static_cast<size_t>(ys_[i] - xs_[i] * t + half)] += 1;
        }
        uint64_t d = 0;
        for (size_t k = 0; k + 1 < binCount; ++k) {
            const int64_t step = static_cast<int64_t>(bins_[k + 1]) - bins_[k];
            d += static_cast<uint64_t>(step * step);
        }
        const double count = static_cast<double>(n);
        score = static_cast<double>(d) * span / (count * count);
    }
    memo_[degrees] = score;
    return score;
}

double ProfilePixels::Sharpness(double degrees) {
    const double centre = Score(degrees);
    const double sides = (Score(degrees - kNearSidesDeg) + Score(degrees + kNearSidesDeg) +
                          Score(degrees - kFarSidesDeg) + Score(degrees + kFarSidesDeg)) /
                         4;
    if (!(sides > 0.0)) {
        return 0.0;
    }
    return centre / sides;
}

double ProfilePixels::FineSearch(double seed) {
    double best = -std::numeric_limits<double>::infinity();
    double b1 = seed;
    for (int i = -kCoarseSteps; i <= kCoarseSteps; ++i) {
        const double a = seed + kCoarseStepDeg * i;
        const double p = Score(a);
        if (p > best) {
            best = p;
            b1 = a;
        }
    }
    best = -std::numeric_limits<double>::infinity();
    double b2 = b1;
    for (int i = -kFineSteps; i <= kFineSteps; ++i) {
        const double a = b1 + kFineStepDeg * i;
        const double p = Score(a);
        if (p > best) {
            best = p;
            b2 = a;
        }
    }
    double sumJY = 0.0;
    double sumJJY = 0.0;
    double sumY = 0.0;
    for (int j = -kParabolaHalfWidth; j <= kParabolaHalfWidth; ++j) {
        const double y = Score(b2 + kFineStepDeg * j);
        sumJY += j * y;
        sumJJY += j * j * y;
        sumY += y;
    }
    const double b = sumJY / 28;
    const double c = (7 * sumJJY - 28 * sumY) / 588;
    double v = 0.0;
    if (c < 0) {
        v = -b / (2 * c);
        if (v < -kMaxParabolaShift) {
            v = -kMaxParabolaShift;
        } else if (v > kMaxParabolaShift) {
            v = kMaxParabolaShift;
        }
    }
    return b2 + kFineStepDeg * v;
}

}  // namespace Skewmend
