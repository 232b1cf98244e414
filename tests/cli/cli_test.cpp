// The command-line tool as scripts run it: `auto` on the bundled sample and
// precise mode's reports.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "test_support.h"

namespace {

struct Result {
    std::string out;
    int code;
};

Result RunTool(const std::string& args) {
    Result r{"", -1};
    const std::string command = TestSupport::BinaryDir() + "/skewmend " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) {
        r.out.append(buf.data(), n);
    }
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string kSample = LEVELORA_SOURCE_DIR "/samples/page.bmp";

TEST(CliAuto, StraightensTheSampleAndPrintsTheAngle) {
    TestSupport::ScratchDir dir;
    const Result r = RunTool("auto " + kSample + " -o " + dir.File("out.bmp"));
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Raw angle = 174\nAngle = 174\nangle: -6\n"), std::string::npos) << r.out;
    EXPECT_TRUE(TestSupport::FileExists(dir.File("out.bmp")));
}

TEST(CliPrecise, AutoReportsTheDecisionAsJsonAndCsv) {
    TestSupport::ScratchDir dir;
    const Result r = RunTool("auto --precise " + kSample + " -o " + dir.File("out.bmp") +
                             " --report " + dir.File("r.csv"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "{\"file\": \"" + kSample +
                         "\", \"status\": \"rotated\", \"angle\": -6.00, \"confidence\": 1.00}\n");
    const std::vector<uint8_t> csv = TestSupport::ReadBytes(dir.File("r.csv"));
    EXPECT_EQ(std::string(csv.begin(), csv.end()),
              "file,status,angle,confidence\n\"" + kSample + "\",rotated,-6.00,1.00\n");
}

TEST(CliPrecise, NotSureWithATightConfidenceGateLeavesThePageUnchanged) {
    TestSupport::ScratchDir dir;
    const Result r = RunTool("auto --precise " + kSample + " -o " + dir.File("out.bmp") +
                             " --min-confidence 1.5");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"status\": \"not sure\", \"angle\": null"), std::string::npos) << r.out;
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("out.bmp")), TestSupport::ReadBytes(kSample));
}

TEST(CliPrecise, EstimateOnlyReportsAndUsageErrorsGiveTwo) {
    const Result r = RunTool("estimate --precise " + kSample);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"status\": \"found\", \"angle\": -6.00"), std::string::npos) << r.out;
    EXPECT_EQ(RunTool("auto --precise " + kSample).code, 2);  // no output
    EXPECT_EQ(RunTool("auto --precise " + kSample + " -o x.bmp --min-angle nan").code, 2);
    EXPECT_EQ(RunTool("estimate --precise /no/such/page.bmp").code, 1);
}

}  // namespace
