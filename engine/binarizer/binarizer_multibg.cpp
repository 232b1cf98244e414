// Multi-background Otsu.
//
// A large picture or a dark scanner margin pulls a single global Otsu
// threshold (Otsu 1979) away from the text, because its grey levels weigh
// in the histogram as much as the paper's. The multi-background method
// therefore thresholds the page background box (the bounding box of the
// largest flat region, see binarizer_flat.cpp) on its own, with its own
// Otsu threshold and majority rule, as if it were a page of its own. The
// rest of the image, when it is more than a tenth of it, gets a second Otsu
// threshold computed from its own pixels only, again with a majority rule
// over those pixels: a dark border darker than its own threshold for the
// most part comes out as paper. A small rest stays paper.
#include <algorithm>

#include "engine/binarizer/binarizer.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

// The rest outside the background box is thresholded on its own only when
// it makes up more than this share of the image.
constexpr double kRemainderShareLimit = 0.1;

}  // namespace

void Binarizer::ApplyThresholdWithin(const PixelMask& selection, int32_t threshold,
                                     PixelMask& out) const {
    out.Reset(static_cast<size_t>(height) * width);
    size_t dark = 0;
    size_t light = 0;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* g = grey.rows[r];
        const size_t row = static_cast<size_t>(r) * width;
        for (uint32_t c = 0; c < width; ++c) {
            if (!selection[row + c]) {
                continue;
            }
            if (g[c] < threshold) {
                out.Set(row + c);
                ++dark;
            } else {
                ++light;
            }
        }
    }
    if (dark > light) {
        out.InvertAll();
    }
}

void Binarizer::Binarize_MultiBackgroundOtsu(PixelMask& result) {
    if (!ccInfoDone) {
        GetCCInfo();  // the background box, when no caller has asked for it yet
    }
    const size_t total = static_cast<size_t>(height) * width;
    if (backgrounds.empty()) {
        result.Reset(total);  // an image without pixels has no background
        return;
    }
    const RegionRect box = backgrounds.front();
    const uint32_t boxHeight = static_cast<uint32_t>(box.lastRow - box.firstRow + 1);
    const uint32_t boxWidth = static_cast<uint32_t>(box.lastCol - box.firstCol + 1);

    PixelMask boxMask;
    {
        BmpBase::GreyImage boxGrey(boxHeight, boxWidth);
        for (uint32_t r = 0; r < boxHeight; ++r) {
            const uint8_t* src = grey.rows[box.firstRow + r] + box.firstCol;
            std::copy(src, src + boxWidth, boxGrey.rows[r]);
        }
        Binarizer boxBinarizer(boxGrey);
        int32_t threshold = 0;
        boxBinarizer.Binarize_Otsu(boxMask, threshold, false);
    }
    Log("Total regions: ", backgrounds.size());
    Log("Used regions: ", 1);

    result.Reset(total);
    PixelMask remainder(total);
    size_t remainderCount = 0;
    for (uint32_t r = 0; r < height; ++r) {
        const size_t row = static_cast<size_t>(r) * width;
        const bool rowInBox = r >= box.firstRow && r <= box.lastRow;
        for (uint32_t c = 0; c < width; ++c) {
            if (rowInBox && c >= box.firstCol && c <= box.lastCol) {
                const size_t inBox =
                    static_cast<size_t>(r - box.firstRow) * boxWidth + (c - box.firstCol);
                if (boxMask[inBox]) {
                    result.Set(row + c);
                }
            } else {
                remainder.Set(row + c);
                ++remainderCount;
            }
        }
    }
    if (!(static_cast<double>(remainderCount) / static_cast<double>(total) >
          kRemainderShareLimit)) {
        return;
    }

    Log("Remain size too big, apply Otsu to it");
    // This object's grey image is the whole page, so it serves as the
    // second binarizer directly.
    double separation = 0.0;
    const int32_t threshold = OtsuThreshold(nullptr, &remainder, separation);
    PixelMask rest;
    ApplyThresholdWithin(remainder, threshold, rest);
    for (size_t i = 0; i < total; ++i) {
        if (remainder[i] && rest[i]) {
            result.Set(i);
        }
    }
}

}  // namespace Skewmend
