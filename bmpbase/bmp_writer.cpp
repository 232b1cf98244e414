// Writing 24-bit pages as BMP files of 1, 4, 8, 24 or 32 bits per pixel.
// Every write is checked for its full count; the first short one ends the
// operation.
#include "bmpbase/bmp_writer.h"

#include <cstring>
#include <unordered_map>

namespace BmpBase {

namespace {

bool WriteExact(std::FILE* f, const void* src, size_t count) {
    return count == 0 || std::fwrite(src, 1, count, f) == count;
}

bool WriteHeaders(std::FILE* f, const BitmapFileHeader& fh, const BitmapInfoHeader& ih) {
    return WriteExact(f, &fh, sizeof fh) && WriteExact(f, &ih, sizeof ih);
}

bool Write24(std::FILE* f, const CBitmap24& bmp) {
    BitmapFileHeader fh = bmp.fileHeader;
    BitmapInfoHeader ih = bmp.infoHeader;
    // Other programs check these sizes against the file; a bitmap rebuilt in
    // memory may still carry the values of the file it came from.
    fh.bfSize = kBmpHeaderBytes + bmp.pixelBytes;
    ih.biSizeImage = bmp.pixelBytes;
    return WriteHeaders(f, fh, ih) && WriteExact(f, bmp.pixels, bmp.pixelBytes);
}

bool Write32(std::FILE* f, const CBitmap24& bmp) {
    BitmapFileHeader fh = bmp.fileHeader;
    BitmapInfoHeader ih = bmp.infoHeader;
    fh.bfSize = 0;
    ih.biBitCount = 32;
    ih.biSizeImage = 0;
    if (!WriteHeaders(f, fh, ih)) {
        return false;
    }
    const std::unique_ptr<uint8_t[]> block = ExpandTo32(bmp);
    return WriteExact(f, block.get(), static_cast<size_t>(4ull * bmp.width * bmp.height));
}

uint32_t ColourKey(const uint8_t* bgr) {
    return bgr[0] | (bgr[1] << 8) | (uint32_t{bgr[2]} << 16);
}

// The rows of `bmp` as palette indexes packed `bits` to a byte, or false
// when a colour is missing from the palette.
bool PackIndexes(const CBitmap24& bmp, uint16_t bits, const std::vector<PaletteEntry>& palette,
                 uint32_t rowBytes, std::vector<uint8_t>& packed) {
    std::unordered_map<uint32_t, uint8_t> indexOf;
    for (size_t i = palette.size(); i-- > 0;) {
        const uint8_t bgr[3] = {palette[i].blue, palette[i].green, palette[i].red};
        indexOf[ColourKey(bgr)] = static_cast<uint8_t>(i);
    }
    packed.assign(static_cast<size_t>(rowBytes) * bmp.height, 0);
    const uint32_t perByte = 8 / bits;
    for (uint32_t r = 0; r < bmp.height; ++r) {
        const uint8_t* px = bmp.PixelAt(r, 0);
        uint8_t* out = packed.data() + static_cast<size_t>(r) * rowBytes;
        for (uint32_t c = 0; c < bmp.width; ++c, px += 3) {
            const auto found = indexOf.find(ColourKey(px));
            if (found == indexOf.end()) {
                return false;
            }
            const uint32_t shift = 8 - bits * (c % perByte + 1);
            out[c / perByte] |= static_cast<uint8_t>(found->second << shift);
        }
    }
    return true;
}

bool WriteIndexed(std::FILE* f, const CBitmap24& bmp, uint16_t bits,
                  const std::vector<PaletteEntry>& palette) {
    if (palette.empty() || palette.size() > (size_t{1} << bits)) {
        return false;
    }
    const uint32_t rowBytes = (bits * bmp.width + 31) / 32 * 4;
    std::vector<uint8_t> packed;
    if (!PackIndexes(bmp, bits, palette, rowBytes, packed)) {
        return false;
    }
    BitmapInfoHeader ih;
    ih.biWidth = bmp.infoHeader.biWidth;
    ih.biHeight = bmp.infoHeader.biHeight;
    ih.biBitCount = bits;
    ih.biXPelsPerMeter = bmp.infoHeader.biXPelsPerMeter;
    ih.biYPelsPerMeter = bmp.infoHeader.biYPelsPerMeter;
    ih.biClrUsed = static_cast<uint32_t>(palette.size());
    return WriteStoredBmp(f, ih, palette, packed.data(), static_cast<uint32_t>(packed.size()));
}

}  // namespace

bool WriteBmp(std::FILE* file, const CBitmap24& bmp, uint16_t bitsPerPixel,
              const std::vector<PaletteEntry>& palette) {
    if (file == nullptr) {
        return false;
    }
    switch (bitsPerPixel) {
        case 24:
            return Write24(file, bmp);
        case 32:
            return Write32(file, bmp);
        case 8:
        case 4:
        case 1:
            return WriteIndexed(file, bmp, bitsPerPixel, palette);
        default:
            return false;
    }
}

bool WriteStoredBmp(std::FILE* file, BitmapInfoHeader ih, const std::vector<PaletteEntry>& table,
                    const uint8_t* rows, uint32_t rowBytes) {
    if (file == nullptr) {
        return false;
    }
    const uint32_t tableBytes = static_cast<uint32_t>(sizeof(PaletteEntry) * table.size());
    BitmapFileHeader fh;
    fh.bfOffBits = kBmpHeaderBytes + tableBytes;
    fh.bfSize = fh.bfOffBits + rowBytes;
    ih.biSizeImage = rowBytes;
    return WriteHeaders(file, fh, ih) && WriteExact(file, table.data(), tableBytes) &&
           WriteExact(file, rows, rowBytes);
}

std::unique_ptr<uint8_t[]> ExpandTo32(const CBitmap24& bmp) {
    const size_t rowBytes = static_cast<size_t>(4ull * bmp.width);
    const size_t size = rowBytes * bmp.height;
    // Every byte is written below, the fourth of each pixel as 0.
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    for (uint32_t i = 0; i < bmp.height; ++i) {
        uint8_t* out = block.get() + i * rowBytes;
        const uint8_t* in = bmp.PixelAt(i, 0);
        for (uint32_t k = 0; k < bmp.width; ++k, out += 4, in += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 0;
        }
    }
    return block;
}

}  // namespace BmpBase
