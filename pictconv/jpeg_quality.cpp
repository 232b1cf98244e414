#include "pictconv/jpeg_quality.h"

#include <algorithm>

namespace Pictconv {

namespace {

// The example luminance table of the JPEG standard (Annex K), natural order.
constexpr uint16_t kStandardLuminance[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};

}  // namespace

void ScaledLuminanceTable(int quality, uint16_t table[64]) {
    quality = std::clamp(quality, 1, 100);
    const long scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    for (int i = 0; i < 64; ++i) {
        const long entry = (kStandardLuminance[i] * scale + 50) / 100;
        table[i] = static_cast<uint16_t>(std::clamp(entry, 1L, 255L));
    }
}

int EstimateJpegQuality(const uint16_t table[64]) {
    int best = 100;
    uint64_t bestError = UINT64_MAX;
    for (int quality = 100; quality >= 1; --quality) {
        uint16_t scaled[64];
        ScaledLuminanceTable(quality, scaled);
        uint64_t error = 0;
        for (int i = 0; i < 64; ++i) {
            const int64_t d = int64_t{table[i]} - scaled[i];
            error += static_cast<uint64_t>(d * d);
        }
        if (error < bestError) {
            best = quality;
            bestError = error;
        }
    }
    return best;
}

}  // namespace Pictconv
