// What a BMP file held before it was turned into a 24-bit page.
//
// The readers convert every accepted file into a BmpBase::CBitmap24 and
// describe the original in a BmpSource: its depth, its colour table (for
// 1, 4 and 8 bits per pixel) and whether its rows were stored top row
// first. A caller that wants to keep a bilevel or colour-mapped page as it
// came passes the depth and the palette back to the writer (bmp_writer.h).
#pragma once

#include <cstdint>
#include <vector>

namespace BmpBase {

// One colour-table entry as a BMP file stores it.
struct PaletteEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t unused = 0;
};
static_assert(sizeof(PaletteEntry) == 4, "a colour-table entry is 4 bytes on disk");

inline bool operator==(const PaletteEntry& a, const PaletteEntry& b) {
    return a.blue == b.blue && a.green == b.green && a.red == b.red && a.unused == b.unused;
}

struct BmpSource {
    uint16_t bitsPerPixel = 24;
    // The colour table the pixels were looked up in; empty above 8 bits.
    std::vector<PaletteEntry> palette;
    // The file stored its top row first (negative height).
    bool topDown = false;
};

}  // namespace BmpBase
