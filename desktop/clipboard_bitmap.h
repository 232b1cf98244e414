// ClipboardBitmap: a picture taken from the system clipboard at its own
// colour depth, in the layout of an uncompressed BMP's pixel data, and its
// writer SaveBitmapAsBmp.
//
// `rows` holds `height` rows, bottom row first, of ((width x depth + 31) /
// 32) x 4 bytes each, where depth is bitsPerPixel rounded up to 1, 4, 8,
// 16, 24 or 32. 16-bit pixels are 5-5-5, 24-bit ones blue, green, red,
// 32-bit ones blue, green, red, unused. `colorTable` holds the colours of
// 1-, 4- and 8-bit pictures (blue, green, red, 0 per entry); the file always
// gets the full 2, 16 or 256 entries, missing ones black.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace LeveloraDesk {

struct ClipboardBitmap {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitsPerPixel = 32;
    std::vector<uint32_t> colorTable;
    std::vector<uint8_t> rows;
};

// The depth that planes x bitsPerPixel stands for: 1, 4, 8, 16, 24 or 32.
uint16_t BitmapDepth(const ClipboardBitmap& bitmap);

// Bytes per row of the bitmap's pixel data.
uint64_t BitmapRowBytes(const ClipboardBitmap& bitmap);

// Writes `bitmap` as an uncompressed BMP at its own depth into `file`, which
// the caller has opened (binary mode, empty) and which is closed in every
// case, also when `file` is null. False when the description is unusable,
// `rows` is shorter than the description needs, or a write is short or
// fails; nothing is written then for an unusable description.
bool SaveBitmapAsBmp(std::FILE* file, const ClipboardBitmap& bitmap);

}  // namespace LeveloraDesk
