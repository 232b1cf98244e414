// Component measurement: labelling, filtering of over-large and over-heavy
// components, merging of fragments, and the kept list.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "tests/engine/deskew/deskew_test_support.h"

using DeskewTest::MaskCanvas;
using Skewmend::Point;

namespace {

// Three bars of 3 x 20 pixels (radius about 9.55), 20 rows apart, on a
// 90 x 120 page; they come first in the labeller's column-major order.
MaskCanvas ThreeBars() {
    MaskCanvas canvas(90, 120);
    canvas.Box(20, 22, 10, 29);
    canvas.Box(40, 42, 10, 29);
    canvas.Box(60, 62, 10, 29);
    return canvas;
}

struct Kept {
    std::vector<Point> centroids;
    std::vector<uint32_t> counts;
    std::vector<double> radii;
    bool ok;
};

Kept Measure(Skewmend::Deskewer& d) {
    Kept k;
    k.ok = d.GetAllCCCentroids(k.centroids, k.counts, k.radii);
    return k;
}

TEST(GetAllCCCentroids, MeasuresCentroidCountAndRadiusOfEachComponent) {
    MaskCanvas canvas = ThreeBars();
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    ASSERT_EQ(k.counts, (std::vector<uint32_t>{60, 60, 60}));
    EXPECT_DOUBLE_EQ(k.centroids[0].row, 21.0);
    EXPECT_DOUBLE_EQ(k.centroids[0].column, 19.5);
    EXPECT_DOUBLE_EQ(k.centroids[2].row, 61.0);
    EXPECT_DOUBLE_EQ(k.radii[1], std::sqrt(9.5 * 9.5 + 1.0));
    EXPECT_EQ(d->lastColumn, 118u);
}

TEST(GetAllCCCentroids, PictureFarAboveMedianRadiusIsErasedFromMaskAndGrey) {
    MaskCanvas canvas(200, 200);
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            canvas.Box(5 + 10 * r, 9 + 10 * r, 5 + 10 * c, 9 + 10 * c);  // 5 x 5 letters
        }
    }
    canvas.Box(120, 170, 120, 170);  // the picture
    auto d = DeskewTest::MakeDeskewer(canvas, 219);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.counts.size(), 100u);
    for (uint32_t r = 120; r <= 170; ++r) {
        for (uint32_t c = 120; c <= 170; ++c) {
            ASSERT_FALSE(d->mask[r * 200 + c]);
            ASSERT_EQ(d->grey.rows[r][c], 219);
        }
    }
    EXPECT_TRUE(d->mask[5 * 200 + 5]);
    EXPECT_NE(d->grey.rows[5][5], 219);
}

TEST(GetAllCCCentroids, HeavyBarIsLeftOutButStaysInTheMask) {
    MaskCanvas canvas(200, 200);
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            canvas.Box(5 + 10 * r, 9 + 10 * r, 5 + 10 * c, 9 + 10 * c);
        }
    }
    // 15 x 15 = 225 pixels > 8 x 25, radius 9.9 < 4 x 2.83.
    canvas.Box(150, 164, 150, 164);
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.counts.size(), 100u);
    EXPECT_TRUE(d->mask[157 * 200 + 157]);
}

TEST(GetAllCCCentroids, DotWithinReachOfItsStemIsMergedIntoTheSmallerNumber) {
    MaskCanvas canvas = ThreeBars();
    canvas.Box(16, 17, 19, 20);  // dot 4.5 rows above the first bar's centroid
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    ASSERT_EQ(k.counts, (std::vector<uint32_t>{64, 60, 60}));
    EXPECT_DOUBLE_EQ(k.centroids[0].row, (60 * 21.0 + 4 * 16.5) / 64);
    EXPECT_DOUBLE_EQ(k.centroids[0].column, 19.5);
}

TEST(GetAllCCCentroids, SpeckBeyondReachOfItsNearestLetterIsLeftOut) {
    MaskCanvas canvas = ThreeBars();
    canvas.Box(30, 31, 45, 46);  // 27.7 from the nearest bar, whose radius is 9.55
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.counts, (std::vector<uint32_t>{60, 60, 60}));
    EXPECT_TRUE(d->mask[30 * 120 + 45]);  // marked, not erased
}

TEST(GetAllCCCentroids, TwoSinglePixelsThatAreEachOthersNearestAreBothLeftOut) {
    MaskCanvas canvas = ThreeBars();
    canvas.Ink(80, 50);
    canvas.Ink(80, 53);
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.counts, (std::vector<uint32_t>{60, 60, 60}));
}

TEST(GetAllCCCentroids, SimilarNeighboursAreNeitherMergedNorMarked) {
    MaskCanvas canvas(40, 60);
    canvas.Box(10, 14, 10, 14);
    canvas.Box(10, 13, 17, 20);  // radius ratio above 0.6
    auto d = DeskewTest::MakeDeskewer(canvas);
    const Kept k = Measure(*d);
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.counts, (std::vector<uint32_t>{25, 16}));
}

struct TooFewCase {
    const char* name;
    std::vector<std::array<int32_t, 4>> boxes;
};

class TooFewComponentsTest : public testing::TestWithParam<TooFewCase> {};

TEST_P(TooFewComponentsTest, FailsWithFewerThanTwoUsableComponents) {
    MaskCanvas canvas(50, 50);
    for (const auto& b : GetParam().boxes) {
        canvas.Box(b[0], b[1], b[2], b[3]);
    }
    auto d = DeskewTest::MakeDeskewer(canvas);
    EXPECT_FALSE(Measure(*d).ok);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TooFewComponentsTest,
    testing::Values(TooFewCase{"NoInk", {}}, TooFewCase{"OneComponent", {{10, 20, 10, 20}}},
                    TooFewCase{"OnlyOnTheBorder", {{0, 0, 0, 49}, {49, 49, 0, 49}}},
                    // The two parts of the dot-and-bar pair merge into one.
                    TooFewCase{"MergedIntoOne", {{20, 22, 10, 29}, {16, 17, 19, 20}}}),
    [](const testing::TestParamInfo<TooFewCase>& p) { return std::string(p.param.name); });

}  // namespace

namespace {

// Plain per-pixel measurement over the label plane, kept as the reference:
// every ink pixel the labeller covered adds to its own label's totals.
struct PlainMeasures {
    std::vector<Point> centroid;
    std::vector<uint32_t> count;
    std::vector<double> radius;
};

PlainMeasures MeasurePlainly(const Skewmend::Deskewer& d, const BmpBase::Plane32& labels,
                             uint32_t n) {
    std::vector<uint64_t> sumRow(n + 1, 0), sumCol(n + 1, 0);
    PlainMeasures m;
    m.count.assign(n + 1, 0);
    m.centroid.assign(n + 1, Point{});
    m.radius.assign(n + 1, 0.0);
    const int32_t lastCol = std::min<int32_t>(static_cast<int32_t>(d.lastColumn), d.width - 1);
    auto each = [&](auto visit) {
        for (int32_t y = 1; y <= d.height - 2; ++y) {
            for (int32_t x = 1; x <= lastCol; ++x) {
                if (d.mask[static_cast<size_t>(y) * d.width + static_cast<size_t>(x)]) {
                    visit(y, x, labels.rows[y][x]);
                }
            }
        }
    };
    each([&](int32_t y, int32_t x, uint32_t l) {
        sumRow[l] += static_cast<uint64_t>(y);
        sumCol[l] += static_cast<uint64_t>(x);
        m.count[l] += 1;
    });
    for (uint32_t k = 1; k <= n; ++k) {
        if (m.count[k] > 0) {
            m.centroid[k].row = static_cast<double>(sumRow[k]) / m.count[k];
            m.centroid[k].column = static_cast<double>(sumCol[k]) / m.count[k];
        }
    }
    m.count[0] = 0;
    each([&](int32_t y, int32_t x, uint32_t l) {
        const double dx = x - m.centroid[l].column;
        const double dy = y - m.centroid[l].row;
        m.radius[l] = std::max(m.radius[l], dx * dx + dy * dy);
    });
    for (double& r : m.radius) {
        r = std::sqrt(r);
    }
    return m;
}

class MeasureRandom : public testing::TestWithParam<int> {};

// Random masks from sparse specks to dense blobs: centroids, counts and
// radii equal the plain per-pixel rule bit for bit.
TEST_P(MeasureRandom, CentroidsAndRadiiMatchThePlainRule) {
    std::mt19937 rng(static_cast<uint32_t>(GetParam()) * 7919u + 3u);
    const auto rows = static_cast<uint16_t>(20 + rng() % 120);
    const auto cols = static_cast<uint16_t>(20 + rng() % 160);
    MaskCanvas canvas(rows, cols);
    const auto density = static_cast<uint32_t>(2 + rng() % 60);
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            if (rng() % 100 < density) {
                canvas.Ink(r, c);
            }
        }
    }
    const auto d = DeskewTest::MakeDeskewer(canvas);
    BmpBase::Plane32 labels;
    uint32_t n = 0;
    d->LabelComponents(labels, n);
    std::vector<Point> centroid;
    std::vector<uint32_t> count;
    std::vector<double> radius;
    uint32_t valid = 0;
    d->ComputeCentroids(n, labels, centroid, count, valid);
    d->ComputeRadii(n, labels, centroid, radius);
    const PlainMeasures plain = MeasurePlainly(*d, labels, n);
    for (uint32_t k = 1; k <= n; ++k) {
        ASSERT_EQ(count[k], plain.count[k]) << k;
        ASSERT_EQ(centroid[k].row, plain.centroid[k].row) << k;
        ASSERT_EQ(centroid[k].column, plain.centroid[k].column) << k;
        ASSERT_EQ(radius[k], plain.radius[k]) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MeasureRandom, testing::Range(0, 24));

}  // namespace
