// The Python functions on picture files: read(path), write(path, image,
// like=None) and Document(path) with Document.save(path), through the tool's
// page input and output (cli/page_io.h) and the converter's page description
// (pictconv/page_description.h, pictconv/tiff_pages.h), so a file reads and
// writes exactly as it does with skewmend: the format recognised by content
// on reading and by the extension on writing, pages in the kind they were
// stored in, every write atomic.
//
// read gives the first page as an RGB array (H x W x 3 uint8) as the
// converter decodes it (a grey or palette picture comes back as RGB;
// orientation tags are not applied). Document reads every page (each page of
// a TIFF file) as arrays with its kind and compression, and save writes them
// back in those; write takes either kind of array and, with `like`, the kind,
// compression and resolution of a document's first page. They raise OSError
// with the tool's one-line reason when a file cannot be read or written, and
// ValueError for a name without a picture extension or pages a format cannot
// hold. The GIL is released while the codecs work.
#pragma once

#include <pybind11/pybind11.h>

namespace Levelora {

void AddFileFunctions(pybind11::module_& m);

}  // namespace Levelora
