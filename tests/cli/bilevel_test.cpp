// --bilevel: every page written 1-bit by the engine's method after the turn,
// with the method in the note; outputs that cannot hold 1-bit pages and
// in-place runs refused.
#include <gtest/gtest.h>

#include "tests/cli/cli_fixture.h"
#include "tests/cli/tiff_files.h"

namespace CliTest {
namespace {

class Bilevel : public CliTestBase {
  protected:
    void SetUp() override { WritePage("scan.jpg", 6.0, "jpg"); }

    // The one page of the TIFF `name`, checked to be 1-bit Group 4.
    void ExpectGroup4(const std::string& name) {
        std::vector<StoredPage> pages;
        bool big = false;
        ASSERT_TRUE(ReadStoredPages(File(name), pages, big));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].bitsPerSample, 1);
        EXPECT_EQ(pages[0].compression, 4);  // CCITT Group 4
    }
};

TEST_F(Bilevel, UsageErrorsForOutputsThatCannotHoldItOrWouldReplaceOriginals) {
    const std::vector<std::vector<std::string>> refused = {
        {"auto", "scan.jpg", "-o", "out.jpg", "--bilevel", "best"},
        {"auto", "scan.jpg", "--in-place", "--bilevel", "otsu"},
        {"auto", "scan.jpg", "--out-dir", "o", "--output-format", "jpg", "--bilevel", "otsu"},
        {"auto", "scan.jpg", "-o", "out.tif", "--bilevel", "niblack"},
        {"estimate", "scan.jpg", "--bilevel", "otsu"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args[2] + " " + args.back());
        const ToolRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << run.err;
    }
    EXPECT_FALSE(TestSupport::FileExists(File("out.jpg")));
}

TEST_F(Bilevel, AJpegScanBecomesAStraightGroup4PageNamingTheMethod) {
    const ToolRun run =
        Run({"auto", "scan.jpg", "-o", "out.tif", "--bilevel", "best", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectGroup4("out.tif");
    const Json page = JsonReport(run)["pages"][0];
    EXPECT_EQ(page["status"].text, "rotated");
    EXPECT_EQ(page["note"].text.rfind("bilevel: best \u2192 ", 0), 0u) << page["note"].text;

    BmpBase::CBitmap24 out;
    ASSERT_TRUE(ReadAny(File("out.tif"), out));
    size_t ink = 0;
    for (uint32_t r = 0; r < out.height; ++r) {
        for (uint32_t c = 0; c < out.width; ++c) {
            ink += out.PixelAt(r, c)[0] == 0 ? 1 : 0;
        }
    }
    // Text, not a blank or black page; the corners the turn uncovered white.
    EXPECT_GT(ink, size_t{out.height} * out.width / 200);
    EXPECT_LT(ink, size_t{out.height} * out.width / 3);
    EXPECT_EQ(out.PixelAt(0, 0)[0], 255);
    EXPECT_EQ(out.PixelAt(out.height - 1, out.width - 1)[0], 255);
}

TEST_F(Bilevel, UnderOutDirJpegInputsBecomeTiffAndUnturnedPagesAreWrittenToo) {
    WritePage("level.png", 0.0, "png");
    const ToolRun run = Run({"auto", "scan.jpg", "level.png", "--out-dir", "o", "--bilevel", "otsu",
                             "--corner", "black"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectGroup4("o/scan.tif");
    EXPECT_EQ(Signature(File("o/level.png")), "png");
    const std::vector<uint8_t> png = TestSupport::ReadBytes(File("o/level.png"));
    ASSERT_GT(png.size(), 25u);
    EXPECT_EQ(png[24], 1);  // 1-bit, although not turned

    BmpBase::CBitmap24 out;
    ASSERT_TRUE(ReadAny(File("o/scan.tif"), out));
    EXPECT_EQ(out.PixelAt(0, 0)[0], 0);  // --corner black
}

}  // namespace
}  // namespace CliTest
