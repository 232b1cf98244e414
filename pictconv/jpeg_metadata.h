// A JPEG's metadata through libjpeg's own marker functions: EXIF and XMP
// (APP1), the ICC profile (APP2, through jpeg_read_icc_profile and
// jpeg_write_icc_profile), Photoshop resources with IPTC (APP13) and
// comments (COM); how the file was encoded (estimated quality, progressive,
// luma sampling); and the JFIF density as stored.
//
// Reading: SaveJpegMetadataMarkers before jpeg_read_header, ReadJpegMetadata
// after it. Writing: SetJpegEncoding after jpeg_set_defaults (or
// jpeg_set_colorspace) and before jpeg_start_compress, WriteJpegMetadata
// after jpeg_start_compress and before the first scanline. The functions
// call libjpeg only in the states these points guarantee; the one error
// they can meet is a failed write of the destination inside
// WriteJpegMetadata, which goes to the caller's error handler (the writing
// functions own nothing a jump could skip). ReadJpegMetadata may throw
// std::bad_alloc. A block too large for one marker (EXIF over 64
// KB, a standard XMP packet over 64 KB) is left out of the written file.
#pragma once

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "pictconv/page_metadata.h"

namespace Pictconv {

// Asks libjpeg to keep the APP1, APP2, APP13 and COM markers whole.
void SaveJpegMetadataMarkers(jpeg_decompress_struct& info);

// Collects the saved markers into `metadata` (EXIF without its "Exif\0\0"
// prefix; Photoshop resources without the "Photoshop 3.0\0" header, the
// segments joined; the orientation from EXIF), the encoding and the JFIF
// density. Markers that are not metadata are ignored.
void ReadJpegMetadata(jpeg_decompress_struct& info, PageMetadata& metadata);

// The quality (`qualityOverride` when 1..100, else the estimate, else
// `fallbackQuality`), progressive mode, the luma sampling factors (for a
// colour file, chroma at 1x1) and, when the page came from a JFIF density,
// that density exactly.
void SetJpegEncoding(jpeg_compress_struct& info, const PageMetadata& metadata, int qualityOverride,
                     int fallbackQuality);

// Writes EXIF, XMP, the ICC profile (when it fits the file's colour space,
// ProfileFits), Photoshop resources and comments.
void WriteJpegMetadata(jpeg_compress_struct& info, const PageMetadata& metadata);

}  // namespace Pictconv
