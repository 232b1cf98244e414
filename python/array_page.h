// Numpy arrays in and out of the engine's page type (BmpBase::CBitmap24).
//
// An image is an H x W x 3 array of uint8 (red, green, blue) or an H x W
// array of uint8 (grey), row 0 at the top, with any strides (views, slices
// and reversed axes included). PageFromArray checks the array before
// anything else sees it: not a numpy array or not uint8 raises TypeError;
// another shape, an empty array or one beyond the size limits of
// bmpbase/size_limits.h raises ValueError; each message names the problem.
// Nothing is ever cast silently. A grey image becomes a page whose three
// channels are equal; the engine turns each channel by the same rule, so a
// turned grey page keeps them equal and ArrayFromPage gives it back as grey.
// Both throw std::bad_alloc (MemoryError in Python) when memory runs out.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "bmpbase/bitmap24.h"

namespace Levelora {

enum class PixelKind { kRgb, kGrey };

// Checks `image` (named `what` in the messages) and copies it into `page`.
// Returns whether it was RGB or grey. Needs the GIL.
PixelKind PageFromArray(const pybind11::object& image, const char* what, BmpBase::CBitmap24& page);

// A new C-contiguous array of `kind` holding `page`. Needs the GIL.
pybind11::array ArrayFromPage(const BmpBase::CBitmap24& page, PixelKind kind);

}  // namespace Levelora
