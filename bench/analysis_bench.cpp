// Analysis stages on a generated A4 page of text at 150 dpi (1240 x 1754):
// the global Otsu binarization and the component labelling of its mask.
#include <benchmark/benchmark.h>

#include "bench_pages.h"
#include "binarizer/binarizer.h"
#include "components/connected_comp.h"

namespace {

void BM_OtsuBinarize(benchmark::State& state) {
    const BmpBase::GreyImage page = BenchPages::TextPage(static_cast<int>(state.range(0)), 2.0);
    Skewmend::Binarizer binarizer(page);
    Skewmend::PixelMask mask;
    for (auto _ : state) {
        int32_t threshold = 0;
        binarizer.Binarize_Otsu(mask, threshold, false);
        benchmark::DoNotOptimize(threshold);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(page.ElementCount()));
}

void BM_BuildCC(benchmark::State& state) {
    const BmpBase::GreyImage page = BenchPages::TextPage(static_cast<int>(state.range(0)), 2.0);
    Skewmend::Binarizer binarizer(page);
    Skewmend::PixelMask mask;
    int32_t threshold = 0;
    binarizer.Binarize_Otsu(mask, threshold, false);
    for (auto _ : state) {
        Skewmend::ConnectedComp cc(mask, static_cast<uint16_t>(page.height),
                                   static_cast<uint16_t>(page.width), 10240, 1024);
        benchmark::DoNotOptimize(cc.BuildCC());
        state.counters["components"] = cc.labelCount;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(page.ElementCount()));
}

}  // namespace

BENCHMARK(BM_OtsuBinarize)->Arg(150)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildCC)->Arg(150)->Unit(benchmark::kMillisecond);
