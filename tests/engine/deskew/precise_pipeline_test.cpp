// Precise mode from a colour page: fractional tilts, noisy pages, pages
// without text, pages beyond 45 degrees, and the gates of Apply.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/deskew/precise.h"
#include "engine/rotator.h"
#include "tests/support/synthetic_page.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using Skewmend::PreciseAction;
using Skewmend::PreciseDeskew;
using Skewmend::PreciseEstimate;
using Skewmend::PreciseStatus;

namespace {

// Adds noise uniform in -amplitude .. amplitude to every byte.
void AddNoise(CBitmap24& page, int amplitude, uint32_t seed) {
    for (uint32_t r = 0; r < page.height; ++r) {
        uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t i = 0; i < 3 * page.width; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int v = p[i] + static_cast<int>((seed >> 8) % (2u * amplitude + 1)) - amplitude;
            p[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
}

PreciseEstimate Estimate(const CBitmap24& page) {
    PreciseEstimate e;
    testing::internal::CaptureStdout();
    const bool ok = PreciseDeskew::Estimate(page, e);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ok);
    return e;
}

class PreciseTiltTest : public testing::TestWithParam<double> {};

// A4 at 150 dpi, analysed at half size like the automatic pipeline.
TEST_P(PreciseTiltTest, ColourPageIsRecoveredWithinATenthOfADegree) {
    const double tilt = GetParam();
    const PreciseEstimate e = Estimate(TestSupport::TextPage(1754, 1240, tilt, 21));
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, tilt, 0.1);
    EXPECT_FALSE(e.denoised);
}

INSTANTIATE_TEST_SUITE_P(Tilts, PreciseTiltTest, testing::Values(0.3, 1.7, -2.45, 12.6, -38.2),
                         [](const testing::TestParamInfo<double>& p) {
                             std::string name = std::to_string(p.param);
                             for (char& ch : name) {
                                 ch = ch == '-' ? 'm' : (ch == '.' ? 'p' : ch);
                             }
                             return name;
                         });

TEST(PreciseEstimate, NoisyPageIsSmoothedAndStillRecovered) {
    CBitmap24 page = TestSupport::TextPage(877, 620, -6.35, 22);
    AddNoise(page, 45, 7);
    const PreciseEstimate e = Estimate(page);
    EXPECT_TRUE(e.denoised);
    EXPECT_GT(e.noiseSigma, 5.0);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, -6.35, 0.1);
}

// A scan with a dark border all round: the border is one huge component
// (erased by the filter) plus its outermost ring, which the labeller never
// sees; neither may pull a slightly tilted page to 0 degrees.
TEST(PreciseEstimate, DarkBorderedScanIsNotPulledToZero) {
    CBitmap24 page = TestSupport::TextPage(877, 620, 1.2, 25);
    for (uint32_t r = 0; r < page.height; ++r) {
        for (uint32_t c = 0; c < page.width; ++c) {
            if (r < 14 || c < 14 || r + 14 >= page.height || c + 14 >= page.width) {
                std::memset(page.PixelAt(r, c), 12, 3);
            }
        }
    }
    const PreciseEstimate e = Estimate(page);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, 1.2, 0.1);
}

TEST(PreciseEstimate, A4At300DpiIsRecovered) {
    const PreciseEstimate e = Estimate(TestSupport::TextPage(3508, 2480, -4.8, 26));
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    EXPECT_NEAR(e.angle, -4.8, 0.1);
}

TEST(PreciseEstimate, RandomNoisePageIsNotSure) {
    CBitmap24 page = TestSupport::SolidBitmap(600, 500, 128, 128, 128);
    AddNoise(page, 127, 3);
    const PreciseEstimate e = Estimate(page);
    EXPECT_NE(e.status, PreciseStatus::kSure);
    EXPECT_LT(e.confidence, 0.5);
}

TEST(PreciseEstimate, BlankPagesAreNotSure) {
    const PreciseEstimate uniform = Estimate(TestSupport::SolidBitmap(400, 300, 240, 240, 240));
    EXPECT_EQ(uniform.status, PreciseStatus::kNotSure);
    EXPECT_EQ(uniform.confidence, 0.0);
    CBitmap24 textured = TestSupport::SolidBitmap(400, 300, 240, 240, 240);
    AddNoise(textured, 3, 5);
    EXPECT_EQ(Estimate(textured).status, PreciseStatus::kNotSure);
}

TEST(PreciseEstimate, PageTiltedBeyondFortyFiveIsNotRefinedThere) {
    const PreciseEstimate e = Estimate(TestSupport::TextPage(877, 620, 63.0, 23));
    EXPECT_EQ(e.wholeAngle, 63);
    EXPECT_TRUE(e.swept);
    if (e.status == PreciseStatus::kSure) {
        EXPECT_LE(std::fabs(e.angle), 46.0);
    }
}

struct GateCase {
    const char* name;
    double minConfidence;
    double minAngle;
    PreciseAction action;
};

class PreciseApplyTest : public testing::TestWithParam<GateCase> {};

TEST_P(PreciseApplyTest, GatesDecideBetweenTurningAndAnExactCopy) {
    const GateCase& g = GetParam();
    const CBitmap24 src = TestSupport::TextPage(600, 520, 4.6, 24);
    CBitmap24 dst;
    PreciseEstimate e;
    testing::internal::CaptureStdout();
    const PreciseAction action = PreciseDeskew::Apply(src, dst, 2, g.minConfidence, g.minAngle, e);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(action, g.action);
    ASSERT_EQ(e.status, PreciseStatus::kSure);
    if (action == PreciseAction::kRotated) {
        CBitmap24 expected;
        uint16_t h = 600, w = 520;
        const uint8_t black[3] = {0, 0, 0};
        Skewmend::Rotator::Rotate(expected, src, black, h, w, 2, e.angle);
        ASSERT_EQ(dst.pixelBytes, expected.pixelBytes);
        EXPECT_EQ(0, std::memcmp(dst.pixels, expected.pixels, dst.pixelBytes));
    } else {
        ASSERT_EQ(dst.pixelBytes, src.pixelBytes);
        EXPECT_EQ(0, std::memcmp(dst.pixels, src.pixels, dst.pixelBytes));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gates, PreciseApplyTest,
    testing::Values(GateCase{"Defaults", 0.5, 0.05, PreciseAction::kRotated},
                    GateCase{"ConfidenceAboveOne", 1.01, 0.05, PreciseAction::kNotSure},
                    GateCase{"AngleGateAboveTheTilt", 0.5, 5.0, PreciseAction::kUnchanged}),
    [](const testing::TestParamInfo<GateCase>& p) { return std::string(p.param.name); });

TEST(PreciseApply, RefusesCornerOptionAboveTwoAndTheSourceAsDestination) {
    CBitmap24 src = TestSupport::TextPage(300, 260, 8.0);
    CBitmap24 dst;
    PreciseEstimate e;
    testing::internal::CaptureStdout();
    EXPECT_EQ(PreciseDeskew::Apply(src, dst, 3, 0.5, 0.05, e), PreciseAction::kFailed);
    EXPECT_EQ(PreciseDeskew::Apply(src, src, 2, 0.5, 0.05, e), PreciseAction::kFailed);
    CBitmap24 empty;
    EXPECT_EQ(PreciseDeskew::Apply(empty, dst, 2, 0.5, 0.05, e), PreciseAction::kFailed);
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(Skewmend::PreciseActionName(PreciseAction::kNotSure), "not sure");
}

}  // namespace
