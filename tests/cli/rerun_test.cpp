// Reports as the input of later runs: what standard output prints applies
// as a report file does, from any folder.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace CliTest
