// Batches: exit codes and usage errors, a bad page among good ones, refusal
// to overwrite, --in-place, folders, worker processes, and where the
// engine's log goes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

using SkewmendTool = CliTestBase;

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        names.insert(std::filesystem::relative(e.path(), folder).string());
    }
    return names;
}

// groff checks every macro and request of the man page; any warning means
// part of an entry is lost when it is rendered.
TEST(ManPage, RendersWithoutWarnings) {
    TestSupport::ScratchDir dir;
    const std::string command =
        "groff -man -ww -z " LEVELORA_SOURCE_DIR "/cli/skewmend.1 2> " + dir.File("warnings.txt");
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("warnings.txt")), std::vector<uint8_t>());
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

class UsageErrors : public CliTestBase, public testing::WithParamInterface<UsageCase> {};

TEST_P(UsageErrors, ExitTwoWithAMessageAndNothingOnStandardOutput) {
    WritePage("a.bmp", 5, "bmp");
    WritePage("b.bmp", 5, "bmp");
    const ToolRun run = Run(GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Try 'skewmend --help'"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    testing::Values(
        UsageCase{"NoCommand", {}, "no command given"},
        UsageCase{"UnknownCommand", {"straighten", "a.bmp"}, "unknown command 'straighten'"},
        UsageCase{"UnknownOption", {"auto", "a.bmp", "--speed", "9"}, "unknown option '--speed'"},
        UsageCase{"NoOutputChoice", {"auto", "a.bmp"}, "choose exactly one of"},
        UsageCase{"TwoOutputChoices",
                  {"auto", "a.bmp", "-o", "x.bmp", "--in-place"},
                  "choose exactly one of"},
        UsageCase{"OneOutputForTwoInputs",
                  {"auto", "a.bmp", "b.bmp", "-o", "x.bmp"},
                  "-o names one output file"},
        UsageCase{"NoInput", {"estimate"}, "needs at least one input"},
        UsageCase{"RotateWithoutAngle", {"rotate", "a.bmp", "-o", "x.bmp"}, "needs --angle"},
        UsageCase{"AngleNotANumber",
                  {"rotate", "a.bmp", "-o", "x.bmp", "--angle", "7deg"},
                  "--angle needs a number"},
        UsageCase{"PaperCornerForRotate",
                  {"rotate", "a.bmp", "-o", "x.bmp", "--angle", "7", "--corner", "paper"},
                  "white or black only"},
        UsageCase{"BadCorner",
                  {"auto", "a.bmp", "-o", "x.bmp", "--corner", "grey"},
                  "--corner must be white, black or paper"},
        UsageCase{"OptionOfAnotherCommand",
                  {"estimate", "a.bmp", "--angle", "3"},
                  "does not apply to 'estimate'"},
        UsageCase{"ZeroJobs", {"estimate", "a.bmp", "--jobs", "0"}, "--jobs needs a whole number"},
        UsageCase{"BadFormat", {"estimate", "a.bmp", "--format", "xml"}, "--format must be"},
        UsageCase{"MissingValue", {"estimate", "a.bmp", "--format"}, "needs a value"}),
    [](const testing::TestParamInfo<UsageCase>& p) { return p.param.name; });

TEST_F(SkewmendTool, HelpWithExamplesAndVersion) {
    const ToolRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
    EXPECT_NE(help.out.find("skewmend auto"), std::string::npos);
    const ToolRun commandHelp = Run({"rotate", "--help"});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_EQ(commandHelp.out.rfind("Usage: skewmend rotate", 0), 0u);
    const ToolRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("skewmend ", 0), 0u);
}

TEST_F(SkewmendTool, CorruptPageIsReportedAndTheOthersAreDone) {
    WritePage("a.jpg", 6, "jpg");
    std::vector<uint8_t> broken = TestSupport::ReadBytes(WritePage("b.jpg", 6, "jpg"));
    broken.resize(broken.size() / 3);
    TestSupport::WriteBytes(File("b.jpg"), broken);
    WritePage("c.jpg", -7, "jpg", 4);
    const ToolRun run = Run(
        {"auto", "--whole-degrees", "a.jpg", "b.jpg", "c.jpg", "--out-dir", "out", "--jobs", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("a.jpg: angle 6, turned -> out/a.jpg\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("b.jpg: failed: b.jpg: damaged, truncated or unsupported JPEG"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("c.jpg: angle -7, turned -> out/c.jpg\n"), std::string::npos);
    EXPECT_NE(run.out.find("3 pages: 2 turned, 0 unchanged, 1 failed"), std::string::npos);
    // Only the two good outputs, and no temporary files.
    EXPECT_EQ(Listing(File("out")), (std::set<std::string>{"a.jpg", "c.jpg"}));
}

TEST_F(SkewmendTool, ExistingOutputIsRefusedWithoutForce) {
    WritePage("a.bmp", 6, "bmp");
    TestSupport::WriteBytes(File("b.png"), {'k', 'e', 'e', 'p'});
    const ToolRun refused = Run({"auto", "a.bmp", "-o", "b.png"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("exists; use --force to replace it"), std::string::npos);
    EXPECT_EQ(TestSupport::ReadBytes(File("b.png")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    const ToolRun forced = Run({"auto", "a.bmp", "-o", "b.png", "--force"});
    EXPECT_EQ(forced.exitCode, 0);
    EXPECT_EQ(Signature(File("b.png")), "png");
}

TEST_F(SkewmendTool, InputIsNeverOverwrittenWithoutInPlace) {
    WritePage("a.bmp", 6, "bmp");
    const auto before = TestSupport::ReadBytes(File("a.bmp"));
    // The output folder is the input's own folder, so the output is the input.
    const ToolRun run = Run({"auto", "a.bmp", "--out-dir", ".", "--force"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("is the input itself; use --in-place"), std::string::npos) << run.out;
    EXPECT_EQ(TestSupport::ReadBytes(File("a.bmp")), before);
}

TEST_F(SkewmendTool, InPlaceReplacesTheInputKeepingItsFormat) {
    WritePage("a.jpg", 6, "png");  // PNG content under a JPEG name
    WritePage("b.bmp", 2, "bmp");
    const auto unturned = TestSupport::ReadBytes(File("b.bmp"));
    const ToolRun run = Run({"auto", "--whole-degrees", "a.jpg", "b.bmp", "--in-place"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Signature(File("a.jpg")), "png");
    BmpBase::CBitmap24 turned;
    ASSERT_TRUE(ReadAny(File("a.jpg"), turned));
    EXPECT_GT(turned.width, kPageCols);
    // A tilt of 3 degrees or less leaves the file exactly as it was.
    EXPECT_EQ(TestSupport::ReadBytes(File("b.bmp")), unturned);
    EXPECT_NE(run.out.find("b.bmp: angle 2, not turned (3 degrees or less)"), std::string::npos);
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"a.jpg", "b.bmp"}));
}

TEST_F(SkewmendTool, UnturnedPageInTheSameFormatIsCopiedByteForByte) {
    WritePage("a.jpg", -2, "jpg");
    const ToolRun run = Run({"auto", "--whole-degrees", "a.jpg", "-o", "b.jpg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(TestSupport::ReadBytes(File("b.jpg")), TestSupport::ReadBytes(File("a.jpg")));
}

TEST_F(SkewmendTool, FoldersGivePicturesByContentAndRecurseOnlyWhenAsked) {
    std::filesystem::create_directories(File("in/sub"));
    WritePage("in/p1.bmp", 6, "bmp");
    WritePage("in/scan", 6, "png", 2);  // no extension: kept as PNG
    WritePage("in/sub/p3.tif", 6, "tif", 3);
    WritePage("in/.hidden.bmp", 6, "bmp", 4);
    TestSupport::WriteBytes(File("in/notes.txt"), {'h', 'i'});
    const ToolRun flat = Run({"auto", "in", "--out-dir", "flat"});
    EXPECT_EQ(flat.exitCode, 0) << flat.out;
    EXPECT_EQ(Listing(File("flat")), (std::set<std::string>{"p1.bmp", "scan"}));
    EXPECT_EQ(Signature(File("flat/scan")), "png");
    const ToolRun deep = Run({"auto", "in", "--out-dir", "deep", "--recursive"});
    EXPECT_EQ(deep.exitCode, 0) << deep.out;
    EXPECT_EQ(Listing(File("deep")),
              (std::set<std::string>{"p1.bmp", "scan", "sub", "sub/p3.tif"}));
}

TEST_F(SkewmendTool, TwoJobsGiveTheSameResultsAsOne) {
    const std::vector<int> tilts = {6, -5, 9, 2, -12};
    std::vector<std::string> args = {"auto", "--whole-degrees"};
    for (size_t i = 0; i < tilts.size(); ++i) {
        const std::string name = "p" + std::to_string(i) + ".png";
        WritePage(name, tilts[i], "png", static_cast<uint32_t>(i + 1));
        args.push_back(name);
    }
    auto one = args, two = args;
    one.insert(one.end(), {"--out-dir", "one", "--jobs", "1", "--format", "csv"});
    two.insert(two.end(), {"--out-dir", "two", "--jobs", "2", "--format", "csv"});
    const ToolRun a = Run(one);
    const ToolRun b = Run(two);
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(b.exitCode, 0);
    auto rowsA = ParseCsv(a.out), rowsB = ParseCsv(b.out);
    ASSERT_EQ(rowsA.size(), tilts.size() + 1);
    ASSERT_EQ(rowsB.size(), rowsA.size());
    for (size_t i = 1; i < rowsA.size(); ++i) {
        const size_t status = Column(rowsA[0], "status"), angle = Column(rowsA[0], "angle");
        EXPECT_EQ(rowsA[i][0], rowsB[i][0]);
        EXPECT_EQ(rowsA[i][status], rowsB[i][status]);
        EXPECT_EQ(rowsA[i][angle], rowsB[i][angle]);
        EXPECT_EQ(rowsA[i][angle], std::to_string(tilts[i - 1]));
        const std::string name = "p" + std::to_string(i - 1) + ".png";
        EXPECT_EQ(TestSupport::ReadBytes(File("one/" + name)),
                  TestSupport::ReadBytes(File("two/" + name)));
    }
}

TEST_F(SkewmendTool, EngineLogOnlyWithVerboseAndThenOnStandardError) {
    WritePage("a.bmp", 6, "bmp");
    const ToolRun quiet = Run({"estimate", "--whole-degrees", "a.bmp", "--format", "json"});
    EXPECT_EQ(quiet.out.find("Angle = "), std::string::npos);
    EXPECT_EQ(quiet.err.find("Angle = "), std::string::npos);
    const ToolRun verbose =
        Run({"estimate", "--whole-degrees", "a.bmp", "--format", "json", "--verbose"});
    EXPECT_EQ(verbose.exitCode, 0);
    EXPECT_EQ(verbose.out.find("Angle = "), std::string::npos);
    EXPECT_NE(verbose.err.find("Angle = 6\n"), std::string::npos) << verbose.err;
    Json report;
    EXPECT_TRUE(ParseJson(verbose.out, report)) << verbose.out;
}

TEST_F(SkewmendTool, MissingInputFailsThatPageOnly) {
    WritePage("a.bmp", 6, "bmp");
    const ToolRun run =
        Run({"estimate", "--whole-degrees", "a.bmp", "gone.bmp", "--format", "csv"});
    EXPECT_EQ(run.exitCode, 1);
    const auto rows = ParseCsv(run.out);
    ASSERT_EQ(rows.size(), 3u);
    const size_t status = Column(rows[0], "status");
    EXPECT_EQ(rows[1][status], "estimated");
    EXPECT_EQ(rows[2][status], "failed");
    EXPECT_EQ(rows[2][Column(rows[0], "error")], "cannot open gone.bmp: No such file or directory");
}

}  // namespace
}  // namespace CliTest

namespace CliTest {
namespace {

using SkewmendTool = CliTestBase;

TEST_F(SkewmendTool, CompressedBmpIsRefusedWithTheReason) {
    // Eight bits per pixel, run-length compressed.
    TestSupport::WriteBytes(File("rle.bmp"), TestSupport::BmpFileBytes(4, 4, 8, 1, 54, 64));
    const ToolRun run = Run({"estimate", "rle.bmp"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("rle.bmp: failed: rle.bmp: damaged, truncated or unsupported BMP "
                           "picture (BMP pictures must have 1, 4, 8, 16, 24 or 32 bits per pixel "
                           "and no run-length or other compression;"),
              std::string::npos)
        << run.out;
}

TEST_F(SkewmendTool, PaperCornersTakeThePageBackground) {
    WritePage("a.bmp", 8, "bmp");
    const ToolRun run = Run({"auto", "a.bmp", "--output=b.bmp", "--corner=paper", "--jobs=1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    BmpBase::CBitmap24 turned;
    ASSERT_TRUE(turned.Read(File("b.bmp").c_str()));
    // The synthetic paper is blue 228, green 238, red 244.
    const uint8_t* corner = turned.PixelAt(0, 0);
    EXPECT_NEAR(corner[0], 228, 2);
    EXPECT_NEAR(corner[1], 238, 2);
    EXPECT_NEAR(corner[2], 244, 2);
}

}  // namespace
}  // namespace CliTest
