// Plane layout and the conversions from a bitmap to 8-bit planes.
#include "bmpbase/planes.h"

#include <gtest/gtest.h>

#include "test_support.h"

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
