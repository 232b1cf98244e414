// The desktop program's own BMP import and export: the shared reader and
// writer of bmpbase/ with the desktop program's reading rules
// (BmpPolicy::kDesktop, described in bmpbase/bmp_reader.h).
//
// ReadFromFile accepts every uncompressed BMP with a 40-byte information
// header and 1, 4, 8, 16, 24 or 32 bits per pixel and converts it into the
// 24-bit bitmap the engine works on. WriteToFile stores a bitmap as a 24-bit
// BMP (Save and the converter's temporary file), WriteToFile32 as a 32-bit
// BMP (the clipboard path).
//
// All three take a file the caller has opened (binary mode, positioned at
// the start) and close it in every case, also when `file` cannot be used.
// They read or write strictly in sequence and show no message; the callers
// do. ReadFromFile is all or nothing: on failure `bmp` is exactly as before.
// Pictures beyond the size limits of bmpbase/size_limits.h, and pictures
// whose byte counts do not fit in 32 bits, are refused before anything is
// allocated for their pixels.
#pragma once

#include <cstdio>

#include "bmpbase/bitmap24.h"
#include "bmpbase/bmp_writer.h"

namespace LeveloraDesk {

// Reads a whole BMP file into `bmp`. False when the headers cannot be read,
// no accepted kind of file matches, or the file is shorter than its headers
// say.
bool ReadFromFile(BmpBase::CBitmap24& bmp, std::FILE* file);

// Writes `bmp` as a 24-bit BMP: the headers as held, except that bfSize and
// biSizeImage carry the true file and pixel sizes, then `pixelBytes` bytes.
// False when a write is short or fails, or the file cannot be closed.
bool WriteToFile(const BmpBase::CBitmap24& bmp, std::FILE* file);

// Writes `bmp` as a 32-bit BMP: the headers as held with bfSize 0,
// biBitCount 32 and biSizeImage 0, then the rows of ExpandTo32.
bool WriteToFile32(const BmpBase::CBitmap24& bmp, std::FILE* file);

// The 32-bit rows of the clipboard form, from the shared writer.
using BmpBase::ExpandTo32;

}  // namespace LeveloraDesk
