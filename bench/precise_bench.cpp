// Precise mode against the whole-degree pipeline on A4 text pages at 150 and
// 300 dpi (tilted 7.3 degrees; clean, with noise, and pure noise): the
// estimate alone, estimate plus rotation as users run it, and _AutoRotate on
// the same pages. The engine's log lines are swallowed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <sstream>

#include "engine/deskew/precise.h"
#include "engine/skewmend.h"
#include "tests/support/synthetic_page.h"

namespace {

// Discards standard output for its lifetime.
class QuietLog {
  public:
    QuietLog() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietLog() { std::cout.rdbuf(saved_); }

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

const BmpBase::CBitmap24& Page(int dpi) {
    static const BmpBase::CBitmap24 page150 = TestSupport::TextPage(1754, 1240, 7.3, 3);
    static const BmpBase::CBitmap24 page300 = TestSupport::TextPage(3508, 2480, 7.3, 3);
    return dpi == 150 ? page150 : page300;
}

// `clean` with noise uniform in -amplitude .. amplitude on every byte.
BmpBase::CBitmap24 Noisy(const BmpBase::CBitmap24& clean, int amplitude) {
    BmpBase::CBitmap24 page = clean;
    uint32_t state = 17;
    const auto span = static_cast<uint32_t>(2 * amplitude + 1);
    for (uint32_t i = 0; i < page.pixelBytes; ++i) {
        state = state * 1664525u + 1013904223u;
        const int v = page.pixels[i] + static_cast<int>((state >> 8) % span) - amplitude;
        page.pixels[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    return page;
}

// The text page with noise of +-45: precise mode smooths its grey image.
const BmpBase::CBitmap24& NoisyPage(int dpi) {
    static const BmpBase::CBitmap24 page150 = Noisy(Page(150), 45);
    static const BmpBase::CBitmap24 page300 = Noisy(Page(300), 45);
    return dpi == 150 ? page150 : page300;
}

// Pure noise: no sharp direction anywhere, so the sweep runs as well.
const BmpBase::CBitmap24& NoisePage(int dpi) {
    static BmpBase::CBitmap24 grey150, grey300;
    if (grey150.pixels == nullptr) {
        grey150.Allocate(1754, 1240);
        grey300.Allocate(3508, 2480);
        std::memset(grey150.pixels, 128, grey150.pixelBytes);
        std::memset(grey300.pixels, 128, grey300.pixelBytes);
    }
    static const BmpBase::CBitmap24 page150 = Noisy(grey150, 127);
    static const BmpBase::CBitmap24 page300 = Noisy(grey300, 127);
    return dpi == 150 ? page150 : page300;
}

const BmpBase::CBitmap24& PageOfKind(const benchmark::State& state) {
    const auto dpi = static_cast<int>(state.range(0));
    switch (state.range(1)) {
        case 1:
            return NoisyPage(dpi);
        case 2:
            return NoisePage(dpi);
        default:
            return Page(dpi);
    }
}

void BM_PreciseEstimate(benchmark::State& state) {
    const BmpBase::CBitmap24& page = PageOfKind(state);
    QuietLog quiet;
    for (auto _ : state) {
        Skewmend::PreciseEstimate e;
        Skewmend::PreciseDeskew::Estimate(page, e);
        benchmark::DoNotOptimize(e.angle);
    }
}

void BM_PreciseApply(benchmark::State& state) {
    const BmpBase::CBitmap24& page = PageOfKind(state);
    BmpBase::CBitmap24 dst;
    QuietLog quiet;
    for (auto _ : state) {
        Skewmend::PreciseEstimate e;
        Skewmend::PreciseDeskew::Apply(page, dst, 2, 0.5, 0.05, e);
        benchmark::DoNotOptimize(dst.pixels);
    }
}

void BM_AutoRotateOnPage(benchmark::State& state) {
    const BmpBase::CBitmap24& page = PageOfKind(state);
    BmpBase::CBitmap24 dst;
    QuietLog quiet;
    for (auto _ : state) {
        int angle = 0;
        _AutoRotate(&page, &dst, 2, &angle);
        benchmark::DoNotOptimize(angle);
    }
}

}  // namespace

// Arguments: dpi, page kind (0 clean text, 1 noisy text, 2 pure noise).
BENCHMARK(BM_PreciseEstimate)->ArgsProduct({{150, 300}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseApply)->ArgsProduct({{150, 300}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoRotateOnPage)->ArgsProduct({{150, 300}, {0, 1}})->Unit(benchmark::kMillisecond);
