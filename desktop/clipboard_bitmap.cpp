// Writing a clipboard picture as a BMP file: a 14-byte file header, a
// 40-byte information header, the colour table of 2, 16 or 256 entries for
// the palette depths, and the pixel rows. The sizes in the headers are the
// true ones; bfOffBits points past the colour table.
#include "clipboard_bitmap.h"

#include <cstdio>
#include <cstring>

#include "bmpbase/bitmap24.h"
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
    ih.biCompression = 0;
    ih.biSizeImage = static_cast<uint32_t>(imageBytes);
    ih.biClrUsed = tableEntries;
    BmpBase::BitmapFileHeader fh;
    fh.bfSize = static_cast<uint32_t>(offBits + imageBytes);
    fh.bfOffBits = static_cast<uint32_t>(offBits);

    std::vector<uint32_t> table(tableEntries, 0);
    for (size_t i = 0; i < table.size() && i < bitmap.colorTable.size(); ++i) {
        table[i] = bitmap.colorTable[i];
    }
    // The headers and the table are written byte by byte in file order,
    // little-endian, whatever the host's struct layout.
    std::vector<uint8_t> head(static_cast<size_t>(offBits), 0);
    std::memcpy(head.data(), &fh.bfType, 2);
    std::memcpy(head.data() + 2, &fh.bfSize, 4);
    std::memcpy(head.data() + 10, &fh.bfOffBits, 4);
    std::memcpy(head.data() + 14, &ih, 40);
    for (size_t i = 0; i < table.size(); ++i) {
        const uint32_t entry = table[i];
        for (size_t b = 0; b < 4; ++b) {
            head[54 + 4 * i + b] = static_cast<uint8_t>(entry >> (8 * b));
        }
    }

    return std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
           std::fwrite(bitmap.rows.data(), 1, static_cast<size_t>(imageBytes), file) ==
               static_cast<size_t>(imageBytes);
}

}  // namespace

bool SaveBitmapAsBmp(std::FILE* file, const ClipboardBitmap& bitmap) {
    const bool written = WriteBmp(file, bitmap);
    const bool closed = file != nullptr && std::fclose(file) == 0;
    return written && closed;
}

}  // namespace LeveloraDesk
