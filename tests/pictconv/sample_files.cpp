// Writers for the test inputs. Errors in these helpers are test bugs, so
// the libraries' default handlers are good enough here.
#include "tests/pictconv/sample_files.h"

#include <png.h>
#include <tiffio.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace PictconvTest {

Samples Flat(uint32_t width, uint32_t height, std::vector<uint8_t> values) {
    Samples s;
    s.width = width;
    s.height = height;
    s.channels = static_cast<int>(values.size());
    s.bytes.reserve(static_cast<size_t>(width) * height * values.size());
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        s.bytes.insert(s.bytes.end(), values.begin(), values.end());
    }
    return s;
}

void WriteJpeg(const std::string& path, const Samples& samples, const JpegParams& params) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = samples.width;
    info.image_height = samples.height;
    info.input_components = samples.channels;
    info.in_color_space = static_cast<J_COLOR_SPACE>(params.inputSpace);
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, static_cast<J_COLOR_SPACE>(params.fileSpace));
    jpeg_set_quality(&info, 95, TRUE);
    if (!params.jfif) {
        info.write_JFIF_header = FALSE;
    }
    info.write_Adobe_marker = params.adobeMarker ? info.write_Adobe_marker : FALSE;
    info.density_unit = static_cast<UINT8>(params.densityUnit);
    info.X_density = params.xDensity;
    info.Y_density = params.yDensity;
    if (params.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(samples.width) * samples.channels);
    while (info.next_scanline < info.image_height) {
        const size_t offset = static_cast<size_t>(info.next_scanline) * row.size();
        std::copy(samples.bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                  samples.bytes.begin() + static_cast<std::ptrdiff_t>(offset + row.size()),
                  row.begin());
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

void WritePng(const std::string& path, uint32_t width, uint32_t height, const PngLayout& params,
              const std::vector<std::vector<uint8_t>>& rows) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, params.bitDepth, params.colorType,
                 params.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < params.palette.size(); i += 3) {
        palette.push_back({params.palette[i], params.palette[i + 1], params.palette[i + 2]});
    }
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!params.paletteAlpha.empty()) {
        png_set_tRNS(png, info, params.paletteAlpha.data(),
                     static_cast<int>(params.paletteAlpha.size()), nullptr);
    }
    if (params.greyTransparent) {
        png_color_16 value{};
        value.gray = params.greyTransparentValue;
        png_set_tRNS(png, info, nullptr, 0, &value);
    }
    if (params.xPpm != 0) {
        png_set_pHYs(png, info, params.xPpm, params.yPpm, params.physUnit);
    }
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows) {
        pointers.push_back(const_cast<png_bytep>(row.data()));
    }
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

namespace {

void WriteTiffPage(TIFF* tif, uint32_t width, uint32_t height, const TiffLayout& params,
                   const std::vector<std::vector<uint8_t>>& rows) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, params.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, params.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, params.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, params.compression);
    if (params.compression == COMPRESSION_JPEG && params.photometric == PHOTOMETRIC_RGB) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
    }
    if (params.extraSamples != 0) {
        const uint16_t kinds[1] = {params.extraSamples};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    if (!params.colormap.empty()) {
        const size_t n = params.colormap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, params.colormap.data(), params.colormap.data() + n,
                     params.colormap.data() + 2 * n);
    }
    if (params.xRes > 0.0f) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(params.xRes));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(params.yRes));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, params.resUnit);
    }
    if (params.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
        const tmsize_t tileBytes = TIFFTileSize(tif);
        const size_t rowBytes = rows.empty() ? 0 : rows[0].size();
        const size_t pixelBytes = rowBytes / width;
        for (uint32_t ty = 0; ty < height; ty += 16) {
            for (uint32_t tx = 0; tx < width; tx += 16) {
                std::vector<uint8_t> tile(static_cast<size_t>(tileBytes), 0);
                for (uint32_t y = 0; y < 16 && ty + y < height; ++y) {
                    for (uint32_t x = 0; x < 16 && tx + x < width; ++x) {
                        for (size_t k = 0; k < pixelBytes; ++k) {
                            tile[(y * 16 + x) * pixelBytes + k] =
                                rows[ty + y][(tx + x) * pixelBytes + k];
                        }
                    }
                }
                TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
            }
        }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     params.rowsPerStrip != 0 ? params.rowsPerStrip : TIFFDefaultStripSize(tif, 0));
        for (uint32_t r = 0; r < height; ++r) {
            std::vector<uint8_t> row = rows[r];  // encoders may change the buffer
            TIFFWriteScanline(tif, row.data(), r, 0);
        }
    }
    TIFFWriteDirectory(tif);
}

}  // namespace

void WriteTiff(const std::string& path, uint32_t width, uint32_t height, const TiffLayout& params,
               const std::vector<std::vector<uint8_t>>& rows) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    WriteTiffPage(tif, width, height, params, rows);
    if (params.extraPage) {
        TiffLayout second;
        second.photometric = PHOTOMETRIC_MINISBLACK;
        second.samplesPerPixel = 1;
        std::vector<std::vector<uint8_t>> black(height / 2 + 1,
                                                std::vector<uint8_t>(width / 2 + 1, 0));
        WriteTiffPage(tif, width / 2 + 1, height / 2 + 1, second, black);
    }
    TIFFClose(tif);
}

std::vector<uint8_t> IccProfile(size_t size) {
    std::vector<uint8_t> p(size);
    for (size_t i = 132; i < size; ++i) {
        p[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    const auto put32 = [&p](size_t at, uint32_t v) {
        for (size_t b = 0; b < 4; ++b) {
            p[at + b] = static_cast<uint8_t>(v >> (24 - 8 * b));
        }
    };
    put32(0, static_cast<uint32_t>(size));
    put32(8, 0x02100000);
    std::memcpy(&p[12], "mntrRGB XYZ ", 12);
    std::memcpy(&p[36], "acsp", 4);
    put32(68, 0x0000F6D6);  // the D50 illuminant
    put32(72, 0x00010000);
    put32(76, 0x0000D32D);
    return p;
}

std::vector<uint8_t> ExifBlock(uint16_t orientation) {
    std::vector<uint8_t> b = {'M', 'M', 0, 42, 0, 0, 0, 8};
    const auto put16 = [&b](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v));
    };
    const auto put32 = [&](uint32_t v) {
        put16(v >> 16);
        put16(v & 0xFFFF);
    };
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16(tag);
        put16(type);
        put32(count);
        put32(value);
    };
    // IFD0 at 8 with 3 entries ends at 8 + 2 + 36 + 4 = 50; the EXIF
    // directory at 50 (2 entries, 30 bytes) ends at 80, Make's text follows.
    put16(3);
    entry(0x010F, 2, sizeof kMake, 80);
    entry(0x0112, 3, 1, static_cast<uint32_t>(orientation) << 16);
    entry(0x8769, 4, 1, 50);
    put32(0);
    put16(2);
    entry(0xA002, 4, 1, 640);
    entry(0xA003, 4, 1, 480);
    put32(0);
    b.insert(b.end(), kMake, kMake + sizeof kMake);
    return b;
}

}  // namespace PictconvTest
