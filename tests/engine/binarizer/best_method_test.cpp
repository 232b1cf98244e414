// Method selection: the gradient image, the edge centroid, the illumination
// test and the choice between optimised Otsu, multi-background Otsu and
// searched Sauvola.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/binarizer/binarizer.h"
#include "engine/binarizer/binarizer_rules.h"
#include "tests/engine/binarizer/grey_pages.h"

using GreyPages::At;
using GreyPages::FillRect;
using GreyPages::MaskWhere;
using GreyPages::Page;
using Skewmend::Binarizer;
using Skewmend::PixelMask;
using Skewmend::RegionRect;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// 100 x 100: paper of 200 .. 205 (one flat region) above `paperRows`, a
// dark band of 30 below, and 4 x 4 marks of ink 40 .. 59 at rows and columns
// 10, 30, 60, 80.
BmpBase::GreyImage MarkedPage(uint32_t paperRows) {
    BmpBase::GreyImage g = Page(100, 100, [&](uint32_t r, uint32_t c) {
        return r < paperRows ? static_cast<int>(200 + (r + c) % 6) : 30;
    });
    for (uint32_t r : {10u, 30u, 60u, 80u}) {
        for (uint32_t c : {10u, 30u, 60u, 80u}) {
            for (uint32_t y = r; y < r + 4; ++y) {
                for (uint32_t x = c; x < c + 4; ++x) {
                    g.rows[y][x] = static_cast<uint8_t>(40 + (y * 3 + x) % 20);
                }
            }
        }
    }
    return g;
}

bool IsMark(uint32_t r, uint32_t c) {
    const auto in = [](uint32_t v) {
        for (uint32_t s : {10u, 30u, 60u, 80u}) {
            if (v >= s && v <= s + 3) {
                return true;
            }
        }
        return false;
    };
    return in(r) && in(c);
}

}  // namespace

struct QuadrantCase {
    const char* name;
    int32_t thresholds[4];
    double separations[4];
    bool evenlyLit;
};

class Quadrants : public testing::TestWithParam<QuadrantCase> {};

TEST_P(Quadrants, CompareSpreadWithMeanSeparation) {
    const QuadrantCase& p = GetParam();
    EXPECT_EQ(Skewmend::QuadrantsEvenlyLit(p.thresholds, p.separations, 0.3), p.evenlyLit);
}

INSTANTIATE_TEST_SUITE_P(
    Ratios, Quadrants,
    testing::Values(
        QuadrantCase{"SpreadSevenOverHundred", {120, 125, 118, 122}, {100, 100, 100, 100}, true},
        QuadrantCase{"RatioAtTheLimitIsUneven", {100, 130, 110, 120}, {100, 100, 100, 100}, false},
        QuadrantCase{"FarApartThresholds", {180, 90, 175, 85}, {60, 60, 60, 60}, false},
        QuadrantCase{"AllSingleLevel", {0, 0, 0, 0}, {0, 0, 0, 0}, false},
        QuadrantCase{"OneSingleLevelQuadrant", {0, 120, 121, 119}, {0, 100, 100, 100}, false},
        QuadrantCase{"EqualThresholds", {51, 51, 51, 51}, {150, 150, 150, 150}, true}),
    [](const testing::TestParamInfo<QuadrantCase>& param) {
        return std::string(param.param.name);
    });

TEST(Difference, IsTheLargerOfTheVerticalAndHorizontalStep) {
    BmpBase::GreyImage g = Page(3, 3, [](uint32_t, uint32_t) { return 0; });
    const int values[3][3] = {{10, 40, 35}, {200, 190, 100}, {0, 5, 255}};
    for (uint32_t r = 0; r < 3; ++r) {
        for (uint32_t c = 0; c < 3; ++c) {
            g.rows[r][c] = static_cast<uint8_t>(values[r][c]);
        }
    }
    Binarizer b(g);
    BmpBase::GreyImage out;
    b.Difference(out);
    const int expected[3][3] = {{0, 30, 5}, {190, 150, 90}, {200, 185, 250}};
    for (uint32_t r = 0; r < 3; ++r) {
        for (uint32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(out.rows[r][c], expected[r][c]) << r << "," << c;
        }
    }
}

TEST(FilterDiff, ClearsEverythingOutsideTheBox) {
    Binarizer b(BmpBase::GreyImage(6, 7));
    BmpBase::GreyImage diff =
        Page(6, 7, [](uint32_t r, uint32_t c) { return static_cast<int>(1 + r * 7 + c); });
    b.FilterDiff(diff, RegionRect{1, 3, 2, 5});
    for (uint32_t r = 0; r < 6; ++r) {
        for (uint32_t c = 0; c < 7; ++c) {
            const bool inside = r >= 1 && r <= 3 && c >= 2 && c <= 5;
            EXPECT_EQ(diff.rows[r][c], inside ? 1 + r * 7 + c : 0u) << r << "," << c;
        }
    }
}

TEST(EdgeCentroid, TruncatesTheMeanAndSurvivesNoEdges) {
    Binarizer b(BmpBase::GreyImage(10, 10));
    uint32_t row = 99, col = 99;
    b.EdgeCentroid(MaskWhere(10, 10,
                             [](uint32_t r, uint32_t c) {
                                 return (r == 1 && c == 2) || (r == 4 && c == 9) ||
                                        (r == 4 && c == 4);
                             }),
                   row, col);
    EXPECT_EQ(row, 3u);  // 9 / 3
    EXPECT_EQ(col, 5u);  // 15 / 3
    b.EdgeCentroid(PixelMask(100), row, col);
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(col, 0u);
}

TEST(IsWellIllumi, PageWithoutEdgesIsEvenlyLitWithoutASplit) {
    Binarizer b(Page(50, 50, [](uint32_t, uint32_t) { return 180; }));
    EXPECT_TRUE(b.IsWellIllumi(RegionRect{0, 49, 0, 49}, PixelMask(2500)));
    EXPECT_FALSE(b.hasSplit);
}

TEST(IsWellIllumi, CentroidOutsideTheBoxReadsNothingOutsideIt) {
    // Box rows/columns 10..29; the only edge lies at (45, 45), outside it.
    // The answer must not depend on what lies outside the box.
    const auto page = [](int outside) {
        BmpBase::GreyImage g = Page(50, 50, [&](uint32_t r, uint32_t c) {
            const bool inBox = r >= 10 && r <= 29 && c >= 10 && c <= 29;
            return inBox ? 200 : outside + static_cast<int>((r * 7 + c * 13) % 50);
        });
        FillRect(g, 14, 16, 14, 16, 40);
        FillRect(g, 22, 24, 22, 24, 40);
        return g;
    };
    const PixelMask edges =
        MaskWhere(50, 50, [](uint32_t r, uint32_t c) { return r == 45 && c == 45; });
    const RegionRect box{10, 29, 10, 29};
    Binarizer dark(page(0));
    Binarizer light(page(200));
    const bool a = dark.IsWellIllumi(box, edges);
    const bool b = light.IsWellIllumi(box, edges);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(dark.hasSplit);
    EXPECT_EQ(dark.splitRow, 45u);
    EXPECT_EQ(dark.splitCol, 45u);
}

TEST(BinarizeBest, DominantPaperBoxUsesOptimisedOtsu) {
    const BmpBase::GreyImage g = MarkedPage(96);
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_Best(result);
    EXPECT_EQ(GetCapturedStdout(), "Use best Otsu\nBiggest background area ratio is 0.96\n");
    ASSERT_TRUE(b.hasSplit);
    // The same as the optimised global method around the same centroid.
    Binarizer reference(g);
    reference.hasSplit = true;
    reference.splitRow = b.splitRow;
    reference.splitCol = b.splitCol;
    PixelMask expected;
    int32_t threshold = 0;
    reference.Binarize_Otsu(expected, threshold, true);
    EXPECT_EQ(result, expected);
    // Otsu puts the threshold just above the ink (60); the climb finds the
    // threshold below it noisier and moves up through the empty gap.
    EXPECT_EQ(threshold, 90);
    // The ink and the band below the box are the foreground.
    EXPECT_EQ(result,
              MaskWhere(100, 100, [](uint32_t r, uint32_t c) { return IsMark(r, c) || r >= 96; }));
}

TEST(BinarizeBest, SmallerPaperBoxUsesMultiBackgroundOtsu) {
    Binarizer b(MarkedPage(88));
    PixelMask result;
    CaptureStdout();
    b.Binarize_Best(result);
    EXPECT_EQ(GetCapturedStdout(),
              "Use best Otsu\nBiggest background area ratio is 0.88\nUse multi background Otsu\n"
              "Total regions: 1\nUsed regions: 1\nRemain size too big, apply Otsu to it\n");
    EXPECT_EQ(result, MaskWhere(100, 100, IsMark));
}

TEST(BinarizeBest, PageLitBrighterOnOneSideUsesSauvola) {
    // Paper falls from 230 on the left to 81 on the right, three quarters of
    // a level per column (one flat region); 4 x 4 marks 70 below the paper.
    const auto paper = [](uint32_t c) { return static_cast<int>(230 - c * 3 / 4); };
    BmpBase::GreyImage g = Page(150, 200, [&](uint32_t, uint32_t c) { return paper(c); });
    for (uint32_t r = 20; r < 140; r += 20) {
        for (uint32_t c = 20; c < 190; c += 20) {
            for (uint32_t y = r; y < r + 4; ++y) {
                for (uint32_t x = c; x < c + 4; ++x) {
                    g.rows[y][x] = static_cast<uint8_t>(paper(x) - 70);
                }
            }
        }
    }
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_Best(result);
    EXPECT_EQ(GetCapturedStdout(), "Use best Sauvola\n");
    // Marks on both sides are ink; the paper between them is not.
    for (uint32_t c : {20u, 100u, 180u}) {
        EXPECT_TRUE(At(result, 200, 61, c + 1)) << c;
        EXPECT_FALSE(At(result, 200, 70, c + 1)) << c;
    }
}

TEST(BinarizeBest, BlankPageIsEvenlyLitAndGivesNoInk) {
    Binarizer b(Page(60, 80, [](uint32_t, uint32_t) { return 230; }));
    PixelMask result;
    CaptureStdout();
    b.Binarize_Best(result);
    EXPECT_EQ(GetCapturedStdout(),
              "Image is with unique color, can NOT apply Otsu\nUse best Otsu\n"
              "Biggest background area ratio is 1\n"
              "Image is with unique color, can NOT apply Otsu\n");
    EXPECT_FALSE(b.hasSplit);
    EXPECT_EQ(result.size(), 4800u);
    EXPECT_EQ(result.Count(), 0u);
}

TEST(BinarizeBest, DispatcherAnnouncesItAndReportsThePaper) {
    Binarizer b(MarkedPage(88));
    PixelMask result;
    uint16_t h = 0, w = 0;
    uint8_t background = 0;
    CaptureStdout();
    b.Binarize("best", result, h, w, background);
    EXPECT_EQ(GetCapturedStdout().rfind("Best!\nUse best Otsu\n", 0), 0u);
    EXPECT_EQ(result, MaskWhere(100, 100, IsMark));
    // The paper grey level is the mean of everything left false.
    int64_t sum = 0;
    int64_t count = 0;
    for (uint32_t r = 0; r < 100; ++r) {
        for (uint32_t c = 0; c < 100; ++c) {
            if (!IsMark(r, c)) {
                sum += b.grey.rows[r][c];
                ++count;
            }
        }
    }
    EXPECT_EQ(background, sum / count);
}
