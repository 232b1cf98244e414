// Sauvola thresholding.
//
// Local adaptive binarization after Sauvola and Pietikäinen (2000): every
// pixel gets its own threshold from the mean m and the standard deviation s
// of the grey values in a square window of `sauvolaWindow` pixels around it,
//     T = m * (1 + k * (s / R - 1)),
// so that on flat paper (s near 0) the threshold sits a share k below the
// local mean, and in busy windows, where s approaches the dynamic range R,
// it rises towards the mean itself. Window sums come in constant time from
// two summed-area tables (grey values and their squares), built once per
// object; they can also be taken directly from the image, with identical
// results.
//
// The formula assumes dark ink on light paper. Before thresholding, the
// polarity step compares the paper (flat region 1, see binarizer_flat.cpp)
// with the pixels bordering it: when the paper is mostly the brighter side
// of that border the image is left alone, otherwise it is inverted in place
// ("Revert original image."). Inverting swaps the two sums, so the step
// never inverts twice.
//
// Only the band of pixels whose window lies wholly inside the image gets a
// threshold of its own; the pixels outside that band take the threshold of
// the nearest band pixel. The thresholds of one band row are computed once
// into a row buffer and reused for every image row that clamps to it, so no
// full threshold image is held. A threshold is stored as a byte: values
// above 255 (R below the window's deviation) saturate at 255, values below
// 0 (k above 1) at 0.
//
// SelectSauvolaParams picks k and R for a page from its edge pixels: for
// each of 15 k values between 0.02 and 0.5 and each R of the list "64,128",
// it counts the share of edge pixels whose decision differs from that of
// the pixel above or to the left, and keeps the pair that changes most
// often, that is, the pair that separates the two sides of the edges best.
// Without a single edge sample the object's own k and R are kept.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/binarizer/binarizer.h"
#include "engine/diagnostics.h"
#include "engine/portable_math.h"

namespace Skewmend {

namespace {

// Window statistics of a flat window stay away from the square root of 0.
constexpr double kDeviationFloor = 0.000001;

// Parameter search: most edge samples collected, and the count above which
// they are thinned to about this many.
constexpr size_t kMaxSauvolaSamples = 10000;
constexpr size_t kThinnedSauvolaSamples = 1000;

// Candidate k values: kCandidateCount values from kFirstK growing by a
// constant factor, the last one set to kLastK.
constexpr int kCandidateCount = 15;
constexpr double kFirstK = 0.02;
constexpr double kKGrowthBase = 25.0;
constexpr double kLastK = 0.5;

// The R values the parameter search tries.
const char* const kSauvolaRList = "64,128";

// The Sauvola threshold as a byte: truncated toward zero, saturated at 0 and
// 255 (a NaN, from R = 0 with k = 0, counts as 0).
uint8_t SauvolaThreshold(double mean, double deviation, int32_t R, double k) {
    const double t = mean * ((deviation / R - 1) * k + 1);
    if (!(t > 0.0)) {
        return 0;
    }
    if (t >= 255.0) {
        return 255;
    }
    return static_cast<uint8_t>(t);
}

// One piece of an integer list, read like atoi: optional white space, an
// optional sign, then decimal digits; 0 when there are none. Saturates at
// the limits of int32.
int32_t LeadingInt(const std::string& piece) {
    size_t i = 0;
    while (i < piece.size() && std::isspace(static_cast<unsigned char>(piece[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
        negative = piece[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    while (i < piece.size() && piece[i] >= '0' && piece[i] <= '9') {
        value = std::min<int64_t>(value * 10 + (piece[i] - '0'), kLimit);
        ++i;
    }
    if (negative) {
        value = -value;
    }
    value = std::max<int64_t>(value, std::numeric_limits<int32_t>::min());
    value = std::min<int64_t>(value, std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(value);
}

}  // namespace

void ParseIntList(const std::string& list, std::vector<int32_t>& out) {
    out.clear();
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const int32_t value = LeadingInt(list.substr(start, end - start));
        if (value == 0) {
            Log("Invalid parameter Rs: ", list);
            return;
        }
        out.push_back(value);
        start = end + 1;
    }
}

void Binarizer::BuildIntegralTables() {
    if (tablesBuilt) {
        return;
    }
    sumTable.Resize(height + 1, width + 1);
    sqSumTable.Resize(height + 1, width + 1);
    for (uint32_t r = 1; r <= height; ++r) {
        const uint8_t* g = grey.rows[r - 1];
        uint32_t* s = sumTable.rows[r];
        const uint32_t* sUp = sumTable.rows[r - 1];
        uint64_t* q = sqSumTable.rows[r];
        const uint64_t* qUp = sqSumTable.rows[r - 1];
        for (uint32_t c = 1; c <= width; ++c) {
            const uint32_t v = g[c - 1];
            // Unsigned wrap-around is harmless: a window sum of at most
            // window² x 255 comes out right modulo 2^32.
            s[c] = v + s[c - 1] + sUp[c] - sUp[c - 1];
            q[c] = uint64_t{v} * v + q[c - 1] + qUp[c] - qUp[c - 1];
        }
    }
    tablesBuilt = true;
}

void Binarizer::WindowStats(uint32_t top, uint32_t left, double& mean, double& deviation) const {
    const uint32_t w = sauvolaWindow;
    uint32_t S = 0;
    uint64_t Q = 0;
    if (useIntegral && tablesBuilt) {
        const uint32_t* sTop = sumTable.rows[top];
        const uint32_t* sBottom = sumTable.rows[top + w];
        S = sTop[left] - sBottom[left] - sTop[left + w] + sBottom[left + w];
        const uint64_t* qTop = sqSumTable.rows[top];
        const uint64_t* qBottom = sqSumTable.rows[top + w];
        Q = qTop[left] - qBottom[left] - qTop[left + w] + qBottom[left + w];
    } else {
        // Without tables (or before they exist) the sums come from the image.
        for (uint32_t r = top; r < top + w; ++r) {
            const uint8_t* g = grey.rows[r];
            for (uint32_t c = left; c < left + w; ++c) {
                S += g[c];
                Q += uint64_t{g[c]} * g[c];
            }
        }
    }
    const double area = static_cast<double>(w * w);
    mean = static_cast<double>(S) / area;
    const double e2 = static_cast<double>(Q) / area;
    deviation = std::sqrt(e2 - mean * mean + kDeviationFloor);
}

void Binarizer::RevertIfInverted() {
    if (!ccInfoDone) {
        GetCCInfo();  // the paper's label, when no caller has asked for it yet
    }
    if (height < 3 || width < 3) {
        return;
    }
    // 64-bit sums: a page-wide border of 4 x 255 per pixel can exceed 32 bits.
    uint64_t darker = 0;
    uint64_t brighter = 0;
    const auto compare = [&](uint8_t pixel, uint8_t neighbour) {
        if (pixel < neighbour) {
            darker += static_cast<uint32_t>(neighbour - pixel);
        } else {
            brighter += static_cast<uint32_t>(pixel - neighbour);
        }
    };
    for (uint32_t r = 1; r + 1 < height; ++r) {
        const uint32_t* lab = labels.rows[r];
        const uint8_t* g = grey.rows[r];
        for (uint32_t c = 1; c + 1 < width; ++c) {
            if (lab[c] == 1) {
                continue;
            }
            if (labels.rows[r - 1][c] == 1) {
                compare(g[c], grey.rows[r - 1][c]);
            }
            if (labels.rows[r + 1][c] == 1) {
                compare(g[c], grey.rows[r + 1][c]);
            }
            if (lab[c - 1] == 1) {
                compare(g[c], g[c - 1]);
            }
            if (lab[c + 1] == 1) {
                compare(g[c], g[c + 1]);
            }
        }
    }
    if (darker < brighter) {
        Log("Revert original image.");
        uint8_t* p = grey.Data();
        const size_t n = grey.ElementCount();
        for (size_t i = 0; i < n; ++i) {
            p[i] = static_cast<uint8_t>(255 - p[i]);
        }
    }
}

void Binarizer::Binarize_Sauvola(PixelMask& result, int32_t R, double k) {
    const uint32_t w = sauvolaWindow;
    const uint32_t h = w / 2;
    if (height <= w || width <= w) {
        int32_t threshold = 0;
        Binarize_Otsu(result, threshold, false);
        return;
    }
    GetCCInfo();
    RevertIfInverted();
    if (k < 0) {
        k = sauvolaK;
        R = sauvolaR;
    }
    if (useIntegral) {
        BuildIntegralTables();
    }

    const uint32_t rowLast = height - w - 1 + h;
    const uint32_t colLast = width - w - 1 + h;
    result.Reset(static_cast<size_t>(height) * width);

    // Thresholds of one band row, for the band columns h .. colLast.
    std::vector<uint8_t> bandRow(colLast - h + 1);
    uint32_t bandRowIndex = 0;
    bool haveBandRow = false;
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t br = std::min(std::max(r, h), rowLast);
        if (!haveBandRow || br != bandRowIndex) {
            for (uint32_t c = h; c <= colLast; ++c) {
                double mean = 0.0;
                double deviation = 0.0;
                WindowStats(br - h, c - h, mean, deviation);
                bandRow[c - h] = SauvolaThreshold(mean, deviation, R, k);
            }
            bandRowIndex = br;
            haveBandRow = true;
        }
        const uint8_t* g = grey.rows[r];
        const size_t rowStart = static_cast<size_t>(r) * width;
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t bc = std::min(std::max(c, h), colLast);
            if (g[c] <= bandRow[bc - h]) {
                result.Set(rowStart + c);
            }
        }
    }
}

void Binarizer::SelectSauvolaParams(const PixelMask& edges, double& k, int32_t& R) const {
    const uint32_t w = sauvolaWindow;
    const uint32_t h = w / 2;

    // Edge samples inside the band, one row and one column in from its start
    // so that the pixels above and to the left have band windows too.
    std::vector<std::pair<uint16_t, uint16_t>> samples;
    if (height > w && width > w && edges.size() == static_cast<size_t>(height) * width) {
        const uint32_t rowLast = height - w - 1 + h;
        const uint32_t colLast = width - w - 1 + h;
        for (uint32_t r = h + 1; r <= rowLast && samples.size() < kMaxSauvolaSamples; ++r) {
            for (uint32_t c = h + 1; c <= colLast; ++c) {
                if (edges[static_cast<size_t>(r) * width + c]) {
                    samples.emplace_back(static_cast<uint16_t>(r), static_cast<uint16_t>(c));
                    if (samples.size() == kMaxSauvolaSamples) {
                        break;
                    }
                }
            }
        }
    }
    if (samples.size() > kThinnedSauvolaSamples) {
        const size_t step = samples.size() / kThinnedSauvolaSamples;
        std::vector<std::pair<uint16_t, uint16_t>> thinned;
        for (size_t i = 0; i < samples.size(); i += step) {
            thinned.push_back(samples[i]);
        }
        samples.swap(thinned);
    }
    if (samples.empty()) {
        // No edge to learn from: keep the object's own parameters.
        k = sauvolaK;
        R = sauvolaR;
        return;
    }

    double candidatesK[kCandidateCount];
    candidatesK[0] = kFirstK;
    const double growth = PortableMath::Pow(kKGrowthBase, 1.0 / (kCandidateCount - 1));
    for (int i = 1; i < kCandidateCount - 1; ++i) {
        candidatesK[i] = candidatesK[i - 1] * growth;
    }
    candidatesK[kCandidateCount - 1] = kLastK;
    std::vector<int32_t> candidatesR;
    ParseIntList(kSauvolaRList, candidatesR);

    // The three windows of a sample do not depend on k and R: take their
    // statistics once.
    struct SampleStats {
        uint8_t grey[3];
        double mean[3];
        double deviation[3];
    };
    std::vector<SampleStats> stats(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint32_t r = samples[i].first;
        const uint32_t c = samples[i].second;
        const uint32_t rows[3] = {r, r - 1, r};
        const uint32_t cols[3] = {c, c, c - 1};
        for (int p = 0; p < 3; ++p) {
            stats[i].grey[p] = grey.rows[rows[p]][cols[p]];
            WindowStats(rows[p] - h, cols[p] - h, stats[i].mean[p], stats[i].deviation[p]);
        }
    }

    double best = -1.0;
    double chosenK = 0.0;
    int32_t chosenR = 0;
    for (double candK : candidatesK) {
        for (int32_t candR : candidatesR) {
            size_t agreeing = 0;
            for (const SampleStats& s : stats) {
                bool d[3];
                for (int p = 0; p < 3; ++p) {
                    d[p] = s.grey[p] <= SauvolaThreshold(s.mean[p], s.deviation[p], candR, candK);
                }
                if (d[0] == d[1] && d[0] == d[2]) {
                    ++agreeing;
                }
            }
            const double score =
                static_cast<double>(stats.size() - agreeing) / static_cast<double>(stats.size());
            if (score > best) {
                best = score;
                chosenK = candK;
                chosenR = candR;
            }
        }
    }
    k = chosenK;
    R = chosenR;
}

}  // namespace Skewmend
