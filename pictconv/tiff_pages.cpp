// The reading side of multi-page TIFF. The file is opened without memory
// mapping (a file shrinking under us would be a bus error) and without strip
// chopping, so a carried page's strips are the stored ones, not libtiff's
// smaller views of a single large strip.
#include "pictconv/tiff_pages.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr uint16_t kMaxPaletteBits = 8;

std::string PageName(size_t index, size_t count) {
    return "page " + std::to_string(index + 1) + " of " + std::to_string(count);
}

// Colour maps hold 16-bit entries; some writers store 8-bit values in
// them, which shows as no entry above 255 (libtiff's RGBA reader takes them
// the same way).
std::vector<PaletteEntry> ReadColourMap(TIFF* tif, uint16_t bits) {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    std::vector<PaletteEntry> palette;
    if (bits > kMaxPaletteBits || TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) != 1) {
        return palette;
    }
    const size_t entries = size_t{1} << bits;
    bool sixteen = false;
    for (size_t i = 0; i < entries; ++i) {
        sixteen = sixteen || red[i] > 255 || green[i] > 255 || blue[i] > 255;
    }
    const int shift = sixteen ? 8 : 0;
    for (size_t i = 0; i < entries; ++i) {
        palette.push_back({static_cast<uint8_t>(red[i] >> shift),
                           static_cast<uint8_t>(green[i] >> shift),
                           static_cast<uint8_t>(blue[i] >> shift)});
    }
    return palette;
}

}  // namespace

PageDescription DescribeDirectory(TIFF* tif) {
    PageDescription d;
    uint16_t bits = 1, samples = 1, compression = COMPRESSION_NONE, extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    uint16_t photometric = samples - extraCount >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    d.bitsPerSample = bits;
    d.compression = compression;
    for (uint16_t i = 0; i < extraCount && extra != nullptr; ++i) {
        if (extra[i] == EXTRASAMPLE_ASSOCALPHA || extra[i] == EXTRASAMPLE_UNASSALPHA) {
            d.changes |= kAlphaFlattened;
        }
    }
    switch (photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK:
            d.kind = bits == 1 && samples - extraCount == 1 ? PageKind::kBilevel : PageKind::kGrey;
            break;
        case PHOTOMETRIC_PALETTE:
            d.palette = ReadColourMap(tif, bits);
            d.kind = d.palette.empty() ? PageKind::kRgb : PageKind::kPalette;
            break;
        case PHOTOMETRIC_SEPARATED:
        case PHOTOMETRIC_CIELAB:
        case PHOTOMETRIC_ICCLAB:
        case PHOTOMETRIC_ITULAB:
            d.kind = PageKind::kRgb;
            d.changes |= kConvertedToRgb;
            break;
        default:
            d.kind = PageKind::kRgb;
            break;
    }
    if (bits > 8) {
        d.changes |= kReducedTo8Bits;
    }
    float xRes = 0.0f, yRes = 0.0f;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xRes) == 1 &&
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yRes) == 1) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
        d.xResolution = xRes;
        d.yResolution = yRes;
        d.resolutionUnit = unit == RESUNIT_CENTIMETER ? ResolutionUnit::kCentimetre
                           : unit == RESUNIT_NONE     ? ResolutionUnit::kNone
                                                      : ResolutionUnit::kInch;
    }
    return d;
}

bool TiffPages::Open(const char* path, std::string& error) {
    tif_ = OpenSilently(path, "rmc");
    count_ = tif_ ? TIFFNumberOfDirectories(tif_.get()) : 0;
    if (count_ == 0) {
        tif_.reset();
        error = "not a readable TIFF file";
        return false;
    }
    return true;
}

bool TiffPages::BigTiff() const {
    return tif_ && TIFFIsBigTIFF(tif_.get()) != 0;
}

TIFF* TiffPages::At(size_t index) {
    if (!tif_ || index >= count_ || TIFFSetDirectory(tif_.get(), static_cast<tdir_t>(index)) != 1) {
        return nullptr;
    }
    return tif_.get();
}

bool TiffPages::Read(size_t index, CBitmap24& picture, PageDescription& description,
                     std::string& error) {
    TIFF* tif = At(index);
    if (tif != nullptr) {
        description = DescribeDirectory(tif);
    }
    if (tif == nullptr || !DecodeDirectory(tif, picture)) {
        error = PageName(index, count_) +
                " cannot be read (damaged, truncated or unsupported; pages must be smaller "
                "than 65535 pixels on a side)";
        return false;
    }
    return true;
}

}  // namespace Pictconv
