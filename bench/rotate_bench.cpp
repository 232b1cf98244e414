// Rotation benchmarks on A4 pages at 150 and 300 dpi (1240 x 1754 and
// 2480 x 3508, 24-bit): the colour rotation and the manual export.
#include <benchmark/benchmark.h>

#include "engine/rotator.h"
#include "engine/skewmend.h"

namespace {

BmpBase::CBitmap24 Page(uint32_t rows, uint32_t cols) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        uint8_t* p = bmp.PixelAt(r, 0);
        for (uint32_t c = 0; c < 3 * cols; ++c) {
            p[c] = static_cast<uint8_t>(((r / 8) ^ (c / 24)) & 1 ? 30 : 235);
        }
    }
    return bmp;
}

void BM_ColourRotate(benchmark::State& state) {
    const auto rows = static_cast<uint32_t>(state.range(0));
    const auto cols = static_cast<uint32_t>(state.range(1));
    const BmpBase::CBitmap24 src = Page(rows, cols);
    BmpBase::CBitmap24 dst;
    const uint8_t fill[3] = {255, 255, 255};
    for (auto _ : state) {
        uint16_t h = static_cast<uint16_t>(rows), w = static_cast<uint16_t>(cols);
        Skewmend::Rotator::Rotate(dst, src, fill, h, w, 2, 7.0);
        benchmark::DoNotOptimize(dst.pixels);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.pixelBytes));
}

void BM_ManualRotateExport(benchmark::State& state) {
    const auto rows = static_cast<uint32_t>(state.range(0));
    const auto cols = static_cast<uint32_t>(state.range(1));
    const BmpBase::CBitmap24 src = Page(rows, cols);
    BmpBase::CBitmap24 dst;
    for (auto _ : state) {
        _ManualRotate(&src, &dst, 7.0, 2);
        benchmark::DoNotOptimize(dst.pixels);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.pixelBytes));
}

}  // namespace

BENCHMARK(BM_ColourRotate)->Args({1754, 1240})->Args({3508, 2480})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManualRotateExport)
    ->Args({1754, 1240})
    ->Args({3508, 2480})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
