// The auditable batch end to end: auto and estimate write their decisions to
// a report file (--report), a reviewer edits it, and rotate --from-report
// applies it: edited angles honoured, "not sure", "failed" and "unchanged" rows skipped,
// outputs refused as for any other command, malformed reports refused
// before any page is touched.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// CSV text of `rows`, quoted where needed, as a spreadsheet might save it.
std::string JoinCsv(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            const bool quote = row[i].find_first_of(",\"") != std::string::npos;
            std::string cell = row[i];
            for (size_t p = 0; quote && (p = cell.find('"', p)) != std::string::npos; p += 2) {
                cell.insert(p, "\"");
            }
            text += (i == 0 ? "" : ",") + (quote ? "\"" + cell + "\"" : cell);
        }
        text += "\n";  // a hand-edited file may well have plain line ends
    }
    return text;
}

using ReportFileTool = CliTestBase;

TEST_F(ReportFileTool, EditedReportIsAppliedAndNotSureRowsAreSkipped) {
    const std::string tilted = WritePage("tilted.bmp", 6.4, "bmp");
    const std::string blank = File("blank.bmp");
    ASSERT_TRUE(TestSupport::SolidBitmap(300, 240, 235, 235, 235).Write(blank.c_str()));
    const ToolRun first = Run({"auto", "--precise", tilted, blank, "--out-dir", File("review"),
                               "--report", File("decisions.csv")});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    // Standard output keeps its own form.
    EXPECT_NE(first.out.find("2 pages: 1 turned, 0 unchanged, 1 not sure"), std::string::npos)
        << first.out;

    auto rows = ParseCsv(ReadText(File("decisions.csv")));
    ASSERT_EQ(rows.size(), 3u);
    const size_t status = Column(rows[0], "status"), angle = Column(rows[0], "angle"),
                 mode = Column(rows[0], "mode"), error = Column(rows[0], "error");
    EXPECT_EQ(rows[1][0], tilted);
    EXPECT_EQ(rows[1][Column(rows[0], "output")], File("review/tilted.bmp"));
    EXPECT_EQ(rows[1][status], "rotated");
    EXPECT_NEAR(std::stod(rows[1][angle]), 6.4, 0.1);
    EXPECT_EQ(rows[1][angle].size() - rows[1][angle].find('.'), 3u)
        << "two decimals: " << rows[1][angle];
    EXPECT_EQ(rows[1][mode], "precise");
    EXPECT_EQ(
        (std::vector<std::string>{rows[2][status], rows[2][angle], rows[2][mode], rows[2][error]}),
        (std::vector<std::string>{"not sure", "", "precise", ""}));

    // The reviewer sets the first page's angle by hand.
    rows[1][angle] = "-3.5";
    WriteText(File("decisions.csv"), JoinCsv(rows));
    const ToolRun apply = Run({"rotate", "--from-report", File("decisions.csv"), "--out-dir",
                               File("final"), "--format", "json"});
    ASSERT_EQ(apply.exitCode, 0) << apply.err;
    const Json report = JsonReport(apply);
    const Json& turned = report["pages"][0];
    EXPECT_EQ(turned["status"].text, "rotated");
    EXPECT_EQ(turned["angle"].number, -3.5);
    EXPECT_EQ(turned["output"].text, File("final/tilted.bmp"));
    const Json& skipped = report["pages"][1];
    EXPECT_EQ(skipped["status"].text, "skipped");
    EXPECT_EQ(skipped["note"].text, "not sure in the report");
    EXPECT_EQ(skipped["angle"].kind, Json::Kind::kNull);
    EXPECT_EQ(report["summary"]["rotated"].number, 1.0);
    EXPECT_EQ(report["summary"]["skipped"].number, 1.0);
    EXPECT_EQ(report["summary"]["failed"].number, 0.0);
    EXPECT_FALSE(TestSupport::FileExists(File("final/blank.bmp")));

    // The same turn as rotate --angle gives, byte for byte.
    const ToolRun manual = Run({"rotate", tilted, "-o", File("manual.bmp"), "--angle", "-3.5"});
    ASSERT_EQ(manual.exitCode, 0) << manual.err;
    EXPECT_EQ(TestSupport::ReadBytes(File("final/tilted.bmp")),
              TestSupport::ReadBytes(File("manual.bmp")));
}

TEST_F(ReportFileTool, StandardEstimateWritesJsonAndItAppliesInPlaceWithBlackCorners) {
    const std::string page = WritePage("page.bmp", 8, "bmp");
    const std::string copy = File("copy.bmp");
    TestSupport::WriteBytes(copy, TestSupport::ReadBytes(page));
    const ToolRun first =
        Run({"estimate", "--whole-degrees", page, "--report", File("angles.json")});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("page.bmp: angle "), std::string::npos) << first.out;
    Json sidecar;
    ASSERT_TRUE(ParseJson(ReadText(File("angles.json")), sidecar));
    EXPECT_EQ(sidecar["command"].text, "estimate");
    const Json& row = sidecar["pages"][0];
    EXPECT_EQ(row["status"].text, "estimated");
    EXPECT_EQ(row["mode"].text, "whole-degrees");
    EXPECT_EQ(row["output"].kind, Json::Kind::kNull);
    EXPECT_EQ(row["confidence"].kind, Json::Kind::kNull);
    const double angle = row["angle"].number;
    EXPECT_EQ(angle, 8.0);  // whole degrees

    const ToolRun apply =
        Run({"rotate", "--from-report", File("angles.json"), "--in-place", "--corner", "black"});
    ASSERT_EQ(apply.exitCode, 0) << apply.err;
    EXPECT_NE(apply.out.find("1 page: 1 turned, 0 skipped, 0 failed"), std::string::npos)
        << apply.out;
    const ToolRun manual =
        Run({"rotate", copy, "--in-place", "--corner", "black", "--angle", std::to_string(angle)});
    ASSERT_EQ(manual.exitCode, 0) << manual.err;
    EXPECT_EQ(TestSupport::ReadBytes(page), TestSupport::ReadBytes(copy));
}

TEST_F(ReportFileTool, RowsWithoutAnAngleOrThatFailedOrStayedUnchangedAreSkippedNeverTurned) {
    const std::string a = WritePage("a.bmp", 5, "bmp");
    WriteText(File("r.csv"),
              "input,output,status,angle,confidence,mode,error\r\n" + a +
                  ",,failed,7.00,,standard,broken\r\n" + a + ",,rotated,,,precise,\r\n" + a +
                  ",,not sure,4.00,0.20,precise,\r\n" + a + ",,unchanged,2.00,,standard,\r\n");
    const ToolRun run = Run({"rotate", "--from-report", File("r.csv"), "--out-dir", File("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("a.bmp: skipped (failed in the report)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("a.bmp: skipped (no angle in the report)"), std::string::npos);
    EXPECT_NE(run.out.find("a.bmp: skipped (not sure in the report)"), std::string::npos);
    EXPECT_NE(run.out.find("a.bmp: skipped (unchanged in the report)"), std::string::npos);
    EXPECT_NE(run.out.find("4 pages: 0 turned, 4 skipped, 0 failed"), std::string::npos);
    EXPECT_FALSE(TestSupport::FileExists(File("out/a.bmp")));
}

TEST_F(ReportFileTool, AReportOfInPlaceTurnsIsNotAppliedASecondTime) {
    const std::string page = WritePage("page.bmp", 6, "bmp");
    const ToolRun first = Run({"auto", "--precise", page, "--in-place", "--report", File("r.csv")});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const auto turned = TestSupport::ReadBytes(page);
    const ToolRun again = Run({"rotate", "--from-report", File("r.csv"), "--in-place"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("page.bmp: skipped (turned in place when the report was written)"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(TestSupport::ReadBytes(page), turned);
}

TEST_F(ReportFileTool, ApplyingSkipsAnExistingOutputWithoutForce) {
    const std::string a = WritePage("a.bmp", 5, "bmp");
    WriteText(File("r.json"), "{\"command\": \"auto\", \"pages\": [{\"input\": \"" + a +
                                  "\", \"output\": null, \"status\": \"rotated\", \"angle\": "
                                  "5.25, \"confidence\": 0.9, \"mode\": \"precise\", \"error\": "
                                  "null}]}");
    const std::string existing = File("out/a.bmp");
    ASSERT_EQ(Run({"rotate", a, "-o", File("keep.bmp"), "--angle", "1"}).exitCode, 0);
    ASSERT_EQ(Run({"rotate", a, "--out-dir", File("out"), "--angle", "1"}).exitCode, 0);
    const auto before = TestSupport::ReadBytes(existing);
    const ToolRun kept = Run({"rotate", "--from-report", File("r.json"), "--out-dir", File("out")});
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_NE(kept.out.find("skipped (output exists)"), std::string::npos) << kept.out;
    EXPECT_EQ(TestSupport::ReadBytes(existing), before);
    const ToolRun forced =
        Run({"rotate", "--from-report", File("r.json"), "--out-dir", File("out"), "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.out;
    EXPECT_NE(forced.out.find("turned by 5.25 degrees"), std::string::npos) << forced.out;
}

TEST_F(ReportFileTool, PathsWithCommasAndQuotesSurviveTheRoundTrip) {
    const std::string odd = WritePage("odd, \"name\".bmp", 6, "bmp");
    for (const char* form : {"r.csv", "r.json"}) {
        const ToolRun first = Run({"estimate", "--precise", odd, "--report", File(form)});
        ASSERT_EQ(first.exitCode, 0) << first.err;
        const ToolRun apply =
            Run({"rotate", "--from-report", File(form), "--out-dir", File("out"), "--force"});
        EXPECT_EQ(apply.exitCode, 0) << form << ": " << apply.out << apply.err;
        EXPECT_TRUE(TestSupport::FileExists(File("out/odd, \"name\".bmp"))) << form;
    }
}

TEST_F(ReportFileTool, AReportThatCannotBeWrittenStopsBeforeAnyPage) {
    const std::string a = WritePage("a.bmp", 5, "bmp");
    const ToolRun run = Run({"auto", a, "-o", File("out.bmp"), "--report", File("missing/r.csv")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot write the report " + File("missing/r.csv")), std::string::npos)
        << run.err;
    EXPECT_FALSE(TestSupport::FileExists(File("out.bmp")));
}

TEST_F(ReportFileTool, AReportOverAPageIsRefused) {
    const std::string page = WritePage("page.json", 5, "bmp");  // a BMP, whatever its name
    const auto before = TestSupport::ReadBytes(page);
    const ToolRun run = Run({"estimate", page, "--report", page});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("the report " + page + " is the input " + page), std::string::npos)
        << run.err;
    EXPECT_EQ(TestSupport::ReadBytes(page), before);
}

struct BadReport {
    const char* name;
    const char* file;
    std::string text;
    const char* message;
};

class MalformedReport : public CliTestBase, public testing::WithParamInterface<BadReport> {};

TEST_P(MalformedReport, IsAUsageErrorNamingTheLine) {
    WritePage("a.bmp", 5, "bmp");
    WriteText(File(GetParam().file), GetParam().text);
    const ToolRun run = Run({"rotate", "--from-report", GetParam().file, "--out-dir", "out"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_FALSE(TestSupport::FileExists(File("out/a.bmp")));
}

const std::string kHeader = "input,output,status,angle,confidence,mode,error\r\n";
const std::string kGood = "a.bmp,,estimated,5.00,,standard,\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedReport,
    testing::Values(
        BadReport{"UnknownStatus", "r.csv", kHeader + kGood + "a.bmp,,done,5.00,,standard,\r\n",
                  "r.csv line 3: the status 'done' is not one of"},
        BadReport{"AngleNotANumber", "r.csv", kHeader + "a.bmp,,rotated,5 deg,,precise,\r\n",
                  "r.csv line 2: the angle '5 deg' is not a number"},
        BadReport{"CellMissing", "r.csv", kHeader + kGood + kGood + "a.bmp,,rotated,5\r\n",
                  "r.csv line 4: 4 cells where 7 are needed"},
        BadReport{"WrongHeader", "r.csv", "input,status,angle\r\n" + kGood,
                  "r.csv line 1: the header must be"},
        BadReport{"UnclosedQuote", "r.csv", kHeader + "\"a.bmp,,rotated,5,,precise,\r\n",
                  "r.csv line 2: a quoted cell starting on line 2 has no closing quote"},
        BadReport{"ConfidenceAboveOne", "r.csv", kHeader + "a.bmp,,rotated,5,1.5,precise,\r\n",
                  "r.csv line 2: the confidence '1.5' is not between 0 and 1"},
        BadReport{"NoPages", "r.csv", kHeader, "the report r.csv lists no pages"},
        BadReport{"JsonSyntax", "r.json", "{\"command\": \"auto\",\n \"pages\": [\n  {,}]}",
                  "r.json line 3: a member name must be a string"},
        BadReport{"JsonMissingMember", "r.json",
                  "{\"command\": \"auto\", \"pages\": [\n{\"input\": \"a.bmp\"}]}",
                  "r.json line 2: the member \"output\" is missing"},
        BadReport{"JsonAngleAsText", "r.json",
                  "{\"command\": \"auto\", \"pages\": [{\"input\": \"a.bmp\", \"output\": null, "
                  "\"status\": \"rotated\", \"angle\": \"5\", \"confidence\": null, \"mode\": "
                  "\"standard\", \"error\": null}]}",
                  "r.json line 1: the angle must be a number or empty"},
        BadReport{"OtherExtension", "r.txt", kHeader + kGood,
                  "the report file 'r.txt' must end in .csv or .json"}),
    [](const testing::TestParamInfo<BadReport>& p) { return std::string(p.param.name); });

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

class ReportUsage : public CliTestBase, public testing::WithParamInterface<UsageCase> {};

TEST_P(ReportUsage, IsAUsageError) {
    WritePage("a.bmp", 5, "bmp");
    const ToolRun run = Run(GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportUsage,
    testing::Values(UsageCase{"ReportWithoutKnownExtension",
                              {"estimate", "a.bmp", "--report", "r.txt"},
                              "the report file 'r.txt' must end in .csv or .json"},
                    UsageCase{
                        "ReportForRotate",
                        {"rotate", "a.bmp", "-o", "b.bmp", "--angle", "2", "--report", "r.csv"},
                        "option '--report' does not apply to 'rotate'"},
                    UsageCase{"FromReportWithInputs",
                              {"rotate", "--from-report", "r.csv", "a.bmp", "--out-dir", "o"},
                              "--from-report takes the pages from the report; give no inputs"},
                    UsageCase{"FromReportWithSingleOutput",
                              {"rotate", "--from-report", "r.csv", "-o", "b.bmp"},
                              "--from-report writes with --out-dir DIR or --in-place, not -o"},
                    UsageCase{"FromReportWithAngle",
                              {"rotate", "--from-report", "r.csv", "--in-place", "--angle", "2"},
                              "--from-report takes the angles from the report; give no --angle"},
                    UsageCase{"FromReportWithoutDestination",
                              {"rotate", "--from-report", "r.csv"},
                              "choose exactly one of --out-dir DIR and --in-place"},
                    UsageCase{"FromReportForAuto",
                              {"auto", "--from-report", "r.csv", "--in-place"},
                              "option '--from-report' does not apply to 'auto'"}),
    [](const testing::TestParamInfo<UsageCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace CliTest
