// TIFF files are one task: every page comes out, in order, each turned on
// its own and stored in its own kind and compression; an unturned page is
// carried over as its stored strips; a file with a page that cannot be read
// is left alone with every page failed.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdlib>

#include "tests/cli/cli_fixture.h"
#include "tests/cli/tiff_files.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {
namespace {

class TiffPages : public CliTestBase {
  protected:
    static TiffPageLayout Page(double tilt, TiffKind kind, uint16_t compression,
                               uint32_t seed = 1) {
        return {TestSupport::TextPage(kPageRows, kPageCols, tilt, seed), kind, compression};
    }

    // The precise angles `estimate` finds on the pages of `path`.
    std::vector<double> Angles(const std::string& path) {
        const ToolRun run = Run({"estimate", path, "--format", "json"});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        const Json report = JsonReport(run);
        std::vector<double> angles;
        for (const Json& page : report["pages"].items) {
            angles.push_back(page["angle"].number);
        }
        return angles;
    }

    std::vector<StoredPage> Stored(const std::string& path, bool* bigTiff = nullptr) {
        std::vector<StoredPage> pages;
        bool big = false;
        EXPECT_TRUE(ReadStoredPages(path, pages, big)) << path;
        if (bigTiff != nullptr) {
            *bigTiff = big;
        }
        return pages;
    }
};

// Three tilts, three kinds: the kinds show the order.
TEST_F(TiffPages, ThreePagesComeOutStraightInOrderWithOrWithoutInPlace) {
    for (const bool inPlace : {false, true}) {
        const std::string in = File(inPlace ? "three-in-place.tif" : "three.tif");
        ASSERT_TRUE(WriteTiffFile(in, {Page(5.0, TiffKind::kRgb, COMPRESSION_LZW, 1),
                                       Page(-4.0, TiffKind::kGrey, COMPRESSION_LZW, 2),
                                       Page(7.0, TiffKind::kBilevel, COMPRESSION_CCITTFAX4, 3)}));
        const std::string out = inPlace ? in : File("three-out.tif");
        const ToolRun run = inPlace ? Run({"auto", in, "--in-place", "--no-progress"})
                                    : Run({"auto", in, "-o", out, "--no-progress"});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("(page 2 of 3): angle -4."), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(": 3 pages: 3 turned, 0 unchanged, 0 not sure, 0 failed -> "),
                  std::string::npos)
            << run.out;
        const std::vector<StoredPage> pages = Stored(out);
        ASSERT_EQ(pages.size(), 3u);
        EXPECT_EQ(pages[0].photometric, PHOTOMETRIC_RGB);
        EXPECT_EQ(pages[1].photometric, PHOTOMETRIC_MINISBLACK);
        EXPECT_EQ(pages[1].bitsPerSample, 8);
        EXPECT_EQ(pages[2].bitsPerSample, 1);
        for (const double angle : Angles(out)) {
            EXPECT_LT(std::abs(angle), 0.6) << angle;
        }
    }
}

TEST_F(TiffPages, AnUnturnedPageIsCarriedOverAsItsStoredStrips) {
    const std::string in = File("mixed.tif");
    ASSERT_TRUE(WriteTiffFile(in, {Page(6.0, TiffKind::kRgb, COMPRESSION_LZW, 1),
                                   Page(0.0, TiffKind::kRgb, COMPRESSION_JPEG, 2),
                                   Page(-6.0, TiffKind::kRgb, COMPRESSION_LZW, 3)}));
    const ToolRun run = Run({"auto", in, "-o", File("out.tif"), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const Json report = JsonReport(run);
    ASSERT_EQ(report["pages"].items.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(report["pages"][i]["page"].number, static_cast<double>(i + 1));
        EXPECT_EQ(report["pages"][i]["pages"].number, 3.0);
        EXPECT_EQ(report["pages"][i]["status"].text, i == 1 ? "unchanged" : "rotated");
    }
    const std::vector<StoredPage> before = Stored(in), after = Stored(File("out.tif"));
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].compression, COMPRESSION_JPEG);
    EXPECT_EQ(after[1].strips, before[1].strips);
    EXPECT_NE(after[0].width, before[0].width);     // turned, on a larger canvas
    EXPECT_EQ(Angles(File("out.tif")).size(), 3u);  // its tables came along: it still reads
}

struct KindCase {
    TiffKind kind;
    uint16_t compression;
    uint16_t bits;
    uint16_t photometric;
};

class TiffKinds : public TiffPages, public testing::WithParamInterface<KindCase> {};

// A turned page keeps its kind and compression; a bilevel page keeps its
// strokes and stays about as small as it came.
TEST_P(TiffKinds, ATurnedPageKeepsItsKindAndCompression) {
    const KindCase c = GetParam();
    const std::string in = File("page.tif");
    ASSERT_TRUE(WriteTiffFile(in, {Page(5.0, c.kind, c.compression)}));
    const ToolRun run = Run({"auto", in, "-o", File("out.tif")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::vector<StoredPage> pages = Stored(File("out.tif"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].compression, c.compression);
    EXPECT_EQ(pages[0].bitsPerSample, c.bits);
    EXPECT_EQ(pages[0].photometric, c.photometric);
    const ToolRun estimate = Run({"estimate", File("out.tif"), "--format", "json"});
    EXPECT_LT(std::abs(JsonReport(estimate)["pages"][0]["angle"].number), 0.6) << estimate.out;
    if (c.kind == TiffKind::kBilevel) {
        EXPECT_LE(TestSupport::ReadBytes(File("out.tif")).size(),
                  2 * TestSupport::ReadBytes(in).size());
        BmpBase::CBitmap24 before, after;
        ASSERT_TRUE(ReadAny(in, before) && ReadAny(File("out.tif"), after));
        const auto ink = [](const BmpBase::CBitmap24& p) {
            size_t n = 0;
            for (uint32_t r = 0; r < p.height; ++r) {
                for (uint32_t col = 0; col < p.width; ++col) {
                    n += *p.PixelAt(r, col) < 128;
                }
            }
            return static_cast<double>(n);
        };
        EXPECT_NEAR(ink(after) / ink(before), 1.0, 0.25);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TiffKinds,
    testing::Values(KindCase{TiffKind::kBilevel, COMPRESSION_CCITTFAX4, 1, PHOTOMETRIC_MINISWHITE},
                    KindCase{TiffKind::kBilevel, COMPRESSION_PACKBITS, 1, PHOTOMETRIC_MINISWHITE},
                    KindCase{TiffKind::kGrey, COMPRESSION_LZW, 8, PHOTOMETRIC_MINISBLACK},
                    KindCase{TiffKind::kPalette, COMPRESSION_LZW, 8, PHOTOMETRIC_PALETTE},
                    KindCase{TiffKind::kRgb, COMPRESSION_ADOBE_DEFLATE, 8, PHOTOMETRIC_RGB},
                    KindCase{TiffKind::kRgb, COMPRESSION_JPEG, 8, PHOTOMETRIC_YCBCR}));

// The paper of a bilevel page is white: its corners are white unless black
// is asked for.
TEST_F(TiffPages, ABilevelPageHasWhiteCornersUnlessBlackIsAsked) {
    const std::string in = File("fax.tif");
    ASSERT_TRUE(WriteTiffFile(in, {Page(5.0, TiffKind::kBilevel, COMPRESSION_CCITTFAX4)}));
    for (const auto& [corner, value] :
         std::vector<std::pair<std::string, uint8_t>>{{"paper", 255}, {"black", 0}}) {
        const ToolRun run = Run({"auto", in, "-o", File(corner + ".tif"), "--corner", corner});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        BmpBase::CBitmap24 out;
        ASSERT_TRUE(ReadAny(File(corner + ".tif"), out));
        EXPECT_EQ(*out.PixelAt(0, 0), value) << corner;
        EXPECT_EQ(*out.PixelAt(out.height - 1, out.width - 1), value) << corner;
    }
}

TEST_F(TiffPages, BigTiffStaysBigTiff) {
    const std::string in = File("big.tif");
    ASSERT_TRUE(WriteTiffFile(
        in,
        {Page(5.0, TiffKind::kRgb, COMPRESSION_LZW), Page(0.0, TiffKind::kGrey, COMPRESSION_LZW)},
        true));
    const ToolRun run = Run({"auto", in, "-o", File("out.tif")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    bool big = false;
    EXPECT_EQ(Stored(File("out.tif"), &big).size(), 2u);
    EXPECT_TRUE(big);
}

// The second page's strip is cut off: the file cannot be rewritten whole.
TEST_F(TiffPages, ABrokenPageFailsEveryPageAndWritesNothing) {
    const std::string in = File("broken.tif");
    ASSERT_TRUE(WriteTiffFile(in, {Page(5.0, TiffKind::kRgb, COMPRESSION_NONE),
                                   Page(5.0, TiffKind::kBilevel, COMPRESSION_CCITTFAX4)}));
    {
        TIFF* tif = TIFFOpen(in.c_str(), "r+");
        ASSERT_NE(tif, nullptr);
        ASSERT_EQ(TIFFSetDirectory(tif, 1), 1);
        std::vector<uint8_t> garbage(64, 0x00);
        const uint64_t offset = TIFFGetStrileOffset(tif, 0);
        TIFFClose(tif);
        std::vector<uint8_t> bytes = TestSupport::ReadBytes(in);
        std::copy(garbage.begin(), garbage.end(), bytes.begin() + static_cast<long>(offset));
        TestSupport::WriteBytes(in, bytes);
    }
    const std::vector<uint8_t> original = TestSupport::ReadBytes(in);
    for (const std::vector<std::string>& where : {std::vector<std::string>{"-o", File("out.tif")},
                                                  std::vector<std::string>{"--in-place"}}) {
        std::vector<std::string> args = {"auto", in, "--format", "json"};
        args.insert(args.end(), where.begin(), where.end());
        const ToolRun run = Run(args);
        EXPECT_EQ(run.exitCode, 1);
        const Json report = JsonReport(run);
        ASSERT_EQ(report["pages"].items.size(), 2u);
        for (const Json& page : report["pages"].items) {
            EXPECT_EQ(page["status"].text, "failed");
            EXPECT_NE(page["error"].text.find("page 2 of 2 cannot be read"), std::string::npos)
                << page["error"].text;
        }
        EXPECT_FALSE(TestSupport::FileExists(File("out.tif")));
        EXPECT_EQ(TestSupport::ReadBytes(in), original);
    }
}

TEST_F(TiffPages, AFileOfSeveralPagesIsNotWrittenInAFormatOfOne) {
    const std::string in = File("two.tif");
    ASSERT_TRUE(WriteTiffFile(in, {Page(5.0, TiffKind::kRgb, COMPRESSION_LZW),
                                   Page(5.0, TiffKind::kRgb, COMPRESSION_LZW)}));
    const ToolRun run = Run({"auto", in, "-o", File("out.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("a file of 2 pages is written as TIFF only"), std::string::npos)
        << run.out;
    EXPECT_FALSE(TestSupport::FileExists(File("out.png")));
}

// A report's rows of one file are applied together: the page the estimate
// was not sure about is carried over, the others turned by their own angles.
TEST_F(TiffPages, RotateFromReportTurnsEachPageByItsOwnRow) {
    const std::string in = File("scan.tif");
    TiffPageLayout blank{TestSupport::SolidBitmap(kPageRows, kPageCols, 240, 240, 240),
                         TiffKind::kGrey, COMPRESSION_LZW};
    std::vector<TiffPageLayout> pages = {Page(5.0, TiffKind::kRgb, COMPRESSION_LZW, 1),
                                         std::move(blank),
                                         Page(-6.0, TiffKind::kRgb, COMPRESSION_LZW, 3)};
    ASSERT_TRUE(WriteTiffFile(in, pages));
    const ToolRun estimate = Run({"estimate", in, "--report", File("angles.csv")});
    EXPECT_EQ(estimate.exitCode, 0) << estimate.out;
    const ToolRun run = Run({"rotate", "--from-report", File("angles.csv"), "--out-dir",
                             File("straight"), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const Json report = JsonReport(run);
    ASSERT_EQ(report["pages"].items.size(), 3u);
    EXPECT_EQ(report["pages"][1]["status"].text, "skipped");
    EXPECT_EQ(report["pages"][1]["note"].text, "not sure in the report");
    const std::string out = File("straight/scan.tif");
    const std::vector<StoredPage> before = Stored(in), after = Stored(out);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].strips, before[1].strips);
    const std::vector<double> angles = Angles(out);
    ASSERT_GE(angles.size(), 3u);
    EXPECT_LT(std::abs(angles[0]), 0.6);
    EXPECT_LT(std::abs(angles[2]), 0.6);
}

}  // namespace
}  // namespace CliTest
