// Reading BMP files of every depth into 24-bit pages.
//
// A policy turns the two headers into a Layout (what follows the headers and
// how the stored pixels become blue, green, red); the reading itself is one
// sequence for both policies: the rest of a larger information header, the
// masks, the colour table, the bytes up to the pixels, then the rows into a
// block that grows chunk by chunk. The page is built in a local bitmap and
// handed to the caller's by exchanging buffers only when everything was
// read.
#include "bmpbase/bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "bmpbase/size_limits.h"

namespace BmpBase {

namespace {

constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kLargestInfoHeaderBytes = 124;
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kBitFieldsCompression = 3;
constexpr size_t kReadChunkBytes = size_t{1} << 20;
// Room reserved up front for the rows: enough for an A4 page at 300 dpi,
// small enough that a header promising gigabytes costs little.
constexpr uint64_t kReserveLimitBytes = uint64_t{64} << 20;

// The masks of 16-bit files without masks of their own, and of 32-bit ones.
constexpr uint32_t kRedMask555 = 0x7C00;
constexpr uint32_t kGreenMask555 = 0x03E0;
constexpr uint32_t kBlueMask555 = 0x001F;
constexpr uint32_t kRedMask888 = 0xFF0000;
constexpr uint32_t kGreenMask888 = 0x00FF00;
constexpr uint32_t kBlueMask888 = 0x0000FF;

bool ReadExact(std::FILE* f, void* dst, size_t count) {
    return count == 0 || std::fread(dst, 1, count, f) == count;
}

// Reads exactly `count` bytes into `block`, growing it chunk by chunk from
// room for `reserve` bytes.
bool ReadBlock(std::FILE* f, uint64_t count, uint64_t reserve, std::vector<uint8_t>& block) {
    block.clear();
    block.reserve(static_cast<size_t>(std::min(count, reserve)));
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

// The bytes from the current position to the end of the file, or -1 when
// the stream cannot tell (a pipe, or a file too large for ftell).
int64_t BytesLeft(std::FILE* f) {
    const long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) {
        return -1;
    }
    const long end = std::ftell(f);
    if (std::fseek(f, here, SEEK_SET) != 0 || end < here) {
        return -1;
    }
    return end - here;
}

bool Skip(std::FILE* f, uint64_t count) {
    uint8_t scratch[4096];
    while (count > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch));
        if (!ReadExact(f, scratch, n)) {
            return false;
        }
        count -= n;
    }
    return true;
}

uint32_t Magnitude(int32_t v) {
    return v < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(v)) : static_cast<uint32_t>(v);
}

// One colour channel of a masked 16- or 32-bit pixel, scaled to 0..255.
class Channel {
  public:
    // False for a mask whose bits are not contiguous.
    bool Set(uint32_t mask) {
        mask_ = mask;
        shift_ = 0;
        max_ = 0;
        if (mask == 0) {
            return true;
        }
        while (((mask >> shift_) & 1u) == 0) {
            ++shift_;
        }
        max_ = mask >> shift_;
        return (max_ & (max_ + 1)) == 0;
    }

    uint8_t Of(uint32_t v) const {
        const uint64_t x = (v & mask_) >> shift_;
        if (max_ == 255 || max_ == 0) {
            return static_cast<uint8_t>(x);
        }
        return static_cast<uint8_t>((x * 255 + max_ / 2) / max_);
    }

  private:
    uint32_t mask_ = 0;
    uint32_t shift_ = 0;
    uint32_t max_ = 0;
};

// What follows the two headers and how the stored pixels become 24-bit.
struct Layout {
    uint16_t bits = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    bool masksInHeader = false;  // bit-field masks inside a larger header
    bool masksFollow = false;    // bit-field masks right after the header
    uint32_t tableEntries = 0;   // colour-table entries stored in the file
    uint64_t gap = 0;            // bytes between the table and the rows
    bool keepHeaders = false;    // the rows are the buffer, headers as read
    bool desktop16 = false;      // the desktop program's 16-bit rule
    bool flip = false;           // turn a top-down file into a bottom-up page
    bool keepResolution = false;
};

void SetGeometry(const BitmapInfoHeader& ih, Layout& lay) {
    lay.bits = ih.biBitCount;
    lay.width = Magnitude(ih.biWidth);
    lay.height = Magnitude(ih.biHeight);
    lay.topDown = ih.biHeight < 0;
}

// The accepted files of the desktop program, tested in its fixed order.
bool PlanDesktop(const BitmapFileHeader& fh, const BitmapInfoHeader& ih, Layout& lay) {
    if (fh.bfType != kBmpMagic || ih.biSize != kInfoHeaderBytes || ih.biPlanes != 1) {
        return false;
    }
    const bool plain = ih.biCompression == 0;
    const bool directPixels = plain && fh.bfOffBits == kBmpHeaderBytes;
    SetGeometry(ih, lay);
    switch (ih.biBitCount) {
        case 24:
            lay.keepHeaders = true;
            return directPixels;
        case 32:
            return directPixels;
        case 16:
            lay.desktop16 = true;
            lay.masksFollow = ih.biCompression == kBitFieldsCompression;
            return true;
        case 8:
        case 4:
        case 1:
            lay.tableEntries = 1u << ih.biBitCount;
            return plain;
        default:
            return false;
    }
}

bool PlanStandard(const BitmapFileHeader& fh, const BitmapInfoHeader& ih, Layout& lay) {
    const uint32_t size = ih.biSize;
    if (fh.bfType != kBmpMagic || ih.biPlanes != 1 ||
        (size != 40 && size != 52 && size != 56 && size != 108 && size != 124)) {
        return false;
    }
    SetGeometry(ih, lay);
    const uint16_t bits = ih.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    const bool bitFields = ih.biCompression == kBitFieldsCompression && (bits == 16 || bits == 32);
    if (ih.biCompression != 0 && !bitFields) {
        return false;
    }
    lay.masksInHeader = bitFields && size >= kInfoHeaderBytes + kMaskBytes;
    lay.masksFollow = bitFields && !lay.masksInHeader;
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        lay.tableEntries = ih.biClrUsed == 0 ? full : ih.biClrUsed;
        if (lay.tableEntries > full) {
            return false;
        }
    }
    const uint64_t pixelsAt =
        kFileHeaderBytes + size + (lay.masksFollow ? kMaskBytes : 0) + 4ull * lay.tableEntries;
    if (fh.bfOffBits < pixelsAt) {
        return false;
    }
    lay.gap = fh.bfOffBits - pixelsAt;
    // Top-down 24-bit files are turned round too: the engine takes row 0 as
    // the bottom row, and would otherwise see the page mirrored.
    lay.keepHeaders = bits == 24 && size == kInfoHeaderBytes && ih.biCompression == 0 &&
                      fh.bfOffBits == kBmpHeaderBytes && !lay.topDown;
    lay.flip = lay.topDown && !lay.keepHeaders;
    lay.keepResolution = true;
    return true;
}

// Turns one stored row into blue, green, red pixels.
struct PixelRule {
    uint16_t bits = 0;
    const PaletteEntry* table = nullptr;
    bool desktop16 = false;
    uint32_t masks[3] = {};  // red, green, blue
    Channel red, green, blue;

    void Desktop16(uint32_t v, uint8_t* bgr) const {
        if (masks[0] == kRedMask555 && masks[1] == kGreenMask555 && masks[2] == kBlueMask555) {
            bgr[0] = static_cast<uint8_t>((v & 0x1F) << 3);
            bgr[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
            bgr[2] = static_cast<uint8_t>((v >> 7) & 0xF8);
        } else {
            bgr[0] = static_cast<uint8_t>((v & masks[2]) << 3);
            bgr[1] = static_cast<uint8_t>((v >> 3) & (masks[1] >> 3));
            bgr[2] = static_cast<uint8_t>((v >> 8) & (masks[0] >> 8));
        }
    }

    void Masked(uint32_t v, uint8_t* bgr) const {
        bgr[0] = blue.Of(v);
        bgr[1] = green.Of(v);
        bgr[2] = red.Of(v);
    }

    void FromTable(uint32_t index, uint8_t* bgr) const {
        bgr[0] = table[index].blue;
        bgr[1] = table[index].green;
        bgr[2] = table[index].red;
    }

    void Row(const uint8_t* in, uint8_t* px, uint32_t width) const {
        switch (bits) {
            case 32:
                if (masks[0] == kRedMask888 && masks[1] == kGreenMask888 &&
                    masks[2] == kBlueMask888) {
                    for (uint32_t c = 0; c < width; ++c, px += 3, in += 4) {
                        std::memcpy(px, in, 3);
                    }
                    break;
                }
                for (uint32_t c = 0; c < width; ++c, px += 3, in += 4) {
                    Masked(in[0] | (in[1] << 8) | (in[2] << 16) | (uint32_t{in[3]} << 24), px);
                }
                break;
            case 24:
                if (width != 0) {  // a row of no pixels may have no buffer at all
                    std::memcpy(px, in, 3ull * width);
                }
                break;
            case 16:
                for (uint32_t c = 0; c < width; ++c, px += 3, in += 2) {
                    const uint32_t v = in[0] | (in[1] << 8);
                    if (desktop16) {
                        Desktop16(v, px);
                    } else {
                        Masked(v, px);
                    }
                }
                break;
            case 8:
                for (uint32_t c = 0; c < width; ++c, px += 3) {
                    FromTable(in[c], px);
                }
                break;
            case 4:
                for (uint32_t c = 0; c < width; ++c, px += 3) {
                    FromTable(c % 2 == 0 ? (in[c / 2] >> 4) : (in[c / 2] & 0x0F), px);
                }
                break;
            default:
                for (uint32_t c = 0; c < width; ++c, px += 3) {
                    FromTable((in[c / 8] >> (7 - c % 8)) & 1u, px);
                }
                break;
        }
    }
};

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

bool ReadBmp(std::FILE* file, BmpPolicy policy, CBitmap24& bmp, BmpSource* source) {
    if (file == nullptr) {
        return false;
    }
    BitmapFileHeader fh;
    BitmapInfoHeader ih;
    if (!ReadExact(file, &fh, sizeof fh) || !ReadExact(file, &ih, sizeof ih)) {
        return false;
    }
    Layout lay;
    const bool planned =
        policy == BmpPolicy::kDesktop ? PlanDesktop(fh, ih, lay) : PlanStandard(fh, ih, lay);
    if (!planned || !SizeIsSupported(lay.width, lay.height)) {
        return false;
    }

    uint8_t headerRest[kLargestInfoHeaderBytes - kInfoHeaderBytes];
    if (!ReadExact(file, headerRest, ih.biSize - kInfoHeaderBytes)) {
        return false;
    }
    PixelRule rule;
    rule.bits = lay.bits;
    rule.desktop16 = lay.desktop16;
    if (lay.bits == 16) {
        rule.masks[0] = kRedMask555;
        rule.masks[1] = kGreenMask555;
        rule.masks[2] = kBlueMask555;
    } else {
        rule.masks[0] = kRedMask888;
        rule.masks[1] = kGreenMask888;
        rule.masks[2] = kBlueMask888;
    }
    if (lay.masksInHeader) {
        std::memcpy(rule.masks, headerRest, kMaskBytes);
    } else if (lay.masksFollow && !ReadExact(file, rule.masks, kMaskBytes)) {
        return false;
    }
    if (!lay.desktop16 && (!rule.red.Set(rule.masks[0]) || !rule.green.Set(rule.masks[1]) ||
                           !rule.blue.Set(rule.masks[2]))) {
        return false;
    }
    // Entries the file does not store stay black.
    PaletteEntry table[256] = {};
    rule.table = table;
    if (!ReadExact(file, table, sizeof(PaletteEntry) * lay.tableEntries) || !Skip(file, lay.gap)) {
        return false;
    }

    const uint64_t rowBytes = (uint64_t{lay.bits} * lay.width + 31) / 32 * 4;
    const uint64_t size = rowBytes * lay.height;
    if (size > UINT32_MAX) {
        return false;
    }
    // The standard policy may look at the file's length: a short file is
    // refused before anything is allocated, and rows that need no
    // conversion go straight into the page. The desktop program's files are
    // read strictly in sequence.
    const int64_t left = policy == BmpPolicy::kStandard ? BytesLeft(file) : -1;
    if (left >= 0 && static_cast<uint64_t>(left) < size) {
        return false;
    }
    CBitmap24 loaded;
    if (lay.keepHeaders && left >= 0) {
        loaded.AllocateForOverwrite(lay.height, lay.width);
        if (!ReadExact(file, loaded.pixels, static_cast<size_t>(size))) {
            return false;
        }
    } else {
        std::vector<uint8_t> rows;
        if (!ReadBlock(file, size, left >= 0 ? size : kReserveLimitBytes, rows)) {
            return false;
        }
        loaded.AllocateForOverwrite(lay.height, lay.width);
        if (lay.keepHeaders) {
            if (size > 0) {
                std::memcpy(loaded.pixels, rows.data(), static_cast<size_t>(size));
            }
        } else {
            for (uint32_t r = 0; r < lay.height; ++r) {
                const uint32_t stored = lay.flip ? lay.height - 1 - r : r;
                rule.Row(rows.data() + stored * rowBytes, loaded.PixelAt(r, 0), lay.width);
            }
        }
    }
    if (lay.keepHeaders) {
        loaded.fileHeader = fh;
        loaded.infoHeader = ih;
    } else if (lay.keepResolution) {
        loaded.infoHeader.biXPelsPerMeter = ih.biXPelsPerMeter;
        loaded.infoHeader.biYPelsPerMeter = ih.biYPelsPerMeter;
    }
    if (source != nullptr) {
        source->bitsPerPixel = lay.bits;
        source->palette.assign(table, table + lay.tableEntries);
        source->topDown = lay.topDown;
    }
    TakeOver(bmp, loaded);
    return true;
}

}  // namespace BmpBase
