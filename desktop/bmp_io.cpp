// BMP import and export of the desktop program.
//
// Reading classifies the two headers against the accepted kinds in a fixed
// order (24, 32, 16, 8, 4, 1 bits per pixel) and then reads what follows
// them in sequence: for 24 bits the rows themselves, which become the
// bitmap's buffer with the headers kept as read; for the other depths the
// masks or the colour table and then the rows into a temporary block, which
// is converted pixel by pixel into a new 24-bit bitmap. Everything is built
// in a local bitmap and assigned to the caller's only on success.
//
// The rows are read in chunks into a growing block, so a header that
// promises more than the file holds costs only the bytes actually present;
// together with the size limits this keeps corrupt headers from allocating
// huge buffers. The finished bitmap is handed over to the caller's by
// exchanging buffers, not by copying the pixels once more.
//
// Writing puts out the two headers and the pixel bytes and checks every
// write and the final close, so a partly written file is never reported as
// written.
#include "bmp_io.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "bmpbase/size_limits.h"

namespace LeveloraDesk {

using BmpBase::BitmapFileHeader;
using BmpBase::BitmapInfoHeader;
using BmpBase::CBitmap24;

namespace {

constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kBitFieldsCompression = 3;
constexpr size_t kReadChunkBytes = size_t{1} << 20;
// Room reserved up front for the rows: enough for an A4 page at 300 dpi,
// small enough that a header promising gigabytes costs little.
constexpr uint64_t kReserveLimitBytes = uint64_t{64} << 20;

// The 5-5-5 masks, given or assumed for 16-bit files.
constexpr uint32_t kRedMask555 = 0x7C00;
constexpr uint32_t kGreenMask555 = 0x03E0;
constexpr uint32_t kBlueMask555 = 0x001F;

// Closes the file on every way out of a read.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

bool ReadExact(std::FILE* f, void* dst, size_t count) {
    return count == 0 || std::fread(dst, 1, count, f) == count;
}

// Reads exactly `count` bytes into `block`, growing it chunk by chunk.
bool ReadBlock(std::FILE* f, uint64_t count, std::vector<uint8_t>& block) {
    block.clear();
    block.reserve(static_cast<size_t>(std::min(count, kReserveLimitBytes)));
    while (block.size() < count) {
        const size_t start = block.size();
        const size_t want = static_cast<size_t>(
            std::min<uint64_t>(kReadChunkBytes, count - static_cast<uint64_t>(start)));
        block.resize(start + want);
        if (!ReadExact(f, block.data() + start, want)) {
            return false;
        }
    }
    return true;
}

bool WriteExact(std::FILE* f, const void* src, size_t count) {
    return count == 0 || std::fwrite(src, 1, count, f) == count;
}

// Closes `file` and folds the result of the close into `ok`: data still in
// the stream's buffer is written by the close, which can fail.
bool CloseAfterWrite(std::FILE* file, bool ok) {
    const bool closed = std::fclose(file) == 0;
    return ok && closed;
}

uint32_t Magnitude(int32_t v) {
    return v < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(v)) : static_cast<uint32_t>(v);
}

enum class Kind { None, Depth24, Depth32, Depth16, Depth8, Depth4, Depth1 };

// The first row of the table of accepted files that the headers match.
Kind Classify(const BitmapFileHeader& fh, const BitmapInfoHeader& ih) {
    if (fh.bfType != BmpBase::kBmpMagic || ih.biSize != kInfoHeaderBytes || ih.biPlanes != 1) {
        return Kind::None;
    }
    const bool plain = ih.biCompression == 0;
    const bool directPixels = plain && fh.bfOffBits == BmpBase::kBmpHeaderBytes;
    switch (ih.biBitCount) {
        case 24:
            return directPixels ? Kind::Depth24 : Kind::None;
        case 32:
            return directPixels ? Kind::Depth32 : Kind::None;
        case 16:
            return Kind::Depth16;
        case 8:
            return plain ? Kind::Depth8 : Kind::None;
        case 4:
            return plain ? Kind::Depth4 : Kind::None;
        case 1:
            return plain ? Kind::Depth1 : Kind::None;
        default:
            return Kind::None;
    }
}

// Bytes per stored row of a palette or 16/32-bit file.
uint64_t RowBytes(Kind kind, uint64_t width) {
    switch (kind) {
        case Kind::Depth32:
            return 4 * width;
        case Kind::Depth16:
            return (2 * width + 3) / 4 * 4;
        case Kind::Depth8:
            return (width + 3) / 4 * 4;
        case Kind::Depth4:
            return (4 * width + 31) / 32 * 4;
        case Kind::Depth1:
            return (width + 31) / 32 * 4;
        default:
            return 0;
    }
}

uint32_t TableEntries(Kind kind) {
    switch (kind) {
        case Kind::Depth8:
            return 256;
        case Kind::Depth4:
            return 16;
        case Kind::Depth1:
            return 2;
        default:
            return 0;
    }
}

// Turns 16-bit pixels into blue, green, red by the masks of the file.
struct Mask16 {
    uint32_t red = kRedMask555;
    uint32_t green = kGreenMask555;
    uint32_t blue = kBlueMask555;

    void Convert(uint16_t v, uint8_t* bgr) const {
        const uint32_t p = v;
        if (red == kRedMask555 && green == kGreenMask555 && blue == kBlueMask555) {
            bgr[0] = static_cast<uint8_t>((p & 0x1F) << 3);
            bgr[1] = static_cast<uint8_t>((p >> 2) & 0xF8);
            bgr[2] = static_cast<uint8_t>((p >> 7) & 0xF8);
        } else {
            bgr[0] = static_cast<uint8_t>((p & blue) << 3);
            bgr[1] = static_cast<uint8_t>((p >> 3) & (green >> 3));
            bgr[2] = static_cast<uint8_t>((p >> 8) & (red >> 8));
        }
    }
};

// Fills the pixels of `out` (already allocated) from the stored rows, one
// row at a time with a loop per kind of file.
void ConvertRows(Kind kind, const std::vector<uint8_t>& rows, uint64_t rowBytes,
                 const uint8_t* table, const Mask16& masks, CBitmap24& out) {
    for (uint32_t r = 0; r < out.height; ++r) {
        const uint8_t* row = rows.data() + r * rowBytes;
        uint8_t* px = out.PixelAt(r, 0);
        const uint32_t w = out.width;
        switch (kind) {
            case Kind::Depth32:
                for (uint32_t c = 0; c < w; ++c, px += 3) {
                    std::memcpy(px, row + 4ull * c, 3);
                }
                break;
            case Kind::Depth16:
                for (uint32_t c = 0; c < w; ++c, px += 3) {
                    masks.Convert(static_cast<uint16_t>(row[2ull * c] | (row[2ull * c + 1] << 8)),
                                  px);
                }
                break;
            case Kind::Depth8:
                for (uint32_t c = 0; c < w; ++c, px += 3) {
                    std::memcpy(px, table + 4u * row[c], 3);
                }
                break;
            case Kind::Depth4:
                for (uint32_t c = 0; c < w; ++c, px += 3) {
                    const uint8_t byte = row[c / 2];
                    const uint32_t index = (c % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
                    std::memcpy(px, table + 4u * index, 3);
                }
                break;
            default:
                for (uint32_t c = 0; c < w; ++c, px += 3) {
                    const uint32_t bit = (row[c / 8] >> (7 - c % 8)) & 1u;
                    std::memcpy(px, table + 4u * bit, 3);
                }
                break;
        }
    }
}

// Gives `target` everything `source` holds without copying the pixels; the
// source ends up with the target's former buffer, which it frees. Both
// buffers come from array new, so either object may own either one.
void TakeOver(CBitmap24& target, CBitmap24& source) {
    std::swap(target.fileHeader, source.fileHeader);
    std::swap(target.infoHeader, source.infoHeader);
    std::swap(target.pixels, source.pixels);
    std::swap(target.pixelBytes, source.pixelBytes);
    std::swap(target.height, source.height);
    std::swap(target.width, source.width);
    std::swap(target.stride, source.stride);
}

}  // namespace

bool ReadFromFile(CBitmap24& bmp, std::FILE* file) {
    if (file == nullptr) {
        return false;
    }
    OwnedFile owned(file);
    BitmapFileHeader fh;
    BitmapInfoHeader ih;
    if (!ReadExact(file, &fh, sizeof fh) || !ReadExact(file, &ih, sizeof ih)) {
        return false;
    }
    const Kind kind = Classify(fh, ih);
    if (kind == Kind::None) {
        return false;
    }
    const uint32_t height = Magnitude(ih.biHeight);
    const uint32_t width = Magnitude(ih.biWidth);
    if (!BmpBase::SizeIsSupported(width, height)) {
        return false;
    }

    CBitmap24 loaded;
    std::vector<uint8_t> rows;
    if (kind == Kind::Depth24) {
        const uint64_t size = BmpBase::Stride24(width) * height;
        if (!ReadBlock(file, size, rows)) {
            return false;
        }
        loaded.Allocate(height, width);
        if (size > 0) {
            std::memcpy(loaded.pixels, rows.data(), static_cast<size_t>(size));
        }
        // A 24-bit file keeps its headers exactly as read, a negative
        // (top-down) height included.
        loaded.fileHeader = fh;
        loaded.infoHeader = ih;
    } else {
        Mask16 masks;
        if (kind == Kind::Depth16 && ih.biCompression == kBitFieldsCompression) {
            uint32_t given[3];
            if (!ReadExact(file, given, sizeof given)) {
                return false;
            }
            masks.red = given[0];
            masks.green = given[1];
            masks.blue = given[2];
        }
        uint8_t table[256 * 4] = {};
        if (!ReadExact(file, table, 4 * TableEntries(kind))) {
            return false;
        }
        const uint64_t rowBytes = RowBytes(kind, width);
        const uint64_t size = rowBytes * height;
        if (size > UINT32_MAX || !ReadBlock(file, size, rows)) {
            return false;
        }
        loaded.Allocate(height, width);
        ConvertRows(kind, rows, rowBytes, table, masks, loaded);
    }
    TakeOver(bmp, loaded);
    return true;
}

bool WriteToFile(const CBitmap24& bmp, std::FILE* file) {
    if (file == nullptr) {
        return false;
    }
    BitmapFileHeader fh = bmp.fileHeader;
    BitmapInfoHeader ih = bmp.infoHeader;
    // Other programs check these sizes against the file; a bitmap rebuilt in
    // memory may still carry the values of the file it came from.
    fh.bfSize = BmpBase::kBmpHeaderBytes + bmp.pixelBytes;
    ih.biSizeImage = bmp.pixelBytes;
    const bool ok = WriteExact(file, &fh, sizeof fh) && WriteExact(file, &ih, sizeof ih) &&
                    WriteExact(file, bmp.pixels, bmp.pixelBytes);
    return CloseAfterWrite(file, ok);
}

bool WriteToFile32(const CBitmap24& bmp, std::FILE* file) {
    if (file == nullptr) {
        return false;
    }
    BitmapFileHeader fh = bmp.fileHeader;
    BitmapInfoHeader ih = bmp.infoHeader;
    fh.bfSize = 0;
    ih.biBitCount = 32;
    ih.biSizeImage = 0;
    bool ok = WriteExact(file, &fh, sizeof fh) && WriteExact(file, &ih, sizeof ih);
    if (ok) {
        const std::unique_ptr<uint8_t[]> block = ExpandTo32(bmp);
        ok = WriteExact(file, block.get(), static_cast<size_t>(4ull * bmp.width * bmp.height));
    }
    return CloseAfterWrite(file, ok);
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

}  // namespace LeveloraDesk
