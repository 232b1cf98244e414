// Density refinement: the projection score of one angle and the search of
// the 11 candidates around a seed.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/deskew/deskew_test_support.h"

using DeskewTest::MaskCanvas;

namespace {

// Parallel lines of ink one pixel thick, advancing `slope` rows per column,
// every `spacing` rows.
MaskCanvas SlopedLines(uint16_t rows, uint16_t cols, double slope, int spacing) {
    MaskCanvas canvas(rows, cols);
    for (int start = -rows; start < 2 * rows; start += spacing) {
        for (int c = 0; c < cols; ++c) {
            canvas.Ink(start + static_cast<int>(std::floor(c * slope)), c);
        }
    }
    return canvas;
}

TEST(Fitness, ThreeFullWidthLinesScoreTheirSquaredLengthsAtZero) {
    MaskCanvas canvas(40, 100);
    canvas.Box(10, 10, 0, 99);
    canvas.Box(20, 20, 0, 99);
    canvas.Box(30, 30, 0, 99);
    auto d = DeskewTest::MakeDeskewer(canvas);
    EXPECT_EQ(d->Fitness(0), 30000.0);
    EXPECT_LT(d->Fitness(5), 30000.0 / 4);
}

TEST(Fitness, ZeroDegreesScoresRowsAndNinetyScoresColumns) {
    MaskCanvas canvas(20, 30);
    canvas.Box(2, 4, 3, 9);    // rows 2..4 hold 7 ink pixels each
    canvas.Box(10, 10, 0, 4);  // row 10 holds 5
    auto d = DeskewTest::MakeDeskewer(canvas);
    EXPECT_EQ(d->Fitness(0), 3 * 49.0 + 25.0);
    // Columns 0..2: 1 each; 3, 4: 4 each; 5..9: 3 each.
    EXPECT_EQ(d->Fitness(90), 3 * 1.0 + 2 * 16.0 + 5 * 9.0);
    EXPECT_EQ(d->Fitness(-180), d->Fitness(0));
    EXPECT_EQ(d->Fitness(270), d->Fitness(90));
}

TEST(Fitness, WideLinesDoNotOverflowTheScore) {
    // Three full rows of 65534 ink pixels: each square exceeds 2^31.
    MaskCanvas canvas(3, 65534);
    canvas.Box(0, 2, 0, 65533);
    auto d = DeskewTest::MakeDeskewer(canvas);
    EXPECT_EQ(d->Fitness(0), 3.0 * 65534.0 * 65534.0);
}

struct SeedCase {
    int seed;
    int expected;
};

class DensityEmptyPageTest : public testing::TestWithParam<SeedCase> {};

// Every candidate scores 0 on an empty mask, so the first one visited wins:
// that is seed - 5, folded into 0 .. 179.
TEST_P(DensityEmptyPageTest, FirstCandidateWinsTies) {
    MaskCanvas canvas(30, 30);
    auto d = DeskewTest::MakeDeskewer(canvas);
    int angle = -99;
    d->GetSkewAngleByDensity(GetParam().seed, angle);
    EXPECT_EQ(angle, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Seeds, DensityEmptyPageTest,
                         testing::Values(SeedCase{0, 175}, SeedCase{2, 177}, SeedCase{178, 173},
                                         SeedCase{40, 35}, SeedCase{179, 174}));

struct TiltCase {
    int seed;
    double degrees;
    int expected;
};

class DensityTiltTest : public testing::TestWithParam<TiltCase> {};

TEST_P(DensityTiltTest, FindsTheAngleOfSlopedLinesNearTheSeed) {
    const TiltCase& t = GetParam();
    const double slope = std::tan(t.degrees * std::acos(-1.0) / 180.0);
    MaskCanvas canvas = SlopedLines(160, 240, slope, 12);
    auto d = DeskewTest::MakeDeskewer(canvas);
    int angle = -1;
    d->GetSkewAngleByDensity(t.seed, angle);
    EXPECT_EQ(angle, t.expected);
}

// Seeds 2 and 178 make the search cross the wrap between 179 and 0.
INSTANTIATE_TEST_SUITE_P(Tilts, DensityTiltTest,
                         testing::Values(TiltCase{2, 0.0, 0}, TiltCase{178, 0.0, 0},
                                         TiltCase{5, 7.0, 7}, TiltCase{2, -3.0, 177},
                                         TiltCase{178, 2.0, 2}, TiltCase{176, -8.0, 172},
                                         TiltCase{30, 33.0, 33}));

}  // namespace
