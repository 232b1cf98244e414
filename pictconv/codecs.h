// The three codecs of the converter library, each a decoder into a bottom-up
// 24-bit page and an encoder from one (see page.h for the page).
//
// Decoders open the file themselves and return false, with `page` holding no
// usable picture, for a missing, empty, truncated, corrupt or mislabelled
// file and for pictures beyond the size limits. Encoders write to a file the
// caller opened and return false when the library or a write fails. None of
// them prints, ends the process or throws, except std::bad_alloc when memory
// runs out.
//
// The overloads with a PageDescription are the command-line tool's: the
// decoders also describe the page as stored (page_description.h), and the
// encoders write the page in the description's kind, as far as the format
// holds it, from a page that ReduceToKind has brought to that kind
// (kind_samples.h). The overloads without one are the six exports' and keep
// their behaviour.
#pragma once

#include <cstdio>

#include "bmpbase/bitmap24.h"
#include "pictconv/page_description.h"

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
// Grey for 8-bit greyscale files, RGB for the others; CMYK and YCCK with
// kConvertedToRgb. The JFIF density as read (unit 1 inch, 2 centimetre,
// 0 an aspect ratio), when the file has a JFIF marker.
bool DecodeJpeg(const char* path, BmpBase::CBitmap24& page, PageDescription& description);
// Greyscale for bilevel and grey pages and for palettes of greys only,
// YCbCr 4:2:0 for RGB pages (grey pixels or not) and other palettes.
bool EncodeJpeg(const BmpBase::CBitmap24& page, std::FILE* out, const PageDescription& kind);

// Every colour type and bit depth, interlaced or not; transparency is
// composited over white. pHYs in pixels per metre gives the resolution.
bool DecodePng(const char* path, BmpBase::CBitmap24& page);
// 8-bit greyscale for a grey page, 8-bit RGB otherwise; pHYs when known.
bool EncodePng(const BmpBase::CBitmap24& page, std::FILE* out);
// The colour type and bit depth as stored: grey of 1 bit is bilevel, grey
// of 2..16 bits grey, colour-mapped pages palette (the PLTE entries, those
// with tRNS transparency flattened over white), the others RGB. 16-bit
// samples give kReducedTo8Bits; a pixel that was not opaque gives
// kAlphaFlattened. pHYs as read: per centimetre for metres, the bare ratio
// for an unknown unit.
bool DecodePng(const char* path, BmpBase::CBitmap24& page, PageDescription& description);
// Bilevel as 1-bit greyscale, grey as 8-bit greyscale, palette as a PLTE of
// the description's entries at the smallest bit depth that indexes them
// (RGB for a palette of more than 256 entries), RGB as 8-bit RGB, grey
// pixels or not; pHYs when known.
bool EncodePng(const BmpBase::CBitmap24& page, std::FILE* out, const PageDescription& kind);

// BMP through bmpbase's reader with the standard policy (every common
// depth): 1 bit with a black and a white entry is bilevel; 8 bits on the
// 256-entry grey ramp is grey; other colour-mapped files are palette; 16,
// 24 and 32 bits RGB (the reader takes no alpha from 32-bit files). The
// resolution per centimetre.
bool DecodeBmp(const char* path, BmpBase::CBitmap24& page, PageDescription& description);
// Through bmpbase's writer: bilevel as 1 bit (black, white), grey as 8 bits
// on the grey ramp, palette on the description's entries at 1, 4 or 8 bits,
// the smallest that indexes them (24 bits for more than 256 entries), RGB as
// 24 bits. False, with nothing useful written, when a pixel is not in the
// kind (see above).
bool EncodeBmp(const BmpBase::CBitmap24& page, std::FILE* out, const PageDescription& kind);

// The first page of the file, in any photometric interpretation, bit depth,
// compression and layout (strips or tiles) that libtiff can turn into RGBA;
// alpha is composited over white. The resolution tags give the resolution.
bool DecodeTiff(const char* path, BmpBase::CBitmap24& page);
// 8-bit greyscale or RGB, LZW with horizontal prediction, in strips;
// resolution in dots per inch when known. Takes ownership of `fd`.
bool EncodeTiff(const BmpBase::CBitmap24& page, int fd, const char* name);

}  // namespace Pictconv
