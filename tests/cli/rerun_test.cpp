// Running again: what standard output prints applies as a report file
// does, from any folder; a report applied twice turns its pages once; a
// batch into an output folder picks up where an earlier run stopped.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

using Rerun = CliTestBase;

TEST_F(Rerun, StandardOutputCsvIsAReportToApply) {
    std::filesystem::create_directories(File("scans/sub"));
    WritePage("scans/a.bmp", 6.5, "bmp");
    WritePage("scans/sub/b.png", -5, "png", 2);
    const ToolRun estimate = Run({"estimate", "scans", "--recursive", "--format", "csv"});
    ASSERT_EQ(estimate.exitCode, 0) << estimate.err;
    std::filesystem::create_directories(File("elsewhere"));
    TestSupport::WriteBytes(File("elsewhere/angles.csv"),
                            std::vector<uint8_t>(estimate.out.begin(), estimate.out.end()));

    const ToolRun apply = RunTool(
        {"rotate", "--from-report", "angles.csv", "--out-dir", "straight", "--format", "json"},
        File("elsewhere"));
    ASSERT_EQ(apply.exitCode, 0) << apply.out << apply.err;
    const Json report = JsonReport(apply);
    ASSERT_EQ(report["pages"].items.size(), 2u);
    EXPECT_EQ(report["pages"][0]["status"].text, "rotated");
    EXPECT_NEAR(report["pages"][0]["angle"].number, 6.5, 0.1);
    EXPECT_NEAR(report["pages"][1]["angle"].number, -5, 0.1);
    // The tree below the inputs' common folder is mirrored.
    EXPECT_TRUE(TestSupport::FileExists(File("elsewhere/straight/a.bmp")));
    EXPECT_TRUE(TestSupport::FileExists(File("elsewhere/straight/sub/b.png")));
}

TEST_F(Rerun, AReportAppliedTwiceTurnsOnce) {
    const std::string page = WritePage("p.bmp", 6, "bmp");
    const ToolRun estimate = Run({"estimate", page, "--report", File("r.csv")});
    ASSERT_EQ(estimate.exitCode, 0) << estimate.err;
    const auto bytes = TestSupport::ReadBytes(File("r.csv"));
    const auto rows = ParseCsv(std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][Column(rows[0], "input_bytes")],
              std::to_string(TestSupport::ReadBytes(page).size()));
    const std::string digest = rows[1][Column(rows[0], "input_sha256")];
    EXPECT_EQ(digest.size(), 64u);
    EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos) << digest;

    const ToolRun first = Run({"rotate", "--from-report", File("r.csv"), "--in-place"});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_NE(first.out.find("1 turned"), std::string::npos) << first.out;
    const auto turned = TestSupport::ReadBytes(page);
    const ToolRun second = Run({"rotate", "--from-report", File("r.csv"), "--in-place"});
    EXPECT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_NE(second.out.find("skipped (the page changed since the report)"), std::string::npos)
        << second.out;
    EXPECT_EQ(TestSupport::ReadBytes(page), turned);
}

TEST_F(Rerun, ARunIntoTheSameOutputFolderDoesOnlyWhatIsLeft) {
    WritePage("a.bmp", 6, "bmp");
    WritePage("b.bmp", -7, "bmp", 2);
    ASSERT_EQ(Run({"auto", "a.bmp", "b.bmp", "--out-dir", "out"}).exitCode, 0);
    const auto doneBefore = TestSupport::ReadBytes(File("out/a.bmp"));
    std::remove(File("out/b.bmp").c_str());  // as if the run had stopped there

    const ToolRun again = Run({"auto", "a.bmp", "b.bmp", "--out-dir", "out", "--format", "json"});
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    const Json report = JsonReport(again);
    EXPECT_EQ(report["pages"][0]["status"].text, "skipped");
    EXPECT_EQ(report["pages"][0]["note"].text, "output exists");
    EXPECT_EQ(report["pages"][1]["status"].text, "rotated");
    EXPECT_EQ(TestSupport::ReadBytes(File("out/a.bmp")), doneBefore);
    EXPECT_TRUE(TestSupport::FileExists(File("out/b.bmp")));
}

TEST_F(Rerun, StandardInputToStandardOutputAndBack) {
    const std::string in = WritePage("in.png", 6, "png");
    const ToolRun turn =
        RunTool({"auto", "-", "-o", "-", "--output-format", "bmp"}, dir.path(), in);
    ASSERT_EQ(turn.exitCode, 0) << turn.err;
    EXPECT_NE(turn.err.find(", turned -> -\n"), std::string::npos) << turn.err;  // the report
    TestSupport::WriteBytes(File("turned.bmp"),
                            std::vector<uint8_t>(turn.out.begin(), turn.out.end()));
    EXPECT_EQ(Signature(File("turned.bmp")), "bmp");
    // The picture that came out is straight, and the same as from files.
    const ToolRun check =
        RunTool({"estimate", "-", "--format", "json"}, dir.path(), File("turned.bmp"));
    ASSERT_EQ(check.exitCode, 0) << check.err;
    const Json report = JsonReport(check);
    EXPECT_EQ(report["pages"][0]["input"].text, "-");
    EXPECT_NEAR(report["pages"][0]["angle"].number, 0.0, 0.1);
    ASSERT_EQ(Run({"auto", in, "-o", File("file.bmp")}).exitCode, 0);
    EXPECT_EQ(TestSupport::ReadBytes(File("turned.bmp")), TestSupport::ReadBytes(File("file.bmp")));
}

TEST_F(Rerun, NameThatIsNotUtf8SurvivesJson) {
    const std::string odd = WritePage("caf\xE9 \xFF.bmp", 6, "bmp");
    const ToolRun estimate = Run({"estimate", odd, "--format", "json"});
    ASSERT_EQ(estimate.exitCode, 0) << estimate.err;
    // Valid JSON in plain ASCII: the stray bytes are escaped.
    for (const char ch : estimate.out) {
        ASSERT_LT(static_cast<unsigned char>(ch), 0x80u) << estimate.out;
    }
    EXPECT_NE(estimate.out.find("caf\\udce9 \\udcff.bmp"), std::string::npos) << estimate.out;
    TestSupport::WriteBytes(File("r.json"),
                            std::vector<uint8_t>(estimate.out.begin(), estimate.out.end()));
    const ToolRun apply = Run({"rotate", "--from-report", "r.json", "--out-dir", "out"});
    ASSERT_EQ(apply.exitCode, 0) << apply.out << apply.err;
    EXPECT_TRUE(TestSupport::FileExists(File("out/caf\xE9 \xFF.bmp"))) << apply.out;
}

}  // namespace
}  // namespace CliTest
