// The automatic exports from end to end: argument checks, the working copy,
// failures that leave the copy of the page, the sign convention, synthetic
// pages tilted by known angles, and pinned outputs of a set of pages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/rotator.h"
#include "engine/skewmend.h"
#include "tests/support/synthetic_page.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;

namespace {

struct AutoRun {
    bool ok;
    int angle;
    std::string log;
};

AutoRun Auto(const CBitmap24& src, CBitmap24& dst, int corner = 2) {
    AutoRun r;
    r.angle = 12345;
    testing::internal::CaptureStdout();
    r.ok = _AutoRotate(&src, &dst, corner, &r.angle);
    r.log = testing::internal::GetCapturedStdout();
    return r;
}

bool SamePixels(const CBitmap24& a, const CBitmap24& b) {
    return a.height == b.height && a.width == b.width && a.pixelBytes == b.pixelBytes &&
           std::memcmp(a.pixels, b.pixels, a.pixelBytes) == 0;
}

bool SameHeaders(const CBitmap24& a, const CBitmap24& b) {
    return std::memcmp(&a.fileHeader, &b.fileHeader, sizeof a.fileHeader) == 0 &&
           std::memcmp(&a.infoHeader, &b.infoHeader, sizeof a.infoHeader) == 0;
}

// Header fields that no computation sets, so they show where a result's
// headers came from.
void MarkHeaders(CBitmap24& bmp, int32_t pelsPerMeter) {
    bmp.fileHeader.bfReserved1 = static_cast<uint16_t>(pelsPerMeter);
    bmp.infoHeader.biXPelsPerMeter = pelsPerMeter;
    bmp.infoHeader.biYPelsPerMeter = pelsPerMeter + 1;
    bmp.infoHeader.biClrImportant = 3;
}

// FNV-1a over the size and the pixel bytes.
uint64_t Fingerprint(const CBitmap24& bmp) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint8_t byte) {
        h ^= byte;
        h *= 1099511628211ull;
    };
    for (uint32_t v : {bmp.height, bmp.width}) {
        for (int i = 0; i < 4; ++i) {
            mix(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    for (uint32_t i = 0; i < bmp.pixelBytes; ++i) {
        mix(bmp.pixels[i]);
    }
    return h;
}

// A page with ink only in odd columns: invisible to the subsampled copy.
CBitmap24 OddColumnPage(uint32_t rows, uint32_t cols) {
    CBitmap24 page = TestSupport::TextPage(rows, cols, 6.0);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; c += 2) {
            uint8_t* p = page.PixelAt(r, c);
            p[0] = 228;
            p[1] = 238;
            p[2] = 244;
        }
    }
    return page;
}

TEST(AutoRotate, CornerOptionAboveTwoLeavesDestinationAndAngleUntouched) {
    const CBitmap24 src = TestSupport::TextPage(200, 160, 8.0);
    CBitmap24 dst = TestSupport::SolidBitmap(3, 4, 1, 2, 3);
    const CBitmap24 before = dst;
    const AutoRun r = Auto(src, dst, 3);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.log, "corner option must <= 2\n");
    EXPECT_EQ(r.angle, 12345);
    EXPECT_TRUE(SamePixels(dst, before));
}

TEST(AutoRotate, NegativeCornerOptionActsAsBlack) {
    const CBitmap24 src = TestSupport::TextPage(400, 360, 8.0);
    CBitmap24 dst;
    const AutoRun r = Auto(src, dst, -1);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, 8);
    const uint8_t* corner = dst.PixelAt(0, 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

TEST(AutoRotate, LogsTheBinarizationAndBothAngles) {
    const CBitmap24 src = TestSupport::TextPage(400, 360, -11.0);
    CBitmap24 dst;
    const AutoRun r = Auto(src, dst);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.log, "Otsu!\nRaw angle = 169\nAngle = 169\n");
    EXPECT_EQ(r.angle, -11);
}

TEST(AutoRotate, PageOfExactlyOneMegapixelIsAnalysedAtFullSize) {
    const CBitmap24 full = OddColumnPage(1024, 1024);
    CBitmap24 dst;
    const AutoRun atFull = Auto(full, dst);
    EXPECT_TRUE(atFull.ok) << atFull.log;
    EXPECT_EQ(atFull.log.find("unique color"), std::string::npos);

    // One column more: the analysis sees only even columns, which hold no ink.
    const CBitmap24 halved = OddColumnPage(1024, 1025);
    const AutoRun atHalf = Auto(halved, dst);
    EXPECT_FALSE(atHalf.ok);
    EXPECT_EQ(atHalf.log,
              "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
              "Failed to call Deskewer\n");
    EXPECT_TRUE(SamePixels(dst, halved));
}

struct FailureCase {
    const char* name;
    const char* log;
    CBitmap24 (*make)();
};

class AutoRotateFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(AutoRotateFailureTest, LeavesTheCopyOfThePageAndAngleZero) {
    const CBitmap24 src = GetParam().make();
    CBitmap24 dst = TestSupport::SolidBitmap(5, 5, 9, 9, 9);
    const AutoRun r = Auto(src, dst);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.log, GetParam().log);
    EXPECT_EQ(r.angle, 0);
    EXPECT_TRUE(SamePixels(dst, src));
    EXPECT_TRUE(SameHeaders(dst, src));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoRotateFailureTest,
    testing::Values(
        FailureCase{"BlankPage",
                    "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
                    "Failed to call Deskewer\n",
                    [] { return TestSupport::SolidBitmap(120, 90, 250, 250, 250); }},
        FailureCase{"NoSimilarPairs",
                    "Otsu!\nFailed to get nearest pairs\nFailed to call Deskewer\n",
                    [] {
                        CBitmap24 page = TestSupport::SolidBitmap(80, 80, 250, 250, 250);
                        for (uint32_t r = 10; r < 15; ++r) {  // 5 pixels
                            std::memset(page.PixelAt(r, 10), 0, 3);
                        }
                        for (uint32_t r = 30; r < 40; ++r) {  // 50 pixels
                            std::memset(page.PixelAt(r, 40), 0, 15);
                        }
                        return page;
                    }}),
    [](const testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });

// The destination's previous contents must never show through: an empty
// one, one with a smaller buffer and one with a larger buffer than the
// result needs (the larger is reused without being cleared first).
class AutoRotateDestinationTest : public testing::TestWithParam<uint32_t> {
  protected:
    CBitmap24 PreviousDestination() const {
        CBitmap24 dst;
        if (GetParam() > 0) {
            dst = TestSupport::SolidBitmap(GetParam(), GetParam(), 1, 2, 3);
        }
        MarkHeaders(dst, 77);
        return dst;
    }
};

TEST_P(AutoRotateDestinationTest, SmallTiltLeavesAnExactCopyWithTheSourceHeaders) {
    CBitmap24 src = TestSupport::TextPage(600, 500, -2.4, 13);
    MarkHeaders(src, 11811);
    CBitmap24 dst = PreviousDestination();
    const AutoRun r = Auto(src, dst);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.log, "Otsu!\nRaw angle = 0\nAngle = 178\nNo need to rotate\n");
    EXPECT_EQ(r.angle, -2);
    EXPECT_TRUE(SamePixels(dst, src));
    EXPECT_TRUE(SameHeaders(dst, src));
}

TEST_P(AutoRotateDestinationTest, TurnedPageKeepsTheSourceHeadersWithItsNewSize) {
    CBitmap24 src = TestSupport::TextPage(400, 360, 7.3, 11);
    MarkHeaders(src, 11811);
    CBitmap24 dst = PreviousDestination();
    const AutoRun r = Auto(src, dst);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, 7);
    EXPECT_EQ(Fingerprint(dst), 0x27db39f8cdbef121ull);  // the golden "Small" page
    EXPECT_EQ(dst.infoHeader.biWidth, static_cast<int32_t>(dst.width));
    EXPECT_EQ(dst.infoHeader.biHeight, static_cast<int32_t>(dst.height));
    CBitmap24 expectedHeaders = src;
    expectedHeaders.infoHeader.biWidth = dst.infoHeader.biWidth;
    expectedHeaders.infoHeader.biHeight = dst.infoHeader.biHeight;
    EXPECT_TRUE(SameHeaders(dst, expectedHeaders));
}

INSTANTIATE_TEST_SUITE_P(PreviousSize, AutoRotateDestinationTest, testing::Values(0u, 5u, 700u));

TEST(AutoRotate, RefusesMissingArgumentsAndSourceAsDestination) {
    CBitmap24 page = TestSupport::TextPage(100, 100, 5.0);
    int angle = 7;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(_AutoRotate(nullptr, &page, 2, &angle));
    EXPECT_FALSE(_AutoRotate(&page, nullptr, 2, &angle));
    EXPECT_FALSE(_AutoRotate(&page, &page, 2, &angle));
    CBitmap24 dst;
    EXPECT_FALSE(_AutoRotate(&page, &dst, 2, nullptr));
    CBitmap24 empty;
    EXPECT_FALSE(_AutoRotate(&empty, &dst, 2, &angle));
    EXPECT_FALSE(AutoRotate(nullptr, "x.bmp", 2));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(angle, 7);
    EXPECT_EQ(log.find("Otsu!"), std::string::npos);
}

// _ManualRotate turns content clockwise as displayed for a positive angle;
// the estimator measures the opposite tilt and so reports the correction.
TEST(AutoRotate, PageTurnedByPlusSevenIsReportedAsMinusSeven) {
    const CBitmap24 straight = TestSupport::TextPage(700, 560, 0.0, 5);
    CBitmap24 turned;
    ASSERT_TRUE(_ManualRotate(&straight, &turned, 7.0, 2));
    CBitmap24 dst;
    const AutoRun r = Auto(turned, dst);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, -7);
}

struct TiltCase {
    uint32_t rows;
    uint32_t cols;
    int tilt;
};

class KnownTiltTest : public testing::TestWithParam<TiltCase> {};

TEST_P(KnownTiltTest, IsFoundAndTurnedStraight) {
    const TiltCase& t = GetParam();
    const CBitmap24 src = TestSupport::TextPage(t.rows, t.cols, t.tilt, 7);
    CBitmap24 dst;
    const AutoRun r = Auto(src, dst);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, t.tilt);
    // The straightened page has no tilt left worth turning.
    CBitmap24 again;
    const AutoRun second = Auto(dst, again);
    ASSERT_TRUE(second.ok) << second.log;
    EXPECT_LE(std::abs(second.angle), 1) << second.log;
}

// A4 at 150 dpi (analysed at half size) and at 300 dpi.
INSTANTIATE_TEST_SUITE_P(A4, KnownTiltTest,
                         testing::Values(TiltCase{1754, 1240, 4}, TiltCase{1754, 1240, -4},
                                         TiltCase{1754, 1240, 13}, TiltCase{1754, 1240, -22},
                                         TiltCase{1754, 1240, 40}, TiltCase{1754, 1240, -40},
                                         TiltCase{3508, 2480, 6}, TiltCase{3508, 2480, -31}),
                         [](const testing::TestParamInfo<TiltCase>& p) {
                             return std::to_string(p.param.cols) + "x" +
                                    std::to_string(p.param.rows) + "_" +
                                    (p.param.tilt < 0 ? "minus" : "plus") +
                                    std::to_string(std::abs(p.param.tilt));
                         });

TEST(AutoRotate, FileExportWritesTheStraightenedPage) {
    TestSupport::ScratchDir dir;
    const CBitmap24 src = TestSupport::TextPage(400, 360, -9.0);
    ASSERT_TRUE(src.Write(dir.File("in.bmp").c_str()));
    testing::internal::CaptureStdout();
    const bool ok = AutoRotate(dir.File("in.bmp").c_str(), dir.File("out.bmp").c_str(), 0);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ok);
    CBitmap24 written, expected;
    ASSERT_TRUE(written.Read(dir.File("out.bmp").c_str()));
    int angle = 0;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(_AutoRotate(&src, &expected, 0, &angle));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(SamePixels(written, expected));
}

TEST(AutoRotate, FileExportRefusesA32BitBitmapAndWritesNothing) {
    TestSupport::ScratchDir dir;
    TestSupport::WriteBytes(dir.File("in.bmp"),
                            TestSupport::BmpFileBytes(4, 4, 32, 0, 54, 4 * 4 * 4));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(AutoRotate(dir.File("in.bmp").c_str(), dir.File("out.bmp").c_str(), 2));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "File " + dir.File("in.bmp") + " does not exist or not a valid 24b bitmap\n");
    EXPECT_FALSE(TestSupport::FileExists(dir.File("out.bmp")));
}

TEST(AutoRotate, FileExportReportsAnUnwritableDestination) {
    TestSupport::ScratchDir dir;
    const CBitmap24 src = TestSupport::TextPage(300, 260, 10.0);
    ASSERT_TRUE(src.Write(dir.File("in.bmp").c_str()));
    const std::string out = dir.File("missing/out.bmp");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(AutoRotate(dir.File("in.bmp").c_str(), out.c_str(), 2));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Failed to write bitmap to file " + out + "\n"), std::string::npos);
}

// Pinned outputs: the angle and a fingerprint of the output pixels of a set
// of pages. Any change of a single output bit shows here.
struct GoldenCase {
    const char* name;
    uint32_t rows;
    uint32_t cols;
    double tilt;
    uint32_t seed;
    int corner;
    int angle;
    uint64_t fingerprint;
};

class GoldenTest : public testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, OutputIsBitIdentical) {
    const GoldenCase& g = GetParam();
    const CBitmap24 src = TestSupport::TextPage(g.rows, g.cols, g.tilt, g.seed);
    CBitmap24 dst;
    const AutoRun r = Auto(src, dst, g.corner);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, g.angle);
    EXPECT_EQ(Fingerprint(dst), g.fingerprint) << std::hex << Fingerprint(dst);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, GoldenTest,
    testing::Values(
        GoldenCase{"Small", 400, 360, 7.3, 11, 2, 7, 0x27db39f8cdbef121ull},
        GoldenCase{"SmallPaperCorners", 420, 380, -14.6, 12, 0, -15, 0xa4bb84f3d8a084acull},
        GoldenCase{"Unturned", 600, 500, -2.4, 13, 2, -2, 0x864fd46351ddfd14ull},
        GoldenCase{"A4At150Dpi", 1754, 1240, 5.5, 14, 2, 5, 0x0eb6fc99f2d48446ull},
        GoldenCase{"A4At150DpiSteep", 1754, 1240, -37.2, 15, 1, -37, 0x034b0488e7c84f02ull},
        GoldenCase{"A4At300Dpi", 3508, 2480, -8.8, 16, 2, -9, 0xf500ce5f377b7bd5ull}),
    [](const testing::TestParamInfo<GoldenCase>& p) { return std::string(p.param.name); });

}  // namespace

namespace {

// The bundled sample: a rendered page turned 6 degrees clockwise as
// displayed, which the engine reports as a correction of -6.
TEST(AutoRotate, BundledSamplePageIsFoundTurnedSixDegreesClockwise) {
    CBitmap24 src;
    ASSERT_TRUE(src.Read(LEVELORA_SOURCE_DIR "/samples/page.bmp"));
    CBitmap24 dst;
    const AutoRun r = Auto(src, dst);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.angle, -6);
}

}  // namespace
