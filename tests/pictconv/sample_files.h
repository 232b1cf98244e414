// Small JPEG, PNG and TIFF files written with the same libraries the
// converter uses, so that the tests control every colour type, depth,
// layout and resolution field the converter must read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PictconvTest {

// Interleaved samples, top row first, `channels` bytes (or 16-bit words for
// 16-bit data, stored as two bytes in native order) per pixel.
struct Samples {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    std::vector<uint8_t> bytes;
};

// A picture of `channels` 8-bit samples whose value at (r, c, channel k) is
// `values[k]` everywhere.
Samples Flat(uint32_t width, uint32_t height, std::vector<uint8_t> values);

struct JpegParams {
    int inputSpace = 0;  // J_COLOR_SPACE of the samples (JCS_GRAYSCALE, JCS_RGB, JCS_CMYK)
    int fileSpace = 0;   // J_COLOR_SPACE stored in the file
    bool progressive = false;
    bool adobeMarker = true;  // for CMYK/YCCK files
    int densityUnit = 0;      // 0 none (no JFIF density), 1 dpi, 2 dots per cm
    uint16_t xDensity = 1;
    uint16_t yDensity = 1;
    bool jfif = true;
};
void WriteJpeg(const std::string& path, const Samples& samples, const JpegParams& params);

struct PngLayout {
    int colorType = 0;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> palette;  // RGB triples, for palette images
    std::vector<uint8_t> paletteAlpha;
    bool greyTransparent = false;  // tRNS grey value for grey images
    uint16_t greyTransparentValue = 0;
    uint32_t xPpm = 0, yPpm = 0;
    int physUnit = 1;  // PNG_RESOLUTION_METER
};
// `rows`: packed rows in PNG's own layout (big-endian 16-bit samples).
void WritePng(const std::string& path, uint32_t width, uint32_t height, const PngLayout& params,
              const std::vector<std::vector<uint8_t>>& rows);

struct TiffLayout {
    uint16_t photometric = 2;  // PHOTOMETRIC_RGB
    uint16_t bitsPerSample = 8;
    uint16_t samplesPerPixel = 3;
    uint16_t compression = 1;   // COMPRESSION_NONE
    uint16_t extraSamples = 0;  // EXTRASAMPLE_* of one extra sample, 0 = none
    bool tiled = false;
    uint32_t rowsPerStrip = 0;       // 0: libtiff's default
    std::vector<uint16_t> colormap;  // 3 x 2^bits entries for palette images
    float xRes = 0.0f, yRes = 0.0f;
    uint16_t resUnit = 2;    // RESUNIT_INCH
    bool extraPage = false;  // append a second, different page
};
// `rows`: packed rows in TIFF's own layout.
void WriteTiff(const std::string& path, uint32_t width, uint32_t height, const TiffLayout& params,
               const std::vector<std::vector<uint8_t>>& rows);

// An RGB monitor ICC profile of `size` bytes (a multiple of 4, at least
// 132): a header libpng accepts, no tags, then a byte pattern.
std::vector<uint8_t> IccProfile(size_t size);

// The camera maker ExifBlock names.
constexpr char kMake[] = "Camera Co";

// A big-endian EXIF block (no "Exif\0\0" prefix): IFD0 with Make,
// Orientation and the EXIF link; the EXIF directory with PixelXDimension
// and PixelYDimension.
std::vector<uint8_t> ExifBlock(uint16_t orientation);

}  // namespace PictconvTest
