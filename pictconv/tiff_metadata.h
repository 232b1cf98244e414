// A TIFF page's metadata through libtiff's own tag functions: the ICC
// profile, XMP packet, Photoshop resources and IPTC records, the text tags
// (Artist, ImageDescription, DateTime, Software, Make, Model, Copyright,
// HostComputer, DocumentName, PageName), the Orientation tag and the fields
// of the EXIF directory. (The resolution is the page description's, read
// and written as the rationals' value, which keeps 300/1 exact.)
//
// ReadTiffMetadata reads the current directory of `tif` and leaves the
// handle at that directory again. Writing a page takes two steps: on a
// fresh directory (a new file, or right after TIFFWriteDirectory),
// WriteTiffExifDirectory writes the EXIF directory first and leaves a fresh
// directory behind; then, with the page's other tags (the photometric
// interpretation first), SetTiffMetadata sets the metadata tags and the link
// to that EXIF directory. EXIF fields libtiff
// does not accept are left out. Nothing prints; failures are reported by
// return values; std::bad_alloc may be thrown.
#pragma once

#include <tiffio.h>

#include <cstdint>

#include "pictconv/page_metadata.h"

namespace Pictconv {

// The text tags carried, in tag order.
constexpr uint32_t kTiffTextTags[] = {
    TIFFTAG_DOCUMENTNAME, TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_MAKE,     TIFFTAG_MODEL,
    TIFFTAG_PAGENAME,     TIFFTAG_SOFTWARE,         TIFFTAG_DATETIME, TIFFTAG_ARTIST,
    TIFFTAG_HOSTCOMPUTER, TIFFTAG_COPYRIGHT,
};

// False when the directory cannot be reached again after reading the EXIF
// directory (the handle is then unusable for this page); what was read is
// kept in `metadata` either way.
bool ReadTiffMetadata(TIFF* tif, PageMetadata& metadata);

// Writes `metadata.tiffExif` as an EXIF directory and gives its offset
// (0 when there are no fields). False when libtiff cannot write it.
bool WriteTiffExifDirectory(TIFF* tif, const PageMetadata& metadata, uint64_t& offset);

// Sets the tags above (not Orientation: written pixels are upright, and
// the encoder says so; the profile only when it fits the photometric
// interpretation, ProfileFits); `exifOffset` 0 sets no EXIF link.
void SetTiffMetadata(TIFF* tif, const PageMetadata& metadata, uint64_t exifOffset);

// The EXIF orientation still to apply to a page that libtiff's RGBA
// interface read with Orientation `tag`: that interface flips the page for
// 2..4 (and the flip part of 5..8) but never swaps its axes, so 5 and 7
// leave a transpose (5) and 6 and 8 a transverse (7). 1 for the others.
int OrientationLeftByRgba(int tag);

}  // namespace Pictconv
