// Plane layout and the conversions from a bitmap to 8-bit planes.
#include "bmpbase/planes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/support/test_support.h"

using namespace BmpBase;

TEST(Planes, GreyIsTheTruncatedMeanOfTheChannels) {
    CBitmap24 bmp;
    bmp.Allocate(1, 3);
    const uint8_t px[3][3] = {{10, 20, 31}, {255, 255, 255}, {0, 0, 0}};
    for (int c = 0; c < 3; ++c) {
        for (int ch = 0; ch < 3; ++ch) {
            bmp.PixelAt(0, static_cast<uint32_t>(c))[ch] = px[c][ch];
        }
    }
    GreyImage grey;
    ASSERT_TRUE(GetGreyImage(bmp, grey));
    EXPECT_EQ(grey.rows[0][0], 20);
    EXPECT_EQ(grey.rows[0][1], 255);
    EXPECT_EQ(grey.rows[0][2], 0);
}

// Rows of every width up to a few blocks of 16 pixels, random bytes, and a
// row holding every channel sum 0 .. 765: the grey level must be the plain
// (blue + green + red) / 3 everywhere, whichever path computed it.
TEST(Planes, GreyMatchesThePlainMeanAtEveryWidthAndSum) {
    std::mt19937 rng(7u);
    for (uint32_t cols = 1; cols <= 70; ++cols) {
        CBitmap24 bmp;
        bmp.Allocate(3, cols);
        for (uint32_t i = 0; i < bmp.pixelBytes; ++i) {
            bmp.pixels[i] = static_cast<uint8_t>(rng());
        }
        GreyImage grey;
        GetGreyImage(bmp, grey);
        for (uint32_t r = 0; r < bmp.height; ++r) {
            for (uint32_t c = 0; c < cols; ++c) {
                const uint8_t* p = bmp.PixelAt(r, c);
                ASSERT_EQ(grey.rows[r][c], (p[0] + p[1] + p[2]) / 3)
                    << cols << " " << r << " " << c;
            }
        }
    }
    CBitmap24 sums;
    sums.Allocate(1, 766);
    for (uint32_t s = 0; s <= 765; ++s) {
        uint8_t* p = sums.PixelAt(0, s);
        p[0] = static_cast<uint8_t>(std::min(s, 255u));
        p[1] = static_cast<uint8_t>(std::min(s - p[0], 255u));
        p[2] = static_cast<uint8_t>(s - p[0] - p[1]);
    }
    GreyImage grey;
    GetGreyImage(sums, grey);
    for (uint32_t s = 0; s <= 765; ++s) {
        ASSERT_EQ(grey.rows[0][s], s / 3) << s;
    }
}

TEST(Planes, ChannelsComeFromTheirBytes) {
    CBitmap24 bmp = TestSupport::PatternBitmap(4, 5);
    GreyImage red, green, blue;
    GetRedImage(bmp, red);
    GetGreenImage(bmp, green);
    GetBlueImage(bmp, blue);
    for (uint32_t r = 0; r < 4; ++r) {
        for (uint32_t c = 0; c < 5; ++c) {
            EXPECT_EQ(blue.rows[r][c], bmp.PixelAt(r, c)[0]);
            EXPECT_EQ(green.rows[r][c], bmp.PixelAt(r, c)[1]);
            EXPECT_EQ(red.rows[r][c], bmp.PixelAt(r, c)[2]);
        }
    }
}

TEST(Planes, APlaneOfTheRightSizeIsReusedNotReallocated) {
    CBitmap24 bmp = TestSupport::PatternBitmap(3, 3);
    GreyImage grey(3, 3);
    uint8_t** rows = grey.rows;
    GetGreyImage(bmp, grey);
    EXPECT_EQ(grey.rows, rows);
    GreyImage other(2, 2);
    GetGreyImage(bmp, other);
    EXPECT_EQ(other.height, 3u);
    EXPECT_EQ(other.width, 3u);
}

TEST(Planes, CopyIsDeepAndFreeKeepsTheSize) {
    PlaneD doubles(2, 3, 1.5);
    EXPECT_EQ(doubles.rows[1][2], 1.5);
    GreyImage a(2, 2);
    a.rows[1][1] = 9;
    GreyImage b(a);
    b.rows[1][1] = 4;
    EXPECT_EQ(a.rows[1][1], 9);
    a.Free();
    EXPECT_EQ(a.rows, nullptr);
    EXPECT_EQ(a.height, 2u);
    a.Resize(1, 4);
    EXPECT_EQ(a.rows[0][3], 0);
}
