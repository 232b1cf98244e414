// Size limits shared by every reader of pictures in Levelora, in one place.
//
// A picture is accepted when
//  - it has at most kMaxSide (65534) rows and at most kMaxSide columns: the
//    analysis stages carry heights and widths as 16-bit values;
//  - it has at most kMaxPixels (2^28 = 268 435 456) pixels: 768 MiB as
//    24-bit pixels. Straightening needs the page, a rotated page up to twice
//    as large and the analysis planes at the same time, so a larger page
//    would need several gigabytes and a rotated copy whose byte count no
//    longer fits the 32-bit sizes of a bitmap. The limit still takes an A4
//    page at 1200 dpi (139 million pixels) or an A3 page at 1000 dpi;
//  - stride x height plus the 54 header bytes fits in 32 bits (implied by
//    the two limits above, kept as a check of its own).
// Every reader (the engine's BMP reader and the automatic export, the
// desktop program's reader, the converters) calls SizeIsSupported and
// refuses a picture outside these limits before it allocates anything for
// its pixels.
#pragma once

#include <cstdint>

namespace BmpBase {

// Largest accepted number of rows or columns.
constexpr uint32_t kMaxSide = 65534;

// Largest accepted number of pixels (rows x columns).
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

// Bytes per padded row of a 24-bit picture: 3 x width rounded up to 4.
constexpr uint64_t Stride24(uint64_t width) {
    return (3 * width + 3) / 4 * 4;
}

// True when a 24-bit picture of this size can be held and analysed.
constexpr bool SizeIsSupported(uint64_t width, uint64_t height) {
    return width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels &&
           Stride24(width) * height + 54 <= UINT32_MAX;
}

}  // namespace BmpBase
