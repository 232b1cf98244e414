// The coarse angle: neighbour directions and their smoothed histogram.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/engine/deskew/deskew_test_support.h"

using Skewmend::Point;

namespace {

const double kPi = std::acos(-1.0);

double Rad(double degrees) {
    return degrees / 180.0 * kPi;
}

std::unique_ptr<Skewmend::Deskewer> Empty() {
    DeskewTest::MaskCanvas canvas(4, 4);
    return DeskewTest::MakeDeskewer(canvas);
}

TEST(NearestPairs, SameRowPairPointsBothWaysAndFoldsIntoBinZero) {
    auto d = Empty();
    std::vector<double> angles, weights;
    ASSERT_TRUE(d->GetNearestPairAngles({{10, 10}, {10, 30}}, {20, 25}, angles, weights));
    ASSERT_EQ(angles.size(), 2u);
    EXPECT_DOUBLE_EQ(angles[0], 0.0);
    EXPECT_DOUBLE_EQ(angles[1], kPi);
    EXPECT_EQ(weights, (std::vector<double>{500.0, 500.0}));
    EXPECT_EQ(d->GetAveAngle(angles, weights), 0);
}

TEST(NearestPairs, LineRisingOneRowPerTenColumnsGivesSix) {
    auto d = Empty();
    std::vector<Point> centroids;
    std::vector<uint32_t> counts;
    for (int k = 0; k < 12; ++k) {
        centroids.push_back({50.0 + k, 10.0 * k});
        counts.push_back(30);
    }
    std::vector<double> angles, weights;
    ASSERT_TRUE(d->GetNearestPairAngles(centroids, counts, angles, weights));
    EXPECT_EQ(d->GetAveAngle(angles, weights), 6);
}

struct BoundCase {
    uint32_t neighbourCount;
    size_t directions;  // from the pair of components
};

class NeighbourBoundsTest : public testing::TestWithParam<BoundCase> {};

// A component of 10 pixels pairs only with 3 .. 40 pixels.
TEST_P(NeighbourBoundsTest, TenPixelComponentPairsWithThreeToForty) {
    auto d = Empty();
    std::vector<double> angles, weights;
    d->GetNearestPairAngles({{5, 5}, {5, 20}}, {10, GetParam().neighbourCount}, angles, weights);
    EXPECT_EQ(angles.size(), GetParam().directions);
}

INSTANTIATE_TEST_SUITE_P(Bounds, NeighbourBoundsTest,
                         // 41 pixels still accept 10 (their lower bound), 2 do not.
                         testing::Values(BoundCase{2, 0}, BoundCase{3, 2}, BoundCase{40, 2},
                                         BoundCase{41, 1}));

TEST(NearestPairs, NearestAmongSimilarSizesOnlyAndFirstOfEqualDistancesWins) {
    auto d = Empty();
    std::vector<double> angles, weights;
    // Component 0 (20 px): component 1 is nearer but 100 px (too heavy);
    // components 2 and 3 are equally far, 2 comes first.
    ASSERT_TRUE(d->GetNearestPairAngles({{0, 0}, {0, 1}, {10, 0}, {0, 10}}, {20, 100, 20, 20},
                                        angles, weights));
    EXPECT_DOUBLE_EQ(angles[0], kPi / 2);
}

TEST(NearestPairs, SizesTooFarApartGiveNoPairs) {
    auto d = Empty();
    std::vector<double> angles{1.0}, weights{1.0};
    EXPECT_FALSE(d->GetNearestPairAngles({{0, 0}, {3, 3}}, {5, 50}, angles, weights));
    EXPECT_TRUE(angles.empty());
    EXPECT_FALSE(d->GetNearestPairAngles({{0, 0}}, {5}, angles, weights));
}

TEST(NearestPairs, CoincidentCentroidsContributeNoDirection) {
    auto d = Empty();
    std::vector<double> angles, weights;
    // Two concentric rings and a third component further away.
    ASSERT_TRUE(
        d->GetNearestPairAngles({{20, 20}, {20, 20}, {20, 60}}, {40, 44, 40}, angles, weights));
    ASSERT_EQ(angles.size(), 1u);  // only the third component's direction
    EXPECT_FALSE(std::isnan(angles[0]));
    EXPECT_FALSE(d->GetNearestPairAngles({{7, 7}, {7, 7}}, {40, 40}, angles, weights));
}

struct AveCase {
    const char* name;
    std::vector<double> degrees;
    std::vector<double> weights;
    int expected;
};

class AveAngleTest : public testing::TestWithParam<AveCase> {};

TEST_P(AveAngleTest, PicksThePeakOfTheSmoothedHistogram) {
    auto d = Empty();
    std::vector<double> angles;
    for (double deg : GetParam().degrees) {
        angles.push_back(Rad(deg));
    }
    EXPECT_EQ(d->GetAveAngle(angles, GetParam().weights), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AveAngleTest,
    testing::Values(
        // Equal masses across the wrap: the pointed kernel peaks on the masses.
        AveCase{"Bins178And2GiveTwo", {178, 2}, {5, 5}, 2},
        AveCase{"EqualIsolatedPeaksGiveTheSmallerAngle", {100, 10}, {3, 3}, 10},
        AveCase{"NeighbourhoodBeatsIsolatedFullerBin", {40, 41, 39, 120}, {4, 4, 4, 5}, 40},
        AveCase{"NearestWholeDegree", {6.6, 6.4}, {1, 1}, 6},
        AveCase{"JustBelow180FoldsToZero", {179.6}, {1}, 0},
        AveCase{"NoWeightGivesMinusOne", {12}, {0}, -1}, AveCase{"EmptyGivesMinusOne", {}, {}, -1}),
    [](const testing::TestParamInfo<AveCase>& p) { return std::string(p.param.name); });

TEST(AveAngle, DirectionsOutsideTheHalfTurnAreIgnored) {
    auto d = Empty();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(d->GetAveAngle({nan, -1.0, 4.0, Rad(33)}, {9, 9, 9, 1}), 33);
}

}  // namespace
