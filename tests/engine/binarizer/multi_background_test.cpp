// Multi-background Otsu: the paper box thresholded on its own, the rest
// thresholded apart when it is large.
#include <gtest/gtest.h>

#include <cstdint>

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

// 100 x 100: paper 200 above `paperRows`, a band of `bandGrey` below it, and
// 4 x 4 marks of 50 on the paper at rows and columns 10, 30, 50, 70.
BmpBase::GreyImage BandPage(uint32_t paperRows, int bandGrey) {
    BmpBase::GreyImage g =
        Page(100, 100, [&](uint32_t r, uint32_t) { return r < paperRows ? 200 : bandGrey; });
    for (uint32_t r = 10; r <= 70; r += 20) {
        for (uint32_t c = 10; c <= 70; c += 20) {
            FillRect(g, r, r + 3, c, c + 3, 50);
        }
    }
    return g;
}

bool IsMark(uint32_t r, uint32_t c) {
    return r >= 10 && r <= 73 && c >= 10 && c <= 73 && (r - 10) % 20 < 4 && (c - 10) % 20 < 4;
}

}  // namespace

TEST(MultiBackgroundOtsu, SmallRestOutsideTheBoxStaysBackground) {
    Binarizer b(BandPage(92, 20));
    PixelMask result;
    CaptureStdout();
    b.Binarize_MultiBackgroundOtsu(result);
    EXPECT_EQ(GetCapturedStdout(), "Total regions: 1\nUsed regions: 1\n");
    EXPECT_EQ(result, MaskWhere(100, 100, IsMark));
}

TEST(MultiBackgroundOtsu, LargeDarkBorderIsThresholdedOnItsOwn) {
    // A dark border of 30 % (grey 20) with a few lighter spots of 60: its own
    // threshold makes the border background and the spots ink.
    BmpBase::GreyImage g = BandPage(70, 20);
    FillRect(g, 80, 82, 40, 42, 60);
    FillRect(g, 90, 91, 10, 11, 60);
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_MultiBackgroundOtsu(result);
    EXPECT_EQ(GetCapturedStdout(),
              "Total regions: 1\nUsed regions: 1\nRemain size too big, apply Otsu to it\n");
    EXPECT_EQ(result, MaskWhere(100, 100, [](uint32_t r, uint32_t c) {
                  return IsMark(r, c) || (r >= 80 && r <= 82 && c >= 40 && c <= 42) ||
                         (r >= 90 && r <= 91 && c >= 10 && c <= 11);
              }));
}

TEST(MultiBackgroundOtsu, UniformBoxContributesNoInk) {
    BmpBase::GreyImage g = Page(100, 100, [](uint32_t r, uint32_t) { return r < 95 ? 200 : 20; });
    Binarizer b(g);
    PixelMask result;
    CaptureStdout();
    b.Binarize_MultiBackgroundOtsu(result);
    EXPECT_EQ(
        GetCapturedStdout(),
        "Image is with unique color, can NOT apply Otsu\nTotal regions: 1\nUsed regions: 1\n");
    EXPECT_EQ(result.size(), 10000u);
    EXPECT_EQ(result.Count(), 0u);
}

TEST(ApplyThresholdWithin, MajorityRuleCountsOnlyTheSelection) {
    // Selected: three dark pixels (10) and one light (200); the many
    // unselected light pixels do not count, so the selection is turned over.
    BmpBase::GreyImage g = Page(4, 4, [](uint32_t, uint32_t) { return 200; });
    g.rows[0][0] = 10;
    g.rows[0][1] = 10;
    g.rows[0][2] = 10;
    Binarizer b(g);
    const PixelMask selection = MaskWhere(4, 4, [](uint32_t r, uint32_t) { return r == 0; });
    PixelMask out;
    b.ApplyThresholdWithin(selection, 100, out);
    EXPECT_FALSE(At(out, 4, 0, 0));
    EXPECT_FALSE(At(out, 4, 0, 2));
    EXPECT_TRUE(At(out, 4, 0, 3));
    // Equal halves stay as they are.
    const PixelMask half =
        MaskWhere(4, 4, [](uint32_t r, uint32_t c) { return r == 0 && (c == 0 || c == 3); });
    b.ApplyThresholdWithin(half, 100, out);
    EXPECT_EQ(out, MaskWhere(4, 4, [](uint32_t r, uint32_t c) { return r == 0 && c == 0; }));
}
