// Local threshold optimisation: the hill climb on scripted scores, the
// noise score, and the examined window on a page.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "engine/binarizer/binarizer.h"
#include "engine/binarizer/binarizer_rules.h"
#include "tests/engine/binarizer/grey_pages.h"

using GreyPages::FillRect;
using GreyPages::MaskWhere;
using GreyPages::Page;
using Skewmend::Binarizer;
using Skewmend::PixelMask;

namespace {

struct ClimbCase {
    const char* name;
    int32_t threshold;
    std::map<int32_t, double> scores;
    int32_t expected;
    std::vector<int32_t> asked;  // thresholds scored, in order
};

class Climb : public testing::TestWithParam<ClimbCase> {};

TEST_P(Climb, FollowsTheScores) {
    const ClimbCase& p = GetParam();
    const int32_t hi = std::min(p.threshold + 30, 255);
    const int32_t lo = std::max(p.threshold - 30, 1);
    std::vector<int32_t> asked;
    const int32_t result = Skewmend::ClimbThreshold(p.threshold, 10, lo, hi, [&](int32_t t) {
        asked.push_back(t);
        const auto it = p.scores.find(t);
        return it == p.scores.end() ? 0.0 : it->second;
    });
    EXPECT_EQ(result, p.expected);
    EXPECT_EQ(asked, p.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Climb,
    testing::Values(
        ClimbCase{"LowThresholdStaysUnscored", 5, {}, 5, {}},
        ClimbCase{"HighThresholdStaysUnscored", 250, {}, 250, {}},
        ClimbCase{"ElevenIsRefined", 11, {{11, 0.5}, {21, 0.4}, {1, 0.4}}, 11, {11, 21, 1}},
        ClimbCase{"BestInTheMiddleStays",
                  100,
                  {{100, 0.99}, {110, 0.98}, {90, 0.97}},
                  100,
                  {100, 110, 90}},
        ClimbCase{"TieBetweenNeighboursGoesDown",
                  100,
                  {{100, 0.97}, {110, 0.98}, {90, 0.98}, {80, 0.96}},
                  90,
                  {100, 110, 90, 80}},
        ClimbCase{"UpwardClimbContinuesOnEqualScores",
                  100,
                  {{100, 0.96}, {90, 0.95}, {110, 0.98}, {120, 0.98}, {130, 0.97}},
                  120,
                  {100, 110, 90, 120, 130}},
        ClimbCase{"ClimbStopsAtTheRange",
                  100,
                  {{100, 0.9}, {90, 0.9}, {110, 0.91}, {120, 0.92}, {130, 0.93}},
                  130,
                  {100, 110, 90, 120, 130}},
        ClimbCase{"EqualScoresEverywhereWalkDownTheRange",
                  100,
                  {{100, 1.0}, {110, 1.0}, {90, 1.0}, {80, 1.0}, {70, 1.0}},
                  70,
                  {100, 110, 90, 80, 70}},
        ClimbCase{
            "RangeClippedAt255", 240, {{240, 0.5}, {250, 0.6}, {230, 0.4}}, 250, {240, 250, 230}}),
    [](const testing::TestParamInfo<ClimbCase>& param) { return std::string(param.param.name); });

struct NoiseCase {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> ink;
    double expected;  // on a 5 x 6 mask: 12 interior pixels
};

class Noise : public testing::TestWithParam<NoiseCase> {};

TEST_P(Noise, CountsNearlyAndFullyIsolatedPixels) {
    const NoiseCase& p = GetParam();
    Binarizer b(BmpBase::GreyImage(5, 6));
    const PixelMask mask = MaskWhere(5, 6, [&](uint32_t r, uint32_t c) {
        for (const auto& px : p.ink) {
            if (px.first == r && px.second == c) {
                return true;
            }
        }
        return false;
    });
    EXPECT_DOUBLE_EQ(b.NoiseScore(mask), p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, Noise,
    testing::Values(NoiseCase{"Clean", {}, 1.0},
                    NoiseCase{"IsolatedInkCostsTwo", {{2, 2}}, 1.0 - 2.0 / 12.0},
                    NoiseCase{"PairCostsOneEach", {{2, 2}, {2, 3}}, 1.0 - 2.0 / 12.0},
                    // Four single ink pixels around a background pixel: all
                    // five are fully isolated.
                    NoiseCase{"Hole", {{1, 2}, {3, 2}, {2, 1}, {2, 3}}, 1.0 - 10.0 / 12.0},
                    NoiseCase{"BorderPixelsAreNotScored", {{0, 2}, {4, 5}}, 1.0}),
    [](const testing::TestParamInfo<NoiseCase>& param) { return std::string(param.param.name); });

TEST(NoiseScore, PageWithoutInteriorIsClean) {
    Binarizer b(BmpBase::GreyImage(2, 9));
    EXPECT_EQ(b.NoiseScore(PixelMask(18)), 1.0);
}

// A page of 1000 x 100 pixels: speckles of 118 on paper 200 in its top
// part (rows 20..300, cleaner with a lower threshold), 5 x 5 ink blobs of 50
// with a centre hole of 132 in its bottom part (rows 600..990, cleaner with
// a higher threshold). There are more holes than speckles.
BmpBase::GreyImage SpeckleAndHolePage() {
    BmpBase::GreyImage g = Page(1000, 100, [](uint32_t, uint32_t) { return 200; });
    for (uint32_t r = 20; r <= 300; r += 10) {
        for (uint32_t c = 10; c <= 90; c += 10) {
            g.rows[r][c] = 118;
        }
    }
    for (uint32_t r = 600; r <= 980; r += 10) {
        for (uint32_t c = 10; c <= 90; c += 10) {
            FillRect(g, r - 2, r + 2, c - 2, c + 2, 50);
            g.rows[r][c] = 132;
        }
    }
    return g;
}

class ExaminedWindow : public testing::TestWithParam<std::tuple<bool, uint32_t, int32_t, int32_t>> {
};

TEST_P(ExaminedWindow, DecidesTheClimb) {
    const bool hasSplit = std::get<0>(GetParam());
    const uint32_t splitRow = std::get<1>(GetParam());
    const int32_t start = std::get<2>(GetParam());
    const int32_t expected = std::get<3>(GetParam());
    Binarizer b(SpeckleAndHolePage());
    b.hasSplit = hasSplit;
    b.splitRow = splitRow;
    b.splitCol = 50;
    int32_t threshold = start;
    b.LocalOptimize(threshold);
    EXPECT_EQ(threshold, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Splits, ExaminedWindow,
    testing::Values(std::make_tuple(false, 0u, 125, 155),   // whole page: holes outweigh
                    std::make_tuple(true, 100u, 125, 95),   // rows 0..350: speckles only
                    std::make_tuple(true, 800u, 125, 155),  // rows 550..999: holes only
                    std::make_tuple(true, 100u, 5, 5), std::make_tuple(false, 0u, 250, 250)));

TEST(OptimisedOtsu, HonoursTheOptimiseFlagAndTheField) {
    const BmpBase::GreyImage g = SpeckleAndHolePage();
    Binarizer plain(g);
    PixelMask plainMask;
    int32_t otsu = 0;
    plain.Binarize_Otsu(plainMask, otsu, false);

    int32_t refined = otsu;
    Binarizer(g).LocalOptimize(refined);
    ASSERT_NE(refined, otsu);  // the page is one on which the climb moves

    Binarizer optimised(g);
    PixelMask mask;
    int32_t threshold = 0;
    optimised.Binarize_Otsu(mask, threshold, true);
    EXPECT_EQ(threshold, refined);
    PixelMask expected;
    optimised.ApplyThreshold(expected, refined);
    EXPECT_EQ(mask, expected);

    optimised.localOptimize = false;
    optimised.Binarize_Otsu(mask, threshold, true);
    EXPECT_EQ(threshold, otsu);
    EXPECT_EQ(mask, plainMask);
}

}  // namespace
