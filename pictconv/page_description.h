// The page description: what a decoder found in a file besides the pixels
// (the stored colour kind, bit depth, palette, compression and resolution,
// and what was given up on the way to the 8-bit picture), so that a page
// turned by the tool can be written back in the kind it came in.
//
// The six exported converters ignore it and keep writing what they always
// wrote; the command-line tool and the Python bindings read it with the page
// and pass it to the writers. ReduceToKind brings a 24-bit picture (a turned
// page, still bottom-up) back to the description's kind in place; it never
// fails (std::bad_alloc aside).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"

namespace Pictconv {

// The colour kind of a stored page. A page with one sample of 1 bit is
// bilevel; one grey sample of 2..16 bits is grey; colour-mapped pages of any
// index depth are palette; everything else (RGB, YCbCr, CMYK, Lab...) is RGB
// once decoded.
enum class PageKind { kBilevel, kGrey, kPalette, kRgb };

// What decoding gave up, each reported to the user; a set of flags.
enum PageChange : unsigned {
    kNoChange = 0,
    kReducedTo8Bits = 1u << 0,  // 16-bit samples went through the 8-bit path
    kConvertedToRgb = 1u << 1,  // CMYK (or another ink space) is written as RGB
    kAlphaFlattened = 1u << 2,  // transparency was composited over white
};

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// TIFF resolution units as the format numbers them (also used for the
// other formats' densities).
enum class ResolutionUnit : uint16_t { kNone = 1, kInch = 2, kCentimetre = 3 };

struct PageDescription {
    PageKind kind = PageKind::kRgb;
    uint16_t bitsPerSample = 8;         // as stored: 1, 2, 4, 8 or 16
    std::vector<PaletteEntry> palette;  // kPalette: the entries, in order
    unsigned changes = kNoChange;       // PageChange flags
    // TIFF: the COMPRESSION_* value of the page as read; 0 for the other
    // formats. PNG and BMP have one way of storing each kind.
    uint16_t compression = 0;
    // As read from the file, 0 when absent; the unit says what they count.
    double xResolution = 0.0;
    double yResolution = 0.0;
    ResolutionUnit resolutionUnit = ResolutionUnit::kNone;
};

// TIFF's number for CCITT Group 4, the compression of bilevel pages made
// from other kinds.
constexpr uint16_t kCompressionGroup4 = 4;

// Bilevel pages are brought back to one bit at grey < 128 (ink).
constexpr uint8_t kBilevelThreshold = 128;

// The notes for `changes`, in flag order, joined by "; ":
// "reduced to 8 bits", "converted to RGB", "alpha flattened over white".
// "" when nothing changed.
std::string ChangeNotes(unsigned changes);

// Brings `picture` to `description.kind`: bilevel pixels become black or
// white by grey (blue + green + red) / 3 < kBilevelThreshold; grey pixels
// take that grey in all three channels; palette pixels take the nearest
// entry of the palette (least squared distance in RGB, the lowest index on
// a tie); RGB pages are left as they are. A palette kind without entries
// leaves the picture unchanged.
void ReduceToKind(BmpBase::CBitmap24& picture, const PageDescription& description);

// The index of the palette entry nearest to (red, green, blue), as above.
// `palette` must not be empty.
size_t NearestEntry(const std::vector<PaletteEntry>& palette, uint8_t red, uint8_t green,
                    uint8_t blue);

}  // namespace Pictconv
