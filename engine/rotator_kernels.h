// Per-pixel arithmetic and vector kernels of the rotation (internal to the
// engine).
//
// Locate and Blend are the exact per-pixel rule: the source place of a
// target pixel, its coverage, and the bilinear value of one channel, rounded
// half up and limited to 255. The scalar loops and the kernels' fallbacks
// use these very functions, so every path gives the same byte.
//
// A kernel turns the leading pixels of one target row and returns how many
// it wrote; the caller finishes the row with the scalar code. With `channel`
// 0, 1 or 2 it writes only that byte of each target pixel (a plane rotation
// of one channel, done in place in the interleaved target). Kernels exist
// only where the processor supports them; ColourRowKernel() returns the
// fastest one or null.
#pragma once

#include <cmath>
#include <cstdint>

namespace Skewmend {

// Source place of one target pixel, or `covered` false.
struct Sample {
    bool covered;
    int32_t fx;
    int32_t fy;
    double dx;
    double dy;
};

// floor() for the positions that matter: truncation, one less for negatives.
inline int32_t FloorIndex(double v) {
    int32_t t = static_cast<int32_t>(v);
    if (v < 0) {
        t -= 1;
    }
    return t;
}

inline Sample Locate(double x, double y, int32_t lastRow, int32_t lastCol) {
    Sample s;
    s.fx = FloorIndex(x);
    s.fy = FloorIndex(y);
    s.covered = s.fx >= 0 && s.fx < lastRow && s.fy >= 0 && s.fy < lastCol;
    s.dx = x - s.fx;
    s.dy = y - s.fy;
    return s;
}

inline uint8_t Blend(double p00, double p01, double p10, double p11, double dx, double dy) {
    const double v =
        p00 * (1 - dx) * (1 - dy) + p01 * (1 - dx) * dy + p10 * dx * (1 - dy) + p11 * dx * dy;
    const int32_t t = static_cast<int32_t>(v + 0.5);
    return static_cast<uint8_t>(t > 255 ? 255 : t);
}

struct ColourRowArgs {
    uint8_t* out;           // first target pixel of the row
    const double* jc;       // per-column products j cos(theta)
    const double* js;       // per-column products j sin(theta)
    int32_t width;          // target pixels in the row
    double ic;              // i cos(theta) of the row
    double is;              // i sin(theta) of the row
    const uint8_t* pixels;  // source pixel buffer, stride x (lastRow + 1) bytes
    uint32_t stride;        // source bytes per row
    int32_t lastRow;        // source rows - 1
    int32_t lastCol;        // source columns - 1
    const uint8_t* fill;    // blue, green, red of uncovered pixels
    int channel;            // -1: all three; 0, 1 or 2: that byte only
    // The column terms split by SplitTerm, or null: kernels that can use
    // them locate most pixels in single precision.
    const int32_t* jsWhole;
    const float* jsPart;
    const int32_t* jcWhole;
    const float* jcPart;
};

// Splits a position term into its floor, as an integer, and the exact
// remainder v - floor(v) in [0, 1), rounded to float. |v| < 2^31.
inline void SplitTerm(double v, int32_t& whole, float& part) {
    const double floored = std::floor(v);
    whole = static_cast<int32_t>(floored);
    part = static_cast<float>(v - floored);
}

// Target pixel k of the row by the scalar rule: all three bytes, or byte
// `channel` only.
inline void ExactPixel(const ColourRowArgs& a, int32_t k) {
    const Sample sm = Locate(a.ic + a.js[k], a.jc[k] - a.is, a.lastRow, a.lastCol);
    uint8_t* out = a.out + 3 * static_cast<int64_t>(k);
    const int first = a.channel < 0 ? 0 : a.channel;
    const int end = a.channel < 0 ? 3 : a.channel + 1;
    for (int ch = first; ch < end; ++ch) {
        if (!sm.covered) {
            out[ch] = a.fill[ch];
            continue;
        }
        const uint8_t* p0 = a.pixels + static_cast<uint64_t>(sm.fx) * a.stride +
                            3 * static_cast<uint64_t>(sm.fy) + ch;
        const uint8_t* p1 = p0 + a.stride;
        out[ch] = Blend(p0[0], p0[3], p1[0], p1[3], sm.dx, sm.dy);
    }
}

using ColourRowFn = int32_t (*)(const ColourRowArgs& args);

// The kernels this build knows, fastest last.
enum class RowKernel { Avx2, Avx512 };

// The kernel, or null where this processor (or build) cannot run it.
ColourRowFn ColourRowKernelFor(RowKernel kind);

// Defined by each kernel's own file; null where it cannot run.
ColourRowFn Avx2RowKernel();
ColourRowFn Avx512RowKernel();

// The fastest kernel this processor runs, or null.
ColourRowFn ColourRowKernel();

}  // namespace Skewmend
