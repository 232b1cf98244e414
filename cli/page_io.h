// Reading and writing pages in the four formats, in memory: BMP through the
// shared reader and writer (every common depth), JPEG, PNG and TIFF through
// the converter library's codecs, so no temporary BMP file is needed and the
// resolution travels with the page. With a page description, pages are read
// with their kind and written in it (pictconv/codecs.h); without one, BMP is
// written in 24 bits and grey pages in one channel. Every write is atomic: a
// temporary file beside the destination, renamed over it only when
// complete.
#pragma once

#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "cli/image_format.h"
#include "pictconv/page_description.h"
#include "pictconv/tiff_pages.h"

namespace Cli {

// Loads the picture in `path`, whose format is recognised by content, and
// describes it in `description` when one is given. On failure returns false
// with a one-line reason in `error`.
bool LoadPage(const std::string& path, BmpBase::CBitmap24& page, ImageFormat& format,
              std::string& error, Pictconv::PageDescription* description = nullptr);

// Writes `page` to `path` in `format` (not kUnknown), in the kind of `kind`
// when given (the page brought to it by Pictconv::ReduceToKind); "-" is
// standard output. False with a reason when the file cannot be written; an
// existing file is then untouched.
bool SavePage(const BmpBase::CBitmap24& page, const std::string& path, ImageFormat format,
              std::string& error, const Pictconv::PageDescription* kind = nullptr);

// Writes the pages `pages` of the open TIFF file `input` to `path` ("-" is
// standard output) as one TIFF file (pictconv/tiff_pages.h), atomically.
// False with a reason when it cannot be written; an existing file is then
// untouched.
bool SaveTiffPages(Pictconv::TiffPages& input, const std::vector<Pictconv::TiffPageOut>& pages,
                   const std::string& path, std::string& error);

// Copies the file `from` to `to` (or standard output, "-") byte for byte,
// atomically. Used when a page
// needs no change and keeps its format: no re-encoding, no loss.
bool CopyFileAtomically(const std::string& from, const std::string& to, std::string& error);

}  // namespace Cli
