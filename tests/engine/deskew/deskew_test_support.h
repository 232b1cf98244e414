// Small builders for the deskew tests: masks drawn from rectangles or text
// art, and a Deskewer made from a mask with a matching grey image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"
#include "engine/deskew/deskewer.h"

namespace DeskewTest {

// A rows x cols mask with no ink.
struct MaskCanvas {
    uint16_t rows;
    uint16_t cols;
    Skewmend::PixelMask mask;

    MaskCanvas(uint16_t r, uint16_t c) : rows(r), cols(c), mask(static_cast<size_t>(r) * c) {}

    void Ink(int32_t r, int32_t c) {
        if (r >= 0 && c >= 0 && r < rows && c < cols) {
            mask.Set(static_cast<size_t>(r) * cols + static_cast<size_t>(c));
        }
    }
    // Inclusive rectangle of ink.
    void Box(int32_t r0, int32_t r1, int32_t c0, int32_t c1) {
        for (int32_t r = r0; r <= r1; ++r) {
            for (int32_t c = c0; c <= c1; ++c) {
                Ink(r, c);
            }
        }
    }
    bool At(int32_t r, int32_t c) const {
        return mask[static_cast<size_t>(r) * cols + static_cast<size_t>(c)];
    }
};

// Grey image 30 where the mask has ink, 220 elsewhere, plus (r + c) % 7 so
// that a cut-out can be recognised.
inline BmpBase::GreyImage GreyFor(const MaskCanvas& canvas) {
    BmpBase::GreyImage grey(canvas.rows, canvas.cols);
    for (uint32_t r = 0; r < canvas.rows; ++r) {
        for (uint32_t c = 0; c < canvas.cols; ++c) {
            const int base = canvas.At(static_cast<int32_t>(r), static_cast<int32_t>(c)) ? 30 : 220;
            grey.rows[r][c] = static_cast<uint8_t>(base + static_cast<int>((r + c) % 7));
        }
    }
    return grey;
}

inline std::unique_ptr<Skewmend::Deskewer> MakeDeskewer(const MaskCanvas& canvas,
                                                        uint8_t backgroundGrey = 220) {
    return std::make_unique<Skewmend::Deskewer>(canvas.mask, GreyFor(canvas), backgroundGrey,
                                                canvas.rows, canvas.cols);
}

}  // namespace DeskewTest
