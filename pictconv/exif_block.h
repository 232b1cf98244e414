// A small, bounded reader and patcher of EXIF blocks: the TIFF-structured
// bytes a JPEG carries in its "Exif\0\0" APP1 segment and a PNG in its eXIf
// chunk. No codec library edits EXIF, and a turned page must not keep a
// stale orientation, pixel size or thumbnail, so the block is patched in
// place rather than rewritten.
//
// Every offset and count is checked against the block before it is used;
// nothing is read or written outside it. Only IFD0, its EXIF sub-directory
// and IFD0's link to IFD1 are visited, so loops of directories cannot make
// the walk run on; directories must start after the TIFF header and the
// EXIF directory must not share bytes with IFD0, so that patching one never
// changes the other. A block that fails any check is "damaged": it is left
// exactly as it was and the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Pictconv {

// The orientation tag's values: 1 is upright; 2..8 mirror and turn.
constexpr int kUprightOrientation = 1;

enum class ExifStatus {
    kOk,       // read (and, for PatchExif, patched)
    kDamaged,  // an offset or count points outside the block, or a bad header
};

// The Orientation (tag 274) of IFD0: 1..8, or 0 when the tag is absent or
// holds another value. `block` may start with the "Exif\0\0" prefix.
ExifStatus ReadExifOrientation(const uint8_t* block, size_t size, int& orientation);

// Sets Orientation to 1 (when present), PixelXDimension and
// PixelYDimension of the EXIF sub-directory to `width` and `height` (when
// present, in their own SHORT or LONG type; a SHORT that cannot hold the
// new size is changed to LONG), and drops the thumbnail directory (IFD1) by
// ending IFD0's chain. On kDamaged `block` is unchanged.
ExifStatus PatchExif(std::vector<uint8_t>& block, uint32_t width, uint32_t height);

}  // namespace Pictconv
