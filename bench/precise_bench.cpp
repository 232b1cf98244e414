// Precise mode against the whole-degree pipeline on A4 text pages at 150 and
// 300 dpi (tilted 7.3 degrees): the estimate alone, and estimate plus the
// rotation as users run it. Compare with BM_AutoRotate in
// auto_rotate_bench.cpp. The engine's log lines are swallowed.
#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>

#include "deskew/precise.h"
#include "synthetic_page.h"

namespace {

const BmpBase::CBitmap24& Page(int dpi) {
    static const BmpBase::CBitmap24 page150 = TestSupport::TextPage(1754, 1240, 7.3, 3);
    static const BmpBase::CBitmap24 page300 = TestSupport::TextPage(3508, 2480, 7.3, 3);
    return dpi == 150 ? page150 : page300;
}

class QuietLog {
  public:
    QuietLog() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietLog() { std::cout.rdbuf(saved_); }

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

void BM_PreciseEstimate(benchmark::State& state) {
    const BmpBase::CBitmap24& page = Page(static_cast<int>(state.range(0)));
    QuietLog quiet;
    for (auto _ : state) {
        Skewmend::PreciseEstimate e;
        Skewmend::PreciseDeskew::Estimate(page, e);
        benchmark::DoNotOptimize(e.angle);
    }
}

void BM_PreciseApply(benchmark::State& state) {
    const BmpBase::CBitmap24& page = Page(static_cast<int>(state.range(0)));
    BmpBase::CBitmap24 dst;
    QuietLog quiet;
    for (auto _ : state) {
        Skewmend::PreciseEstimate e;
        Skewmend::PreciseDeskew::Apply(page, dst, 2, 0.5, 0.05, e);
        benchmark::DoNotOptimize(dst.pixels);
    }
}

}  // namespace

BENCHMARK(BM_PreciseEstimate)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseApply)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
