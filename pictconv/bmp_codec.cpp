// BMP in kind: the description comes from what bmpbase's reader says about
// the file (BmpSource: depth and colour table), and writing goes through
// bmpbase's writer with the depth and colour table of the kind, so the
// indexes are packed in one place.
#include <vector>

#include "bmpbase/bmp_writer.h"
#include "pictconv/codecs.h"
#include "pictconv/kind_samples.h"
#include "pictconv/page.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr double kMetresPerCentimetre = 0.01;
constexpr uint16_t kBilevelBits = 1;
constexpr uint16_t kGreyBits = 8;
constexpr size_t kGreyLevels = 256;

bool IsBlack(const BmpBase::PaletteEntry& e) {
    return e.red == 0 && e.green == 0 && e.blue == 0;
}

bool IsWhite(const BmpBase::PaletteEntry& e) {
    return e.red == 255 && e.green == 255 && e.blue == 255;
}

bool IsBlackAndWhite(const std::vector<BmpBase::PaletteEntry>& table) {
    return table.size() == 2 &&
           ((IsBlack(table[0]) && IsWhite(table[1])) || (IsWhite(table[0]) && IsBlack(table[1])));
}

bool IsGreyRamp(const std::vector<BmpBase::PaletteEntry>& table) {
    if (table.size() != kGreyLevels) {
        return false;
    }
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].red != i || table[i].green != i || table[i].blue != i) {
            return false;
        }
    }
    return true;
}

void Describe(const BmpBase::BmpSource& source, const CBitmap24& page, PageDescription& d) {
    d = PageDescription();
    const std::vector<BmpBase::PaletteEntry>& table = source.palette;
    if (source.bitsPerPixel <= 8) {
        d.bitsPerSample = source.bitsPerPixel;
        if (source.bitsPerPixel == kBilevelBits && IsBlackAndWhite(table)) {
            d.kind = PageKind::kBilevel;
        } else if (source.bitsPerPixel == kGreyBits && IsGreyRamp(table)) {
            d.kind = PageKind::kGrey;
        } else {
            d.kind = PageKind::kPalette;
            for (const BmpBase::PaletteEntry& e : table) {
                d.palette.push_back({e.red, e.green, e.blue});
            }
        }
    }
    if (XPpm(page) > 0 && YPpm(page) > 0) {
        d.xResolution = XPpm(page) * kMetresPerCentimetre;
        d.yResolution = YPpm(page) * kMetresPerCentimetre;
        d.resolutionUnit = ResolutionUnit::kCentimetre;
    }
}

std::vector<BmpBase::PaletteEntry> Table(const std::vector<PaletteEntry>& palette) {
    std::vector<BmpBase::PaletteEntry> table;
    table.reserve(palette.size());
    for (const PaletteEntry& e : palette) {
        table.push_back({e.blue, e.green, e.red, 0});
    }
    return table;
}

}  // namespace

bool DecodeBmp(const char* path, CBitmap24& page, PageDescription& description) {
    BmpBase::BmpSource source;
    if (!LoadBmp(path, page, &source)) {
        return false;
    }
    Describe(source, page, description);
    return true;
}

bool EncodeBmp(const CBitmap24& page, std::FILE* out, const PageDescription& kind) {
    std::vector<BmpBase::PaletteEntry> table;
    uint16_t bits = 24;
    switch (kind.kind) {
        case PageKind::kBilevel:
            bits = kBilevelBits;
            table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
            break;
        case PageKind::kGrey:
            bits = kGreyBits;
            for (size_t i = 0; i < kGreyLevels; ++i) {
                const auto g = static_cast<uint8_t>(i);
                table.push_back({g, g, g, 0});
            }
            break;
        case PageKind::kPalette: {
            const int depth = IndexDepth(kind.palette.size(), {1, 4, 8});
            if (depth != 0) {
                bits = static_cast<uint16_t>(depth);
                table = Table(kind.palette);
            }
            break;
        }
        case PageKind::kRgb:
            break;
    }
    return BmpBase::WriteBmp(out, page, bits, table);
}

}  // namespace Pictconv
