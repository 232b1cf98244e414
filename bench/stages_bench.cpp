// Per-stage benchmarks on generated A4 colour pages of text tilted by 7
// degrees, at 150, 300 and 600 dpi (1754 x 1240, 3508 x 2480 and
// 7016 x 4960 pixels). BM_CopyPage is the floor: one plain copy of the
// page's bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "bench/bench_pages.h"
#include "bmpbase/planes.h"
#include "engine/binarizer/binarizer.h"
#include "engine/components/connected_comp.h"
#include "engine/rotator.h"
#include "engine/skewmend.h"

namespace {

constexpr double kTiltDeg = 7.0;

// Pages are generated once per size and shared by every benchmark.
const BmpBase::CBitmap24& ColourPage(int dpi) {
    static std::map<int, std::unique_ptr<BmpBase::CBitmap24>> pages;
    auto& page = pages[dpi];
    if (!page) {
        page = std::make_unique<BmpBase::CBitmap24>(BenchPages::TextPageBitmap(dpi, kTiltDeg));
    }
    return *page;
}

const BmpBase::GreyImage& GreyPage(int dpi) {
    static std::map<int, std::unique_ptr<BmpBase::GreyImage>> pages;
    auto& page = pages[dpi];
    if (!page) {
        page = std::make_unique<BmpBase::GreyImage>();
        BmpBase::GetGreyImage(ColourPage(dpi), *page);
    }
    return *page;
}

int Dpi(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void SetPixels(benchmark::State& state, uint64_t pixels) {
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels));
}

void BM_CopyPage(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(Dpi(state));
    std::vector<uint8_t> dst(src.pixelBytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.pixels, src.pixelBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.pixelBytes));
}

void BM_Grey(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(Dpi(state));
    BmpBase::GreyImage grey;
    for (auto _ : state) {
        BmpBase::GetGreyImage(src, grey);
        benchmark::ClobberMemory();
    }
    SetPixels(state, uint64_t{src.height} * src.width);
}

void BM_OtsuBinarize(benchmark::State& state) {
    const BmpBase::GreyImage& page = GreyPage(Dpi(state));
    Skewmend::Binarizer binarizer(page);
    Skewmend::PixelMask mask;
    for (auto _ : state) {
        int32_t threshold = 0;
        binarizer.Binarize_Otsu(mask, threshold, false);
        benchmark::DoNotOptimize(threshold);
    }
    SetPixels(state, page.ElementCount());
}

void BM_BuildCC(benchmark::State& state) {
    const BmpBase::GreyImage& page = GreyPage(Dpi(state));
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
    SetPixels(state, page.ElementCount());
}

void BM_ColourRotation(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(Dpi(state));
    BmpBase::CBitmap24 dst;
    const uint8_t fill[3] = {255, 255, 255};
    for (auto _ : state) {
        uint16_t h = static_cast<uint16_t>(src.height);
        uint16_t w = static_cast<uint16_t>(src.width);
        Skewmend::Rotator::Rotate(dst, src, fill, h, w, 2, -kTiltDeg);
        benchmark::DoNotOptimize(dst.pixels);
    }
    SetPixels(state, uint64_t{src.height} * src.width);
}

// The colour rotation of the 300 dpi page by other angles (argument in
// degrees): gentle turns read a few source rows per step, steep ones one
// source row per pixel.
void BM_ColourRotationAngle(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(300);
    BmpBase::CBitmap24 dst;
    const uint8_t fill[3] = {255, 255, 255};
    const auto angle = static_cast<double>(state.range(0));
    for (auto _ : state) {
        uint16_t h = static_cast<uint16_t>(src.height);
        uint16_t w = static_cast<uint16_t>(src.width);
        Skewmend::Rotator::Rotate(dst, src, fill, h, w, 2, angle);
        benchmark::DoNotOptimize(dst.pixels);
    }
    SetPixels(state, uint64_t{src.height} * src.width);
}

void BM_ChannelRotation(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(Dpi(state));
    BmpBase::CBitmap24 dst;
    for (auto _ : state) {
        Skewmend::Rotator::RotateByChannels(dst, src, 2, -kTiltDeg);
        benchmark::DoNotOptimize(dst.pixels);
    }
    SetPixels(state, uint64_t{src.height} * src.width);
}

void BM_ManualRotateCall(benchmark::State& state) {
    const BmpBase::CBitmap24& src = ColourPage(Dpi(state));
    BmpBase::CBitmap24 dst;
    for (auto _ : state) {
        _ManualRotate(&src, &dst, -kTiltDeg, 2);
        benchmark::DoNotOptimize(dst.pixels);
    }
    SetPixels(state, uint64_t{src.height} * src.width);
}

void Pages(benchmark::internal::Benchmark* b) {
    b->Arg(150)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_CopyPage)->Apply(Pages);
BENCHMARK(BM_Grey)->Apply(Pages);
BENCHMARK(BM_OtsuBinarize)->Apply(Pages);
BENCHMARK(BM_BuildCC)->Apply(Pages);
BENCHMARK(BM_ColourRotation)->Apply(Pages);
BENCHMARK(BM_ColourRotationAngle)
    ->Arg(2)
    ->Arg(-2)
    ->Arg(7)
    ->Arg(12)
    ->Arg(30)
    ->Arg(45)
    ->Arg(89)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelRotation)->Apply(Pages);
BENCHMARK(BM_ManualRotateCall)->Apply(Pages);
