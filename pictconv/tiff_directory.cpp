// libtiff reports errors and warnings through handlers that default to
// printing on standard error; global handlers would also silence the host
// program's own use of the library, so each file is opened with per-handle
// handlers (TIFFOpenOptions) that swallow the message and stop it from
// reaching the global ones. libtiff signals failure by return values and
// never jumps, so no special care is needed for C++ frames.
//
// Decoding leaves the interpretation of the directory to libtiff's RGBA
// interface, which covers bilevel (fax G3/G4 with either photometric
// interpretation), greyscale of 8 and 16 bits, palette, RGB, CMYK and YCbCr,
// every compression the library was built with, and strips or tiles. It
// hands back the whole page as packed RGBA with associated alpha (unassociated
// alpha is premultiplied on the way), which is composited over white:
// out = c + 255 - a. Reading stops at the first read error, so a truncated
// file is refused rather than completed with blank rows.
#include "pictconv/tiff_directory.h"

#include <cstdarg>
#include <cstdint>

#include "pictconv/page.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr float kCentimetresPerInch = 2.54f;
// Largest block libtiff may allocate for one strip or tile: the largest
// supported page (2^28 pixels) in 32-bit RGBA. A header that makes a strip
// larger (absurd sample counts, say) is refused before anything is read.
constexpr tmsize_t kMaxSingleAllocBytes = tmsize_t{1} << 30;
// Most samples per pixel of any picture we read: CMYK with alpha and a few
// extra channels. Headers claiming thousands describe no real page.
constexpr uint16_t kMaxSamplesPerPixel = 8;

extern "C" int SilentTiffHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;  // handled: the global handlers are not called
}

struct RgbaImageEnder {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

int32_t PpmFromTag(float resolution, uint16_t unit) {
    switch (unit) {
        case RESUNIT_INCH:
            return PpmFromDpi(resolution);
        case RESUNIT_CENTIMETER:
            return PpmFromDpi(static_cast<double>(resolution) * kCentimetresPerInch);
        default:
            return 0;  // no absolute unit: only an aspect ratio
    }
}

uint8_t OverWhite(uint32_t colour, uint32_t alpha) {
    const uint32_t v = colour + 255u - alpha;
    return static_cast<uint8_t>(v > 255u ? 255u : v);
}

}  // namespace

TiffOptions SilentOptions() {
    TiffOptions options(TIFFOpenOptionsAlloc());
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), SilentTiffHandler, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), SilentTiffHandler, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocBytes);
    }
    return options;
}

TiffHandle OpenSilently(const char* path, const char* mode) {
    const TiffOptions options = SilentOptions();
    return options ? TiffHandle(TIFFOpenExt(path, mode, options.get())) : TiffHandle();
}

bool DecodeDirectory(TIFF* tif, CBitmap24& page) {
    uint32_t width = 0, height = 0;
    if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1) {
        return false;
    }
    float xRes = 0.0f, yRes = 0.0f;
    uint16_t unit = RESUNIT_INCH;
    int32_t xPpm = 0, yPpm = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xRes) == 1 &&
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yRes) == 1) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
        xPpm = PpmFromTag(xRes, unit);
        yPpm = PpmFromTag(yRes, unit);
    }
    uint16_t samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (samples == 0 || samples > kMaxSamplesPerPixel) {
        return false;
    }
    char message[1024] = {};
    if (TIFFRGBAImageOK(tif, message) != 1) {
        return false;
    }
    if (!NewPage(page, height, width, xPpm, yPpm)) {
        return false;
    }
    TIFFRGBAImage image{};
    if (TIFFRGBAImageBegin(&image, tif, 1, message) != 1) {
        return false;
    }
    std::unique_ptr<TIFFRGBAImage, RgbaImageEnder> ender(&image);
    image.req_orientation = ORIENTATION_TOPLEFT;
    if (image.width != width || image.height != height) {
        return false;
    }
    const size_t pixels = static_cast<size_t>(width) * height;
    std::unique_ptr<uint32_t[]> raster(new uint32_t[pixels]);
    if (TIFFRGBAImageGet(&image, raster.get(), width, height) != 1) {
        return false;
    }
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t* in = raster.get() + static_cast<size_t>(r) * width;
        uint8_t* out = TopRow(page, r);
        for (uint32_t c = 0; c < width; ++c, out += 3) {
            const uint32_t abgr = in[c];
            const uint32_t alpha = TIFFGetA(abgr);
            out[0] = OverWhite(TIFFGetB(abgr), alpha);
            out[1] = OverWhite(TIFFGetG(abgr), alpha);
            out[2] = OverWhite(TIFFGetR(abgr), alpha);
        }
    }
    return true;
}

}  // namespace Pictconv
