// The one reader of BMP files in all their depths, with two policies.
//
// ReadBmp reads a whole BMP file from an open stream (positioned at its
// start, read strictly in sequence, never closed here) and converts it into
// a 24-bit BmpBase::CBitmap24, describing the original in a BmpSource. It is
// all or nothing: on failure the bitmap and the source are exactly as they
// were. Pictures beyond size_limits.h are refused before anything is
// allocated for their pixels. A header that promises more than the file
// holds costs nothing under the standard policy when the stream can tell
// its length (it is refused at once) and otherwise only the bytes really
// present, as the rows are then read in chunks.
//
// BmpPolicy::kDesktop reads what the desktop program has always read, with
// its particular rules:
//  - 24 and 32 bits: "BM", a 40-byte information header, one plane, no
//    compression and the pixels at offset 54;
//  - 16 bits: compression and the pixel offset are not looked at; with
//    biCompression 3 three masks (red, green, blue) follow the header, else
//    the 5-5-5 masks are assumed. The 5-5-5 masks give channel << 3; other
//    masks give red (v >> 8) & (redMask >> 8), green (v >> 3) & (greenMask
//    >> 3), blue (v & blueMask) << 3, each cut to 8 bits;
//  - 8, 4 and 1 bits: uncompressed; the full table of 256, 16 or 2 entries
//    is always read and the rows follow it directly (biClrUsed and
//    bfOffBits are not consulted);
//  - rows stay in file order. A 24-bit file keeps its headers exactly as
//    read (a negative height too); every other depth gets the headers of a
//    new bitmap (Allocate's, positive height, no resolution).
//
// BmpPolicy::kStandard reads BMP files as they are commonly written:
//  - information headers of 40, 52, 56, 108 or 124 bytes; 1, 4, 8, 16, 24
//    or 32 bits per pixel, uncompressed, or with bit-field masks (compression
//    3) for 16 and 32 bits; run-length and other compressed files are
//    refused;
//  - a colour table of biClrUsed entries (0 meaning 2^bits for 8 bits or
//    fewer; more than 2^bits is refused); indexes beyond the table are black;
//  - pixels at bfOffBits, which must not point into the headers or the
//    table; the bytes in between are skipped;
//  - masked channels are scaled to 0..255 with rounding (a 5-bit 31 is 255);
//  - a plain bottom-up 24-bit file (40-byte header, no compression, pixels
//    at 54) comes exactly as CBitmap24::Read gives it: headers as read.
//    Every other file gives a bottom-up page (top-down files, 24-bit ones
//    included, are turned round) with the headers of a new bitmap and the
//    file's resolution.
#pragma once

#include <cstdio>

#include "bmpbase/bitmap24.h"
#include "bmpbase/bmp_source.h"

namespace BmpBase {

enum class BmpPolicy { kDesktop, kStandard };

// Reads the BMP file in `file` into `bmp` and, when `source` is given,
// describes the original there. False for a null file, a file that is not
// an accepted BMP under `policy`, a picture beyond the size limits or a
// truncated file.
bool ReadBmp(std::FILE* file, BmpPolicy policy, CBitmap24& bmp, BmpSource* source = nullptr);

}  // namespace BmpBase
