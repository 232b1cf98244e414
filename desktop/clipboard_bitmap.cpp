// Writing a clipboard picture as a BMP file through the shared writer: a
// 14-byte file header, a 40-byte information header, the colour table of 2,
// 16 or 256 entries for the palette depths, and the pixel rows. The sizes in
// the headers are the true ones; bfOffBits points past the colour table.
#include "desktop/clipboard_bitmap.h"

#include <cstdio>

#include "bmpbase/bmp_writer.h"
#include "bmpbase/size_limits.h"

namespace LeveloraDesk {

uint16_t BitmapDepth(const ClipboardBitmap& bitmap) {
    const uint32_t bits = static_cast<uint32_t>(bitmap.planes) * bitmap.bitsPerPixel;
    if (bits <= 1) {
        return 1;
    }
    if (bits <= 4) {
        return 4;
    }
    if (bits <= 8) {
        return 8;
    }
    if (bits <= 16) {
        return 16;
    }
    if (bits <= 24) {
        return 24;
    }
    return 32;
}

uint64_t BitmapRowBytes(const ClipboardBitmap& bitmap) {
    const uint64_t width = bitmap.width < 0 ? 0 : static_cast<uint64_t>(bitmap.width);
    return (width * BitmapDepth(bitmap) + 31) / 32 * 4;
}

namespace {

bool WriteBmp(std::FILE* file, const ClipboardBitmap& bitmap) {
    if (file == nullptr || bitmap.width <= 0 || bitmap.height <= 0 ||
        !BmpBase::SizeIsSupported(static_cast<uint32_t>(bitmap.width),
                                  static_cast<uint32_t>(bitmap.height))) {
        return false;
    }
    const uint16_t depth = BitmapDepth(bitmap);
    const uint32_t tableEntries = depth <= 8 ? (1u << depth) : 0u;
    const uint64_t imageBytes = BitmapRowBytes(bitmap) * static_cast<uint64_t>(bitmap.height);
    const uint64_t offBits = 14 + 40 + 4ull * tableEntries;
    if (imageBytes + offBits > UINT32_MAX || bitmap.rows.size() < imageBytes) {
        return false;
    }

    BmpBase::BitmapInfoHeader ih;
    ih.biWidth = bitmap.width;
    ih.biHeight = bitmap.height;
    ih.biPlanes = bitmap.planes;
    ih.biBitCount = bitmap.bitsPerPixel;
    ih.biClrUsed = tableEntries;
    // Entries are blue, green, red, 0 in a little-endian uint32.
    std::vector<BmpBase::PaletteEntry> table(tableEntries);
    for (size_t i = 0; i < table.size() && i < bitmap.colorTable.size(); ++i) {
        const uint32_t entry = bitmap.colorTable[i];
        table[i] = {static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
                    static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 24)};
    }

    return BmpBase::WriteStoredBmp(file, ih, table, bitmap.rows.data(),
                                   static_cast<uint32_t>(imageBytes));
}

}  // namespace

bool SaveBitmapAsBmp(std::FILE* file, const ClipboardBitmap& bitmap) {
    const bool written = WriteBmp(file, bitmap);
    const bool closed = file != nullptr && std::fclose(file) == 0;
    return written && closed;
}

}  // namespace LeveloraDesk
