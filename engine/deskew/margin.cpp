// RemoveMargin: crops the page mask and grey image to the ink.
//
// The first and last rows holding ink are found by scanning rows inward from
// each end, then the first and last columns holding ink within those rows by
// scanning columns inward. One row or column of paper is kept around the
// ink where the page has it, so the labeller (which never labels the
// outermost rows and columns) still sees every ink pixel. A mask without any
// ink is left uncropped: the scans stop at the border, and the component
// estimate that follows fails on such a page anyway.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/deskew/deskewer.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

// Flags start .. start + count - 1 (count at most 64) as the low bits of
// one word.
uint64_t FlagsAt(const std::vector<uint64_t>& words, size_t start, uint32_t count) {
    const size_t index = start >> 6;
    const uint32_t shift = static_cast<uint32_t>(start & 63);
    uint64_t bits = words[index] >> shift;
    if (shift != 0 && shift + count > 64) {
        bits |= words[index + 1] << (64 - shift);
    }
    return count == 64 ? bits : bits & ((uint64_t{1} << count) - 1);
}

bool RowHasInk(const PixelMask& mask, uint32_t width, uint32_t row) {
    const size_t start = static_cast<size_t>(row) * width;
    for (uint32_t c = 0; c < width; c += 64) {
        if (FlagsAt(mask.Words(), start + c, std::min<uint32_t>(64, width - c)) != 0) {
            return true;
        }
    }
    return false;
}

bool ColumnHasInk(const PixelMask& mask, uint32_t width, uint32_t col, uint32_t top,
                  uint32_t bottom) {
    for (uint32_t r = top; r <= bottom; ++r) {
        if (mask[static_cast<size_t>(r) * width + col]) {
            return true;
        }
    }
    return false;
}

}  // namespace

void Deskewer::RemoveMargin() {
    SKEWMEND_TIMED("Deskewer::RemoveMargin");
    const uint32_t h = height;
    const uint32_t w = width;
    uint32_t top = 0;
    while (top < h && !RowHasInk(mask, w, top)) {
        ++top;
    }
    if (top == h) {
        return;
    }
    uint32_t bottom = h - 1;
    while (!RowHasInk(mask, w, bottom)) {
        --bottom;
    }
    uint32_t left = 0;
    while (!ColumnHasInk(mask, w, left, top, bottom)) {
        ++left;
    }
    uint32_t right = w - 1;
    while (!ColumnHasInk(mask, w, right, top, bottom)) {
        --right;
    }
    if (top != 0) {
        --top;
    }
    if (bottom != h - 1) {
        ++bottom;
    }
    if (left != 0) {
        --left;
    }
    if (right != w - 1) {
        ++right;
    }

    const uint32_t newHeight = bottom - top + 1;
    const uint32_t newWidth = right - left + 1;
    PixelMask newMask(static_cast<size_t>(newHeight) * newWidth);
    BmpBase::GreyImage newGrey(newHeight, newWidth);
    // Each row's stretch of flags is moved 64 at a time into the new mask,
    // which starts all false, so OR-ing them in is enough.
    std::vector<uint64_t>& to = newMask.Words();
    for (uint32_t r = top; r <= bottom; ++r) {
        const size_t from = static_cast<size_t>(r) * w + left;
        const size_t at = static_cast<size_t>(r - top) * newWidth;
        for (uint32_t c = 0; c < newWidth; c += 64) {
            const uint32_t count = std::min<uint32_t>(64, newWidth - c);
            const uint64_t bits = FlagsAt(mask.Words(), from + c, count);
            const size_t d = at + c;
            const uint32_t shift = static_cast<uint32_t>(d & 63);
            to[d >> 6] |= bits << shift;
            if (shift != 0 && shift + count > 64) {
                to[(d >> 6) + 1] |= bits >> (64 - shift);
            }
        }
        std::memcpy(newGrey.rows[r - top], grey.rows[r] + left, newWidth);
    }
    mask = std::move(newMask);
    grey = std::move(newGrey);
    height = static_cast<uint16_t>(newHeight);
    width = static_cast<uint16_t>(newWidth);
}

}  // namespace Skewmend
