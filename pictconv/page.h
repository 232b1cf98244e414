// The picture between a decoder and an encoder: a BmpBase::CBitmap24 held
// bottom-up (row 0 is the bottom row, as a BMP file stores it), with its
// resolution in the information header's pixels-per-metre fields.
//
// NewPage refuses empty pictures and sizes beyond size_limits.h before it
// allocates; LoadBmp reads BMP files of every common depth by the shared
// reader's standard policy (bmpbase/bmp_reader.h). Nothing here prints.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bmpbase/bitmap24.h"
#include "bmpbase/bmp_source.h"

namespace Pictconv {

constexpr double kMetresPerInch = 0.0254;

// Pixels per metre for a density in dots per inch, rounded; 0 for a density
// that is not a positive finite number or does not fit the BMP field.
int32_t PpmFromDpi(double dpi);

// Dots per inch for a BMP pixels-per-metre value (0 when unknown).
double DpiFromPpm(int32_t ppm);

// Gives `page` the headers of a new 24-bit bottom-up picture of `rows` x
// `cols` pixels with the given resolution, and a pixel buffer whose row
// padding is zero and whose pixels are left for the decoder to fill. False,
// with `page` unchanged, for an empty picture or one beyond the size limits.
// Throws std::bad_alloc when the buffer cannot be had.
bool NewPage(BmpBase::CBitmap24& page, uint32_t rows, uint32_t cols, int32_t xPpm, int32_t yPpm);

// Row `i` counted from the top of the picture as displayed: the last stored
// row of a bottom-up picture, the first of a top-down one (negative height).
uint8_t* TopRow(BmpBase::CBitmap24& page, uint32_t i);
const uint8_t* TopRow(const BmpBase::CBitmap24& page, uint32_t i);

// The resolution of a loaded picture; negative fields count as unknown (0).
int32_t XPpm(const BmpBase::CBitmap24& page);
int32_t YPpm(const BmpBase::CBitmap24& page);

// Reads a BMP with at least one pixel into a 24-bit page and, when `source`
// is given, describes the original depth and palette there. False for a
// missing, unreadable, truncated or unsupported file.
bool LoadBmp(const char* path, BmpBase::CBitmap24& page, BmpBase::BmpSource* source = nullptr);

// Writes `page` as a 24-bit BMP with true file and image sizes. False when a
// write fails; the stream stays open.
bool SaveBmp(const BmpBase::CBitmap24& page, std::FILE* out);

// True when every pixel has equal blue, green and red: such a page is
// stored with one channel, which loses nothing.
bool IsGreyPage(const BmpBase::CBitmap24& page);

}  // namespace Pictconv
