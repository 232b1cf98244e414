// Sauvola thresholding: window statistics, the polarity step, the
// thresholds and their borders, the parameter search and the list parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/binarizer/binarizer.h"
#include "tests/engine/binarizer/grey_pages.h"

using GreyPages::At;
using GreyPages::FillRect;
using GreyPages::MaskWhere;
using GreyPages::Page;
using Skewmend::Binarizer;
using Skewmend::PixelMask;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

BmpBase::GreyImage NoisyPage(uint32_t rows, uint32_t cols) {
    return Page(rows, cols, [](uint32_t r, uint32_t c) {
        return static_cast<int>((r * 131 + c * 71 + r * c * 17) % 256);
    });
}

}  // namespace

TEST(SauvolaWindow, TablesAndDirectSumsGiveIdenticalStatistics) {
    const BmpBase::GreyImage g = NoisyPage(47, 53);
    Binarizer tables(g);
    tables.BuildIntegralTables();
    Binarizer direct(g);
    direct.useIntegral = false;
    for (uint32_t top = 0; top + 20 <= 47; top += 3) {
        for (uint32_t left = 0; left + 20 <= 53; left += 5) {
            double m1 = 0, d1 = 0, m2 = 0, d2 = 0;
            tables.WindowStats(top, left, m1, d1);
            direct.WindowStats(top, left, m2, d2);
            EXPECT_EQ(m1, m2);
            EXPECT_EQ(d1, d2);
        }
    }
}

TEST(Sauvola, BlackSquareOnGrey200IsExactlyTheInk) {
    BmpBase::GreyImage g = Page(60, 70, [](uint32_t, uint32_t) { return 200; });
    FillRect(g, 20, 29, 30, 39, 0);
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_Sauvola(result, -1, -1.0);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(result, MaskWhere(60, 70, [](uint32_t r, uint32_t c) {
                  return r >= 20 && r <= 29 && c >= 30 && c <= 39;
              }));
}

TEST(Sauvola, FlatPaperThresholdIs160) {
    // One faint pixel per window: 160 is at the threshold of 160 (ink),
    // 161 just above it.
    BmpBase::GreyImage g = Page(60, 60, [](uint32_t, uint32_t) { return 200; });
    g.rows[15][15] = 160;
    g.rows[45][45] = 161;
    Binarizer b(g);
    PixelMask result;
    b.Binarize_Sauvola(result, -1, -1.0);
    EXPECT_TRUE(At(result, 60, 15, 15));
    EXPECT_FALSE(At(result, 60, 45, 45));
    EXPECT_EQ(result.Count(), 1u);
}

TEST(Sauvola, DarkPageWithLightTextIsRevertedOnce) {
    BmpBase::GreyImage g = Page(60, 60, [](uint32_t, uint32_t) { return 50; });
    FillRect(g, 10, 14, 10, 30, 230);
    FillRect(g, 40, 44, 20, 50, 230);
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_Sauvola(result, -1, -1.0);
    b.Binarize_Sauvola(result, -1, -1.0);
    EXPECT_EQ(GetCapturedStdout(), "Revert original image.\n");
    EXPECT_EQ(b.grey.rows[0][0], 205);
    EXPECT_EQ(b.grey.rows[12][12], 25);
    EXPECT_EQ(result, MaskWhere(60, 60, [](uint32_t r, uint32_t c) {
                  return (r >= 10 && r <= 14 && c >= 10 && c <= 30) ||
                         (r >= 40 && r <= 44 && c >= 20 && c <= 50);
              }));
}

TEST(Sauvola, EqualPolaritySumsLeaveTheImage) {
    // Paper 100 with one pixel 50 below and one 150 above it: the sums tie.
    BmpBase::GreyImage g = Page(40, 40, [](uint32_t, uint32_t) { return 100; });
    g.rows[10][10] = 50;
    g.rows[30][30] = 150;
    Binarizer b(g);
    CaptureStdout();
    b.RevertIfInverted();
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(b.grey.rows[10][10], 50);
}

// Images not larger than the 20-pixel window in one direction take the
// global Otsu mask (majority rule included) without any message.
class SauvolaFallback : public testing::TestWithParam<std::tuple<uint32_t, uint32_t>> {};

TEST_P(SauvolaFallback, UsesOtsu) {
    const uint32_t rows = std::get<0>(GetParam());
    const uint32_t cols = std::get<1>(GetParam());
    // 70 % dark: the majority rule makes the light part the foreground.
    const BmpBase::GreyImage g = Page(
        rows, cols, [&](uint32_t r, uint32_t c) { return (r * cols + c) % 10 < 7 ? 40 : 200; });
    Binarizer sauvola(g);
    Binarizer otsu(g);
    PixelMask expected;
    int32_t threshold = 0;
    otsu.Binarize_Otsu(expected, threshold, false);
    PixelMask result;
    CaptureStdout();
    sauvola.Binarize_Sauvola(result, -1, -1.0);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(result, expected);
    EXPECT_FALSE(sauvola.ccInfoDone);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SauvolaFallback,
                         testing::Values(std::make_tuple(20u, 500u), std::make_tuple(500u, 20u),
                                         std::make_tuple(20u, 20u), std::make_tuple(1u, 300u),
                                         std::make_tuple(12u, 1u)));

TEST(Sauvola, SmallestImageAboveTheWindowUsesOneBandPixel) {
    BmpBase::GreyImage g = Page(21, 21, [](uint32_t, uint32_t) { return 200; });
    FillRect(g, 8, 12, 8, 12, 0);
    Binarizer b(g);
    PixelMask result;
    b.Binarize_Sauvola(result, -1, -1.0);
    EXPECT_TRUE(b.ccInfoDone);
    EXPECT_EQ(result, MaskWhere(21, 21, [](uint32_t r, uint32_t c) {
                  return r >= 8 && r <= 12 && c >= 8 && c <= 12;
              }));
}

TEST(Sauvola, ThresholdAboveTheRangeSaturatesAt255) {
    // R = 1 is far below the deviation of a 0/255 stripe pattern: the
    // thresholds would exceed 255. Saturated, every pixel is at or below
    // its threshold.
    Binarizer b(Page(40, 40, [](uint32_t, uint32_t c) { return c % 2 == 0 ? 0 : 255; }));
    PixelMask result;
    b.Binarize_Sauvola(result, 1, 0.5);
    EXPECT_EQ(result.Count(), 1600u);
}

TEST(SauvolaParams, NoEdgeSampleKeepsTheObjectDefaults) {
    Binarizer b(NoisyPage(60, 60));
    b.BuildIntegralTables();
    double k = -5;
    int32_t R = -5;
    b.SelectSauvolaParams(PixelMask(60 * 60), k, R);
    EXPECT_EQ(k, 0.2);
    EXPECT_EQ(R, 128);
    // Edge flags only outside the sampled band count as no sample too.
    b.SelectSauvolaParams(MaskWhere(60, 60, [](uint32_t r, uint32_t) { return r < 11; }), k, R);
    EXPECT_EQ(k, 0.2);
    EXPECT_EQ(R, 128);
}

TEST(SauvolaParams, PicksACandidatePairThatSplitsTheEdges) {
    // Text strokes of 60 on paper 200: at the stroke edges a sample whose
    // neighbours above or to the left are on the other side disagrees.
    BmpBase::GreyImage g = Page(80, 80, [](uint32_t, uint32_t) { return 200; });
    for (uint32_t c = 15; c < 65; c += 8) {
        FillRect(g, 15, 64, c, c + 2, 60);
    }
    Binarizer b(g);
    b.BuildIntegralTables();
    const PixelMask edges = MaskWhere(
        80, 80, [&](uint32_t r, uint32_t c) { return c > 0 && g.rows[r][c] != g.rows[r][c - 1]; });
    double k = 0;
    int32_t R = 0;
    b.SelectSauvolaParams(edges, k, R);
    EXPECT_TRUE(R == 64 || R == 128);
    EXPECT_GE(k, 0.02);
    EXPECT_LE(k, 0.5);
    // With the chosen pair the strokes come out as ink and the paper does not.
    PixelMask result;
    b.Binarize_Sauvola(result, R, k);
    EXPECT_TRUE(At(result, 80, 40, 16));
    EXPECT_FALSE(At(result, 80, 40, 20));
    EXPECT_FALSE(At(result, 80, 5, 5));
}

struct ParseCase {
    const char* list;
    std::vector<int32_t> values;
    bool message;
};

void PrintTo(const ParseCase& p, std::ostream* os) {
    *os << '"' << p.list << '"';
}

class ParseIntListCases : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntListCases, ParsesUpToTheFirstZeroPiece) {
    const ParseCase& p = GetParam();
    std::vector<int32_t> out = {99};
    CaptureStdout();
    Skewmend::ParseIntList(p.list, out);
    const std::string log = GetCapturedStdout();
    EXPECT_EQ(out, p.values);
    EXPECT_EQ(log, p.message ? std::string("Invalid parameter Rs: ") + p.list + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Lists, ParseIntListCases,
                         testing::Values(ParseCase{"64,128", {64, 128}, false},
                                         ParseCase{"64,,128", {64}, true},
                                         ParseCase{"64,", {64}, false}, ParseCase{"", {}, false},
                                         ParseCase{" 7,-3,+5", {7, -3, 5}, false},
                                         ParseCase{"12px,5", {12, 5}, false},
                                         ParseCase{"abc,5", {}, true}, ParseCase{",64", {}, true},
                                         ParseCase{"64,0,3", {64}, true}));

TEST(Sauvola, DispatcherUsesTheObjectDefaults) {
    BmpBase::GreyImage g = Page(60, 60, [](uint32_t, uint32_t) { return 200; });
    g.rows[15][15] = 160;
    Binarizer b(g);
    PixelMask result;
    uint16_t h = 0, w = 0;
    uint8_t background = 0;
    CaptureStdout();
    b.Binarize("sauvola", result, h, w, background);
    EXPECT_EQ(GetCapturedStdout(), "Sauvola!\n");
    EXPECT_EQ(result, MaskWhere(60, 60, [](uint32_t r, uint32_t c) { return r == 15 && c == 15; }));
    EXPECT_EQ(background, 200);
}
