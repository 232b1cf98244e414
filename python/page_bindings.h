// The Python functions on images held as numpy arrays: estimate, deskew,
// rotate, the Estimate they describe a page with, and set_verbose.
//
// Every function checks its image (array_page.h) and its options (the
// tool's parser, tool_options.h) before the engine sees anything, then
// releases the GIL while the engine works, so several Python threads
// straighten pages at once. The engine's log lines are discarded unless
// set_verbose(True) sends them to standard error.
#pragma once

#include <pybind11/pybind11.h>

namespace Levelora {

void AddPageFunctions(pybind11::module_& m);

}  // namespace Levelora
