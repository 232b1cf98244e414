// Small synthetic grey pages for the binarizer tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"

namespace GreyPages {

// A rows x cols page whose pixel (r, c) is f(r, c).
inline BmpBase::GreyImage Page(uint32_t rows, uint32_t cols,
                               const std::function<int(uint32_t, uint32_t)>& f) {
    BmpBase::GreyImage g(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            g.rows[r][c] = static_cast<uint8_t>(f(r, c));
        }
    }
    return g;
}

// Sets the inclusive rectangle rows r0 .. r1, columns c0 .. c1 to `value`.
inline void FillRect(BmpBase::GreyImage& g, uint32_t r0, uint32_t r1, uint32_t c0, uint32_t c1,
                     uint8_t value) {
    for (uint32_t r = r0; r <= r1; ++r) {
        for (uint32_t c = c0; c <= c1; ++c) {
            g.rows[r][c] = value;
        }
    }
}

// The mask of a rows x cols page that is true where pred(r, c) holds.
inline Skewmend::PixelMask MaskWhere(uint32_t rows, uint32_t cols,
                                     const std::function<bool(uint32_t, uint32_t)>& pred) {
    Skewmend::PixelMask m(static_cast<size_t>(rows) * cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            if (pred(r, c)) {
                m.Set(static_cast<size_t>(r) * cols + c);
            }
        }
    }
    return m;
}

inline bool At(const Skewmend::PixelMask& m, uint32_t cols, uint32_t r, uint32_t c) {
    return m[static_cast<size_t>(r) * cols + c];
}

}  // namespace GreyPages
