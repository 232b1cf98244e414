// NearestCentroid against the plain scan over every centroid in index order,
// on random sets full of ties: equal rows, equal distances, coinciding
// centroids, and centroids far apart, with random subsets kept and accepted.
#include "engine/deskew/nearest_centroid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using Skewmend::NearestCentroid;
using Skewmend::Point;

struct Found {
    size_t index;
    double best;
};

// The reference: every centroid in index order, the first strictly nearer
// one winning.
template <typename Keep, typename Accept>
Found ScanAll(const std::vector<Point>& points, size_t i, Keep keep, Accept accept, size_t none) {
    double best = NearestCentroid::kNoDistanceYet;
    size_t nearest = none;
    for (size_t j = 0; j < points.size(); ++j) {
        if (j == i || !keep(j) || !accept(j)) {
            continue;
        }
        const double dCol = points[j].column - points[i].column;
        const double dRow = points[j].row - points[i].row;
        const double d2 = dCol * dCol + dRow * dRow;
        if (d2 < best) {
            best = d2;
            nearest = j;
        }
    }
    return {nearest, best};
}

// Coordinates drawn from a few kinds: small integers (many exact ties),
// thirds (inexact sums), large values (rounding in the squares) and a
// handful of repeated points.
double Coordinate(std::mt19937& rng, int kind) {
    switch (kind) {
        case 0:
            return static_cast<double>(rng() % 12);
        case 1:
            return static_cast<double>(rng() % 40) / 3.0;
        case 2:
            return 60000.0 + static_cast<double>(rng() % 1000) / 7.0;
        default:
            return std::uniform_real_distribution<double>(0.0, 5000.0)(rng);
    }
}

class NearestCentroidRandom : public testing::TestWithParam<int> {};

TEST_P(NearestCentroidRandom, MatchesTheFullScanIndexAndDistance) {
    std::mt19937 rng(20261207u + static_cast<uint32_t>(GetParam()));
    const int kind = GetParam() % 4;
    for (int round = 0; round < 60; ++round) {
        const size_t n = rng() % 160;
        std::vector<Point> points(n);
        for (Point& p : points) {
            p.row = Coordinate(rng, kind);
            p.column = Coordinate(rng, kind);
        }
        for (size_t d = 0; n > 1 && d < n / 8; ++d) {
            points[rng() % n] = points[rng() % n];  // coinciding centroids
        }
        std::vector<bool> kept(n);
        std::vector<uint32_t> weight(n);
        for (size_t i = 0; i < n; ++i) {
            kept[i] = rng() % 5 != 0;
            weight[i] = static_cast<uint32_t>(1 + rng() % 20);
        }
        auto keep = [&](size_t j) { return static_cast<bool>(kept[j]); };
        const NearestCentroid finder(points, keep);
        for (size_t i = 0; i < n; ++i) {
            if (!kept[i]) {
                continue;
            }
            const uint32_t lower = weight[i] / 4;
            const uint32_t upper = weight[i] * 4;
            auto accept = [&](size_t j) { return weight[j] >= lower && weight[j] <= upper; };
            const Found expected = ScanAll(points, i, keep, accept, n);
            double best = -1.0;
            const size_t got = finder.Nearest(i, accept, n, best);
            ASSERT_EQ(got, expected.index) << "round " << round << " query " << i;
            ASSERT_EQ(best, expected.best) << "round " << round << " query " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, NearestCentroidRandom, testing::Range(0, 16));

TEST(NearestCentroid, LowestIndexWinsAmongEquallyNearOnes) {
    // Four neighbours at distance 1 around centroid 2, listed out of row order.
    const std::vector<Point> points = {{6.0, 5.0}, {5.0, 4.0}, {5.0, 5.0}, {4.0, 5.0}, {5.0, 6.0}};
    const NearestCentroid finder(points, [](size_t) { return true; });
    double best = 0.0;
    EXPECT_EQ(finder.Nearest(
                  2, [](size_t) { return true; }, 99, best),
              0u);
    EXPECT_EQ(best, 1.0);
    EXPECT_EQ(finder.Nearest(
                  2, [](size_t j) { return j != 0; }, 99, best),
              1u);
}

TEST(NearestCentroid, NoAcceptedNeighbourGivesNone) {
    const std::vector<Point> points = {{1.0, 1.0}, {2.0, 2.0}};
    const NearestCentroid finder(points, [](size_t) { return true; });
    double best = 0.0;
    EXPECT_EQ(finder.Nearest(
                  0, [](size_t) { return false; }, 7, best),
              7u);
    EXPECT_EQ(best, NearestCentroid::kNoDistanceYet);
    const NearestCentroid alone(points, [](size_t j) { return j == 0; });
    EXPECT_EQ(alone.Nearest(
                  0, [](size_t) { return true; }, 7, best),
              7u);
}

}  // namespace
