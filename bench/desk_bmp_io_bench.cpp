// The desktop program's BMP import and export on an A4 page at 300 dpi
// (2480 x 3508): reading a 24-bit file (the common case and the temporary
// file of the converter), reading 8-bit and 1-bit files (conversion through
// the colour table), writing the 24-bit file of Save and the 32-bit file of
// Copy. Files live in the system's temp folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "desktop/bmp_io.h"

namespace {

constexpr uint32_t kRows = 3508;
constexpr uint32_t kCols = 2480;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("levelora-bench-desk-" + name)).string();
}

// A palette file of `bits` bits per pixel with a stripe pattern of indices.
std::string PaletteFile(uint16_t bits) {
    const uint32_t entries = 1u << bits;
    const uint32_t rowBytes = (kCols * bits + 31) / 32 * 4;
    BmpBase::BitmapFileHeader fh;
    BmpBase::BitmapInfoHeader ih;
    ih.biWidth = static_cast<int32_t>(kCols);
    ih.biHeight = static_cast<int32_t>(kRows);
    ih.biBitCount = bits;
    fh.bfOffBits = 54 + 4 * entries;
    std::vector<uint8_t> bytes(54 + 4 * entries + static_cast<size_t>(rowBytes) * kRows, 0);
    std::memcpy(bytes.data(), &fh, 14);
    std::memcpy(bytes.data() + 14, &ih, 40);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t grey = static_cast<uint8_t>(i * 255 / (entries - 1));
        std::memset(bytes.data() + 54 + 4 * i, grey, 3);
    }
    for (size_t i = 54 + 4 * entries; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 37 >> 3);
    }
    const std::string path = TempFile("palette" + std::to_string(bits) + ".bmp");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

const BmpBase::CBitmap24& Page() {
    static const BmpBase::CBitmap24 page = [] {
        BmpBase::CBitmap24 bmp;
        bmp.Allocate(kRows, kCols);
        for (uint32_t i = 0; i < bmp.pixelBytes; ++i) {
            bmp.pixels[i] = static_cast<uint8_t>(i * 13 >> 4);
        }
        return bmp;
    }();
    return page;
}

void ReadLoop(benchmark::State& state, const std::string& path) {
    BmpBase::CBitmap24 bmp;
    for (auto _ : state) {
        if (!LeveloraDesk::ReadFromFile(bmp, std::fopen(path.c_str(), "rb"))) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(bmp.pixels);
    }
}

void BM_DeskRead24(benchmark::State& state) {
    const std::string path = TempFile("page24.bmp");
    LeveloraDesk::WriteToFile(Page(), std::fopen(path.c_str(), "wb"));
    ReadLoop(state, path);
}

void BM_DeskRead8(benchmark::State& state) {
    ReadLoop(state, PaletteFile(8));
}

void BM_DeskRead1(benchmark::State& state) {
    ReadLoop(state, PaletteFile(1));
}

void BM_DeskWrite24(benchmark::State& state) {
    const std::string path = TempFile("out24.bmp");
    for (auto _ : state) {
        LeveloraDesk::WriteToFile(Page(), std::fopen(path.c_str(), "wb"));
    }
}

void BM_DeskWrite32(benchmark::State& state) {
    const std::string path = TempFile("out32.bmp");
    for (auto _ : state) {
        LeveloraDesk::WriteToFile32(Page(), std::fopen(path.c_str(), "wb"));
    }
}

}  // namespace

BENCHMARK(BM_DeskRead24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeskRead8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeskRead1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeskWrite24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeskWrite32)->Unit(benchmark::kMillisecond);
