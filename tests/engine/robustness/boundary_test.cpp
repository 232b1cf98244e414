// The exports at the library boundary: bitmaps that do not hold what their
// sizes promise, missing arguments, the size limits, and pages whose buffers
// cannot be allocated (std::bad_alloc turned into false and a log line).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bmpbase/bitmap24.h"
#include "bmpbase/size_limits.h"
#include "engine/skewmend.h"
#include "tests/support/allocation_limit.h"
#include "tests/support/synthetic_page.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

constexpr size_t kSmallAllocationBytes = 64 * 1024;

struct SizeCase {
    uint64_t width;
    uint64_t height;
    bool supported;
};

class SizeLimits : public ::testing::TestWithParam<SizeCase> {};

}  // namespace

TEST_P(SizeLimits, SidesAndPixelCountDecide) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(BmpBase::SizeIsSupported(c.width, c.height), c.supported)
        << c.width << " x " << c.height;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SizeLimits,
    ::testing::Values(SizeCase{1, 65534, true}, SizeCase{65534, 1, true}, SizeCase{65535, 1, false},
                      SizeCase{1, 65535, false}, SizeCase{16384, 16384, true},
                      SizeCase{16384, 16385, false}, SizeCase{65534, 4096, true},
                      SizeCase{65534, 4097, false}, SizeCase{9921, 14031, true}));

TEST(Boundary, BitmapShorterThanItsSizeIsRefusedByBothExports) {
    CBitmap24 src = TestSupport::PatternBitmap(20, 30);
    src.pixelBytes = src.stride * 10;  // claims 20 rows, holds 10
    CBitmap24 dst;
    int angle = 7;
    CaptureStdout();
    EXPECT_FALSE(_AutoRotate(&src, &dst, 2, &angle));
    EXPECT_FALSE(_ManualRotate(&src, &dst, 5.0, 2));
    EXPECT_EQ(GetCapturedStdout(),
              "Source bitmap is empty or larger than 65534 x 65534 or 268435456 pixels\n"
              "Source bitmap is larger than 65534 x 65534 or 268435456 pixels, or has fewer "
              "pixels than its size\n");
    EXPECT_EQ(dst.pixels, nullptr);
    EXPECT_EQ(angle, 7);
    src.pixelBytes = src.stride * 20;
}

TEST(Boundary, MissingArgumentsAreRefused) {
    CBitmap24 src = TestSupport::PatternBitmap(4, 4);
    CaptureStdout();
    EXPECT_FALSE(_ManualRotate(nullptr, &src, 5.0, 2));
    EXPECT_FALSE(_ManualRotate(&src, &src, 5.0, 2));
    EXPECT_FALSE(ManualRotate(nullptr, "out.bmp", 5.0, 2));
    EXPECT_EQ(GetCapturedStdout(),
              "Source and destination must be given, and the destination must differ from the "
              "source\n"
              "Source and destination must be given, and the destination must differ from the "
              "source\n"
              "Source and destination paths must be given\n");
}

TEST(Boundary, EmptyPageStillTurnsIntoCornersOnly) {
    CBitmap24 src;
    CBitmap24 dst;
    EXPECT_TRUE(_ManualRotate(&src, &dst, 0.0, 2));
}

TEST(AllocationFailure, FailedAllocationLeavesAnEmptyBitmap) {
    CBitmap24 bmp = TestSupport::PatternBitmap(10, 10);
    const CBitmap24 big = TestSupport::PatternBitmap(300, 300);
    {
        TestSupport::AllocationLimit limit(kSmallAllocationBytes);
        EXPECT_THROW(bmp = big, std::bad_alloc);
        EXPECT_EQ(bmp.pixels, nullptr);
        EXPECT_EQ(bmp.height, 0u);
        EXPECT_EQ(bmp.width, 0u);
        EXPECT_EQ(bmp.pixelBytes, 0u);
        EXPECT_THROW(bmp.Allocate(400, 400), std::bad_alloc);
        EXPECT_EQ(bmp.height, 0u);
    }
    bmp.Allocate(3, 3);  // usable again
    EXPECT_EQ(bmp.pixelBytes, 3u * 12u);
}

TEST(AllocationFailure, ExportsReportItAndReturnFalse) {
    if (!TestSupport::AllocationLimit::ReachesTheLibrary()) {
        GTEST_SKIP() << "the engine library allocates through its own runtime here";
    }
    TestSupport::ScratchDir dir;
    const CBitmap24 page = TestSupport::PatternBitmap(300, 400);
    ASSERT_TRUE(page.Write(dir.File("page.bmp").c_str()));
    const std::string out = dir.File("out.bmp");
    CBitmap24 dst;
    int angle = 0;
    std::string log;
    bool autoOk = true;
    bool manualOk = true;
    bool autoFileOk = true;
    bool manualFileOk = true;
    {
        TestSupport::AllocationLimit limit(kSmallAllocationBytes);
        CaptureStdout();
        autoOk = _AutoRotate(&page, &dst, 2, &angle);
        manualOk = _ManualRotate(&page, &dst, 10.0, 2);
        autoFileOk = AutoRotate(dir.File("page.bmp").c_str(), out.c_str(), 2);
        manualFileOk = ManualRotate(dir.File("page.bmp").c_str(), out.c_str(), 10.0, 2);
        log = GetCapturedStdout();
    }
    EXPECT_FALSE(autoOk);
    EXPECT_FALSE(manualOk);
    EXPECT_FALSE(autoFileOk);
    EXPECT_FALSE(manualFileOk);
    EXPECT_EQ(log,
              "Not enough memory for _AutoRotate\nNot enough memory for _ManualRotate\n"
              "Not enough memory for AutoRotate\nNot enough memory for ManualRotate\n");
    EXPECT_FALSE(TestSupport::FileExists(out));
    // The engine works normally once memory is there again.
    EXPECT_TRUE(_ManualRotate(&page, &dst, 10.0, 2));
}

namespace {

struct LimitedRun {
    bool ok = true;
    bool refused = false;
    int angle = 12345;
    std::string log;
};

LimitedRun AutoRotateWithin(size_t maxBytes, const CBitmap24& src, CBitmap24& dst) {
    LimitedRun r;
    TestSupport::AllocationLimit limit(maxBytes);
    CaptureStdout();
    r.ok = _AutoRotate(&src, &dst, 2, &r.angle);
    r.log = GetCapturedStdout();
    r.refused = TestSupport::AllocationLimit::Refused();
    return r;
}

}  // namespace

// Ink in two opposite corners keeps the estimate's label plane (4 bytes a
// pixel) uncropped, so it needs more than the page's 3 bytes a pixel: a limit
// between the two fails the estimate while the copy of the page still fits.
TEST(AllocationFailure, DuringTheEstimateTheDestinationGetsTheUnturnedPage) {
    if (!TestSupport::AllocationLimit::ReachesTheLibrary()) {
        GTEST_SKIP() << "the engine library allocates through its own runtime here";
    }
    CBitmap24 src = TestSupport::TextPage(400, 360, 8.0);
    for (uint32_t r : {0u, 1u, 398u, 399u}) {
        std::memset(src.PixelAt(r, r < 2 ? 0 : 358), 0, 6);
    }
    src.infoHeader.biXPelsPerMeter = 11811;
    CBitmap24 dst = TestSupport::SolidBitmap(3, 3, 1, 2, 3);
    const LimitedRun r = AutoRotateWithin(src.pixelBytes + src.pixelBytes / 8, src, dst);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.log, "Otsu!\nNot enough memory for _AutoRotate\n");
    EXPECT_EQ(r.angle, 0);
    ASSERT_EQ(dst.pixelBytes, src.pixelBytes);
    EXPECT_EQ(std::memcmp(dst.pixels, src.pixels, src.pixelBytes), 0);
    EXPECT_EQ(dst.height, src.height);
    EXPECT_EQ(dst.width, src.width);
    EXPECT_EQ(std::memcmp(&dst.infoHeader, &src.infoHeader, sizeof src.infoHeader), 0);
}

// A turned page needs a larger buffer than the page; when that one cannot be
// had the destination still gets the unturned page, which fits.
TEST(AllocationFailure, DuringTheTurnTheDestinationGetsTheUnturnedPage) {
    if (!TestSupport::AllocationLimit::ReachesTheLibrary()) {
        GTEST_SKIP() << "the engine library allocates through its own runtime here";
    }
    CBitmap24 src = TestSupport::TextPage(400, 360, 8.0);
    src.infoHeader.biXPelsPerMeter = 11811;
    CBitmap24 dst;
    const LimitedRun r = AutoRotateWithin(src.pixelBytes + src.pixelBytes / 8, src, dst);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.log, "Otsu!\nRaw angle = 8\nAngle = 8\nNot enough memory for _AutoRotate\n");
    EXPECT_EQ(r.angle, 8);
    ASSERT_EQ(dst.pixelBytes, src.pixelBytes);
    EXPECT_EQ(std::memcmp(dst.pixels, src.pixels, src.pixelBytes), 0);
    EXPECT_EQ(dst.height, src.height);
    EXPECT_EQ(dst.width, src.width);
    EXPECT_EQ(std::memcmp(&dst.infoHeader, &src.infoHeader, sizeof src.infoHeader), 0);
}
