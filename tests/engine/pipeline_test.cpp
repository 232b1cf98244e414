// The engine's internal interface: the angle rules, the analysis and the
// turn agree with the automatic export byte for byte, its refusals, and the
// log sink.
#include "engine/pipeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/deskew/angle_rules.h"
#include "engine/diagnostics.h"
#include "engine/skewmend.h"
#include "tests/support/synthetic_page.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using Skewmend::AnalysePage;
using Skewmend::CornerFill;
using Skewmend::PageAnalysis;

namespace {

bool SamePage(const CBitmap24& a, const CBitmap24& b) {
    return a.height == b.height && a.width == b.width && a.pixelBytes == b.pixelBytes &&
           std::memcmp(a.pixels, b.pixels, a.pixelBytes) == 0 &&
           std::memcmp(&a.infoHeader, &b.infoHeader, sizeof a.infoHeader) == 0;
}

std::vector<std::string> captured;

void Capture(const std::string& line) {
    captured.push_back(line);
}

// Collects the engine's log lines for its lifetime.
class CapturedLog {
  public:
    CapturedLog() : previous_(Skewmend::SetLogSink(&Capture)) { captured.clear(); }
    ~CapturedLog() { Skewmend::SetLogSink(previous_); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

  private:
    Skewmend::LogSink previous_;
};

}  // namespace

TEST(AngleRules, FoldIntoTheReportedRangeAndTurnAboveThreeDegrees) {
    struct Case {
        int estimated;
        int folded;
        bool turns;
    };
    for (const Case& c : {Case{0, 0, false}, Case{3, 3, false}, Case{4, 4, true},
                          Case{90, 90, true}, Case{91, -89, true}, Case{177, -3, false},
                          Case{178, -2, false}, Case{179, -1, false}, Case{176, -4, true}}) {
        EXPECT_EQ(Skewmend::FoldAngle(c.estimated), c.folded) << c.estimated;
        EXPECT_EQ(Skewmend::TurnsPage(c.folded), c.turns) << c.estimated;
    }
    EXPECT_EQ(Skewmend::FoldAngle(-90.0), 90.0);
    EXPECT_EQ(Skewmend::FoldAngle(270.5), 90.5 - 180.0);
    EXPECT_EQ(Skewmend::FoldAngle(-135.25), 44.75);
}

TEST(AngleRules, CornerFillOfTheExportsOptions) {
    EXPECT_EQ(Skewmend::CornerFillOf(0), CornerFill::kPaper);
    EXPECT_EQ(Skewmend::CornerFillOf(1), CornerFill::kBlack);
    EXPECT_EQ(Skewmend::CornerFillOf(2), CornerFill::kWhite);
    EXPECT_EQ(Skewmend::CornerFillOf(-1), CornerFill::kBlack);
}

// The tool straightens pages with AnalysePage and TurnPage; the export with
// DeskewPage. Both must give the same angle and the same bytes.
TEST(Pipeline, AnalyseAndTurnGiveTheExportsAngleAndBytes) {
    struct Case {
        uint32_t rows;
        uint32_t cols;
        double tilt;
        int corner;
    };
    for (const Case& c : {Case{400, 360, 8.0, 2}, Case{400, 360, -12.0, 0}, Case{400, 360, 2.0, 2},
                          Case{1100, 1000, 7.0, 1}, Case{1100, 1000, -5.0, 0}}) {
        const CBitmap24 src = TestSupport::TextPage(c.rows, c.cols, c.tilt);
        CBitmap24 exported;
        int angle = 0;
        // The shared library has its own log sink: quieten standard output.
        testing::internal::CaptureStdout();
        const bool exportedOk = _AutoRotate(&src, &exported, c.corner, &angle);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(exportedOk);
        Skewmend::AnalysisOptions options;
        options.paperColour = c.corner == 0;
        CapturedLog log;
        const PageAnalysis a = AnalysePage(src, options);
        ASSERT_TRUE(a.usable && a.found) << a.reason;
        EXPECT_EQ(a.angle, angle) << c.tilt;
        EXPECT_EQ(a.turns, Skewmend::TurnsPage(angle));
        EXPECT_EQ(a.reduced, c.rows * c.cols > 1048576u);
        ASSERT_EQ(captured.size(), 3u);
        EXPECT_EQ(captured[0], "Otsu!");
        EXPECT_EQ(captured[1].rfind("Raw angle = ", 0), 0u);
        EXPECT_EQ(captured[2], "Angle = " + std::to_string(a.angle < 0 ? a.angle + 180 : a.angle));
        CBitmap24 turned = src;
        if (a.turns) {
            ASSERT_TRUE(Skewmend::TurnPage(src, a.angle, Skewmend::CornerFillOf(c.corner), a.paper,
                                           turned));
        }
        EXPECT_TRUE(SamePage(turned, exported)) << c.tilt;
    }
}

TEST(Pipeline, PagesWithoutAnAngleSayWhy) {
    CBitmap24 empty;
    CapturedLog log;
    const PageAnalysis none = AnalysePage(empty, {});
    EXPECT_FALSE(none.usable);
    EXPECT_FALSE(none.found);
    EXPECT_FALSE(none.reason.empty());

    const CBitmap24 blank = TestSupport::SolidBitmap(300, 200, 250, 250, 250);
    const PageAnalysis whole = AnalysePage(blank, {});
    EXPECT_TRUE(whole.usable);
    EXPECT_FALSE(whole.found);
    EXPECT_FALSE(whole.turns);
    EXPECT_EQ(captured.back(), "Failed to call Deskewer");

    Skewmend::AnalysisOptions precise;
    precise.precise = true;
    const PageAnalysis p = AnalysePage(blank, precise);
    EXPECT_EQ(p.precise.status, Skewmend::PreciseStatus::kNotSure);
    EXPECT_FALSE(p.reason.empty());
}

TEST(Pipeline, RefusedTurnLeavesTheDestinationAsItWas) {
    const CBitmap24 src = TestSupport::TextPage(120, 100, 5.0);
    CBitmap24 dst = TestSupport::SolidBitmap(3, 3, 1, 2, 3);
    const CBitmap24 before = dst;
    const uint8_t paper[3] = {9, 9, 9};
    for (double angle :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(Skewmend::TurnPage(src, angle, CornerFill::kPaper, paper, dst));
        EXPECT_TRUE(SamePage(dst, before));
    }
    EXPECT_FALSE(Skewmend::TurnPage(dst, 5.0, CornerFill::kWhite, nullptr, dst));
    CBitmap24 empty;
    EXPECT_FALSE(Skewmend::TurnPage(empty, 5.0, CornerFill::kWhite, nullptr, dst));
    EXPECT_TRUE(SamePage(dst, before));
}

TEST(Pipeline, TurnedPageKeepsTheSourcesResolution) {
    CBitmap24 src = TestSupport::TextPage(120, 100, 5.0);
    src.infoHeader.biXPelsPerMeter = 11811;
    src.infoHeader.biYPelsPerMeter = 5905;
    CBitmap24 dst;
    ASSERT_TRUE(Skewmend::TurnPage(src, 5.0, CornerFill::kWhite, nullptr, dst));
    EXPECT_GT(dst.width, src.width);
    EXPECT_EQ(dst.infoHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(dst.infoHeader.biYPelsPerMeter, 5905);
}

TEST(LogSink, LinesGoToTheSinkWhileItIsSetAndBackToStandardOutput) {
    {
        CapturedLog log;
        Skewmend::Log("Raw angle = ", 7, " x ", 0.1 + 0.2);
        EXPECT_EQ(captured, std::vector<std::string>{"Raw angle = 7 x 0.3"});
    }
    testing::internal::CaptureStdout();
    Skewmend::Log("Angle = ", 178);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Angle = 178\n");
}
