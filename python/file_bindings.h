// The Python functions on picture files: read(path) and write(path, image),
// through the tool's page input and output (cli/page_io.h), so a file reads
// and writes exactly as it does with skewmend: the format recognised by
// content on reading and by the extension on writing, every write atomic.
//
// read gives the first page as an RGB array (H x W x 3 uint8) as the
// converter decodes it today (a grey or palette picture comes back as RGB;
// orientation tags are not applied). write takes either kind of array. Both
// raise OSError with the tool's one-line reason when a file cannot be read
// or written, and write raises ValueError for a name without a picture
// extension. The GIL is released while the codecs work.
#pragma once

#include <pybind11/pybind11.h>

namespace Levelora {

void AddFileFunctions(pybind11::module_& m);

}  // namespace Levelora
