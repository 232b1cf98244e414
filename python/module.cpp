// The extension module levelora._levelora: the functions on arrays, on
// files and for cluster batches; the package levelora (levelora/__init__.py)
// presents them.
#include <pybind11/pybind11.h>

#include "python/batch_bindings.h"
#include "python/bilevel_bindings.h"
#include "python/file_bindings.h"
#include "python/page_bindings.h"

PYBIND11_MODULE(_levelora, m) {
    m.doc() = "The Levelora engine's functions; use the package levelora.";
    Levelora::AddPageFunctions(m);
    Levelora::AddFileFunctions(m);
    Levelora::AddBilevelFunctions(m);
    Levelora::AddBatch(m);
}
