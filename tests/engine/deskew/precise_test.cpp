// Precise mode on masks: the noise level and box mean, the OR reduction, the
// profile score and its traps (noise flat at every angle, a frame on the
// outermost pixels, solid areas in the sweep), fractional angles, and the
// "not sure" answers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/deskew/precise.h"
#include "tests/engine/deskew/deskew_test_support.h"
#include "tests/support/synthetic_page.h"

using DeskewTest::MaskCanvas;
using Skewmend::PreciseDeskew;
using Skewmend::PreciseEstimate;
using Skewmend::PreciseStatus;
using Skewmend::ProfilePixels;

namespace {

// The dark pixels of a synthetic text page tilted by `tilt`.
MaskCanvas TextMask(uint16_t rows, uint16_t cols, double tilt, uint32_t seed = 3) {
    const BmpBase::CBitmap24 page = TestSupport::TextPage(rows, cols, tilt, seed);
    MaskCanvas canvas(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            if (page.PixelAt(r, c)[0] < 128) {
                canvas.Ink(static_cast<int32_t>(r), static_cast<int32_t>(c));
            }
        }
    }
    return canvas;
}

// Every pixel ink with probability `share`, from a fixed generator.
MaskCanvas NoiseMask(uint16_t rows, uint16_t cols, double share) {
    MaskCanvas canvas(rows, cols);
    uint32_t state = 99;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            state = state * 1664525u + 1013904223u;
            if ((state >> 8) % 10000u < static_cast<uint32_t>(share * 10000)) {
                canvas.Ink(r, c);
            }
        }
    }
    return canvas;
}

PreciseEstimate Decide(const MaskCanvas& canvas, int whole) {
    PreciseEstimate e;
    PreciseDeskew::Decide(canvas.mask, canvas.rows, canvas.cols, whole, e);
    return e;
}

BmpBase::GreyImage Grey(std::initializer_list<std::initializer_list<int>> rows) {
    BmpBase::GreyImage g(static_cast<uint32_t>(rows.size()),
                         static_cast<uint32_t>(rows.begin()->size()));
    uint32_t r = 0;
    for (const auto& row : rows) {
        uint32_t c = 0;
        for (int v : row) {
            g.rows[r][c++] = static_cast<uint8_t>(v);
        }
        ++r;
    }
    return g;
}

TEST(PreciseNoise, SigmaIsTheScaledMedianNeighbourDifference) {
    EXPECT_EQ(PreciseDeskew::NoiseSigma(Grey({{7, 7, 7}, {7, 7, 7}})), 0.0);
    // All differences 10.
    EXPECT_DOUBLE_EQ(PreciseDeskew::NoiseSigma(Grey({{0, 10, 0, 10}})),
                     1.4826 * 10 / std::sqrt(2.0));
    // Differences 0, 0, 4, 6: an even count takes the mean of 0 and 4.
    EXPECT_DOUBLE_EQ(PreciseDeskew::NoiseSigma(Grey({{5, 5, 5, 9, 3}})),
                     1.4826 * 2 / std::sqrt(2.0));
}

TEST(PreciseNoise, BoxMeanReplicatesEdgesAndRoundsByAddingFour) {
    const BmpBase::GreyImage out = PreciseDeskew::BoxMean3x3(Grey({{0, 9}, {18, 27}}));
    EXPECT_EQ(out.rows[0][0], (0 + 0 + 9 + 0 + 0 + 9 + 18 + 18 + 27 + 4) / 9);
    EXPECT_EQ(out.rows[1][1], (0 + 9 + 9 + 18 + 27 + 27 + 18 + 27 + 27 + 4) / 9);
    EXPECT_EQ(PreciseDeskew::BoxMean3x3(Grey({{1}})).rows[0][0], 1);  // (9 + 4) / 9
    EXPECT_EQ(PreciseDeskew::BoxMean3x3(Grey({{0, 0}, {0, 1}})).rows[0][0], 0);
}

TEST(PreciseReduce, BlockIsInkWhenAnyOfItsPixelsIs) {
    MaskCanvas canvas(3, 5);
    canvas.Ink(2, 4);
    canvas.Ink(1, 1);
    uint32_t rows = 0, cols = 0;
    const Skewmend::PixelMask out = PreciseDeskew::OrReduce(canvas.mask, 3, 5, rows, cols);
    ASSERT_EQ(rows, 2u);
    ASSERT_EQ(cols, 3u);
    EXPECT_EQ(out.Count(), 2u);
    EXPECT_TRUE(out[0]);          // block (0, 0) holds (1, 1)
    EXPECT_TRUE(out[1 * 3 + 2]);  // block (1, 2) holds (2, 4)
}

TEST(PreciseConfidence, MapsSharpnessThreeToHalfAndNineToOne) {
    EXPECT_DOUBLE_EQ(PreciseDeskew::Confidence(3.0), 0.5);
    EXPECT_DOUBLE_EQ(PreciseDeskew::Confidence(9.0), 1.0);
    EXPECT_DOUBLE_EQ(PreciseDeskew::Confidence(81.0), 1.0);
    EXPECT_EQ(PreciseDeskew::Confidence(1.0), 0.0);
    EXPECT_EQ(PreciseDeskew::Confidence(0.0), 0.0);
}

TEST(PreciseProfile, ScoreOfThreeRowsCountsTheirEdges) {
    // Three full rows of 20 pixels, away from the border, on a 12 x 22 mask:
    // at 0 degrees each row is one bin of 20, so D = 6 x 20^2.
    MaskCanvas canvas(12, 22);
    canvas.Box(3, 3, 1, 20);
    canvas.Box(6, 6, 1, 20);
    canvas.Box(8, 8, 1, 20);
    ProfilePixels pixels(canvas.mask, 12, 22, true);
    ASSERT_EQ(pixels.Count(), 60u);
    // Rows 6 and 8 are not neighbours: 6 steps of 20 in all.
    EXPECT_DOUBLE_EQ(pixels.Score(0.0), 6 * 400.0 * 12 / (60.0 * 60.0));
}

// Trap: pure noise must not look sharp anywhere, in particular not at 0 and
// 45 degrees where pixel grids tempt other binnings.
TEST(PreciseProfile, NoiseStaysFlatAtEveryAngle) {
    const MaskCanvas canvas = NoiseMask(300, 400, 0.1);
    ProfilePixels pixels(canvas.mask, 300, 400, true);
    for (double a : {0.0, 45.0, -45.0, 26.565, -14.0, 33.3, 1.0}) {
        EXPECT_LT(pixels.Sharpness(a), 1.5) << a;
    }
    EXPECT_EQ(Decide(canvas, 0).status, PreciseStatus::kNotSure);
}

// Trap: a frame on the outermost rows and columns (which the labeller never
// sees, so the component filter cannot erase it) must not pull a tilted page
// to 0 degrees.
TEST(PreciseProfile, FrameOnTheBorderDoesNotPullTheAngleToZero) {
    MaskCanvas canvas = TextMask(500, 420, 0.8);
    canvas.Box(0, 0, 0, 419);
    canvas.Box(499, 499, 0, 419);
    canvas.Box(0, 499, 0, 0);
    canvas.Box(0, 499, 419, 419);
    const PreciseEstimate e = Decide(canvas, 1);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, 0.8, 0.1);
}

// Trap: a solid picture on the page must stay solid in the sweep's reduced
// mask, not turn into a lattice whose grid directions win.
TEST(PreciseSweep, SolidPictureDoesNotTurnIntoAWinningLattice) {
    MaskCanvas canvas = TextMask(600, 480, 18.4, 4);
    const double a = 18.4 * std::acos(-1.0) / 180;
    for (int32_t u = -130; u <= 130; ++u) {  // a tilted solid 261 x 301 picture
        for (int32_t v = -150; v <= 150; ++v) {
            canvas.Ink(300 + static_cast<int32_t>(std::lround(u * std::cos(a) + v * std::sin(a))),
                       240 + static_cast<int32_t>(std::lround(-u * std::sin(a) + v * std::cos(a))));
        }
    }
    const PreciseEstimate e = Decide(canvas, 70);  // a seed beyond 45 forces the sweep
    EXPECT_TRUE(e.swept);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, 18.4, 0.1);
}

class PreciseFractionalTest : public testing::TestWithParam<double> {};

TEST_P(PreciseFractionalTest, IsRecoveredWithinATenthOfADegree) {
    const double tilt = GetParam();
    const MaskCanvas canvas = TextMask(877, 620, tilt);
    const PreciseEstimate e = Decide(canvas, static_cast<int>(std::lround(tilt)));
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, tilt, 0.1);
    EXPECT_GE(e.confidence, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Tilts, PreciseFractionalTest,
                         testing::Values(0.3, 1.7, -2.45, 12.6, -38.2),
                         [](const testing::TestParamInfo<double>& p) {
                             std::string name = std::to_string(p.param);
                             for (char& ch : name) {
                                 ch = ch == '-' ? 'm' : (ch == '.' ? 'p' : ch);
                             }
                             return name;
                         });

TEST(PreciseDecide, WrongWholeSeedIsRescuedByTheSweep) {
    const MaskCanvas canvas = TextMask(877, 620, -21.3);
    const PreciseEstimate e = Decide(canvas, 30);
    EXPECT_TRUE(e.swept);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, -21.3, 0.1);
}

TEST(PreciseDecide, PageTiltedBeyondFortyFiveIsNotRefinedThere) {
    const MaskCanvas canvas = TextMask(877, 620, 62.0);
    const PreciseEstimate e = Decide(canvas, 62);
    EXPECT_TRUE(e.swept);
    if (e.status == PreciseStatus::kSure) {
        EXPECT_LE(std::fabs(e.angle), 46.0);
    }
}

TEST(PreciseDecide, MaskWithoutInkIsNotSure) {
    const MaskCanvas canvas(50, 60);
    const PreciseEstimate e = Decide(canvas, 0);
    EXPECT_EQ(e.status, PreciseStatus::kNotSure);
    EXPECT_EQ(e.confidence, 0.0);
}

}  // namespace
