// Fitness against the direct per-sample rule, kept here as the reference:
// every probing line sampled flag by flag at trunc(offset + start). The
// engine counts whole runs of flags at once; the scores must be identical
// for every angle on random masks of many shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/rotator.h"
#include "tests/engine/deskew/deskew_test_support.h"

using DeskewTest::MaskCanvas;

namespace {

double ReferenceFitness(const MaskCanvas& canvas, int angle) {
    if (angle < 0) {
        angle += 180;
    }
    if (angle > 180) {
        angle -= 180;
    }
    const double pi = Skewmend::Rotator::kPi;
    const double theta = angle / 180.0 * pi;
    const int32_t h = canvas.rows;
    const int32_t w = canvas.cols;
    const double diag = std::atan(static_cast<double>(h - 1) / static_cast<double>(w - 1));
    uint64_t sum = 0;
    if (diag < theta && theta < pi - diag) {
        const double c = std::tan(pi / 2 - theta);
        for (int32_t x0 = 0; x0 < w; ++x0) {
            uint64_t n = 0;
            for (int32_t y = 0; y < h; ++y) {
                const auto x = static_cast<int32_t>(y * c + x0);
                if (x >= 0 && x < w && canvas.At(y, x)) {
                    ++n;
                }
            }
            sum += n * n;
        }
    } else {
        const double t = std::tan(theta);
        for (int32_t y0 = 0; y0 < h; ++y0) {
            uint64_t n = 0;
            for (int32_t x = 0; x < w; ++x) {
                const auto y = static_cast<int32_t>(x * t + y0);
                if (y >= 0 && y < h && canvas.At(y, x)) {
                    ++n;
                }
            }
            sum += n * n;
        }
    }
    return static_cast<double>(sum);
}

}  // namespace

TEST(FitnessReference, EveryAngleScoresLikeTheDirectRuleOnRandomMasks) {
    std::mt19937 engine(4404);
    auto next = [&engine](uint32_t n) { return static_cast<uint32_t>(engine() % n); };
    for (int trial = 0; trial < 60; ++trial) {
        // Thin, square and long masks, up to a few blocks of 64 lines.
        const auto rows = static_cast<uint16_t>(1 + next(trial % 3 == 0 ? 8 : 150));
        const auto cols = static_cast<uint16_t>(1 + next(trial % 3 == 1 ? 8 : 150));
        MaskCanvas canvas(rows, cols);
        const uint32_t density = 1 + next(60);
        for (int32_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                if (next(100) < density) {
                    canvas.Ink(r, c);
                }
            }
        }
        auto d = DeskewTest::MakeDeskewer(canvas);
        for (int angle = -5; angle <= 185; ++angle) {
            ASSERT_EQ(d->Fitness(angle), ReferenceFitness(canvas, angle))
                << trial << ": " << rows << " x " << cols << " at " << angle;
        }
    }
}

TEST(FitnessReference, TextLikePageScoresLikeTheDirectRule) {
    // Tilted strokes over several 64-line blocks, as a page of text gives.
    MaskCanvas canvas(300, 260);
    for (int line = 10; line < 300; line += 17) {
        for (int c = 5; c < 255; ++c) {
            if ((c / 6) % 4 != 3) {
                const int r = line + static_cast<int>(c * 0.07);
                canvas.Box(r, r + 2 + (c % 5 == 0 ? 6 : 0), c, c);
            }
        }
    }
    auto d = DeskewTest::MakeDeskewer(canvas);
    for (int angle = 0; angle < 180; ++angle) {
        ASSERT_EQ(d->Fitness(angle), ReferenceFitness(canvas, angle)) << angle;
    }
}
