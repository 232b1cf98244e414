// The internal interface on two threads at once: each thread straightens its
// own pages, and every result equals the one-thread result. Built alone so
// that ThreadSanitizer can watch it (make test-tsan).
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/pipeline.h"
#include "tests/support/synthetic_page.h"

using BmpBase::CBitmap24;

namespace {

void Quiet(const std::string&) {}

struct Result {
    int angle = 0;
    bool turned = false;
    CBitmap24 page;
};

Result Straighten(const CBitmap24& src, bool precise) {
    Result r;
    Skewmend::AnalysisOptions options;
    options.precise = precise;
    options.paperColour = true;
    const Skewmend::PageAnalysis a = Skewmend::AnalysePage(src, options);
    r.angle = a.angle;
    r.turned = a.turns;
    r.page = src;
    if (a.turns) {
        Skewmend::TurnPage(src, a.angle, Skewmend::CornerFill::kPaper, a.paper, r.page);
    }
    return r;
}

bool Same(const Result& a, const Result& b) {
    return a.angle == b.angle && a.turned == b.turned && a.page.pixelBytes == b.page.pixelBytes &&
           std::memcmp(a.page.pixels, b.page.pixels, a.page.pixelBytes) == 0;
}

}  // namespace

TEST(PipelineThreads, TwoThreadsGiveTheOneThreadResults) {
    Skewmend::SetLogSink(&Quiet);
    const std::vector<CBitmap24> pages = {TestSupport::TextPage(400, 360, 8.0),
                                          TestSupport::TextPage(420, 380, -6.0),
                                          TestSupport::TextPage(1100, 1000, 11.0)};
    std::vector<Result> alone;
    for (const CBitmap24& page : pages) {
        alone.push_back(Straighten(page, false));
    }
    constexpr int kRounds = 3;
    bool agreed[2] = {true, true};
    auto work = [&](size_t thread) {
        for (int round = 0; round < kRounds; ++round) {
            for (size_t i = 0; i < pages.size(); ++i) {
                const size_t at = (i + thread) % pages.size();
                agreed[thread] = agreed[thread] && Same(Straighten(pages[at], false), alone[at]);
                Straighten(pages[at], true);
            }
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    Skewmend::SetLogSink(nullptr);
    EXPECT_TRUE(agreed[0]);
    EXPECT_TRUE(agreed[1]);
    EXPECT_TRUE(alone[0].turned);
}
