// Precise mode through the tool: fractional angles with a confidence in all
// three report forms, "not sure" pages kept as they were and counted, the
// gates, and the options' usage errors.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

using PreciseTool = CliTestBase;

TEST_F(PreciseTool, AutoTurnsByTheFractionalAngleAndReportsTheConfidence) {
    const std::string in = WritePage("tilted.bmp", 6.4, "bmp");
    const ToolRun run = Run({"auto", "--precise", in, "-o", File("out.bmp"), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = JsonReport(run);
    const Json& page = report["pages"][0];
    EXPECT_EQ(page["status"].text, "rotated");
    EXPECT_NEAR(page["angle"].number, 6.4, 0.1);
    EXPECT_GE(page["confidence"].number, 0.5);
    EXPECT_LE(page["confidence"].number, 1.0);
    EXPECT_EQ(report["summary"]["not_sure"].number, 0.0);
    // The angle is written with two decimals.
    EXPECT_NE(run.out.find("\"angle\": 6."), std::string::npos) << run.out;
    BmpBase::CBitmap24 out;
    ASSERT_TRUE(ReadAny(File("out.bmp"), out));
    EXPECT_GT(out.width, kPageCols);
}

TEST_F(PreciseTool, SmallTiltIsTurnedTooUnlikeTheWholeDegreeMode) {
    const std::string in = WritePage("slight.bmp", 1.6, "bmp");
    const ToolRun whole = Run({"auto", "--whole-degrees", in, "-o", File("whole.bmp")});
    EXPECT_NE(whole.out.find("not turned"), std::string::npos) << whole.out;
    const ToolRun run = Run({"auto", "--precise", in, "-o", File("out.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("slight.bmp: angle 1.6"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", turned -> "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 page: 1 turned, 0 unchanged, 0 not sure, 0 failed"),
              std::string::npos)
        << run.out;
}

TEST_F(PreciseTool, NotSureBelowTheConfidenceGateKeepsThePageByteForByte) {
    const std::string in = WritePage("tilted.bmp", 6.4, "bmp");
    const ToolRun run = Run({"auto", "--precise", in, "-o", File("out.bmp"), "--min-confidence",
                             "1", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = ParseCsv(run.out);
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<std::string>& header = rows[0];
    // A confidence of exactly 1 passes the gate; only a sharper page would.
    if (rows[1][Column(header, "status")] == "not sure") {
        EXPECT_EQ(rows[1][Column(header, "angle")], "");
        EXPECT_EQ(rows[1][Column(header, "note")], "below --min-confidence");
        EXPECT_EQ(TestSupport::ReadBytes(File("out.bmp")), TestSupport::ReadBytes(in));
    } else {
        EXPECT_EQ(rows[1][Column(header, "confidence")], "1.00");
    }
}

TEST_F(PreciseTool, PageWithoutTextIsNotSureAndCountedInTheSummary) {
    const std::string blank = File("blank.bmp");
    ASSERT_TRUE(TestSupport::SolidBitmap(300, 240, 235, 235, 235).Write(blank.c_str()));
    const std::string text = WritePage("text.bmp", -5.25, "bmp");
    const ToolRun run = Run({"estimate", "--precise", blank, text});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("blank.bmp: not sure (confidence 0.00)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("text.bmp: angle -5.2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2 pages: 1 estimated, 1 not sure, 0 failed"), std::string::npos)
        << run.out;
}

TEST_F(PreciseTool, AngleGateLeavesASmallCorrectionUnchanged) {
    const std::string in = WritePage("tilted.bmp", 2.3, "bmp");
    const ToolRun run = Run(
        {"auto", "--precise", in, "-o", File("out.bmp"), "--min-angle", "5", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = JsonReport(run);
    const Json& page = report["pages"][0];
    EXPECT_EQ(page["status"].text, "unchanged");
    EXPECT_NEAR(page["angle"].number, 2.3, 0.2);  // a small page
    EXPECT_EQ(TestSupport::ReadBytes(File("out.bmp")), TestSupport::ReadBytes(in));
}

struct GateUsage {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

class PreciseUsage : public CliTestBase, public testing::WithParamInterface<GateUsage> {};

TEST_P(PreciseUsage, IsAUsageError) {
    WritePage("a.bmp", 5, "bmp");
    const ToolRun run = Run(GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreciseUsage,
    testing::Values(
        GateUsage{"ConfidenceGateWithWholeDegrees",
                  {"auto", "a.bmp", "-o", "x.bmp", "--whole-degrees", "--min-confidence", "0.7"},
                  "--min-confidence applies to precise mode only"},
        GateUsage{"AngleGateWithWholeDegrees",
                  {"auto", "--min-angle", "1", "a.bmp", "-o", "x.bmp", "--whole-degrees"},
                  "--min-angle applies to precise mode only"},
        GateUsage{"PreciseWithWholeDegrees",
                  {"estimate", "--precise", "--whole-degrees", "a.bmp"},
                  "--precise and --whole-degrees exclude each other"},
        GateUsage{"WholeDegreesRotate",
                  {"rotate", "--whole-degrees", "a.bmp", "-o", "x.bmp", "--angle", "3"},
                  "option '--whole-degrees' does not apply to 'rotate'"},
        GateUsage{"ConfidenceAboveOne",
                  {"estimate", "--precise", "a.bmp", "--min-confidence", "1.5"},
                  "--min-confidence needs a number from 0 to 1"},
        GateUsage{"NegativeAngle",
                  {"auto", "--precise", "a.bmp", "-o", "x.bmp", "--min-angle", "-1"},
                  "--min-angle needs a number of degrees"},
        GateUsage{"PreciseRotate",
                  {"rotate", "--precise", "a.bmp", "-o", "x.bmp", "--angle", "3"},
                  "option '--precise' does not apply to 'rotate'"}),
    [](const testing::TestParamInfo<GateUsage>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace CliTest
