// libtiff handles as the converter opens them, and the decoding of one
// directory (page) of an open file into a 24-bit page; shared by the
// single-page codec (tiff_codec.cpp) and the multi-page reader and writer
// (tiff_pages.h).
//
// Handles are opened with per-handle error and warning handlers that
// swallow every message (the host program's own handlers stay untouched)
// and with a cap on any single allocation of the library. DecodeDirectory
// reads the current directory through libtiff's RGBA interface: every
// photometric interpretation, bit depth, compression and layout the library
// can turn into RGBA, alpha composited over white, the resolution tags
// giving the page's resolution. False, with `page` holding no usable
// picture, for a directory it cannot read whole; nothing prints or throws
// but std::bad_alloc.
#pragma once

#include <tiffio.h>

#include <memory>

#include "bmpbase/bitmap24.h"

namespace Pictconv {

struct TiffOptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using TiffOptions = std::unique_ptr<TIFFOpenOptions, TiffOptionsDeleter>;

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Open options with the silent handlers and the allocation cap; null when
// they cannot be had.
TiffOptions SilentOptions();

// The file at `path` opened with libtiff's `mode`; null when it cannot be.
TiffHandle OpenSilently(const char* path, const char* mode);

// The current directory of `tif` as a bottom-up 24-bit page.
bool DecodeDirectory(TIFF* tif, BmpBase::CBitmap24& page);

}  // namespace Pictconv
