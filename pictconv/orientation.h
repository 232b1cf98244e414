// Putting a picture upright by its EXIF orientation (1..8): the stored
// picture is mirrored and turned in quarter turns so that it looks as the
// camera's viewer showed it. Orientations 5..8 swap width and height.
//
// Exact: pixels are moved, never interpolated. The resolution swaps with the
// axes. Orientation 1 and values outside 1..8 copy the picture as it is.
#pragma once

#include "bmpbase/bitmap24.h"

namespace Pictconv {

// True when `orientation` asks for a change (2..8).
bool TurnsByOrientation(int orientation);

// Writes the upright form of `src` into `dst` (a new bottom-up page, `src`
// untouched; `dst` must be another bitmap). False, `dst` unchanged, for an
// empty `src`, one beyond the size limits, or `dst` the same as `src`. Throws
// std::bad_alloc when memory runs out.
bool UprightByOrientation(const BmpBase::CBitmap24& src, int orientation, BmpBase::CBitmap24& dst);

}  // namespace Pictconv
