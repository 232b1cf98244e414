// A PNG's metadata through libpng's own chunk functions: the ICC profile
// (iCCP), EXIF (eXIf), XMP (the iTXt chunk "XML:com.adobe.xmp"), the text
// chunks (tEXt, zTXt, iTXt with their keyword, language and compression)
// and pHYs exactly as stored.
//
// ReadPngMetadata reads what libpng has gathered in `info`: call it after
// png_read_end(png, info) to have the chunks after the image data too (or
// after png_read_info for those before it only). It calls no libpng function
// that can fail; it may throw std::bad_alloc.
//
// Writing: PngTextChunks, outside the caller's setjmp scope, lists the text
// chunks (XMP first) as libpng takes them, pointing into `metadata`, which
// must outlive them; WritePngMetadata, before png_write_info, sets the
// profile, EXIF, those chunks and pHYs. It owns nothing, so a libpng error
// it raises (a malformed text chunk, memory) jumps safely to the caller's
// handler. libpng itself leaves out, with a warning, a profile unfit for the
// written colour type (an RGB profile on a grey page).
#pragma once

#include <png.h>

#include <vector>

#include "pictconv/page_metadata.h"

namespace Pictconv {

// The PNG keyword under which XMP packets are stored.
constexpr char kPngXmpKeyword[] = "XML:com.adobe.xmp";

void ReadPngMetadata(png_structp png, png_infop info, PageMetadata& metadata);

// Text entries of other origins are left out.
std::vector<png_text> PngTextChunks(const PageMetadata& metadata);

// Whether libpng writes the metadata's profile, under its name, into a PNG
// of grey (or else colour) samples. When writing, libpng refuses profiles it
// only warned about when reading (an unknown profile class, a damaged tag
// table), which would fail the whole page; such a profile is dropped
// instead (metadata_turn.h). True when there is no profile. Nothing fails
// but for memory.
bool PngWritesProfile(const PageMetadata& metadata, bool grey);

// pHYs only when the page's resolution came from a pHYs chunk.
void WritePngMetadata(png_structp png, png_infop info, const PageMetadata& metadata,
                      std::vector<png_text>& chunks);

}  // namespace Pictconv
