// Flat regions and the page background: tiled labelling on grey values,
// the choice of the largest region as label 1 and its box.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <tuple>

#include "engine/binarizer/binarizer.h"
#include "tests/engine/binarizer/grey_pages.h"

using GreyPages::FillRect;
using GreyPages::Page;
using Skewmend::Binarizer;

namespace {

void ExpectBox(const Skewmend::RegionRect& box, uint16_t r0, uint16_t r1, uint16_t c0,
               uint16_t c1) {
    EXPECT_EQ(box.firstRow, r0);
    EXPECT_EQ(box.lastRow, r1);
    EXPECT_EQ(box.firstCol, c0);
    EXPECT_EQ(box.lastCol, c1);
}

std::set<uint32_t> LabelsOf(const Binarizer& b) {
    std::set<uint32_t> found;
    for (uint32_t r = 0; r < b.height; ++r) {
        for (uint32_t c = 0; c < b.width; ++c) {
            found.insert(b.labels.rows[r][c]);
        }
    }
    return found;
}

}  // namespace

// Pages that are one flat region however they cross the 100-pixel tiles:
// uniform grey, a gradient of one level per column (ends far apart), a
// gradient down the rows, and noise within the tolerance.
class OneRegionPage : public testing::TestWithParam<std::tuple<const char*, uint32_t, uint32_t>> {};

TEST_P(OneRegionPage, IsLabelOneCoveringTheWholeImage) {
    const std::string kind = std::get<0>(GetParam());
    const uint32_t rows = std::get<1>(GetParam());
    const uint32_t cols = std::get<2>(GetParam());
    Binarizer b(Page(rows, cols, [&](uint32_t r, uint32_t c) {
        if (kind == "uniform") {
            return 200;
        }
        if (kind == "columns") {
            return static_cast<int>(c);
        }
        if (kind == "rows") {
            return static_cast<int>(255 - r);
        }
        return static_cast<int>(100 + (r * 7 + c * 3) % 6);  // within 5 of every neighbour
    }));
    b.GetCCInfo();
    EXPECT_TRUE(b.ccInfoDone);
    EXPECT_EQ(LabelsOf(b), std::set<uint32_t>{1});
    ASSERT_EQ(b.backgroundSizes.size(), 1u);
    EXPECT_EQ(b.backgroundSizes[0], rows * cols);
    ASSERT_EQ(b.backgrounds.size(), 1u);
    ExpectBox(b.backgrounds[0], 0, static_cast<uint16_t>(rows - 1), 0,
              static_cast<uint16_t>(cols - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, OneRegionPage,
    testing::Values(std::make_tuple("uniform", 250u, 230u), std::make_tuple("columns", 150u, 250u),
                    std::make_tuple("rows", 250u, 120u), std::make_tuple("noise", 210u, 205u),
                    std::make_tuple("uniform", 1u, 250u), std::make_tuple("uniform", 250u, 1u),
                    std::make_tuple("columns", 1u, 1u), std::make_tuple("noise", 2u, 301u)));

TEST(FlatRegions, OfTwoEqualRegionsTheHigherLabelBecomesThePaper) {
    // Left half 0, right half 100: the scan labels the left half first.
    Binarizer b(Page(40, 80, [](uint32_t, uint32_t c) { return c < 40 ? 0 : 100; }));
    b.GetCCInfo();
    // Right half was label 2 and is kept; old label 1 moves to counter + 1.
    EXPECT_EQ(b.labels.rows[0][40], 1u);
    EXPECT_EQ(b.labels.rows[39][79], 1u);
    EXPECT_EQ(b.labels.rows[0][0], 3u);
    EXPECT_EQ(b.labels.rows[39][39], 3u);
    EXPECT_EQ(b.backgroundSizes, std::vector<uint32_t>{1600});
    ExpectBox(b.backgrounds[0], 0, 39, 40, 79);
}

TEST(FlatRegions, LargestRegionWinsOverLaterSmallerOnes) {
    BmpBase::GreyImage g = Page(60, 60, [](uint32_t, uint32_t) { return 220; });
    FillRect(g, 10, 19, 10, 19, 20);  // ink squares: separate, smaller regions
    FillRect(g, 40, 49, 30, 35, 20);
    Binarizer b(g);
    b.GetCCInfo();
    EXPECT_EQ(b.labels.rows[0][0], 1u);
    EXPECT_NE(b.labels.rows[15][15], 1u);
    EXPECT_NE(b.labels.rows[15][15], b.labels.rows[45][32]);
    EXPECT_EQ(b.backgroundSizes, std::vector<uint32_t>{3600 - 100 - 60});
    ExpectBox(b.backgrounds[0], 0, 59, 0, 59);
}

// Two tiles side by side (columns 0..99 and 100..179): they form one region
// exactly when the pixels across the tile border are within the tolerance.
class TileBorder : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(TileBorder, JoinsRegionsOnlyWhenTheBorderPixelsMatch) {
    const int right = std::get<0>(GetParam());
    const bool joined = std::get<1>(GetParam());
    Binarizer b(Page(120, 180, [&](uint32_t, uint32_t c) { return c < 100 ? 50 : right; }));
    b.GetCCInfo();
    const bool same = b.labels.rows[60][99] == b.labels.rows[60][100];
    EXPECT_EQ(same, joined);
    EXPECT_EQ(b.labels.rows[119][179], b.labels.rows[0][100]);  // crosses row tile border too
    EXPECT_EQ(b.backgroundSizes[0], joined ? 120u * 180u : 120u * 100u);
}

INSTANTIATE_TEST_SUITE_P(Tolerance, TileBorder,
                         testing::Values(std::make_tuple(55, true), std::make_tuple(45, true),
                                         std::make_tuple(56, false), std::make_tuple(44, false)));

TEST(FlatRegions, TileBorderJoinsThroughADiagonalNeighbour) {
    // A one-pixel diagonal line of grey 10 on grey 200 crossing the vertical
    // tile border at column 100: only diagonal contacts link it.
    BmpBase::GreyImage g = Page(200, 200, [](uint32_t r, uint32_t c) { return r == c ? 10 : 200; });
    Binarizer b(g);
    b.GetCCInfo();
    EXPECT_EQ(b.labels.rows[99][99], b.labels.rows[100][100]);
    EXPECT_EQ(b.labels.rows[0][0], b.labels.rows[199][199]);
}

TEST(FlatRegions, SecondCallChangesNothing) {
    BmpBase::GreyImage g =
        Page(130, 170, [](uint32_t r, uint32_t c) { return ((r / 13) + (c / 17)) % 3 * 80; });
    Binarizer b(g);
    b.GetCCInfo();
    const BmpBase::Plane32 first = b.labels;
    const auto sizes = b.backgroundSizes;
    const auto box = b.backgrounds[0];
    b.GetCCInfo();
    ASSERT_EQ(b.labels.ElementCount(), first.ElementCount());
    EXPECT_TRUE(std::equal(first.Data(), first.Data() + first.ElementCount(), b.labels.Data()));
    EXPECT_EQ(b.backgroundSizes, sizes);
    ExpectBox(b.backgrounds[0], box.firstRow, box.lastRow, box.firstCol, box.lastCol);
}

TEST(FlatRegions, EmptyImageHasNoBackground) {
    Binarizer b(BmpBase::GreyImage(0, 0));
    b.GetCCInfo();
    EXPECT_TRUE(b.ccInfoDone);
    EXPECT_TRUE(b.backgrounds.empty());
    EXPECT_TRUE(b.backgroundSizes.empty());
}

TEST(FlatRegions, LabelLimitLeavesTheRestUnlabelled) {
    // (r + 3c) mod 5 in steps of 40: no pixel matches any of its four
    // scanned neighbours, so every pixel needs a label of its own and the
    // 1,050,625 pixels exceed the limit of 1,048,576 labels.
    constexpr uint32_t kSide = 1025;
    Binarizer b(Page(kSide, kSide, [](uint32_t r, uint32_t c) {
        return static_cast<int>((r + 3 * c) % 5 * 40);
    }));
    b.GetCCInfo();
    size_t unlabelled = 0;
    const uint32_t* p = b.labels.Data();
    for (size_t i = 0; i < b.labels.ElementCount(); ++i) {
        unlabelled += p[i] == 0;
    }
    EXPECT_EQ(unlabelled, size_t{kSide} * kSide - 1048576);
    // All regions have one pixel: the last label issued is kept.
    EXPECT_EQ(b.backgroundSizes, std::vector<uint32_t>{1});
    // The last tile row and column are labelled last; its final tile (rows
    // and columns 1000..1024) got no label at all.
    EXPECT_EQ(b.labels.rows[1024][1024], 0u);
    EXPECT_NE(b.labels.rows[999][999], 0u);
}
