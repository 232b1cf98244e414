// The deskew driver on masks of synthetic pages: log lines, normalisation,
// the small-tilt rule, the rotation and its fill colour.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/rotator.h"
#include "tests/engine/deskew/deskew_test_support.h"
#include "tests/support/synthetic_page.h"

namespace {

// The page, its ink mask (dark pixels) and grey image, as the pipeline would
// hand them over.
struct Scene {
    BmpBase::CBitmap24 page;
    Skewmend::PixelMask mask;
    BmpBase::GreyImage grey;
};

Scene MakeScene(uint32_t rows, uint32_t cols, double tilt) {
    Scene s;
    s.page = TestSupport::TextPage(rows, cols, tilt);
    s.mask.Reset(static_cast<size_t>(rows) * cols);
    s.grey.Resize(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            const uint8_t* p = s.page.PixelAt(r, c);
            s.grey.rows[r][c] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
            if (p[0] < 128) {
                s.mask.Set(static_cast<size_t>(r) * cols + c);
            }
        }
    }
    return s;
}

struct Outcome {
    bool ok;
    int angle;
    uint16_t height;
    uint16_t width;
    std::string log;
};

Outcome RunDeskew(const Scene& s, BmpBase::CBitmap24& dst, int corner) {
    Outcome o;
    o.height = static_cast<uint16_t>(s.page.height);
    o.width = static_cast<uint16_t>(s.page.width);
    Skewmend::Deskewer d(s.mask, s.grey, 236, o.height, o.width);
    o.angle = 12345;
    testing::internal::CaptureStdout();
    o.ok = d.Deskew(s.page, s.page, s.mask, o.height, o.width, dst, o.angle, corner);
    o.log = testing::internal::GetCapturedStdout();
    return o;
}

struct SmallTiltCase {
    double tilt;
    int raw;
    int angle;
    int reported;
};

class SmallTiltTest : public testing::TestWithParam<SmallTiltCase> {};

TEST_P(SmallTiltTest, IsReportedAndLeftUnturned) {
    const SmallTiltCase& t = GetParam();
    const Scene s = MakeScene(400, 360, t.tilt);
    BmpBase::CBitmap24 dst = s.page;
    const Outcome o = RunDeskew(s, dst, 2);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.log, "Raw angle = " + std::to_string(t.raw) +
                         "\nAngle = " + std::to_string(t.angle) + "\nNo need to rotate\n");
    EXPECT_EQ(o.angle, t.reported);
    EXPECT_EQ(o.height, 400);  // no rotation attempted: the pipeline's sizes stay
    EXPECT_EQ(o.width, 360);
    ASSERT_EQ(dst.pixelBytes, s.page.pixelBytes);
    EXPECT_EQ(0, std::memcmp(dst.pixels, s.page.pixels, dst.pixelBytes));
}

INSTANTIATE_TEST_SUITE_P(Tilts, SmallTiltTest,
                         testing::Values(SmallTiltCase{-2.0, 179, 178, -2},
                                         SmallTiltCase{3.0, 3, 3, 3},
                                         SmallTiltCase{-3.0, 177, 177, -3},
                                         SmallTiltCase{0.0, 0, 0, 0}));

class TurnTest : public testing::TestWithParam<double> {};

TEST_P(TurnTest, TiltAboveThreeDegreesIsTurnedByTheNormalisedAngle) {
    const double tilt = GetParam();
    const Scene s = MakeScene(400, 360, tilt);
    BmpBase::CBitmap24 dst = s.page;
    const Outcome o = RunDeskew(s, dst, 2);
    ASSERT_TRUE(o.ok) << o.log;
    const int expected = static_cast<int>(tilt);
    EXPECT_EQ(o.angle, expected) << o.log;
    BmpBase::CBitmap24 reference;
    uint16_t h = 400, w = 360;
    const uint8_t black[3] = {0, 0, 0};
    Skewmend::Rotator::Rotate(reference, s.page, black, h, w, 2, expected);
    EXPECT_EQ(o.height, h);
    EXPECT_EQ(o.width, w);
    ASSERT_EQ(dst.pixelBytes, reference.pixelBytes);
    EXPECT_EQ(0, std::memcmp(dst.pixels, reference.pixels, dst.pixelBytes));
}

INSTANTIATE_TEST_SUITE_P(Tilts, TurnTest,
                         testing::Values(4.0, -4.0, 9.0, -17.0, 30.0, -40.0, 61.0, 90.0));

TEST(Deskew, CornerOptionZeroFillsWithThePaperColourUntouchedByInk) {
    const Scene s = MakeScene(400, 360, 8.0);
    BmpBase::CBitmap24 dst = s.page;
    const Outcome o = RunDeskew(s, dst, 0);
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(o.angle, 8);
    const uint8_t* corner = dst.PixelAt(0, 0);
    EXPECT_EQ(corner[0], 228);
    EXPECT_EQ(corner[1], 238);
    EXPECT_EQ(corner[2], 244);
}

TEST(Deskew, CornerOptionOneGivesBlackCorners) {
    const Scene s = MakeScene(400, 360, 8.0);
    BmpBase::CBitmap24 dst = s.page;
    ASSERT_TRUE(RunDeskew(s, dst, 1).ok);
    const uint8_t* corner = dst.PixelAt(0, 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

TEST(Deskew, PageWithoutPairsFailsWithAngleZeroAndDestinationUntouched) {
    Scene s = MakeScene(60, 80, 0.0);
    s.mask.Reset(60 * 80);
    DeskewTest::MaskCanvas canvas(60, 80);
    canvas.Box(10, 14, 10, 10);  // 5 pixels
    canvas.Box(30, 39, 40, 44);  // 50 pixels
    s.mask = canvas.mask;
    BmpBase::CBitmap24 dst = s.page;
    const Outcome o = RunDeskew(s, dst, 2);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.log, "Failed to get nearest pairs\n");
    EXPECT_EQ(o.angle, 0);
    EXPECT_EQ(0, std::memcmp(dst.pixels, s.page.pixels, dst.pixelBytes));
}

TEST(Deskew, PageWithoutInkFailsOnTheComponents) {
    Scene s = MakeScene(60, 80, 0.0);
    s.mask.Reset(60 * 80);
    BmpBase::CBitmap24 dst = s.page;
    const Outcome o = RunDeskew(s, dst, 2);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.log, "Failed to get all CCs\n");
    EXPECT_EQ(o.angle, 0);
}

TEST(PaperColour, AveragesOnlyPaperPixelsAndIsBlackWithoutAny) {
    BmpBase::CBitmap24 work;
    work.Allocate(2, 3);
    const uint8_t colours[6][3] = {{10, 20, 30}, {0, 0, 0},    {12, 21, 33},
                                   {0, 0, 0},    {11, 22, 35}, {0, 0, 0}};
    Skewmend::PixelMask mask(6);
    for (uint32_t i = 0; i < 6; ++i) {
        std::memcpy(work.PixelAt(i / 3, i % 3), colours[i], 3);
        if (i % 2 == 1) {
            mask.Set(i);
        }
    }
    uint8_t fill[3];
    Skewmend::Deskewer::PaperColour(work, mask, fill);
    EXPECT_EQ(fill[0], 11);
    EXPECT_EQ(fill[1], 21);
    EXPECT_EQ(fill[2], 32);
    for (uint32_t i = 0; i < 6; ++i) {
        mask.Set(i);
    }
    Skewmend::Deskewer::PaperColour(work, mask, fill);
    EXPECT_EQ(fill[0] + fill[1] + fill[2], 0);
}

}  // namespace
