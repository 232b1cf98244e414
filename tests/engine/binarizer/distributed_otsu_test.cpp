// Distributed Otsu: block thresholds, the contrast filter, the pair repair
// and the bilinear pixel thresholds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "engine/binarizer/binarizer.h"
#include "tests/engine/binarizer/grey_pages.h"

using GreyPages::At;
using GreyPages::FillRect;
using GreyPages::Page;
using Skewmend::Binarizer;
using Skewmend::PixelMask;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

PixelMask Dotsu(const BmpBase::GreyImage& g) {
    Binarizer b(g);
    PixelMask result;
    b.Binarize_DistributedOtsu(result);
    return result;
}

PixelMask Otsu(const BmpBase::GreyImage& g) {
    Binarizer b(g);
    PixelMask result;
    int32_t threshold = 0;
    b.Binarize_Otsu(result, threshold, false);
    return result;
}

}  // namespace

// A page of one block gives the mask of the global method.
class SingleBlock : public testing::TestWithParam<std::tuple<uint32_t, uint32_t, int>> {};

TEST_P(SingleBlock, EqualsOtsu) {
    const uint32_t rows = std::get<0>(GetParam());
    const uint32_t cols = std::get<1>(GetParam());
    const int pattern = std::get<2>(GetParam());
    const BmpBase::GreyImage g = Page(rows, cols, [&](uint32_t r, uint32_t c) {
        if (pattern == 0) {
            return static_cast<int>((r * 131 + c * 71 + r * c * 17) % 256);
        }
        // 70 % dark: the majority rule inverts.
        return (r * cols + c) % 10 < 7 ? 40 : 200;
    });
    EXPECT_EQ(Dotsu(g), Otsu(g));
}

INSTANTIATE_TEST_SUITE_P(Pages, SingleBlock,
                         testing::Values(std::make_tuple(40u, 40u, 0), std::make_tuple(40u, 40u, 1),
                                         std::make_tuple(50u, 50u, 0), std::make_tuple(1u, 50u, 1),
                                         std::make_tuple(33u, 7u, 0)));

TEST(DistributedOtsu, SingleColourSmallPagePrintsTheOtsuMessage) {
    CaptureStdout();
    const PixelMask m = Dotsu(Page(40, 40, [](uint32_t, uint32_t) { return 128; }));
    EXPECT_EQ(GetCapturedStdout(), "Image is with unique color, can NOT apply Otsu\n");
    EXPECT_EQ(m.size(), 1600u);
    EXPECT_EQ(m.Count(), 0u);
}

TEST(DistributedOtsu, KeepsTheTextOfBothHalvesOfAnUnevenlyLitPage) {
    // Left half: paper 200, text 100. Right half: paper 90, text 20. A mark
    // of 6 x 6 pixels just before the centre of every block.
    BmpBase::GreyImage g = Page(100, 200, [](uint32_t, uint32_t c) { return c < 100 ? 200 : 90; });
    const auto isMark = [](uint32_t r, uint32_t c) {
        return r % 50 >= 20 && r % 50 <= 25 && c % 50 >= 20 && c % 50 <= 25;
    };
    for (uint32_t r = 0; r < 100; ++r) {
        for (uint32_t c = 0; c < 200; ++c) {
            if (isMark(r, c)) {
                g.rows[r][c] = c < 100 ? 100 : 20;
            }
        }
    }
    const PixelMask m = Dotsu(g);
    for (uint32_t r = 0; r < 100; ++r) {
        for (uint32_t c = 0; c < 200; ++c) {
            if (isMark(r, c)) {
                EXPECT_TRUE(At(m, 200, r, c)) << r << "," << c;
            } else if (c < 75 || c >= 125) {
                // Away from the seam the paper of either half stays paper.
                EXPECT_FALSE(At(m, 200, r, c)) << r << "," << c;
            }
        }
    }
    // The global threshold cannot tell the dark half's text from its paper.
    const PixelMask global = Otsu(g);
    EXPECT_EQ(At(global, 200, 22, 122), At(global, 200, 5, 105));
}

TEST(DistributedOtsu, LowContrastBlockTakesItsNeighboursThreshold) {
    // 3 x 3 blocks of paper 200 with a mark of 60, except the centre block:
    // faint noise 200/203 whose own Otsu threshold (201) would make half of
    // it ink. Its separation is far below half the mean, so it is invalid
    // and borrows the neighbours' threshold.
    BmpBase::GreyImage g = Page(150, 150, [](uint32_t r, uint32_t c) {
        if (r / 50 == 1 && c / 50 == 1) {
            return (r + c) % 2 == 0 ? 200 : 203;
        }
        return r % 50 >= 20 && r % 50 < 30 && c % 50 >= 20 && c % 50 < 30 ? 60 : 200;
    });
    const PixelMask m = Dotsu(g);
    for (uint32_t r = 50; r < 100; ++r) {
        for (uint32_t c = 50; c < 100; ++c) {
            EXPECT_FALSE(At(m, 150, r, c)) << r << "," << c;
        }
    }
    EXPECT_EQ(m.Count(), 8u * 100u);
}

TEST(DistributedOtsu, TextNextToABlankBlockIsRepairedFromTheNeighbours) {
    // Block (1, 1) is blank paper. A mark of block (1, 0) lies between the
    // centres of blocks (1, 0) and (1, 1): interpolating with the blank
    // block's -0.5 would drop the threshold to about 40 and lose the mark.
    BmpBase::GreyImage g = Page(150, 150, [](uint32_t, uint32_t) { return 200; });
    for (uint32_t i = 0; i < 3; ++i) {
        for (uint32_t j = 0; j < 3; ++j) {
            if ((i == 1 && j == 1) || (i == 1 && j == 0)) {
                continue;
            }
            FillRect(g, 50 * i + 20, 50 * i + 29, 50 * j + 20, 50 * j + 29, 60);
        }
    }
    FillRect(g, 75, 79, 38, 44, 60);
    const PixelMask m = Dotsu(g);
    for (uint32_t r = 75; r <= 79; ++r) {
        for (uint32_t c = 38; c <= 44; ++c) {
            EXPECT_TRUE(At(m, 150, r, c)) << r << "," << c;
        }
    }
    EXPECT_EQ(m.Count(), 7u * 100u + 35u);
}

TEST(DistributedOtsu, PageOfFlatBlocksGivesNoInk) {
    const BmpBase::GreyImage g = Page(100, 100, [](uint32_t r, uint32_t c) {
        return static_cast<int>(30 + 60 * (2 * (r / 50) + c / 50));
    });
    CaptureStdout();
    const PixelMask m = Dotsu(g);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(m.size(), 10000u);
    EXPECT_EQ(m.Count(), 0u);
}

// Thin and empty pages: every pixel is decided without reading outside the
// block matrix.
class ThinPage : public testing::TestWithParam<std::tuple<uint32_t, uint32_t>> {};

TEST_P(ThinPage, GivesAMaskOfItsSize) {
    const uint32_t rows = std::get<0>(GetParam());
    const uint32_t cols = std::get<1>(GetParam());
    const BmpBase::GreyImage g =
        Page(rows, cols, [](uint32_t r, uint32_t c) { return (r + c) % 7 == 0 ? 20 : 220; });
    CaptureStdout();
    const PixelMask m = Dotsu(g);
    GetCapturedStdout();
    EXPECT_EQ(m.size(), size_t{rows} * cols);
    EXPECT_LE(m.Count(), m.size() / 2);
    if (rows * cols > 0) {
        EXPECT_GT(m.Count(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ThinPage,
                         testing::Values(std::make_tuple(1u, 120u), std::make_tuple(120u, 1u),
                                         std::make_tuple(2u, 151u), std::make_tuple(0u, 0u),
                                         std::make_tuple(101u, 99u)));

TEST(DistributedOtsu, DispatcherAnnouncesAndRunsIt) {
    BmpBase::GreyImage g = Page(120, 130, [](uint32_t, uint32_t c) { return c < 65 ? 200 : 90; });
    FillRect(g, 20, 25, 20, 25, 100);
    FillRect(g, 20, 25, 100, 105, 20);
    Binarizer b(g);
    PixelMask result;
    uint16_t h = 0, w = 0;
    uint8_t background = 0;
    CaptureStdout();
    b.Binarize("dotsu", result, h, w, background);
    EXPECT_EQ(GetCapturedStdout(), "Distributed-Otus!\n");
    EXPECT_EQ(result, Dotsu(g));
    EXPECT_EQ(h, 120);
    EXPECT_EQ(w, 130);
}
