// RemoveMargin: crops the page mask and grey image to the ink.
//
// The first and last rows holding ink are found by scanning rows inward from
// each end, then the first and last columns holding ink within those rows by
// scanning columns inward. One row or column of paper is kept around the
// ink where the page has it, so the labeller (which never labels the
// outermost rows and columns) still sees every ink pixel. A mask without any
// ink is left uncropped: the scans stop at the border, and the component
// estimate that follows fails on such a page anyway.
#include <utility>

#include "deskew/deskewer.h"
#include "diagnostics.h"

namespace Skewmend {

namespace {

bool RowHasInk(const PixelMask& mask, uint32_t width, uint32_t row) {
    const size_t start = static_cast<size_t>(row) * width;
    for (uint32_t c = 0; c < width; ++c) {
        if (mask[start + c]) {
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
    for (uint32_t r = top; r <= bottom; ++r) {
        const size_t from = static_cast<size_t>(r) * w;
        const size_t to = static_cast<size_t>(r - top) * newWidth;
        for (uint32_t c = left; c <= right; ++c) {
            if (mask[from + c]) {
                newMask.Set(to + (c - left));
            }
            newGrey.rows[r - top][c - left] = grey.rows[r][c];
        }
    }
    mask = std::move(newMask);
    grey = std::move(newGrey);
    height = static_cast<uint16_t>(newHeight);
    width = static_cast<uint16_t>(newWidth);
}

}  // namespace Skewmend
