// Size limits shared by every reader of pictures in Levelora.
//
// The analysis stages carry heights and widths as 16-bit values, so a page
// must have fewer than 65535 rows and fewer than 65535 columns. A 24-bit
// pixel buffer is addressed with 32-bit byte counts, so stride x height must
// fit in 32 bits together with the 54 header bytes. Every reader (the engine's BMP reader, the
// desktop program's reader, the converters) refuses pictures outside these limits before it
// allocates anything for their pixels.
#pragma once

#include <cstdint>

namespace BmpBase {

// Largest accepted number of rows or columns.
constexpr uint32_t kMaxSide = 65534;

// Bytes per padded row of a 24-bit picture: 3 x width rounded up to 4.
constexpr uint64_t Stride24(uint64_t width) {
    return (3 * width + 3) / 4 * 4;
}

// True when a 24-bit picture of this size can be held and analysed.
constexpr bool SizeIsSupported(uint64_t width, uint64_t height) {
    return width <= kMaxSide && height <= kMaxSide && Stride24(width) * height + 54 <= UINT32_MAX;
}

}  // namespace BmpBase
