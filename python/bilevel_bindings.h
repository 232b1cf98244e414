// The Python function binarize(image, method="best"): a page made bilevel by
// one of the engine's binarization methods (engine/bilevel_page.h), the
// methods named as the tool's --bilevel names them (cli/bilevel_output.h).
//
// Returns (mask, choice): mask an H x W numpy bool array, True for ink, row 0
// at the top; choice the branch "best" took ("otsu", "multibg" or
// "sauvola"), None for the other methods. Raises TypeError or ValueError for
// an unsuitable image (python/array_page.h) or an unknown method, ValueError
// with the engine's reason when the binarizer cannot take the page. The GIL
// is released while the engine works.
#pragma once

#include <pybind11/pybind11.h>

namespace Levelora {

void AddBilevelFunctions(pybind11::module_& m);

}  // namespace Levelora
