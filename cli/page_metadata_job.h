// What the tool does with a page's orientation and metadata, for single
// pictures and the pages of a TIFF file alike (page_jobs.h, tiff_jobs.h).
//
// UprightLoadedPage runs right after a page is read, before any analysis:
// a page stored sideways or mirrored (orientation 2..8) is put upright, so
// auto and rotate turn, and estimate measures, the page as it is meant to
// be seen. WrittenPageNotes runs when a page is about to be written anew:
// it brings the metadata in line with the written pixels
// (Pictconv::TurnMetadata) and gives the report's change notes: what
// writing in the page's kind gave up, then "put upright by its
// orientation" when that happened, then the metadata's own notes ("EXIF
// dropped (damaged)", "colour profile dropped" when the page is written in
// another colour space than its profile's: CMYK as RGB, colour as grey or
// bilevel; or as a PNG that libpng would refuse the profile in). Nothing
// here fails but for std::bad_alloc.
#pragma once

#include <string>

#include "bmpbase/bitmap24.h"
#include "cli/image_format.h"
#include "pictconv/page_description.h"

namespace Cli {

// `format` is the format the page was read from (TIFF pages come through
// libtiff's RGBA reading, which has done part of the work). True when the
// page changed; its description's resolution follows it.
bool UprightLoadedPage(BmpBase::CBitmap24& page, ImageFormat format,
                       Pictconv::PageDescription& description);

// `written` is the page as it will be written, in `format`; `uprighted`
// what UprightLoadedPage returned.
std::string WrittenPageNotes(const BmpBase::CBitmap24& written, bool uprighted,
                             Pictconv::PageDescription& description, ImageFormat format);

// `first` and `second` joined by "; ", either left out when empty.
std::string JoinedNotes(const std::string& first, const std::string& second);

}  // namespace Cli
