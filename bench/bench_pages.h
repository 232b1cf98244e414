// Synthetic A4 pages for the benchmarks: lines of "text" (glyph-sized
// strokes and bars of dark ink) on light, slightly noisy paper, tilted by a
// shear of the given angle. Deterministic: the same size and tilt always give
// the same page. Sizes: 150 dpi 1754 x 1240, 300 dpi 3508 x 2480, 600 dpi
// 7016 x 4960 (rows x columns).
#pragma once

#include <cmath>
#include <cstdint>

#include "bmpbase/bitmap24.h"
#include "bmpbase/plane.h"

namespace BenchPages {

inline uint32_t A4Rows(int dpi) {
    return static_cast<uint32_t>(11.69 * dpi + 0.5);
}
inline uint32_t A4Cols(int dpi) {
    return static_cast<uint32_t>(8.27 * dpi + 0.5);
}

// Grey text page of `dpi` dots per inch, text tilted by `tiltDeg`.
inline BmpBase::GreyImage TextPage(int dpi, double tiltDeg = 0.0) {
    const uint32_t rows = A4Rows(dpi);
    const uint32_t cols = A4Cols(dpi);
    BmpBase::GreyImage page(rows, cols);
    uint64_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(seed >> 33);
    };
    for (size_t i = 0; i < page.ElementCount(); ++i) {
        page.Data()[i] = static_cast<uint8_t>(226 + next() % 12);
    }
    const double shear = std::tan(tiltDeg * 3.14159265358979323846 / 180.0);
    const int margin = dpi;  // one inch
    const int lineStep = dpi / 6;
    const int xHeight = dpi / 16;
    const int glyphWidth = dpi / 14;
    const int stroke = dpi / 100 > 1 ? dpi / 100 : 1;
    auto ink = [&](int r0, int c0, int h, int w) {
        for (int c = c0; c < c0 + w; ++c) {
            const int shift = static_cast<int>(c * shear);
            for (int r = r0; r < r0 + h; ++r) {
                const int rr = r + shift;
                if (rr >= 0 && rr < static_cast<int>(rows) && c >= 0 &&
                    c < static_cast<int>(cols)) {
                    page.rows[rr][c] = static_cast<uint8_t>(30 + next() % 20);
                }
            }
        }
    };
    for (int base = margin + xHeight * 2; base < static_cast<int>(rows) - margin;
         base += lineStep) {
        int c = margin;
        while (c < static_cast<int>(cols) - margin) {
            const int letters = 2 + static_cast<int>(next() % 8);
            for (int k = 0; k < letters && c < static_cast<int>(cols) - margin; ++k) {
                const int tall = next() % 4 == 0 ? xHeight : 0;  // ascender
                ink(base - xHeight - tall, c, xHeight + tall, stroke);
                if (next() % 2 == 0) {
                    ink(base - xHeight, c + glyphWidth / 2, xHeight, stroke);
                }
                ink(next() % 2 == 0 ? base - xHeight : base - stroke, c, stroke,
                    glyphWidth / 2 + 1);
                c += glyphWidth;
            }
            c += glyphWidth;  // word space
        }
    }
    return page;
}

// The same page as a 24-bit colour picture: cream paper, dark blue ink.
inline BmpBase::CBitmap24 TextPageBitmap(int dpi, double tiltDeg = 0.0) {
    const BmpBase::GreyImage grey = TextPage(dpi, tiltDeg);
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(grey.height, grey.width);
    for (uint32_t r = 0; r < grey.height; ++r) {
        uint8_t* p = bmp.PixelAt(r, 0);
        for (uint32_t c = 0; c < grey.width; ++c) {
            const int g = grey.rows[r][c];
            p[3 * c] = static_cast<uint8_t>(g > 20 ? g - 20 : 0);
            p[3 * c + 1] = static_cast<uint8_t>(g);
            p[3 * c + 2] = static_cast<uint8_t>(g < 128 ? g / 2 : (g + 10 > 255 ? 255 : g + 10));
        }
    }
    return bmp;
}

}  // namespace BenchPages
