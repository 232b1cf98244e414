// The tool's parts without the binary: the batch runner's ordering and its
// handling of a worker that dies, the option parser, and report escaping.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli/batch_runner.h"
#include "cli/options.h"
#include "cli/page_report.h"
#include "cli/page_result.h"
#include "cli/report.h"
#include "tests/cli/tool_runner.h"

namespace Cli {
namespace {

TEST(BatchRunner, DeliversInPageOrderWhateverTheFinishingOrder) {
    const PageJob job = [](size_t i) {
        // Later pages finish first.
        usleep(static_cast<useconds_t>((6 - i) * 3000));
        PageResult r;
        r.ok = true;
        r.angle = static_cast<int>(i) * 10;
        r.hasAngle = true;
        return PageResults{r};
    };
    std::vector<size_t> order;
    std::vector<int> angles;
    size_t lastProgress = 0;
    RunBatch(
        6, 3, job,
        [&](size_t i, const PageResults& r) {
            order.push_back(i);
            angles.push_back(r.at(0).angle);
        },
        [&](size_t done) { lastProgress = done; });
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(angles, (std::vector<int>{0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(lastProgress, 6u);
}

TEST(BatchRunner, AWorkerThatDiesCostsOnlyItsPage) {
    // Page 2 ends its process, as an engine assertion would.
    const PageJob job = [](size_t i) {
        if (i == 2) {
            _exit(1);
        }
        PageResult r;
        r.ok = true;
        return PageResults{r};
    };
    std::vector<PageResult> results;
    RunBatch(
        5, 2, job, [&](size_t, const PageResults& r) { results.push_back(r.at(0)); }, nullptr);
    ASSERT_EQ(results.size(), 5u);
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].ok, i != 2) << i;
    }
    EXPECT_EQ(results[2].error, "the worker process handling this page ended unexpectedly");
}

// A wait that polls for real `realWaits` times, then fails `failures`
// times with `error`, then polls again.
struct WaitScript {
    int realWaits;
    int failures;
    int error;
    bool allPagesSucceed;  // what the batch must come to
};
WaitScript gScript;

int ScriptedWait(pollfd* fds, nfds_t count, int timeoutMs) {
    if (gScript.realWaits > 0) {
        --gScript.realWaits;
        return poll(fds, count, timeoutMs);
    }
    if (gScript.failures > 0) {
        --gScript.failures;
        errno = gScript.error;
        return -1;
    }
    return poll(fds, count, timeoutMs);
}

class BatchRunnerWait : public testing::TestWithParam<WaitScript> {};

TEST_P(BatchRunnerWait, EveryPageIsReportedAndCountedWhateverTheWaitDoes) {
    constexpr size_t kPages = 7;
    gScript = GetParam();
    const PageJob job = [](size_t) {
        usleep(2000);
        PageResult r;
        r.ok = true;
        return PageResults{r};
    };
    std::vector<size_t> order;
    BatchCounts counts;
    std::vector<std::string> errors;
    size_t lastProgress = 0;
    RunBatch(
        kPages, 2, job,
        [&](size_t i, const PageResults& results) {
            const PageResult& r = results.at(0);
            order.push_back(i);
            counts.Add(r);
            if (!r.ok) {
                errors.push_back(r.error);
            }
        },
        [&](size_t done) { lastProgress = done; }, ScriptedWait);

    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(lastProgress, kPages);
    EXPECT_EQ(counts.pages, kPages);
    if (gScript.allPagesSucceed) {
        EXPECT_EQ(counts.failed, 0u);
    } else {
        // Two workers, each answered at most once per real wait: the last
        // pages were never finished. main() exits with 1 for any failure.
        EXPECT_GE(counts.failed, kPages - 2 * static_cast<size_t>(GetParam().realWaits));
        for (const std::string& e : errors) {
            EXPECT_EQ(e, "cannot wait for the worker processes: " +
                             std::string(std::strerror(gScript.error)));
        }
    }
    // Every worker was reaped.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

INSTANTIATE_TEST_SUITE_P(Scripts, BatchRunnerWait,
                         testing::Values(WaitScript{0, 1, ENOMEM, false},
                                         WaitScript{2, 1, EINVAL, false},
                                         WaitScript{1, 3, EINTR, true}));

TEST(PageResultSerial, RoundTripsAnyText) {
    PageResult r;
    r.input = "odd:name\n12:with,commas\"";
    r.output = "";
    r.ok = true;
    r.error = "3:x";
    r.hasAngle = true;
    r.angle = -89;
    r.turned = true;
    r.decodeMs = 1.0 / 3.0;
    PageResult back;
    ASSERT_TRUE(Deserialize(Serialize(r), back));
    EXPECT_EQ(back.input, r.input);
    EXPECT_EQ(back.error, r.error);
    EXPECT_EQ(back.angle, -89);
    EXPECT_TRUE(back.turned);
    EXPECT_EQ(back.decodeMs, r.decodeMs);
    const std::string bytes = Serialize(r);
    EXPECT_FALSE(Deserialize(bytes.substr(0, bytes.size() - 1), back));
}

struct ParseCase {
    const char* name;
    std::vector<const char*> argv;
    bool ok;
};

class OptionParsing : public testing::TestWithParam<ParseCase> {};

TEST_P(OptionParsing, AcceptsOrRefuses) {
    std::vector<const char*> argv = {"skewmend"};
    argv.insert(argv.end(), GetParam().argv.begin(), GetParam().argv.end());
    Options o;
    std::string error;
    const bool ok = ParseArguments(static_cast<int>(argv.size()), argv.data(), o, error) &&
                    ValidateOptions(o, error);
    EXPECT_EQ(ok, GetParam().ok) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionParsing,
    testing::Values(
        ParseCase{"ValueAfterEquals", {"auto", "a", "--out-dir=d", "--jobs=3"}, true},
        ParseCase{"ShortOptions", {"auto", "a", "-o", "b.png", "-f", "-j", "2", "-v"}, true},
        ParseCase{"DashDashEndsOptions", {"estimate", "--", "--odd-name"}, true},
        ParseCase{"FlagWithValue", {"auto", "a", "-o", "b.png", "--force=yes"}, false},
        ParseCase{"JobsTooMany", {"estimate", "a", "--jobs", "100000"}, false},
        ParseCase{"JobsNotANumber", {"estimate", "a", "--jobs", "two"}, false},
        ParseCase{"AngleInfinite", {"rotate", "a", "-o", "b.bmp", "--angle", "inf"}, false},
        ParseCase{"AngleOverflows", {"rotate", "a", "-o", "b.bmp", "--angle", "1e999"}, false},
        ParseCase{"AngleSubnormal", {"rotate", "a", "-o", "b.bmp", "--angle", "-5e-324"}, true},
        ParseCase{"MinConfidenceSubnormal", {"estimate", "a", "--min-confidence", "1e-310"}, true},
        ParseCase{"MinAngleSubnormal", {"auto", "a", "-o", "b.bmp", "--min-angle=2e-320"}, true},
        ParseCase{"Quality", {"auto", "a", "-o", "b.jpg", "--quality", "100"}, true},
        ParseCase{"QualityTooHigh", {"auto", "a", "-o", "b.jpg", "--quality", "101"}, false},
        ParseCase{"QualityForEstimate", {"estimate", "a", "--quality", "80"}, false},
        ParseCase{"OutputForEstimate", {"estimate", "a", "-o", "b.bmp"}, false}),
    [](const testing::TestParamInfo<ParseCase>& p) { return p.param.name; });

TEST(OptionParsing, DashDashKeepsTheNameAsAnInput) {
    const char* argv[] = {"skewmend", "estimate", "--", "--odd-name"};
    Options o;
    std::string error;
    ASSERT_TRUE(ParseArguments(4, argv, o, error));
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"--odd-name"}));
}

TEST(ReportEscaping, JsonAndCsvSurviveAwkwardNames) {
    const std::string name = "a \"quoted\", back\\slash\n\ttab\x01";
    EXPECT_EQ(ReportWriter::JsonString(name),
              "\"a \\\"quoted\\\", back\\\\slash\\n\\ttab\\u0001\"");
    CliTest::Json parsed;
    ASSERT_TRUE(CliTest::ParseJson(ReportWriter::JsonString(name), parsed));
    EXPECT_EQ(parsed.text, name);
    const auto rows = CliTest::ParseCsv(ReportWriter::CsvCell(name) + "," +
                                        ReportWriter::CsvCell(" lead") + "\r\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{name, " lead"}));
}

}  // namespace
}  // namespace Cli
