// The report file's writer and readers without the binary: what the writer
// writes the reader gives back, in both forms, whatever the file names hold;
// the readers accept the variants an editor may save and refuse the rest
// with the line at fault.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/json_reader.h"
#include "cli/paths.h"
#include "cli/report_file.h"
#include "tests/support/test_support.h"

namespace Cli {
namespace {

PageResult Page(const std::string& input, const std::string& output) {
    PageResult r;
    r.input = input;
    r.output = output;
    r.ok = true;
    return r;
}

class ReportFileRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(ReportFileRoundTrip, ReaderGivesBackWhatTheWriterWrote) {
    TestSupport::ScratchDir dir;
    Options o;
    o.command = Command::kAuto;
    o.precise = true;
    o.reportFile = dir.File(GetParam());

    std::vector<PageResult> pages;
    PageResult turned = Page("scans/a, \"b\".png", " lead\nline\ttab.png");
    turned.hasAngle = true;
    turned.turned = true;
    turned.preciseAngle = -12.345;
    turned.confidence = 0.876;
    pages.push_back(turned);
    PageResult unsure = Page("caf\xC3\xA9\\x.jpg", "out/caf\xC3\xA9.jpg");
    unsure.notSure = true;
    unsure.confidence = 0.2;
    pages.push_back(unsure);
    PageResult failed = Page("c.tif", "out/c.tif");
    failed.ok = false;
    failed.error = "c.tif: damaged, \"truncated\"";
    pages.push_back(failed);

    ReportFileWriter writer(o);
    std::string error;
    ASSERT_TRUE(writer.Open(error)) << error;
    for (const PageResult& p : pages) {
        writer.Row(p);
    }
    ASSERT_TRUE(writer.Commit({{"pages", ReportValue::Int(3)}}, error)) << error;

    std::vector<ReportFileRow> rows;
    bool old = true;
    ASSERT_TRUE(ReadReportFile(o.reportFile, rows, old, error)) << error;
    EXPECT_FALSE(old);
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        // Written absolute, so the report applies from any folder.
        EXPECT_EQ(rows[i].input, AbsolutePath(pages[i].input));
        EXPECT_EQ(rows[i].output, AbsolutePath(pages[i].output));
        EXPECT_TRUE(rows[i].hasOutput);
        EXPECT_EQ(rows[i].mode, "precise");
    }
    EXPECT_EQ(rows[0].status, PageStatus::kRotated);
    EXPECT_TRUE(rows[0].hasAngle);
    EXPECT_EQ(rows[0].angle, -12.35);  // two decimals, as the reports give it
    EXPECT_EQ(rows[0].confidence, 0.88);
    EXPECT_FALSE(rows[0].hasError);
    EXPECT_EQ(rows[1].status, PageStatus::kNotSure);
    EXPECT_FALSE(rows[1].hasAngle);
    EXPECT_EQ(rows[1].confidence, 0.2);
    EXPECT_EQ(rows[2].status, PageStatus::kFailed);
    EXPECT_FALSE(rows[2].hasAngle);
    EXPECT_FALSE(rows[2].hasConfidence);
    EXPECT_EQ(rows[2].error, failed.error);
}

INSTANTIATE_TEST_SUITE_P(Forms, ReportFileRoundTrip, testing::Values("r.csv", "r.JSON"),
                         [](const testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param[2] == 'c' ? "Csv" : "Json");
                         });

TEST(ReportFileWriter, LeavesAnEarlierReportAloneUntilCommitted) {
    TestSupport::ScratchDir dir;
    Options o;
    o.command = Command::kEstimate;
    o.reportFile = dir.File("r.csv");
    std::ofstream(o.reportFile) << "earlier";
    std::string error;
    {
        ReportFileWriter writer(o);
        ASSERT_TRUE(writer.Open(error));
        writer.Row(Page("a.bmp", ""));
    }
    std::ifstream in(o.reportFile);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "earlier");
}

const char kHeaderLf[] = "input,output,status,angle,confidence,mode,error\n";

TEST(ReportFileReader, AcceptsWhatAnEditorMaySave) {
    std::vector<ReportFileRow> rows;
    std::string error;
    bool old = false;
    // The older layout, with a byte-order mark, plain line ends, quotes on every cell, a line break
    // inside a name, a sign and no decimals, empty lines at the end.
    const std::string csv = std::string("\xEF\xBB\xBF") + kHeaderLf +
                            "\"a\nb.bmp\",\"\",\"rotated\",\"+3\",\"1\",\"precise\",\"\"\n\n\n";
    ASSERT_TRUE(ParseReportFile(csv, ReportFormat::kCsv, "r.csv", rows, old, error)) << error;
    EXPECT_TRUE(old);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].input, "a\nb.bmp");
    EXPECT_EQ(rows[0].angle, 3.0);
    EXPECT_FALSE(rows[0].hasOutput);

    const std::string json =
        "{\"pages\":[{\"error\":null,\"mode\":\"standard\",\"confidence\":null,\"angle\":-1.5e0,"
        "\"status\":\"unchanged\",\"output\":\"o\\/\\u00e9\\ud83d\\ude00\",\"input\":\"\\t\"}],"
        "\"command\":\"auto\"}";
    ASSERT_TRUE(ParseReportFile(json, ReportFormat::kJson, "r.json", rows, old, error)) << error;
    EXPECT_TRUE(old);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].output, "o/\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(rows[0].input, "\t");
    EXPECT_EQ(rows[0].angle, -1.5);
}

struct Malformed {
    const char* name;
    ReportFormat format;
    std::string text;
    const char* error;
};

class ReportFileMalformed : public testing::TestWithParam<Malformed> {};

TEST_P(ReportFileMalformed, IsRefusedWithTheLine) {
    std::vector<ReportFileRow> rows;
    std::string error;
    bool old = false;
    EXPECT_FALSE(ParseReportFile(GetParam().text, GetParam().format, "r", rows, old, error));
    EXPECT_EQ(error, GetParam().error);
}

const std::string kCsvHeader = kHeaderLf;
const std::string kPage =
    "{\"input\": \"a\", \"output\": null, \"status\": \"rotated\", \"angle\": 1, "
    "\"confidence\": null, \"mode\": \"standard\", \"error\": null}";

// A page of the current layout without its last two members.
const std::string kCurrentPage =
    "{\"input\": \"a\", \"page\": 1, \"pages\": 1, \"output\": null, \"status\": \"rotated\", "
    "\"angle\": 1, \"confidence\": null, \"mode\": null, \"note\": null, \"error\": null";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportFileMalformed,
    testing::Values(
        Malformed{"TextAfterClosingQuote", ReportFormat::kCsv,
                  kCsvHeader + "\"a\"b,,rotated,1,,standard,\n",
                  "r line 2: text after the closing quote of a cell"},
        Malformed{"QuoteInsidePlainCell", ReportFormat::kCsv,
                  kCsvHeader + "a\"b,,rotated,1,,standard,\n",
                  "r line 2: a quote inside a cell that is not quoted"},
        Malformed{"LineCountedAcrossQuotedBreaks", ReportFormat::kCsv,
                  kCsvHeader + "\"a\nb\",,rotated,1,,standard,\nc,,rotated,0x10,,standard,\n",
                  "r line 4: the angle '0x10' is not a number"},
        Malformed{"SpaceInNumber", ReportFormat::kCsv, kCsvHeader + "a,,rotated, 1,,standard,\n",
                  "r line 2: the angle ' 1' is not a number"},
        Malformed{"UnknownMode", ReportFormat::kCsv, kCsvHeader + "a,,rotated,1,,exact,\n",
                  "r line 2: the mode 'exact' is not precise or whole-degrees"},
        Malformed{"EmptyInput", ReportFormat::kCsv, kCsvHeader + ",,rotated,1,,standard,\n",
                  "r line 2: the input is empty"},
        Malformed{"Empty", ReportFormat::kCsv, "", "r line 1: the header is missing"},
        Malformed{"DuplicateMember", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"command\": \"auto\", \"pages\": []}",
                  "r line 1: the member \"command\" is given twice"},
        Malformed{"UnknownMember", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"pages\": [],\n\"extra\": 1}",
                  "r line 1: an unknown member \"extra\""},
        Malformed{"TextAfterDocument", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"pages\": [" + kPage + "]}\n,",
                  "r line 2: text after the end of the document"},
        Malformed{"MissingComma", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"pages\": [" + kPage + "\n" + kPage + "]}",
                  "r line 2: a ',' or ']' is missing"},
        Malformed{"BadEscape", ReportFormat::kJson, "{\"command\": \"a\\x\"}",
                  "r line 1: an unknown escape \\x"},
        Malformed{"LoneSurrogate", ReportFormat::kJson, "{\"command\": \"\\udc00\"}",
                  "r line 1: a broken \\u surrogate pair"},
        Malformed{"DeepNesting", ReportFormat::kJson, std::string(100000, '['),
                  "r line 1: nested too deeply"},
        Malformed{"PageNotAnObject", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"pages\": [\n\n3]}",
                  "r line 3: each page must be an object"},
        Malformed{"Truncated", ReportFormat::kJson, "{\"command\": \"auto\", \"pages\": [\n",
                  "r line 2: the document ends too early"},
        Malformed{"SizeBeyondAnyFile", ReportFormat::kJson,
                  "{\"command\": \"auto\", \"pages\": [\n" + kCurrentPage +
                      ", \"input_bytes\": 9223372036854775808, \"input_sha256\": \"" +
                      std::string(64, 'a') + "\"}]}",
                  "r line 2: the input_bytes '9223372036854775808' is not a file size"}),
    [](const testing::TestParamInfo<Malformed>& p) { return std::string(p.param.name); });

// What the reader understood, written back: the same rows, and the same
// bytes when written again, whatever a hand-edited report held (any number
// form, a note, the older layout, names that need quoting or escaping).
struct Rewritten {
    const char* name;
    ReportFormat format;
    std::string text;
    std::vector<std::string> expected;  // parts of the rewritten text
};

class ReportFileRewrite : public testing::TestWithParam<Rewritten> {};

TEST_P(ReportFileRewrite, ReadsBackAsTheSameRowsAndBytes) {
    const Rewritten& c = GetParam();
    std::vector<ReportFileRow> rows;
    std::vector<ReportFileRow> again;
    bool old = false;
    std::string error;
    ASSERT_TRUE(ParseReportFile(c.text, c.format, "r", rows, old, error)) << error;
    const std::string written = ReportFileText(rows, c.format, "rotate");
    for (const std::string& part : c.expected) {
        EXPECT_NE(written.find(part), std::string::npos) << part << " in\n" << written;
    }
    ASSERT_TRUE(ParseReportFile(written, c.format, "r", again, old, error)) << error;
    EXPECT_FALSE(old);
    ASSERT_EQ(again.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(again[i].input, rows[i].input);
        EXPECT_EQ(again[i].angle, rows[i].angle);
        EXPECT_EQ(again[i].hasAngle, rows[i].hasAngle);
        EXPECT_EQ(again[i].note, rows[i].note);
        EXPECT_EQ(again[i].page, rows[i].page);
    }
    EXPECT_EQ(ReportFileText(again, c.format, "rotate"), written);
}

const std::string kCurrentHeader =
    "input,page,pages,output,status,angle,confidence,mode,note,error,input_bytes,input_sha256\n";

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportFileRewrite,
    testing::Values(
        Rewritten{"NumbersAsTheyRead",
                  ReportFormat::kCsv,
                  kCurrentHeader + "a.jpg,2,3,,rotated,1.234,,,,,,\n" +
                      "b.jpg,1,1,,rotated,1e300,0.5,precise,,,,\n" +
                      "c.jpg,1,1,,rotated,-0.10000000000000001,,,,,,\n",
                  {"a.jpg,2,3,,rotated,1.234,", "b.jpg,1,1,,rotated,1e+300,0.5,precise",
                   "c.jpg,1,1,,rotated,-0.1,"}},
        Rewritten{"NoteAndQuoting",
                  ReportFormat::kCsv,
                  kCurrentHeader + "\" x.png\",1,1,\"o,\"\"q\"\".png\",not sure,,0.2,precise," +
                      "\"note; reduced to 8 bits\",,12," + std::string(64, 'f') + "\n",
                  {"\" x.png\",1,1,\"o,\"\"q\"\".png\",not sure,,0.2,precise,note; reduced to 8 "
                   "bits,,12,"}},
        Rewritten{"OlderLayoutInTheCurrentOne",
                  ReportFormat::kCsv,
                  std::string(kHeaderLf) + "a.bmp,,rotated,+3,,standard,\n",
                  {kCurrentHeader, "a.bmp,1,1,,rotated,3,,standard,,,,\n"}},
        Rewritten{
            "JsonEscapesAndNulls",
            ReportFormat::kJson,
            "{\"command\": \"auto\", \"pages\": [\n" + kCurrentPage +
                ", \"input_bytes\": null, \"input_sha256\": null, \"decode_ms\": 1}, " +
                "{\"input\": \"\\u00e9\\t\\udc80\", \"page\": 1, \"pages\": 1, " +
                "\"output\": \"\", \"status\": \"failed\", \"angle\": null, " +
                "\"confidence\": null, \"mode\": null, \"note\": null, " +
                "\"error\": \"bad\\nfile\", \"input_bytes\": null, " + "\"input_sha256\": null}]}",
            {"{\"command\": \"rotate\", \"pages\": [", "\"input\": \"\xC3\xA9\\t\\udc80\"",
             "\"output\": \"\"", "\"error\": \"bad\\nfile\"", "\"summary\": {\"pages\": 2}"}}),
    [](const testing::TestParamInfo<Rewritten>& p) { return std::string(p.param.name); });

TEST(ReportWriter, WritesLargeFixedNumbersWhole) {
    std::ostringstream out;
    ReportWriter writer(ReportFormat::kCsv, out, "rotate", {"angle"});
    writer.Begin();
    writer.Row({{"angle", ReportValue::Number(-1e80, 2)}}, "");
    const std::string cell = out.str().substr(6, out.str().size() - 7);
    EXPECT_EQ(cell.size(), 1 + 81 + 3u) << cell;  // sign, 81 digits, ".00"
    EXPECT_EQ(std::strtod(cell.c_str(), nullptr), -1e80);
}

// The number grammar of JSON exactly: what a strict reader must accept and
// refuse, as a hand-edited report may hold it.
struct NumberCase {
    const char* text;
    bool valid;
};

class JsonNumberGrammar : public testing::TestWithParam<NumberCase> {};

TEST_P(JsonNumberGrammar, IsAcceptedExactlyWhenValid) {
    JsonValue value;
    size_t line = 0;
    std::string why;
    const std::string doc = std::string("[") + GetParam().text + "]";
    EXPECT_EQ(ParseJson(doc, value, line, why), GetParam().valid) << doc << ": " << why;
}

INSTANTIATE_TEST_SUITE_P(
    Snippets, JsonNumberGrammar,
    testing::Values(NumberCase{"0", true}, NumberCase{"-0", true}, NumberCase{"12", true},
                    NumberCase{"0.5", true}, NumberCase{"-3.25", true}, NumberCase{"1e5", true},
                    NumberCase{"1E+5", true}, NumberCase{"2.5e-3", true}, NumberCase{"0e0", true},
                    NumberCase{"012", false}, NumberCase{"-012", false}, NumberCase{"00", false},
                    NumberCase{"+1", false}, NumberCase{".5", false}, NumberCase{"1.", false},
                    NumberCase{"1.e3", false}, NumberCase{"1e", false}, NumberCase{"1e+", false},
                    NumberCase{"-", false}, NumberCase{"- 1", false}, NumberCase{"0x10", false},
                    NumberCase{"NaN", false}, NumberCase{"Infinity", false},
                    NumberCase{"1_000", false}));

}  // namespace
}  // namespace Cli
