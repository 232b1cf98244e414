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

#include "binarizer/binarizer.h"
#include "bmpbase/planes.h"
#include "components/connected_comp.h"
#include "deskew/deskewer.h"
#include "rotator.h"
#include "skewmend.h"
#include "synthetic_page.h"
#include "working_page.h"

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

// Everything the pipeline has made of one page before each stage.
struct Prepared {
    BmpBase::CBitmap24 page;
    BmpBase::CBitmap24 work;  // half size
    BmpBase::GreyImage grey;
    Skewmend::PixelMask mask;
    uint16_t height = 0;
    uint16_t width = 0;
    uint8_t background = 0;
};

const Prepared& PreparedPage(int dpi) {
    static std::unique_ptr<Prepared> cache[3];
    const int index = dpi == 150 ? 0 : (dpi == 300 ? 1 : 2);
    std::unique_ptr<Prepared>& slot = cache[index];
    if (!slot) {
        QuietLog quiet;
        slot = std::make_unique<Prepared>();
        const uint32_t rows = 1754u << index;
        const uint32_t cols = 1240u << index;
        slot->page = TestSupport::TextPage(rows, cols, kBenchTiltDeg, 3);
        slot->work.Allocate(rows / 2, cols / 2);
        for (uint32_t r = 0; r < rows / 2; ++r) {
            for (uint32_t c = 0; c < cols / 2; ++c) {
                const uint8_t* from = slot->page.PixelAt(2 * r, 2 * c);
                uint8_t* to = slot->work.PixelAt(r, c);
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
        BmpBase::GetGreyImage(slot->work, slot->grey);
        Skewmend::Binarizer binarizer(slot->grey);
        binarizer.Binarize("otsu", slot->mask, slot->height, slot->width, slot->background);
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
        binarizer.Binarize("otsu", mask, h, w, background);
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
