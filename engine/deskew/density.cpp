// Skew by density: refines the coarse angle within +-5 degrees by projection
// profiles.
//
// For a candidate angle the mask is probed along parallel straight lines of
// that direction, sampled once per column (shallow lines) or once per row
// (steep lines, beyond the angle of the mask's diagonal), each sample
// position truncated toward zero. A line's ink count is squared and the
// squares are summed: the sum peaks when the lines run along the lines of
// text. Only lines starting in column 0 (shallow) or row 0 (steep) are
// probed.
//
// The per-column offsets x * tan(a) (and per-row offsets y * cot(a)) are the
// same for every probing line, so they are formed once per candidate; the
// sample position is then that offset plus the line's start, exactly the
// expression of the direct formula. Line counts are squared and summed in
// 64 bits: a line holds at most 65534 samples, so no square or sum of a page
// within the size limits wraps, and the sum converts to a double exactly.
#include <cmath>
#include <vector>

#include "deskew/deskewer.h"
#include "diagnostics.h"
#include "portable_math.h"
#include "rotator.h"

namespace Skewmend {

namespace {

constexpr int kDensitySearchHalfWidthDeg = 5;
constexpr int kHalfTurnDeg = 180;

}  // namespace

void Deskewer::GetSkewAngleByDensity(int seedAngle, int& angle) {
    SKEWMEND_TIMED("Deskewer::GetSkewAngleByDensity");
    double best = -1e38;
    for (int a = seedAngle - kDensitySearchHalfWidthDeg;
         a <= seedAngle + kDensitySearchHalfWidthDeg; ++a) {
        int candidate = a;
        if (candidate < 0) {
            candidate += kHalfTurnDeg;
        } else if (candidate >= kHalfTurnDeg) {
            candidate -= kHalfTurnDeg;
        }
        const double f = Fitness(candidate);
        if (f > best) {
            best = f;
            angle = candidate;
        }
    }
}

double Deskewer::Fitness(int angle) {
    SKEWMEND_TIMED("Deskewer::Fitness");
    if (angle < 0) {
        angle += kHalfTurnDeg;
    }
    if (angle > kHalfTurnDeg) {
        angle -= kHalfTurnDeg;
    }
    const double pi = Rotator::kPi;
    const double theta = angle / 180.0 * pi;
    const double diag =
        PortableMath::Atan(static_cast<double>(height - 1) / static_cast<double>(width - 1));
    const int32_t h = height;
    const int32_t w = width;
    const std::vector<uint64_t>& words = mask.Words();
    auto ink = [&words, w](int32_t y, int32_t x) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        return ((words[i >> 6] >> (i & 63)) & 1u) != 0;
    };

    uint64_t sum = 0;
    if (diag < theta && theta < pi - diag) {
        // Steep: one line per start column, sampled once per row.
        const double c = PortableMath::Tan(pi / 2 - theta);
        std::vector<double> offset(static_cast<size_t>(h));
        for (int32_t y = 0; y < h; ++y) {
            offset[static_cast<size_t>(y)] = y * c;
        }
        for (int32_t x0 = 0; x0 < w; ++x0) {
            uint64_t n = 0;
            for (int32_t y = 0; y < h; ++y) {
                const auto x = static_cast<int32_t>(offset[static_cast<size_t>(y)] + x0);
                if (x >= 0 && x < w && ink(y, x)) {
                    ++n;
                }
            }
            sum += n * n;
        }
    } else {
        // Shallow: one line per start row, sampled once per column.
        const double t = PortableMath::Tan(theta);
        std::vector<double> offset(static_cast<size_t>(w));
        for (int32_t x = 0; x < w; ++x) {
            offset[static_cast<size_t>(x)] = x * t;
        }
        for (int32_t y0 = 0; y0 < h; ++y0) {
            uint64_t n = 0;
            for (int32_t x = 0; x < w; ++x) {
                const auto y = static_cast<int32_t>(offset[static_cast<size_t>(x)] + y0);
                if (y >= 0 && y < h && ink(y, x)) {
                    ++n;
                }
            }
            sum += n * n;
        }
    }
    return static_cast<double>(sum);
}

}  // namespace Skewmend
