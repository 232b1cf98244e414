// Binarization methods other than the pipeline's Otsu, on the generated A4
// text pages at 150 and 300 dpi (1754 x 1240 and 3508 x 2480). Each
// iteration binarizes one page from scratch: a fresh Binarizer, so the flat
// regions and the summed-area tables are built inside the measurement, as
// they are for every page in use.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "bench/bench_pages.h"
#include "engine/binarizer/binarizer.h"

namespace {

const BmpBase::GreyImage& Page(int dpi) {
    static std::map<int, std::unique_ptr<BmpBase::GreyImage>> pages;
    auto& page = pages[dpi];
    if (!page) {
        page = std::make_unique<BmpBase::GreyImage>(BenchPages::TextPage(dpi, 7.0));
    }
    return *page;
}

// The same page lit unevenly: the grey level falls linearly to 30 % from the
// left edge to the right one, which sends "best" to Sauvola.
const BmpBase::GreyImage& UnevenPage(int dpi) {
    static std::map<int, std::unique_ptr<BmpBase::GreyImage>> pages;
    auto& page = pages[dpi];
    if (!page) {
        page = std::make_unique<BmpBase::GreyImage>(Page(dpi));
        for (uint32_t r = 0; r < page->height; ++r) {
            for (uint32_t c = 0; c < page->width; ++c) {
                const uint32_t scale = 100 - 70 * c / page->width;
                page->rows[r][c] = static_cast<uint8_t>(page->rows[r][c] * scale / 100);
            }
        }
    }
    return *page;
}

template <typename Run>
void BinarizePage(benchmark::State& state, Run run, bool uneven = false) {
    const int dpi = static_cast<int>(state.range(0));
    const BmpBase::GreyImage& page = uneven ? UnevenPage(dpi) : Page(dpi);
    for (auto _ : state) {
        Skewmend::Binarizer binarizer(page);
        Skewmend::PixelMask mask;
        run(binarizer, mask);
        benchmark::DoNotOptimize(mask.Words().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(page.ElementCount()));
}

void BM_FlatRegions(benchmark::State& state) {
    BinarizePage(state, [](Skewmend::Binarizer& b, Skewmend::PixelMask&) { b.GetCCInfo(); });
}

void BM_Sauvola(benchmark::State& state) {
    BinarizePage(state, [](Skewmend::Binarizer& b, Skewmend::PixelMask& m) {
        b.Binarize_Sauvola(m, -1, -1.0);
    });
}

void BM_DistributedOtsu(benchmark::State& state) {
    BinarizePage(state, [](Skewmend::Binarizer& b, Skewmend::PixelMask& m) {
        b.Binarize_DistributedOtsu(m);
    });
}

void BM_Best(benchmark::State& state) {
    BinarizePage(state, [](Skewmend::Binarizer& b, Skewmend::PixelMask& m) { b.Binarize_Best(m); });
}

void BM_BestUneven(benchmark::State& state) {
    BinarizePage(
        state, [](Skewmend::Binarizer& b, Skewmend::PixelMask& m) { b.Binarize_Best(m); }, true);
}

}  // namespace

BENCHMARK(BM_FlatRegions)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sauvola)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistributedOtsu)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Best)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BestUneven)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
