// The automatic pipeline on A4 text pages at 150, 300 and 600 dpi
// (1754 x 1240, 3508 x 2480 and 7016 x 4960, 24-bit, tilted 7 degrees): the
// whole _AutoRotate export and each of its stages on the data the pipeline
// hands it (the half-size working page, its grey image, Otsu, margin
// removal, labelling of the cropped mask, component measurement, nearest
// pairs with the histogram peak, density refinement, the colour rotation of
// the full page). The engine's log lines are swallowed while a benchmark
// runs.
#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <sstream>

#include "bmpbase/planes.h"
#include "engine/binarizer/binarizer.h"
#include "engine/components/connected_comp.h"
#include "engine/deskew/deskewer.h"
#include "engine/pipeline.h"
#include "engine/rotator.h"
#include "engine/skewmend.h"
#include "tests/support/synthetic_page.h"

namespace {

constexpr double kBenchTiltDeg = 7.0;

// Discards standard output for its lifetime.
class QuietLog {
  public:
    QuietLog() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietLog() { std::cout.rdbuf(saved_); }

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

// A page and everything the pipeline has made of it before each stage.
struct Prepared {
    explicit Prepared(uint32_t rows, uint32_t cols)
        : page(TestSupport::TextPage(rows, cols, kBenchTiltDeg, 3)), analysis(page) {}

    BmpBase::CBitmap24 page;
    Skewmend::PreparedPage analysis;  // half-size working page, grey, Otsu
    const BmpBase::CBitmap24& work = analysis.working.Page();
    const BmpBase::GreyImage& grey = analysis.grey;
    const Skewmend::PixelMask& mask = analysis.mask;
    const uint16_t& height = analysis.height;
    const uint16_t& width = analysis.width;
    const uint8_t& background = analysis.backgroundGrey;
};

const Prepared& PreparedPage(int dpi) {
    static std::unique_ptr<Prepared> cache[3];
    const int index = dpi == 150 ? 0 : (dpi == 300 ? 1 : 2);
    std::unique_ptr<Prepared>& slot = cache[index];
    if (!slot) {
        QuietLog quiet;
        slot = std::make_unique<Prepared>(1754u << index, 1240u << index);
    }
    return *slot;
}

// A Deskewer with its mask cropped, as the component stages see it.
std::unique_ptr<Skewmend::Deskewer> CroppedDeskewer(const Prepared& p) {
    auto d = std::make_unique<Skewmend::Deskewer>(p.mask, p.grey, p.background, p.height, p.width);
    d->RemoveMargin();
    return d;
}

void BM_AutoRotate(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    BmpBase::CBitmap24 dst;
    QuietLog quiet;
    for (auto _ : state) {
        int angle = 0;
        _AutoRotate(&p.page, &dst, 2, &angle);
        benchmark::DoNotOptimize(angle);
    }
}

void BM_StageSubsample(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const Skewmend::WorkingPage working(p.page);
        benchmark::DoNotOptimize(working.Page().pixels);
    }
}

void BM_StageMargin(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Skewmend::Deskewer d(p.mask, p.grey, p.background, p.height, p.width);
        state.ResumeTiming();
        d.RemoveMargin();
        benchmark::DoNotOptimize(d.width);
    }
}

void BM_StageGrey(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    BmpBase::GreyImage grey;
    for (auto _ : state) {
        BmpBase::GetGreyImage(p.work, grey);
        benchmark::DoNotOptimize(grey.rows);
    }
}

void BM_StageOtsu(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    QuietLog quiet;
    for (auto _ : state) {
        Skewmend::Binarizer binarizer(p.grey);
        Skewmend::PixelMask mask;
        uint16_t h = 0, w = 0;
        uint8_t background = 0;
        binarizer.Binarize(Skewmend::BinarizeMethod::kOtsu, mask, h, w, background);
        benchmark::DoNotOptimize(background);
    }
}

void BM_StageLabelling(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    const auto d = CroppedDeskewer(p);
    for (auto _ : state) {
        Skewmend::ConnectedComp cc(d->mask, d->height, d->width,
                                   Skewmend::Deskewer::kMaxProvisionalLabels,
                                   Skewmend::Deskewer::kMaxComponents);
        cc.BuildCC();
        benchmark::DoNotOptimize(cc.labelCount);
    }
}

void BM_StageMeasurement(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    const auto cropped = CroppedDeskewer(p);
    for (auto _ : state) {
        state.PauseTiming();
        Skewmend::Deskewer d(cropped->mask, cropped->grey, p.background, cropped->height,
                             cropped->width);
        std::vector<Skewmend::Point> centroids;
        std::vector<uint32_t> counts;
        std::vector<double> radii;
        state.ResumeTiming();
        d.GetAllCCCentroids(centroids, counts, radii);
        benchmark::DoNotOptimize(centroids.data());
    }
}

void BM_StageNearestPairs(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    const auto d = CroppedDeskewer(p);
    std::vector<Skewmend::Point> centroids;
    std::vector<uint32_t> counts;
    std::vector<double> radii;
    d->GetAllCCCentroids(centroids, counts, radii);
    std::vector<double> angles, weights;
    for (auto _ : state) {
        d->GetNearestPairAngles(centroids, counts, angles, weights);
        benchmark::DoNotOptimize(d->GetAveAngle(angles, weights));
    }
}

void BM_StageDensity(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    const auto d = CroppedDeskewer(p);
    std::vector<Skewmend::Point> centroids;
    std::vector<uint32_t> counts;
    std::vector<double> radii;
    d->GetAllCCCentroids(centroids, counts, radii);
    for (auto _ : state) {
        int angle = 0;
        d->GetSkewAngleByDensity(static_cast<int>(kBenchTiltDeg), angle);
        benchmark::DoNotOptimize(angle);
    }
}

void BM_StageRotation(benchmark::State& state) {
    const Prepared& p = PreparedPage(static_cast<int>(state.range(0)));
    BmpBase::CBitmap24 dst;
    const uint8_t fill[3] = {0, 0, 0};
    for (auto _ : state) {
        uint16_t h = static_cast<uint16_t>(p.page.height);
        uint16_t w = static_cast<uint16_t>(p.page.width);
        Skewmend::Rotator::Rotate(dst, p.page, fill, h, w, 2, kBenchTiltDeg);
        benchmark::DoNotOptimize(dst.pixels);
    }
}

void Pages(benchmark::internal::Benchmark* b) {
    b->Arg(150)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_AutoRotate)->Apply(Pages);
BENCHMARK(BM_StageSubsample)->Apply(Pages);
BENCHMARK(BM_StageGrey)->Apply(Pages);
BENCHMARK(BM_StageOtsu)->Apply(Pages);
BENCHMARK(BM_StageMargin)->Apply(Pages);
BENCHMARK(BM_StageLabelling)->Apply(Pages);
BENCHMARK(BM_StageMeasurement)->Apply(Pages);
BENCHMARK(BM_StageNearestPairs)->Apply(Pages);
BENCHMARK(BM_StageDensity)->Apply(Pages);
BENCHMARK(BM_StageRotation)->Apply(Pages);
