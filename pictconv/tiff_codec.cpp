// TIFF through libtiff: the first page of a file, and one page written as
// the six converters write it.
//
// Decoding opens the file with the silent handlers of tiff_directory.h and
// decodes its first directory there. The file is read without memory
// mapping, which would turn a file shrinking under us into a bus error.
//
// Encoding writes 8-bit RGB (or greyscale for a grey page), contiguous, in
// strips of libtiff's default size, LZW-compressed with horizontal
// differencing, top row first.
#include <tiffio.h>

#include <cstdint>
#include <vector>

#include <unistd.h>

#include "pictconv/codecs.h"
#include "pictconv/page.h"
#include "pictconv/tiff_directory.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr uint16_t kBitsPerSample = 8;

}  // namespace

bool DecodeTiff(const char* path, CBitmap24& page) {
    const TiffHandle tif = OpenSilently(path, "rm");
    return tif && DecodeDirectory(tif.get(), page);
}

bool EncodeTiff(const CBitmap24& page, int fd, const char* name) {
    const auto options = SilentOptions();
    if (!options) {
        close(fd);
        return false;
    }
    TiffHandle tif(TIFFFdOpenExt(fd, name, "w", options.get()));
    if (!tif) {
        close(fd);
        return false;
    }
    const bool grey = IsGreyPage(page);
    const uint16_t samples = grey ? 1 : 3;
    TIFF* t = tif.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, kBitsPerSample);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    if (XPpm(page) > 0 && YPpm(page) > 0) {
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, DpiFromPpm(XPpm(page)));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, DpiFromPpm(YPpm(page)));
    }
    // A fresh row for every scanline: the predictor differences the row
    // buffer in place.
    std::vector<uint8_t> row(static_cast<size_t>(samples) * page.width);
    for (uint32_t r = 0; r < page.height; ++r) {
        const uint8_t* in = TopRow(page, r);
        if (grey) {
            for (uint32_t c = 0; c < page.width; ++c) {
                row[c] = in[3 * c];
            }
        } else {
            for (uint32_t c = 0; c < page.width; ++c) {
                row[3 * c] = in[3 * c + 2];
                row[3 * c + 1] = in[3 * c + 1];
                row[3 * c + 2] = in[3 * c];
            }
        }
        if (TIFFWriteScanline(t, row.data(), r, 0) != 1) {
            return false;
        }
    }
    return TIFFFlush(t) == 1;
}

}  // namespace Pictconv
