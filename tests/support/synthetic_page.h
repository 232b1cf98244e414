// Synthetic text pages tilted by a known angle, made without the engine.
//
// TextPage draws a straight page of text-like marks (lines of words made of
// letter-sized boxes and rings, some with ascenders, some with a dot above)
// and tilts it by sampling that straight page through the inverse of a turn
// about the page centre (nearest pixel). The tilt is given in the engine's
// pixel-index sense: a text line of the result advances tan(tilt) rows per
// column, so the engine should find `tilt` (folded into -89 .. 90) and turn
// the page by it. Letter sizes scale with the page width (x-height =
// width / 120, at least 8), so an A4 page at 150 dpi has 10-pixel letters. Everything is
// deterministic for a given seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "bmpbase/bitmap24.h"

namespace TestSupport {

namespace SyntheticDetail {

inline uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

inline void FillBox(std::vector<uint8_t>& ink, int32_t rows, int32_t cols, int32_t r0, int32_t r1,
                    int32_t c0, int32_t c1) {
    for (int32_t r = r0; r <= r1; ++r) {
        for (int32_t c = c0; c <= c1; ++c) {
            if (r >= 0 && r < rows && c >= 0 && c < cols) {
                ink[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)] =
                    1;
            }
        }
    }
}

}  // namespace SyntheticDetail

// Straight layout of text marks: 1 = ink.
inline std::vector<uint8_t> StraightText(int32_t rows, int32_t cols, uint32_t seed) {
    using SyntheticDetail::FillBox;
    using SyntheticDetail::NextRandom;
    std::vector<uint8_t> ink(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
    const int32_t xh = cols / 120 < 8 ? 8 : cols / 120;
    const int32_t stroke = xh / 4 < 1 ? 1 : xh / 4;
    const int32_t pitch = xh * 12 / 5;
    uint32_t state = seed * 2654435761u + 12345u;
    for (int32_t base = rows / 12; base + 2 * xh < rows - rows / 12; base += pitch) {
        int32_t c = cols / 10;
        const int32_t lineEnd =
            cols - cols / 10 - static_cast<int32_t>(NextRandom(state) % 8u) * xh;
        while (c < lineEnd) {
            const int32_t letters = 2 + static_cast<int32_t>(NextRandom(state) % 8u);
            for (int32_t k = 0; k < letters && c < lineEnd; ++k) {
                const uint32_t kind = NextRandom(state) % 10u;
                const int32_t w = xh * (6 + static_cast<int32_t>(NextRandom(state) % 6u)) / 10;
                int32_t top = base;
                const int32_t bottom = base + xh - 1;
                if (kind < 3) {
                    top = base - xh / 2 - 1;  // ascender
                }
                if (kind == 9) {
                    // A narrow stem with a dot over it.
                    FillBox(ink, rows, cols, base, bottom, c, c + stroke);
                    FillBox(ink, rows, cols, base - xh / 2, base - xh / 2 + stroke - 1, c,
                            c + stroke);
                    c += stroke + 1 + xh / 4 + 1;
                    continue;
                }
                if (kind % 2 == 0) {
                    // A ring: a solid box with its inside cleared.
                    FillBox(ink, rows, cols, top, bottom, c, c + w - 1);
                    for (int32_t r = top + stroke; r <= bottom - stroke; ++r) {
                        for (int32_t cc = c + stroke; cc <= c + w - 1 - stroke; ++cc) {
                            if (r >= 0 && r < rows && cc >= 0 && cc < cols) {
                                ink[static_cast<size_t>(r) * static_cast<size_t>(cols) +
                                    static_cast<size_t>(cc)] = 0;
                            }
                        }
                    }
                } else {
                    // An "n"-like shape: two stems and a bar.
                    FillBox(ink, rows, cols, top, bottom, c, c + stroke);
                    FillBox(ink, rows, cols, base, bottom, c + w - 1 - stroke, c + w - 1);
                    FillBox(ink, rows, cols, base, base + stroke - 1, c, c + w - 1);
                }
                c += w + xh / 4 + 1;
            }
            c += xh;
        }
    }
    return ink;
}

// A rows x cols colour page of dark text on light paper tilted by `tiltDeg`.
inline BmpBase::CBitmap24 TextPage(uint32_t rows, uint32_t cols, double tiltDeg,
                                   uint32_t seed = 1) {
    const auto h = static_cast<int32_t>(rows);
    const auto w = static_cast<int32_t>(cols);
    const std::vector<uint8_t> ink = StraightText(h, w, seed);
    const double a = tiltDeg * std::acos(-1.0) / 180.0;
    const double ca = std::cos(a);
    const double sa = std::sin(a);
    const double rc = (h - 1) / 2.0;
    const double cc = (w - 1) / 2.0;
    BmpBase::CBitmap24 page;
    page.Allocate(rows, cols);
    for (int32_t r = 0; r < h; ++r) {
        uint8_t* p = page.PixelAt(static_cast<uint32_t>(r), 0);
        for (int32_t c = 0; c < w; ++c, p += 3) {
            const double dr = r - rc;
            const double dc = c - cc;
            const auto u = static_cast<int32_t>(std::floor(dr * ca - dc * sa + rc + 0.5));
            const auto v = static_cast<int32_t>(std::floor(dr * sa + dc * ca + cc + 0.5));
            const bool isInk =
                u >= 0 && u < h && v >= 0 && v < w &&
                ink[static_cast<size_t>(u) * static_cast<size_t>(w) + static_cast<size_t>(v)] != 0;
            if (isInk) {
                p[0] = 40;
                p[1] = 32;
                p[2] = 28;
            } else {
                p[0] = 228;
                p[1] = 238;
                p[2] = 244;
            }
        }
    }
    return page;
}

}  // namespace TestSupport
