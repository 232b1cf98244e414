// Rotation: the output geometry, the sampling rule and the corner fill of
// the colour, plane and channel forms.
#include "engine/rotator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "bmpbase/planes.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using BmpBase::GreyImage;
using Skewmend::RotationGeometry;
using Skewmend::Rotator;

struct GeometryCase {
    uint16_t h, w;
    double angle;
    uint16_t newH, newW;
    int32_t offX, offY;
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.h << "x" << c.w << " by " << c.angle;
}

class RotatorGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(RotatorGeometry, KnownSizesAndOffsets) {
    const GeometryCase& c = GetParam();
    RotationGeometry g;
    ASSERT_TRUE(Rotator::ComputeGeometry(c.h, c.w, c.angle, g));
    EXPECT_EQ(g.height, c.newH);
    EXPECT_EQ(g.width, c.newW);
    EXPECT_EQ(g.offX, c.offX);
    EXPECT_EQ(g.offY, c.offY);

    // The plane form reports the same size through its in/out arguments.
    GreyImage src(c.h, c.w), dst;
    uint16_t h = c.h, w = c.w;
    ASSERT_TRUE(Rotator::Rotate(src, dst, h, w, c.angle));
    EXPECT_EQ(h, c.newH);
    EXPECT_EQ(w, c.newW);
    EXPECT_EQ(dst.height, c.newH);
}

INSTANTIATE_TEST_SUITE_P(Table, RotatorGeometry,
                         ::testing::Values(GeometryCase{100, 200, 10, 134, 216, 35, 1},
                                           GeometryCase{100, 200, -10, 135, 215, 1, 18},
                                           GeometryCase{100, 200, 0, 102, 202, 1, 1},
                                           GeometryCase{100, 200, 90, 202, 102, 200, 1},
                                           GeometryCase{100, 200, 180, 102, 202, 100, 200},
                                           GeometryCase{1, 1, 0, 3, 3, 1, 1}));

TEST(Rotator, AngleZeroShiftsByOneAndDropsTheLastRowAndColumn) {
    CBitmap24 src = TestSupport::PatternBitmap(100, 200);
    CBitmap24 dst;
    const uint8_t fill[3] = {1, 2, 3};
    uint16_t h = 100, w = 200;
    ASSERT_TRUE(Rotator::Rotate(dst, src, fill, h, w, 0, 0.0));
    ASSERT_EQ(dst.height, 102u);
    ASSERT_EQ(dst.width, 202u);
    for (uint32_t r = 0; r < 102; ++r) {
        for (uint32_t c = 0; c < 202; ++c) {
            const uint8_t* out = dst.PixelAt(r, c);
            const bool inside = r >= 1 && r <= 99 && c >= 1 && c <= 199;
            const uint8_t* expect = inside ? src.PixelAt(r - 1, c - 1) : fill;
            ASSERT_EQ(0, std::memcmp(out, expect, 3)) << r << "," << c;
        }
    }
}

TEST(Rotator, OneByOneSourceIsAllFill) {
    CBitmap24 src = TestSupport::SolidBitmap(1, 1, 9, 9, 9);
    CBitmap24 dst;
    const uint8_t fill[3] = {0, 0, 0};
    uint16_t h = 1, w = 1;
    ASSERT_TRUE(Rotator::Rotate(dst, src, fill, h, w, 2, 0.0));
    ASSERT_EQ(dst.height, 3u);
    for (uint32_t r = 0; r < 3; ++r) {
        for (uint32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(dst.PixelAt(r, c)[0], 255);
        }
    }
}

TEST(Rotator, CornerOptionChoosesTheFill) {
    CBitmap24 src = TestSupport::SolidBitmap(10, 10, 100, 100, 100);
    const uint8_t fill[3] = {10, 20, 30};
    struct {
        int option;
        uint8_t expect[3];
    } cases[] = {
        {0, {10, 20, 30}}, {2, {255, 255, 255}}, {1, {0, 0, 0}}, {-1, {0, 0, 0}}, {7, {0, 0, 0}}};
    for (const auto& c : cases) {
        CBitmap24 dst;
        uint16_t h = 10, w = 10;
        ASSERT_TRUE(Rotator::Rotate(dst, src, fill, h, w, c.option, 30.0));
        EXPECT_EQ(0, std::memcmp(dst.PixelAt(0, 0), c.expect, 3)) << c.option;
    }
}

TEST(Rotator, ExactPositionsReproduceTheSourceValues) {
    GreyImage src(3, 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            src.rows[r][c] = static_cast<uint8_t>(10 + 3 * r + c);
        }
    }
    GreyImage dst;
    uint16_t h = 3, w = 3;
    ASSERT_TRUE(Rotator::Rotate(src, dst, h, w, 0.0));
    EXPECT_EQ(dst.rows[1][1], 10);
    EXPECT_EQ(dst.rows[2][2], 14);
    EXPECT_EQ(dst.rows[3][3], 255);  // the last source row and column are not carried
    EXPECT_EQ(dst.rows[0][0], 255);  // uncovered
}

TEST(Rotator, WhiteStaysWhiteAtAnyAngle) {
    CBitmap24 src = TestSupport::SolidBitmap(40, 30, 255, 255, 255);
    for (double angle : {3.0, 17.5, -45.0, 123.0}) {
        CBitmap24 dst;
        ASSERT_TRUE(Rotator::RotateByChannels(dst, src, 2, angle));
        for (uint32_t i = 0; i < dst.pixelBytes; ++i) {
            const uint32_t col = (i % dst.stride) / 3;
            if (col < dst.width) {
                ASSERT_EQ(dst.pixels[i], 255) << angle;
            }
        }
    }
}

TEST(Rotator, PositiveAngleTurnsClockwiseAsDisplayed) {
    // A dark dot right of the centre on the middle row. Displayed bottom-up,
    // a clockwise turn moves a point right of the centre downwards, which is
    // towards lower row indices.
    CBitmap24 src = TestSupport::SolidBitmap(101, 101, 255, 255, 255);
    for (uint32_t r = 48; r <= 52; ++r) {
        for (uint32_t c = 88; c <= 92; ++c) {
            std::memset(src.PixelAt(r, c), 0, 3);
        }
    }
    CBitmap24 dst;
    const uint8_t fill[3] = {255, 255, 255};
    uint16_t h = 101, w = 101;
    ASSERT_TRUE(Rotator::Rotate(dst, src, fill, h, w, 2, 30.0));
    double sumR = 0, sumC = 0, n = 0;
    for (uint32_t r = 0; r < dst.height; ++r) {
        for (uint32_t c = 0; c < dst.width; ++c) {
            if (dst.PixelAt(r, c)[0] < 128) {
                sumR += r;
                sumC += c;
                n += 1;
            }
        }
    }
    ASSERT_GT(n, 0);
    const double centreR = dst.height / 2.0, centreC = dst.width / 2.0;
    const double dotR = sumR / n - centreR, dotC = sumC / n - centreC;
    const double angle = std::atan2(dotR, dotC) * 180.0 / Rotator::kPi;
    EXPECT_NEAR(angle, -30.0, 3.0);
}

TEST(Rotator, ChannelFormMatchesTheColourFormWithWhiteCorners) {
    CBitmap24 src = TestSupport::PatternBitmap(37, 53);
    for (double angle : {0.0, 7.0, -12.25, 90.0, 200.0}) {
        CBitmap24 byChannels, byColour;
        ASSERT_TRUE(Rotator::RotateByChannels(byChannels, src, 2, angle));
        const uint8_t fill[3] = {0, 0, 0};
        uint16_t h = 37, w = 53;
        ASSERT_TRUE(Rotator::Rotate(byColour, src, fill, h, w, 2, angle));
        ASSERT_EQ(byChannels.pixelBytes, byColour.pixelBytes) << angle;
        EXPECT_EQ(0, std::memcmp(byChannels.pixels, byColour.pixels, byColour.pixelBytes)) << angle;
    }
}

// Both forms write every byte of the target, so a reused buffer full of
// stale bytes gives the same picture as a fresh one.
TEST(Rotator, ReusedDirtyTargetGivesTheSameBytesAsAFreshOne) {
    const CBitmap24 src = TestSupport::PatternBitmap(37, 53);
    const uint8_t fill[3] = {10, 20, 30};
    for (double angle : {0.0, 7.0, -12.25, 45.0, 90.0, 200.0}) {
        for (int corner : {0, 1, 2}) {
            CBitmap24 fresh;
            CBitmap24 dirty = TestSupport::SolidBitmap(120, 120, 0xAB, 0xCD, 0xEF);
            uint16_t h = 37, w = 53;
            ASSERT_TRUE(Rotator::Rotate(fresh, src, fill, h, w, corner, angle));
            h = 37;
            w = 53;
            ASSERT_TRUE(Rotator::Rotate(dirty, src, fill, h, w, corner, angle));
            ASSERT_EQ(dirty.pixelBytes, fresh.pixelBytes);
            EXPECT_EQ(0, std::memcmp(dirty.pixels, fresh.pixels, fresh.pixelBytes))
                << angle << " " << corner;
            if (corner == 0) {
                continue;
            }
            CBitmap24 freshChannels;
            CBitmap24 dirtyChannels = TestSupport::SolidBitmap(120, 120, 0xAB, 0xCD, 0xEF);
            ASSERT_TRUE(Rotator::RotateByChannels(freshChannels, src, corner, angle));
            ASSERT_TRUE(Rotator::RotateByChannels(dirtyChannels, src, corner, angle));
            ASSERT_EQ(dirtyChannels.pixelBytes, freshChannels.pixelBytes);
            EXPECT_EQ(0, std::memcmp(dirtyChannels.pixels, freshChannels.pixels,
                                     freshChannels.pixelBytes))
                << angle << " " << corner;
        }
    }
}

TEST(Rotator, DegenerateSizesAndAnglesStayInsideTheSource) {
    for (uint32_t side : {0u, 1u, 2u}) {
        CBitmap24 src = TestSupport::PatternBitmap(side, side + 1);
        for (double angle : {0.0, 90.0, 180.0, -45.0, 359.5, 1e6}) {
            CBitmap24 dst;
            EXPECT_TRUE(Rotator::RotateByChannels(dst, src, 1, angle)) << side << " " << angle;
        }
    }
}

TEST(Rotator, NonFiniteAngleIsRefused) {
    CBitmap24 src = TestSupport::PatternBitmap(5, 5);
    CBitmap24 dst;
    EXPECT_FALSE(Rotator::RotateByChannels(dst, src, 2, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(Rotator::RotateByChannels(dst, src, 2, std::numeric_limits<double>::infinity()));
    EXPECT_EQ(dst.pixels, nullptr);
}

TEST(Rotator, ResultBeyond65535OnASideIsRefusedNotWrapped) {
    RotationGeometry g;
    EXPECT_FALSE(Rotator::ComputeGeometry(60000, 60000, 45.0, g));
    EXPECT_TRUE(Rotator::ComputeGeometry(60000, 60000, 0.0, g));
}

using RotatorDeathTest = ::testing::Test;

TEST_F(RotatorDeathTest, ChannelFormAssertsOnCornerOption) {
    CBitmap24 src = TestSupport::PatternBitmap(3, 3);
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            CBitmap24 dst;
            Rotator::RotateByChannels(dst, src, 0, 5.0);
        },
        ::testing::ExitedWithCode(1), "Assert fail! File: \\.\\\\Rotator\\. Line: 223");
}
