// The manual pair of exports: corner-option rules, messages and the file
// wrapper.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/skewmend.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using TestSupport::ScratchDir;

TEST(ManualRotate, CornerOptionsOtherThanOneAndTwoAreRefused) {
    CBitmap24 src = TestSupport::PatternBitmap(4, 4);
    for (int option : {0, 3, -1}) {
        CBitmap24 dst;
        CaptureStdout();
        EXPECT_FALSE(_ManualRotate(&src, &dst, 5.0, option));
        EXPECT_EQ(GetCapturedStdout(), "corner option must be 1 or 2\n");
        EXPECT_EQ(dst.pixels, nullptr);
    }
}

TEST(ManualRotate, OptionOneAlsoGivesWhiteCorners) {
    CBitmap24 src = TestSupport::SolidBitmap(10, 10, 0, 0, 0);
    CBitmap24 dst;
    ASSERT_TRUE(_ManualRotate(&src, &dst, 20.0, 1));
    EXPECT_EQ(dst.PixelAt(0, 0)[0], 255);
}

TEST(ManualRotate, NonFiniteAngleFailsWithTheRotationMessage) {
    CBitmap24 src = TestSupport::PatternBitmap(4, 4);
    CBitmap24 dst;
    CaptureStdout();
    EXPECT_FALSE(_ManualRotate(&src, &dst, std::nan(""), 2));
    EXPECT_EQ(GetCapturedStdout(), "Failed to rotate bitmap\n");
}

TEST(ManualRotate, FileToFileAtAngleZeroGrowsByTwo) {
    ScratchDir dir;
    CBitmap24 src = TestSupport::PatternBitmap(30, 40);
    ASSERT_TRUE(src.Write(dir.File("in.bmp").c_str()));
    ASSERT_TRUE(ManualRotate(dir.File("in.bmp").c_str(), dir.File("out.bmp").c_str(), 0.0, 2));
    CBitmap24 out;
    ASSERT_TRUE(out.Read(dir.File("out.bmp").c_str()));
    EXPECT_EQ(out.height, 32u);
    EXPECT_EQ(out.width, 42u);
}

TEST(ManualRotate, UnreadableSourceIsReportedAndNothingIsWritten) {
    ScratchDir dir;
    TestSupport::WriteBytes(dir.File("deep.bmp"), TestSupport::BmpFileBytes(4, 4, 32, 0, 54, 64));
    const std::string src = dir.File("deep.bmp");
    const std::string dst = dir.File("out.bmp");
    CaptureStdout();
    EXPECT_FALSE(ManualRotate(src.c_str(), dst.c_str(), 3.0, 2));
    EXPECT_EQ(GetCapturedStdout(), "File " + src + " does not exist or not a valid 24b bitmap\n");
    EXPECT_FALSE(TestSupport::FileExists(dst));
}

TEST(ManualRotate, UnwritableDestinationIsReported) {
    ScratchDir dir;
    CBitmap24 src = TestSupport::PatternBitmap(5, 5);
    ASSERT_TRUE(src.Write(dir.File("in.bmp").c_str()));
    const std::string dst = dir.File("missing/out.bmp");
    CaptureStdout();
    EXPECT_FALSE(ManualRotate(dir.File("in.bmp").c_str(), dst.c_str(), 3.0, 2));
    EXPECT_EQ(GetCapturedStdout(), "Failed to write bitmap to file " + dst + "\n");
}
