// Precise mode's decision on a cleaned mask, and its helpers: the noise
// level of a grey image, the 3 x 3 box mean, the OR reduction and the sweep.
//
// The decision first trusts the whole-degree estimate: when it lies within
// +-45 degrees, a fine search around it gives a1 and its sharpness s1, and a
// sharpness of at least 3 is the answer. Otherwise (a weak profile, or a
// seed beyond 45 degrees, which is not refined) every half degree of
// -45 .. 45 is scored on a reduced mask: while more than 4 % of it is ink,
// at most three times, the mask is OR-reduced by 2 x 2 blocks, which keeps
// solid areas solid (keeping every n-th pixel instead would turn them into a
// lattice whose diagonals win the sweep) and cuts the cost on dense pages.
// The best sweep angle is refined on the full-resolution pixels into a2,
// and the sharper of the two candidates is kept, answered when its
// sharpness reaches 3 and "not sure" otherwise.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/deskew/angle_rules.h"
#include "engine/deskew/precise.h"
#include "engine/portable_math.h"

namespace Skewmend {

namespace {

constexpr double kMaxSeedDeg = 45.0;
constexpr double kSweepStartDeg = -45.0;
constexpr double kSweepStepDeg = 0.5;
constexpr int kSweepSteps = 180;
constexpr double kMaxSweepInkShare = 0.04;
constexpr int kMaxReductions = 3;
constexpr double kFullConfidenceSharpness = 9.0;
// Median absolute difference of neighbours to the deviation of Gaussian
// noise: 1.4826 turns a median absolute deviation into a deviation, and the
// difference of two noisy pixels has sqrt(2) times the noise of one.
constexpr double kMadToSigma = 1.4826;

}  // namespace

const char* PreciseActionName(PreciseAction action) {
    switch (action) {
        case PreciseAction::kRotated:
            return "rotated";
        case PreciseAction::kUnchanged:
            return "unchanged";
        case PreciseAction::kNotSure:
            return "not sure";
        case PreciseAction::kFailed:
            break;
    }
    return "failed";
}

double PreciseDeskew::NoiseSigma(const BmpBase::GreyImage& grey) {
    if (grey.rows == nullptr || grey.width < 2 || grey.height == 0) {
        return 0.0;
    }
    uint64_t hist[256] = {};
    for (uint32_t y = 0; y < grey.height; ++y) {
        const uint8_t* row = grey.rows[y];
        for (uint32_t x = 0; x + 1 < grey.width; ++x) {
            hist[row[x + 1] > row[x] ? row[x + 1] - row[x] : row[x] - row[x + 1]] += 1;
        }
    }
    const uint64_t count = static_cast<uint64_t>(grey.height) * (grey.width - 1);
    // Value at 0-based position `pos` of the sorted differences.
    auto valueAt = [&hist](uint64_t pos) {
        uint64_t seen = 0;
        for (int v = 0; v < 256; ++v) {
            seen += hist[v];
            if (seen > pos) {
                return static_cast<double>(v);
            }
        }
        return 255.0;
    };
    const double median =
        count % 2 == 1 ? valueAt(count / 2) : (valueAt(count / 2 - 1) + valueAt(count / 2)) / 2;
    return kMadToSigma * median / std::sqrt(2.0);
}

BmpBase::GreyImage PreciseDeskew::BoxMean3x3(const BmpBase::GreyImage& grey) {
    BmpBase::GreyImage out(grey.height, grey.width);
    const auto h = static_cast<int64_t>(grey.height);
    const auto w = static_cast<int64_t>(grey.width);
    for (int64_t y = 0; y < h; ++y) {
        for (int64_t x = 0; x < w; ++x) {
            uint32_t sum = 0;
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const int64_t yy = std::min(std::max(y + dy, int64_t{0}), h - 1);
                for (int64_t dx = -1; dx <= 1; ++dx) {
                    const int64_t xx = std::min(std::max(x + dx, int64_t{0}), w - 1);
                    sum += grey.rows[yy][xx];
                }
            }
            out.rows[y][x] = static_cast<uint8_t>((sum + 4) / 9);
        }
    }
    return out;
}

PixelMask PreciseDeskew::OrReduce(const PixelMask& mask, uint32_t rows, uint32_t cols,
                                  uint32_t& newRows, uint32_t& newCols) {
    newRows = (rows + 1) / 2;
    newCols = (cols + 1) / 2;
    PixelMask out(static_cast<size_t>(newRows) * newCols);
    for (uint32_t y = 0; y < rows; ++y) {
        const size_t from = static_cast<size_t>(y) * cols;
        const size_t to = static_cast<size_t>(y / 2) * newCols;
        for (uint32_t x = 0; x < cols; ++x) {
            if (mask[from + x]) {
                out.Set(to + x / 2);
            }
        }
    }
    return out;
}

double PreciseDeskew::Sweep(ProfilePixels& pixels) {
    double best = -std::numeric_limits<double>::infinity();
    double bestAngle = kSweepStartDeg;
    for (int i = 0; i <= kSweepSteps; ++i) {
        const double a = kSweepStartDeg + kSweepStepDeg * i;
        const double p = pixels.Score(a);
        if (p > best) {
            best = p;
            bestAngle = a;
        }
    }
    return bestAngle;
}

double PreciseDeskew::Confidence(double sharpness) {
    if (!(sharpness > 1.0)) {
        return 0.0;
    }
    return std::min(1.0,
                    PortableMath::Log(sharpness) / PortableMath::Log(kFullConfidenceSharpness));
}

void PreciseDeskew::Decide(const PixelMask& mask, uint32_t rows, uint32_t cols, int wholeAngle,
                           PreciseEstimate& estimate) {
    ProfilePixels full(mask, rows, cols, true);
    if (full.Count() == 0) {
        estimate.status = PreciseStatus::kNotSure;
        estimate.angle = 0.0;
        estimate.sharpness = 0.0;
        estimate.confidence = 0.0;
        return;
    }
    double kept = 0.0;
    double keptSharpness = 0.0;
    if (std::abs(wholeAngle) <= kMaxSeedDeg) {
        kept = full.FineSearch(wholeAngle);
        keptSharpness = full.Sharpness(kept);
    }
    estimate.swept = keptSharpness < kMinSharpness;
    if (estimate.swept) {
        // The profile mask: the cleaned mask without its outermost rows and
        // columns, reduced while dense.
        PixelMask reduced(static_cast<size_t>(rows) * cols);
        for (uint32_t y = 1; y + 1 < rows; ++y) {
            for (uint32_t x = 1; x + 1 < cols; ++x) {
                const size_t i = static_cast<size_t>(y) * cols + x;
                if (mask[i]) {
                    reduced.Set(i);
                }
            }
        }
        uint32_t r = rows;
        uint32_t c = cols;
        for (int times = 0;
             times<kMaxReductions&& static_cast<double>(reduced.Count())> kMaxSweepInkShare *
             static_cast<double>(reduced.size());
             ++times) {
            uint32_t nr = 0;
            uint32_t nc = 0;
            reduced = OrReduce(reduced, r, c, nr, nc);
            r = nr;
            c = nc;
        }
        ProfilePixels coarse(reduced, r, c, false);
        const double a2 = full.FineSearch(Sweep(coarse));
        const double s2 = full.Sharpness(a2);
        if (s2 > keptSharpness) {
            kept = a2;
            keptSharpness = s2;
        }
    }
    estimate.sharpness = keptSharpness;
    estimate.confidence = Confidence(keptSharpness);
    if (keptSharpness >= kMinSharpness) {
        estimate.status = PreciseStatus::kSure;
        estimate.angle = FoldAngle(kept);
    } else {
        estimate.status = PreciseStatus::kNotSure;
        estimate.angle = 0.0;
    }
}

}  // namespace Skewmend
