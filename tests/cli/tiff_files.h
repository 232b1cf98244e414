// Multi-page TIFF files for the tool's tests, written with libtiff itself:
// each page a 24-bit picture stored in a chosen kind and compression, and
// the stored form of the pages the tool writes read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"

namespace CliTest {

enum class TiffKind { kBilevel, kGrey, kPalette, kRgb };

struct TiffPageLayout {
    BmpBase::CBitmap24 picture;  // bottom-up, as the test pages are made
    TiffKind kind = TiffKind::kRgb;
    uint16_t compression = 5;  // COMPRESSION_LZW
};

// Writes the pages in order; BigTIFF when asked. Bilevel pages are
// min-is-white (ink where grey < 128); palette pages use a four-entry map
// (paper, ink, red, blue), each pixel its nearest entry.
bool WriteTiffFile(const std::string& path, const std::vector<TiffPageLayout>& pages,
                   bool bigTiff = false);

// How a page of a file is stored.
struct StoredPage {
    uint16_t bitsPerSample = 0;
    uint16_t samplesPerPixel = 0;
    uint16_t photometric = 0;
    uint16_t compression = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<std::vector<uint8_t>> strips;  // the raw strips, as stored
};

// The stored pages of `path`; `bigTiff` tells whether it is a BigTIFF.
bool ReadStoredPages(const std::string& path, std::vector<StoredPage>& pages, bool& bigTiff);

}  // namespace CliTest
