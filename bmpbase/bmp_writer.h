// The one writer of BMP files, for 1, 4, 8, 24 and 32 bits per pixel.
//
// WriteBmp puts a 24-bit page into an open stream in one of these forms
// and leaves the stream open; the caller closes it (and checks the close).
//  - 24 bits: the page's headers as held, except that bfSize and
//    biSizeImage carry the true sizes, then its `pixelBytes` bytes. This is
//    the form of CBitmap24::Write, the desktop program's Save and the
//    converters.
//  - 32 bits: the headers as held with bfSize 0, biBitCount 32 and
//    biSizeImage 0 (every other field, bfOffBits included, as held), then
//    the rows of ExpandTo32. This is the desktop program's clipboard form.
//  - 1, 4 and 8 bits: a 40-byte header with the page's width, height (sign
//    included) and resolution, no compression, the colour table `palette`
//    (1 to 2^bits entries, written as given, biClrUsed its size), then the
//    rows in buffer order, each pixel the index of the first palette entry
//    of its colour and every row padded to 4 bytes with zeros. The sizes
//    are the true ones. A page with a colour that is not in the palette is
//    refused before anything is written.
// WriteStoredBmp writes rows that are already packed, at any depth (the
// desktop program's clipboard pictures).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "bmpbase/bmp_source.h"

namespace BmpBase {

// Writes `bmp` to `file` as described above. False for a null file, an
// unsupported depth, a palette that does not fit the depth or the page, or
// a write that fails or is short.
bool WriteBmp(std::FILE* file, const CBitmap24& bmp, uint16_t bitsPerPixel = 24,
              const std::vector<PaletteEntry>& palette = {});

// Writes a BMP file of rows already in their stored form: a file header
// with the true sizes and the pixels right after the colour table, `ih` as
// given except biSizeImage (set to `rowBytes`), the table and `rowBytes`
// bytes of `rows`. The caller vouches that `ih` describes the rows and
// that the sizes fit in 32 bits. False for a null file or a short write.
bool WriteStoredBmp(std::FILE* file, BitmapInfoHeader ih, const std::vector<PaletteEntry>& table,
                    const uint8_t* rows, uint32_t rowBytes);

// A block of height x width x 4 bytes, rows without padding, each pixel
// blue, green, red of `bmp` followed by 0.
std::unique_ptr<uint8_t[]> ExpandTo32(const CBitmap24& bmp);

}  // namespace BmpBase
