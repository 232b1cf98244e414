// Converter benchmarks on an A4 page at 300 dpi (2480 x 3508, 24-bit),
// file to file in the system's temp folder: JPEG to BMP and BMP to JPEG, the
// two ends of a JPEG round trip through the engine, plus PNG and TIFF for
// comparison. The page is a synthetic text-like picture: dark strokes on
// light paper with a little noise, so the codecs see realistic content.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bmpbase/bitmap24.h"
#include "pictconv/pictconv.h"

namespace {

constexpr uint32_t kA4Rows300Dpi = 3508;
constexpr uint32_t kA4Cols300Dpi = 2480;
constexpr int32_t k300DpiPpm = 11811;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("levelora-bench-" + name)).string();
}

// Lines of "words" 40 px high every 70 px, 5 px strokes, noise on paper.
BmpBase::CBitmap24 TextPage() {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(kA4Rows300Dpi, kA4Cols300Dpi);
    bmp.infoHeader.biXPelsPerMeter = k300DpiPpm;
    bmp.infoHeader.biYPelsPerMeter = k300DpiPpm;
    uint32_t noise = 12345;
    for (uint32_t r = 0; r < bmp.height; ++r) {
        for (uint32_t c = 0; c < bmp.width; ++c) {
            noise = noise * 1103515245u + 12345u;
            const bool inLine = r % 70 < 40 && r > 200 && r < bmp.height - 200;
            const bool inWord = (c / 60) % 5 != 4 && c > 250 && c < bmp.width - 250;
            const bool stroke = (c % 12 < 4) || (r % 70 == 0) || (r % 70 == 39);
            const int base = inLine && inWord && stroke ? 30 : 236;
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = static_cast<uint8_t>(base + static_cast<int>((noise >> 16) % 8));
            p[1] = static_cast<uint8_t>(base + static_cast<int>((noise >> 20) % 8));
            p[2] = static_cast<uint8_t>(base + static_cast<int>((noise >> 24) % 8));
        }
    }
    return bmp;
}

const std::string& PageBmp() {
    static const std::string path = [] {
        const std::string p = TempFile("page.bmp");
        TextPage().Write(p.c_str());
        return p;
    }();
    return path;
}

void BM_ToFormat(benchmark::State& state, FormatConverterFn fromBmp, const char* ext) {
    const std::string dst = TempFile(std::string("out.") + ext);
    for (auto _ : state) {
        if (!fromBmp(PageBmp().c_str(), dst.c_str())) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    state.counters["out_kB"] = static_cast<double>(std::filesystem::file_size(dst)) / 1024.0;
    std::remove(dst.c_str());
}

void BM_FromFormat(benchmark::State& state, FormatConverterFn fromBmp, FormatConverterFn toBmp,
                   const char* ext) {
    const std::string mid = TempFile(std::string("in.") + ext);
    const std::string dst = TempFile("back.bmp");
    fromBmp(PageBmp().c_str(), mid.c_str());
    for (auto _ : state) {
        if (!toBmp(mid.c_str(), dst.c_str())) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    std::remove(mid.c_str());
    std::remove(dst.c_str());
}

}  // namespace

BENCHMARK_CAPTURE(BM_ToFormat, Bmp2Jpg, Bmp2Jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FromFormat, Jpg2Bmp, Bmp2Jpg, Jpg2Bmp, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToFormat, Bmp2Png, Bmp2Png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FromFormat, Png2Bmp, Bmp2Png, Png2Bmp, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToFormat, Bmp2Tif, Bmp2Tif, "tif")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FromFormat, Tif2Bmp, Bmp2Tif, Tif2Bmp, "tif")->Unit(benchmark::kMillisecond);
