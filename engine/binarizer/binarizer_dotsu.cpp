// Distributed Otsu.
//
// A single global threshold (Otsu 1979) fails on a page lit unevenly: the
// paper of the dark side falls below the threshold fitted to the bright
// side. The distributed method computes one Otsu threshold per block of
// 50 x 50 pixels and lets every pixel's threshold glide between the block
// centres by bilinear interpolation.
//
// Blocks with too little contrast (a separation of their two class means
// below half the average over all blocks, which includes blank paper and
// single-level blocks) carry no useful threshold and are marked invalid.
// Before interpolating, each invalid corner of a pixel's cell takes the
// value of its valid partner: first along the columns of the cell (top with
// bottom), then along its rows (left with right), so a blank block borrows
// its neighbours' thresholds and two invalid corners stay invalid. A pixel
// whose threshold is still negative remains paper.
//
// Block thresholds are stored as the Otsu threshold minus 0.5, so that in
// the middle of a valid block a pixel is ink exactly when its grey value is
// below the block's Otsu threshold, as with the global method. The matrix
// has one extra row and column of invalid entries, so the cells of the last
// block row and column need no special indexing; those cells interpolate
// only along the direction that still has a next block. As with the global
// method the ink is made the smaller part by the majority rule.
//
// Each pixel's threshold is computed when its flag is decided, in the same
// expression order as a full per-pixel threshold plane would be filled, so
// no such plane is held.
#include <algorithm>
#include <vector>

#include "engine/binarizer/binarizer.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

constexpr uint32_t kBlockSide = 50;           // pixels
constexpr uint32_t kBlockCentre = 25;         // pixels from the block's first row/column
constexpr double kInvalidBlock = -1.0;        // initial, never-valid entry
constexpr double kThresholdOffset = 0.5;      // grey levels subtracted from each block threshold
constexpr double kContrastShareOfMean = 0.5;  // blocks below this share of the mean are invalid

// A negative partner takes a positive one's value; two invalid values stay
// invalid and zeros are left alone.
void RepairPair(double& a, double& b) {
    if (a > 0 && b < 0) {
        b = a;
    } else if (a < 0 && b > 0) {
        a = b;
    }
}

}  // namespace

void Binarizer::Binarize_DistributedOtsu(PixelMask& result) {
    result.Reset(static_cast<size_t>(height) * width);
    if (height == 0 || width == 0) {
        return;
    }
    if (height <= kBlockSide && width <= kBlockSide) {
        // For the single-colour message; a single block gives the same mask.
        int32_t threshold = 0;
        Binarize_Otsu(result, threshold, false);
        result.Reset(static_cast<size_t>(height) * width);
    }

    const uint32_t nR = (height - 1) / kBlockSide + 1;
    const uint32_t nC = (width - 1) / kBlockSide + 1;
    const size_t stride = nC + 1;
    std::vector<double> block(static_cast<size_t>(nR + 1) * stride, kInvalidBlock);
    std::vector<double> separation(static_cast<size_t>(nR) * nC, 0.0);

    double sum = 0.0;
    for (uint32_t i = 0; i < nR; ++i) {
        for (uint32_t j = 0; j < nC; ++j) {
            RegionRect rect;
            rect.firstRow = static_cast<uint16_t>(kBlockSide * i);
            rect.lastRow = static_cast<uint16_t>(std::min(kBlockSide * i + kBlockSide, height) - 1);
            rect.firstCol = static_cast<uint16_t>(kBlockSide * j);
            rect.lastCol = static_cast<uint16_t>(std::min(kBlockSide * j + kBlockSide, width) - 1);
            double sep = 0.0;
            const int32_t t = OtsuThreshold(&rect, nullptr, sep);
            block[i * stride + j] = t - kThresholdOffset;
            separation[static_cast<size_t>(i) * nC + j] = sep;
            sum += sep;
        }
    }

    const double mean = sum / (nR * nC);
    for (uint32_t i = 0; i < nR; ++i) {
        for (uint32_t j = 0; j < nC; ++j) {
            if (separation[static_cast<size_t>(i) * nC + j] < mean * kContrastShareOfMean) {
                block[i * stride + j] = -kThresholdOffset;
            }
        }
    }

    const uint32_t lastI = nR - 1;
    const uint32_t lastJ = nC - 1;
    const double side = kBlockSide;
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t rr = r < kBlockCentre ? 0 : r - kBlockCentre;
        const uint32_t i = rr / kBlockSide;
        const uint32_t fy = rr % kBlockSide;
        const uint8_t* g = grey.rows[r];
        const size_t rowStart = static_cast<size_t>(r) * width;
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t cc = c < kBlockCentre ? 0 : c - kBlockCentre;
            const uint32_t j = cc / kBlockSide;
            const uint32_t fx = cc % kBlockSide;
            double t00 = block[i * stride + j];
            double t01 = block[i * stride + j + 1];
            double t10 = block[(i + 1) * stride + j];
            double t11 = block[(i + 1) * stride + j + 1];
            double t = 0.0;
            if (i == lastI && j == lastJ) {
                t = t00;
            } else if (i == lastI) {
                RepairPair(t00, t01);
                t = (t00 * (side - fx) + t01 * fx) / side;
            } else if (j == lastJ) {
                RepairPair(t00, t10);
                t = (t00 * (side - fy) + t10 * fy) / side;
            } else {
                RepairPair(t00, t10);
                RepairPair(t01, t11);
                RepairPair(t00, t01);
                RepairPair(t10, t11);
                t = (t00 * (side - fx) * (side - fy) + t01 * fx * (side - fy) +
                     t10 * (side - fx) * fy + t11 * fx * fy) /
                    (side * side);
            }
            if (static_cast<double>(g[c]) < t) {
                result.Set(rowStart + c);
            }
        }
    }

    const size_t total = static_cast<size_t>(height) * width;
    if (result.Count() > total / 2) {
        result.InvertAll();
    }
}

}  // namespace Skewmend
