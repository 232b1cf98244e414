// Global Otsu thresholding: the threshold, the majority rule and the method.
//
// OtsuThreshold builds a 256-bin histogram of the examined pixels (a
// rectangle, or the pixels a selection mask marks) and finds the threshold
// T that maximises the between-class score (m0 - m1)^2 w1 w0 of the dark
// class (grey < T) and the bright class. It starts with the lowest occupied
// level L alone in the dark class, the bright mean taken as the exact
// quotient of the integer sum and the bright weight, and moves one bin at a
// time up to the highest occupied level H with incremental means in double
// precision. Every bin is scored, empty ones included, and only a strictly
// larger score replaces the best, so ties go to the lowest threshold. The
// floating-point expressions are evaluated exactly in the order written here;
// thresholds computed elsewhere are compared with these bit for bit.
//
// ApplyThreshold marks grey < T as ink and then applies the majority rule:
// when more than half of the flags are set the mask is turned over, so the
// ink is always the smaller part and light text on a dark page comes out as
// ink. The grey plane is one row-major block whose element index equals the
// flag index, so both the histogram of the whole image and the mask are
// built in one linear pass, 64 flags per word.
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/binarizer/binarizer.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

constexpr int kGreyLevels = 256;

// Flag i of the result is set when p[i] < threshold, for 64 bytes; the
// threshold is at least 1.
inline uint64_t BelowFlags64(const uint8_t* p, int32_t threshold) {
#if defined(__SSE2__)
    if (threshold > 255) {
        return ~uint64_t{0};
    }
    // p < t is p <= t - 1, and for unsigned bytes p <= m is min(p, m) == p.
    const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold - 1));
    uint64_t bits = 0;
    for (int q = 0; q < 4; ++q) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
        const __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(v, limit), v);
        bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(below)) & 0xFFFFu)
                << (16 * q);
    }
    return bits;
#else
    uint64_t bits = 0;
    for (int i = 0; i < 64; ++i) {
        bits |= static_cast<uint64_t>(p[i] < threshold) << i;
    }
    return bits;
#endif
}

}  // namespace

int32_t Binarizer::OtsuThreshold(const RegionRect* rect, const PixelMask* selection,
                                 double& separation) const {
    // 64-bit counts: a page near the size limit overflows 32-bit bins.
    int64_t hist[kGreyLevels] = {};
    if (rect != nullptr) {
        // Rows and columns outside the image hold no pixels.
        if (height > 0 && width > 0 && rect->firstRow <= rect->lastRow &&
            rect->firstCol <= rect->lastCol && rect->firstRow < height && rect->firstCol < width) {
            const uint32_t lastRow = rect->lastRow < height ? rect->lastRow : height - 1;
            const uint32_t lastCol = rect->lastCol < width ? rect->lastCol : width - 1;
            // Four partial histograms break the chain of increments of the
            // same bin that runs of equal pixels (paper) would form.
            uint32_t partial[4][kGreyLevels] = {};
            for (uint32_t r = rect->firstRow; r <= lastRow; ++r) {
                const uint8_t* row = grey.rows[r];
                uint32_t c = rect->firstCol;
                for (; c + 3 <= lastCol; c += 4) {
                    ++partial[0][row[c]];
                    ++partial[1][row[c + 1]];
                    ++partial[2][row[c + 2]];
                    ++partial[3][row[c + 3]];
                }
                for (; c <= lastCol; ++c) {
                    ++partial[0][row[c]];
                }
            }
            // Each partial counts at most a quarter of a row plus three
            // pixels per row: below 2^32 for any image under 65535 x 65535.
            for (int q = 0; q < 4; ++q) {
                for (int i = 0; i < kGreyLevels; ++i) {
                    hist[i] += partial[q][i];
                }
            }
        }
    } else if (selection != nullptr) {
        const size_t n = static_cast<size_t>(height) * width;
        const size_t flags = selection->size() < n ? selection->size() : n;
        const uint8_t* pixels = grey.Data();
        selection->ForEachSet(0, flags, [&](size_t i) { ++hist[pixels[i]]; });
    }

    int64_t total = 0;
    for (int i = 0; i < kGreyLevels; ++i) {
        total += hist[i];
    }
    if (total == 0) {
        return 0;  // nothing examined: no second level to separate
    }
    int low = 0;
    while (hist[low] == 0) {
        ++low;
    }
    int high = kGreyLevels - 1;
    while (hist[high] == 0) {
        --high;
    }
    if (low == high) {
        return 0;
    }

    int64_t w0 = hist[low];
    double m0 = low;
    int64_t w1 = total - w0;
    int64_t brightSum = 0;
    for (int i = low + 1; i <= high; ++i) {
        brightSum += hist[i] * i;
    }
    double m1 = static_cast<double>(brightSum) / static_cast<double>(w1);

    const double d = m0 - m1;
    double best = d * d * static_cast<double>(w0) * static_cast<double>(w1);
    separation = std::fabs(d);
    int32_t result = low + 1;

    for (int i = low + 1; i <= high - 1; ++i) {
        const int64_t moved = hist[i] * i;
        m0 = (static_cast<double>(w0) * m0 + static_cast<double>(moved)) /
             static_cast<double>(w0 + hist[i]);
        m1 = (static_cast<double>(w1) * m1 - static_cast<double>(moved)) /
             static_cast<double>(w1 - hist[i]);
        w0 += hist[i];
        w1 -= hist[i];
        const double diff = m0 - m1;
        const double score = diff * diff * static_cast<double>(w1) * static_cast<double>(w0);
        if (score > best) {
            best = score;
            separation = std::fabs(diff);
            result = i + 1;
        }
    }
    return result;
}

void Binarizer::ApplyThreshold(PixelMask& result, int32_t threshold) const {
    const size_t n = static_cast<size_t>(height) * width;
    result.Reset(n);
    const uint8_t* pixels = grey.Data();
    std::vector<uint64_t>& words = result.Words();
    size_t count = 0;
    if (threshold > 0) {
        const size_t fullWords = n / 64;
        for (size_t w = 0; w < fullWords; ++w) {
            const uint64_t bits = BelowFlags64(pixels + w * 64, threshold);
            words[w] = bits;
            count += static_cast<size_t>(__builtin_popcountll(bits));
        }
        if (fullWords * 64 < n) {
            uint64_t bits = 0;
            for (size_t i = fullWords * 64; i < n; ++i) {
                bits |= static_cast<uint64_t>(pixels[i] < threshold) << (i - fullWords * 64);
            }
            words[fullWords] = bits;
            count += static_cast<size_t>(__builtin_popcountll(bits));
        }
    }
    if (count > n / 2) {
        result.InvertAll();
    }
}

void Binarizer::Binarize_Otsu(PixelMask& result, int32_t& threshold, bool optimise) {
    SKEWMEND_TIMED("Binarizer::Binarize_Otsu");
    result.Reset(static_cast<size_t>(height) * width);

    int32_t found = 0;
    if (height > 0 && width > 0) {
        RegionRect whole;
        whole.lastRow = static_cast<uint16_t>(height - 1);
        whole.lastCol = static_cast<uint16_t>(width - 1);
        double separation = 0.0;
        found = OtsuThreshold(&whole, nullptr, separation);
    }
    threshold = found;
    if (found == 0) {
        Log("Image is with unique color, can NOT apply Otsu");
        return;
    }
    if (localOptimize && optimise) {
        LocalOptimize(threshold);
    }
    ApplyThreshold(result, threshold);
}

}  // namespace Skewmend
