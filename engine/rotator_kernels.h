// Vector kernels of the colour rotation (internal to the engine).
//
// A kernel turns the leading pixels of one target row, four at a time, with
// exactly the scalar arithmetic of rotator.cpp: the same double operations
// in the same order on every lane, truncation to int32, the same coverage
// test. It returns how many pixels it wrote (a multiple of four); the
// caller finishes the row with the scalar code. With `channel` 0, 1 or 2 it
// writes only that byte of each target pixel (a plane rotation of one
// channel, done in place in the interleaved target). Kernels exist only where
// the processor supports them; ColourRowKernel() is null otherwise.
#pragma once

#include <cstdint>

namespace Skewmend {

struct ColourRowArgs {
    uint8_t* out;           // first target pixel of the row
    const double* jc;       // per-column products j cos(theta)
    const double* js;       // per-column products j sin(theta)
    int32_t width;          // target pixels in the row
    double ic;              // i cos(theta) of the row
    double is;              // i sin(theta) of the row
    const uint8_t* pixels;  // source pixel buffer
    uint32_t stride;        // source bytes per row
    int32_t lastRow;        // source rows - 1
    int32_t lastCol;        // source columns - 1
    const uint8_t* fill;    // blue, green, red of uncovered pixels
    int channel;            // -1: all three; 0, 1 or 2: that byte only
};

using ColourRowFn = int32_t (*)(const ColourRowArgs& args);

// The fastest kernel this processor runs, or null.
ColourRowFn ColourRowKernel();

}  // namespace Skewmend
