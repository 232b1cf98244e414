// RemoveMargin: cropping the mask and grey image to the ink.
#include <gtest/gtest.h>

#include "tests/engine/deskew/deskew_test_support.h"

using DeskewTest::MaskCanvas;

namespace {

struct MarginCase {
    const char* name;
    int32_t r0, r1, c0, c1;  // the ink rectangle on a 40 x 30 page
    uint16_t top, left, rows, cols;
};

class RemoveMarginTest : public testing::TestWithParam<MarginCase> {};

TEST_P(RemoveMarginTest, CropsToInkWithOnePixelMarginWherePageAllows) {
    const MarginCase& m = GetParam();
    MaskCanvas canvas(40, 30);
    canvas.Box(m.r0, m.r1, m.c0, m.c1);
    auto d = DeskewTest::MakeDeskewer(canvas);
    const BmpBase::GreyImage before = d->grey;
    d->RemoveMargin();
    ASSERT_EQ(d->height, m.rows);
    ASSERT_EQ(d->width, m.cols);
    ASSERT_EQ(d->mask.size(), static_cast<size_t>(m.rows) * m.cols);
    ASSERT_EQ(d->grey.height, m.rows);
    ASSERT_EQ(d->grey.width, m.cols);
    for (uint32_t r = 0; r < m.rows; ++r) {
        for (uint32_t c = 0; c < m.cols; ++c) {
            EXPECT_EQ(d->mask[r * m.cols + c],
                      canvas.At(static_cast<int32_t>(r + m.top), static_cast<int32_t>(c + m.left)));
            EXPECT_EQ(d->grey.rows[r][c], before.rows[r + m.top][c + m.left]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveMarginTest,
    testing::Values(MarginCase{"Inner", 10, 20, 5, 8, 9, 4, 13, 6},
                    MarginCase{"TouchesAllBorders", 0, 39, 0, 29, 0, 0, 40, 30},
                    MarginCase{"TopLeftCorner", 0, 3, 0, 2, 0, 0, 5, 4},
                    MarginCase{"BottomRightCorner", 37, 39, 27, 29, 36, 26, 4, 4},
                    MarginCase{"SinglePixel", 7, 7, 9, 9, 6, 8, 3, 3}),
    [](const testing::TestParamInfo<MarginCase>& p) { return std::string(p.param.name); });

TEST(RemoveMargin, TwoBlobsKeepTheirJointBoxPlusMargin) {
    MaskCanvas canvas(40, 30);
    canvas.Box(10, 12, 10, 12);
    canvas.Box(20, 22, 3, 4);
    auto d = DeskewTest::MakeDeskewer(canvas);
    d->RemoveMargin();
    EXPECT_EQ(d->height, 15);  // rows 9 .. 23
    EXPECT_EQ(d->width, 12);   // columns 2 .. 13
}

TEST(RemoveMargin, PageWithoutInkStaysUncropped) {
    MaskCanvas canvas(17, 23);
    auto d = DeskewTest::MakeDeskewer(canvas);
    d->RemoveMargin();
    EXPECT_EQ(d->height, 17);
    EXPECT_EQ(d->width, 23);
    EXPECT_EQ(d->mask.size(), 17u * 23u);
    EXPECT_EQ(d->mask.Count(), 0u);
}

}  // namespace

// Wide pages whose rows span several words, with scattered ink: the crop
// moves the flags a word at a time and must land every one of them.
TEST(RemoveMargin, RandomInkOnWidePagesIsCroppedFlagForFlag) {
    uint32_t seed = 5;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int trial = 0; trial < 40; ++trial) {
        const auto rows = static_cast<uint16_t>(3 + next(60));
        const auto cols = static_cast<uint16_t>(3 + next(300));
        MaskCanvas canvas(rows, cols);
        const int32_t r0 = static_cast<int32_t>(next(rows));
        const int32_t c0 = static_cast<int32_t>(next(cols));
        const int32_t r1 = r0 + static_cast<int32_t>(next(static_cast<uint32_t>(rows - r0)));
        const int32_t c1 = c0 + static_cast<int32_t>(next(static_cast<uint32_t>(cols - c0)));
        canvas.Ink(r0, c0);
        canvas.Ink(r1, c1);
        for (int k = 0; k < 200; ++k) {
            canvas.Ink(r0 + static_cast<int32_t>(next(static_cast<uint32_t>(r1 - r0 + 1))),
                       c0 + static_cast<int32_t>(next(static_cast<uint32_t>(c1 - c0 + 1))));
        }
        auto d = DeskewTest::MakeDeskewer(canvas);
        const BmpBase::GreyImage before = d->grey;
        d->RemoveMargin();
        const int32_t top = r0 > 0 ? r0 - 1 : 0;
        const int32_t left = c0 > 0 ? c0 - 1 : 0;
        const int32_t bottom = r1 < rows - 1 ? r1 + 1 : r1;
        const int32_t right = c1 < cols - 1 ? c1 + 1 : c1;
        ASSERT_EQ(d->height, bottom - top + 1) << trial;
        ASSERT_EQ(d->width, right - left + 1) << trial;
        for (int32_t r = 0; r < d->height; ++r) {
            for (int32_t c = 0; c < d->width; ++c) {
                ASSERT_EQ(d->mask[static_cast<size_t>(r) * d->width + static_cast<size_t>(c)],
                          canvas.At(r + top, c + left))
                    << trial << " " << r << "," << c;
                ASSERT_EQ(d->grey.rows[r][c], before.rows[r + top][c + left]) << trial;
            }
        }
    }
}
