// The working page: pages above 1048576 pixels are analysed at half size,
// every second row and column from the first.
#include "engine/working_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using Skewmend::WorkingPage;

TEST(WorkingPage, LargePagesKeepEverySecondRowAndColumn) {
    // Odd and even sizes; the widths leave different row paddings.
    const uint32_t sizes[][2] = {{1025, 1025}, {1024, 1027}, {2001, 1001}, {1100, 998}};
    for (const auto& size : sizes) {
        const CBitmap24 page = TestSupport::PatternBitmap(size[0], size[1]);
        const WorkingPage working(page);
        ASSERT_TRUE(working.IsReduced());
        const CBitmap24& half = working.Page();
        ASSERT_EQ(half.height, size[0] / 2);
        ASSERT_EQ(half.width, size[1] / 2);
        for (uint32_t r = 0; r < half.height; ++r) {
            for (uint32_t c = 0; c < half.width; ++c) {
                ASSERT_EQ(0, std::memcmp(half.PixelAt(r, c), page.PixelAt(2 * r, 2 * c), 3))
                    << size[0] << "x" << size[1] << " at " << r << "," << c;
            }
            // Padding bytes stay zero.
            for (uint32_t b = 3 * half.width; b < half.stride; ++b) {
                ASSERT_EQ(half.PixelAt(r, 0)[b], 0) << r;
            }
        }
    }
}

// Random bytes at widths that leave every remainder of the eight-pixel
// blocks, compared pixel by pixel with the source; the padding stays zero.
TEST(WorkingPage, EveryRowRemainderCopiesTheSourcePixelsExactly) {
    std::mt19937 rng(11u);
    for (uint32_t cols = 2048; cols <= 2066; ++cols) {
        CBitmap24 page;
        page.Allocate(513, cols);
        for (uint32_t i = 0; i < page.pixelBytes; ++i) {
            page.pixels[i] = static_cast<uint8_t>(rng());
        }
        const WorkingPage working(page);
        ASSERT_TRUE(working.IsReduced());
        const CBitmap24& half = working.Page();
        for (uint32_t r = 0; r < half.height; ++r) {
            for (uint32_t c = 0; c < half.width; ++c) {
                ASSERT_EQ(0, std::memcmp(half.PixelAt(r, c), page.PixelAt(2 * r, 2 * c), 3))
                    << cols << " at " << r << "," << c;
            }
            for (uint32_t b = 3 * half.width; b < half.stride; ++b) {
                ASSERT_EQ(half.PixelAt(r, 0)[b], 0) << cols << " row " << r;
            }
        }
    }
}

TEST(WorkingPage, PagesUpTo1048576PixelsAreUsedAsTheyAre) {
    const CBitmap24 page = TestSupport::PatternBitmap(1024, 1024);
    const WorkingPage working(page);
    EXPECT_FALSE(working.IsReduced());
    EXPECT_EQ(&working.Page(), &page);
}
