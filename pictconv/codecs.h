// The three codecs of the converter library, each a decoder into a bottom-up
// 24-bit page and an encoder from one (see page.h for the page).
//
// Decoders open the file themselves and return false, with `page` holding no
// usable picture, for a missing, empty, truncated, corrupt or mislabelled
// file and for pictures beyond the size limits. Encoders write to a file the
// caller opened and return false when the library or a write fails. None of
// them prints, ends the process or throws, except std::bad_alloc when memory
// runs out.
#pragma once

#include <cstdio>

#include "bmpbase/bitmap24.h"

namespace Pictconv {

// JPEG quality of Bmp2Jpg: visually lossless for scanned text and photos
// while keeping A4 pages at a few hundred kilobytes.
constexpr int kJpegQuality = 90;

// Baseline and progressive; greyscale, YCbCr, RGB, CMYK and YCCK (Adobe's
// inverted CMYK when the Adobe marker is present). The JFIF density gives
// the resolution.
bool DecodeJpeg(const char* path, BmpBase::CBitmap24& page);
// Greyscale JPEG for a grey page, YCbCr 4:2:0 otherwise; baseline; JFIF
// density in dots per inch when the page has a resolution.
bool EncodeJpeg(const BmpBase::CBitmap24& page, std::FILE* out);

// Every colour type and bit depth, interlaced or not; transparency is
// composited over white. pHYs in pixels per metre gives the resolution.
bool DecodePng(const char* path, BmpBase::CBitmap24& page);
// 8-bit greyscale for a grey page, 8-bit RGB otherwise; pHYs when known.
bool EncodePng(const BmpBase::CBitmap24& page, std::FILE* out);

// The first page of the file, in any photometric interpretation, bit depth,
// compression and layout (strips or tiles) that libtiff can turn into RGBA;
// alpha is composited over white. The resolution tags give the resolution.
bool DecodeTiff(const char* path, BmpBase::CBitmap24& page);
// 8-bit greyscale or RGB, LZW with horizontal prediction, in strips;
// resolution in dots per inch when known. Takes ownership of `fd`.
bool EncodeTiff(const BmpBase::CBitmap24& page, int fd, const char* name);

}  // namespace Pictconv
