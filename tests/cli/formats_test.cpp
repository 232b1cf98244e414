// The tool end to end on each format in and out, and its three report
// formats read back.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

using SkewmendTool = CliTestBase;

constexpr int kTiltDeg = 8;

class InputFormat : public CliTestBase, public testing::WithParamInterface<const char*> {};

TEST_P(InputFormat, RecognisedByContentWhateverTheName) {
    // A misleading name: the content decides.
    WritePage("page.dat", kTiltDeg, GetParam());
    const ToolRun run = Run({"estimate", "--whole-degrees", "page.dat", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const Json report = JsonReport(run);
    ASSERT_EQ(report["pages"].items.size(), 1u);
    EXPECT_EQ(report["pages"][0]["status"].text, "estimated");
    EXPECT_EQ(report["pages"][0]["angle"].number, kTiltDeg);
}

std::string ParamName(const testing::TestParamInfo<const char*>& p) {
    return p.param;
}

INSTANTIATE_TEST_SUITE_P(Formats, InputFormat, testing::Values("bmp", "jpg", "png", "tif"),
                         ParamName);

class OutputFormat : public CliTestBase, public testing::WithParamInterface<const char*> {};

TEST_P(OutputFormat, FollowsTheExtensionAndKeepsTheResolution) {
    WritePage("in.bmp", kTiltDeg, "bmp");
    const std::string out = std::string("out.") + GetParam();
    const ToolRun run = Run({"auto", "--whole-degrees", "in.bmp", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::string ext = GetParam();
    const std::string expected = ext == "jpeg" ? "jpg" : ext == "TIFF" ? "tif" : ext;
    EXPECT_EQ(Signature(File(out)), expected);
    BmpBase::CBitmap24 turned;
    ASSERT_TRUE(ReadAny(File(out), turned));
    // Turning by 8 degrees enlarges the page to hold all of it.
    EXPECT_GT(turned.width, kPageCols);
    EXPECT_GT(turned.height, kPageRows);
    EXPECT_EQ(+turned.infoHeader.biXPelsPerMeter, k300DpiPpm);
    EXPECT_EQ(+turned.infoHeader.biYPelsPerMeter, k300DpiPpm);
    EXPECT_EQ(run.out, "in.bmp: angle 8, turned -> out." + std::string(GetParam()) +
                           "\n1 page: 1 turned, 0 unchanged, 0 failed (whole-degrees mode)\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, OutputFormat,
                         testing::Values("bmp", "jpg", "jpeg", "png", "tif", "TIFF"), ParamName);

TEST_F(SkewmendTool, UnknownOutputExtensionIsAUsageError) {
    WritePage("in.bmp", kTiltDeg, "bmp");
    const ToolRun run = Run({"auto", "in.bmp", "-o", "out.gif"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("cannot tell the output format from 'out.gif'"), std::string::npos);
    EXPECT_FALSE(TestSupport::FileExists(File("out.gif")));
}

TEST_F(SkewmendTool, JsonReportOfAMixedBatchParses) {
    WritePage("a.png", kTiltDeg, "png");
    WritePage("b.jpg", -6, "jpg", 2);
    TestSupport::WriteBytes(File("c.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3});
    const ToolRun run = Run({"auto", "--whole-degrees", "a.png", "b.jpg", "c.jpg", "--out-dir",
                             "out", "--format", "json"});
    EXPECT_EQ(run.exitCode, 1);
    const Json report = JsonReport(run);
    EXPECT_EQ(report["command"].text, "auto");
    const Json& pages = report["pages"];
    ASSERT_EQ(pages.items.size(), 3u);
    EXPECT_EQ(pages[0]["input"].text, File("a.png"));
    EXPECT_EQ(pages[0]["output"].text, File("out/a.png"));
    EXPECT_EQ(pages[0]["status"].text, "rotated");
    EXPECT_EQ(pages[0]["angle"].number, kTiltDeg);
    EXPECT_EQ(pages[0]["error"].kind, Json::Kind::kNull);
    EXPECT_EQ(pages[1]["angle"].number, -6);
    EXPECT_EQ(pages[2]["status"].text, "failed");
    EXPECT_EQ(pages[2]["angle"].kind, Json::Kind::kNull);
    EXPECT_NE(pages[2]["error"].text.find("c.jpg"), std::string::npos);
    EXPECT_EQ(report["summary"]["pages"].number, 3);
    EXPECT_EQ(report["summary"]["failed"].number, 1);
    EXPECT_EQ(report["summary"]["rotated"].number, 2);
}

TEST_F(SkewmendTool, CsvReportHasAHeaderAndOneRowPerPage) {
    WritePage("one, two.bmp", kTiltDeg, "bmp");
    WritePage("b.tif", 2, "tif", 3);
    const ToolRun run =
        Run({"estimate", "--whole-degrees", "one, two.bmp", "b.tif", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = ParseCsv(run.out);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    // The one layout of every report, with absolute paths and LF line ends.
    EXPECT_EQ(rows[0], (std::vector<std::string>{"input", "page", "pages", "output", "status",
                                                 "angle", "confidence", "mode", "note", "error",
                                                 "input_bytes", "input_sha256"}));
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_EQ(std::vector<std::string>(rows[1].begin(), rows[1].begin() + 10),
              (std::vector<std::string>{File("one, two.bmp"), "1", "1", "", "estimated", "8", "",
                                        "whole-degrees", "", ""}));
    EXPECT_EQ(rows[2][0], File("b.tif"));
    EXPECT_EQ(rows[2][5], "2");
}

TEST_F(SkewmendTool, TimingsAddThreeColumns) {
    WritePage("a.bmp", kTiltDeg, "bmp");
    const ToolRun run = Run({"auto", "a.bmp", "-o", "b.jpg", "--format", "json", "--timings"});
    ASSERT_EQ(run.exitCode, 0);
    const Json page = JsonReport(run)["pages"][0];
    for (const char* key : {"decode_ms", "process_ms", "encode_ms"}) {
        EXPECT_EQ(page[key].kind, Json::Kind::kNumber) << key;
        EXPECT_GE(page[key].number, 0.0) << key;
    }
}

TEST_F(SkewmendTool, EstimateWritesNothing) {
    WritePage("a.bmp", kTiltDeg, "bmp");
    const auto before = TestSupport::ReadBytes(File("a.bmp"));
    const ToolRun run = Run({"estimate", "--whole-degrees", "a.bmp"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "a.bmp: angle 8\n1 page: 1 estimated, 0 failed (whole-degrees mode)\n");
    EXPECT_EQ(TestSupport::ReadBytes(File("a.bmp")), before);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(SkewmendTool, RotateTurnsByTheGivenAngle) {
    WritePage("a.png", 0, "png");
    const ToolRun run =
        Run({"rotate", "a.png", "-o", "b.png", "--angle", "-8", "--corner", "black"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "a.png: turned by -8 degrees -> b.png\n1 page: 1 turned, 0 failed\n");
    BmpBase::CBitmap24 turned;
    ASSERT_TRUE(ReadAny(File("b.png"), turned));
    EXPECT_GT(turned.width, kPageCols);
    EXPECT_EQ(+turned.infoHeader.biXPelsPerMeter, k300DpiPpm);
    const uint8_t* corner = turned.PixelAt(0, 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);  // black corners
    const ToolRun back = Run({"estimate", "--whole-degrees", "b.png", "--format", "csv"});
    const auto rows = ParseCsv(back.out);
    EXPECT_EQ(rows.at(1).at(Column(rows.at(0), "angle")), "8");
}

}  // namespace
}  // namespace CliTest
