#include "tests/cli/tiff_files.h"

#include <tiffio.h>

#include <memory>

namespace CliTest {

namespace {

struct Closer {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

constexpr uint8_t kMap[4][3] = {{244, 238, 228}, {28, 32, 40}, {220, 30, 30}, {30, 30, 220}};

uint8_t Grey(const uint8_t* bgr) {
    return static_cast<uint8_t>((bgr[0] + bgr[1] + bgr[2]) / 3);
}

uint8_t NearestIndex(const uint8_t* bgr) {
    int best = 0, bestDistance = -1;
    for (int i = 0; i < 4; ++i) {
        const int dr = kMap[i][0] - bgr[2], dg = kMap[i][1] - bgr[1], db = kMap[i][2] - bgr[0];
        const int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return static_cast<uint8_t>(best);
}

bool WritePage(TIFF* tif, const TiffPageLayout& layout, uint16_t number, uint16_t count) {
    const BmpBase::CBitmap24& p = layout.picture;
    uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    if (layout.kind == TiffKind::kBilevel) {
        bits = 1;
        photometric = PHOTOMETRIC_MINISWHITE;
    } else if (layout.kind == TiffKind::kPalette) {
        photometric = PHOTOMETRIC_PALETTE;
    } else if (layout.kind == TiffKind::kRgb) {
        samples = 3;
        photometric = PHOTOMETRIC_RGB;
    }
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, number, count);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.kind == TiffKind::kBilevel ? p.height : 16u);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
    std::vector<uint16_t> map[3];
    if (layout.kind == TiffKind::kPalette) {
        for (int k = 0; k < 3; ++k) {
            map[k].assign(256, 0);
            for (int i = 0; i < 4; ++i) {
                map[k][i] = static_cast<uint16_t>(kMap[i][k] * 257);
            }
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    std::vector<uint8_t> row((p.width * bits * samples + 7) / 8);
    for (uint32_t r = 0; r < p.height; ++r) {
        const uint8_t* px = p.PixelAt(p.height - 1 - r, 0);
        std::fill(row.begin(), row.end(), 0);
        for (uint32_t c = 0; c < p.width; ++c, px += 3) {
            switch (layout.kind) {
                case TiffKind::kBilevel:
                    if (Grey(px) < 128) {
                        row[c / 8] |= static_cast<uint8_t>(0x80 >> (c % 8));
                    }
                    break;
                case TiffKind::kGrey:
                    row[c] = Grey(px);
                    break;
                case TiffKind::kPalette:
                    row[c] = NearestIndex(px);
                    break;
                case TiffKind::kRgb:
                    row[3 * c] = px[2];
                    row[3 * c + 1] = px[1];
                    row[3 * c + 2] = px[0];
                    break;
            }
        }
        if (TIFFWriteScanline(tif, row.data(), r, 0) != 1) {
            return false;
        }
    }
    return TIFFWriteDirectory(tif) == 1;
}

}  // namespace

bool WriteTiffFile(const std::string& path, const std::vector<TiffPageLayout>& pages,
                   bool bigTiff) {
    std::unique_ptr<TIFF, Closer> tif(TIFFOpen(path.c_str(), bigTiff ? "w8" : "w"));
    if (!tif) {
        return false;
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!WritePage(tif.get(), pages[i], static_cast<uint16_t>(i),
                       static_cast<uint16_t>(pages.size()))) {
            return false;
        }
    }
    return true;
}

bool ReadStoredPages(const std::string& path, std::vector<StoredPage>& pages, bool& bigTiff) {
    pages.clear();
    std::unique_ptr<TIFF, Closer> tif(TIFFOpen(path.c_str(), "rc"));
    if (!tif) {
        return false;
    }
    bigTiff = TIFFIsBigTIFF(tif.get()) != 0;
    do {
        StoredPage page;
        TIFF* t = tif.get();
        TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &page.bitsPerSample);
        TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &page.samplesPerPixel);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &page.photometric);
        TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &page.compression);
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &page.width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &page.height);
        for (uint32_t s = 0; s < TIFFNumberOfStrips(t); ++s) {
            std::vector<uint8_t> strip(TIFFGetStrileByteCount(t, s));
            if (TIFFReadRawStrip(t, s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0) {
                return false;
            }
            page.strips.push_back(strip);
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif.get()) == 1);
    return true;
}

}  // namespace CliTest
