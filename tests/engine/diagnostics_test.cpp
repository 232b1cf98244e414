// Diagnostics: the timer summary line, the stopwatch and the fatal assertion.
#include "engine/diagnostics.h"

#include <gtest/gtest.h>
#include <unistd.h>

using Skewmend::NamedTimer;
using Skewmend::ScopedTimer;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(Diagnostics, TimerSummaryLineHasTheFixedShape) {
    CaptureStdout();
    {
        NamedTimer timer("Deskewer::Deskew");
        timer.calls = 2;
        timer.totalTicks = Skewmend::PerfFrequency() / 2;
    }
    EXPECT_EQ(GetCapturedStdout(), "Deskewer::Deskew(). Ave: 0.25 secs, Total: 0.5 secs.\n");
}

TEST(Diagnostics, ScopedTimerCountsEveryWayOut) {
    CaptureStdout();  // the local timer prints its summary when it goes away
    {
        NamedTimer timer("t");
        auto f = [&](bool early) {
            ScopedTimer scoped(timer);
            if (early) {
                return 1;
            }
            return 2;
        };
        f(true);
        f(false);
        EXPECT_EQ(timer.calls, 2u);
        EXPECT_GE(timer.totalTicks, 0);
    }
    EXPECT_EQ(GetCapturedStdout().rfind("t(). Ave: ", 0), 0u);
}

// The platform layer: the performance counter on Windows, steady_clock
// elsewhere.
TEST(Diagnostics, CounterIsMonotonicWithAPositiveFrequency) {
    EXPECT_GT(Skewmend::PerfFrequency(), 0);
    int64_t previous = Skewmend::PerfCounter();
    for (int i = 0; i < 1000; ++i) {
        const int64_t now = Skewmend::PerfCounter();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(Diagnostics, LogJoinsPiecesWithDefaultNumberFormat) {
    CaptureStdout();
    Skewmend::Log("Raw angle = ", 7, " x ", 0.1 + 0.2, " ", 1234567.0);
    EXPECT_EQ(GetCapturedStdout(), "Raw angle = 7 x 0.3 1.23457e+06\n");
}

using DiagnosticsDeathTest = ::testing::Test;

TEST_F(DiagnosticsDeathTest, AssertionPrintsItsPlaceAndExitsWithOne) {
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Skewmend::AssertFail(".\\Binarizer", 86);
        },
        ::testing::ExitedWithCode(1), "Assert fail! File: \\.\\\\Binarizer\\. Line: 86");
}
