#include "python/file_bindings.h"

#include <string>

#include "cli/image_format.h"
#include "cli/page_io.h"
#include "python/array_page.h"

namespace py = pybind11;

namespace Levelora {

namespace {

[[noreturn]] void RaiseOsError(const std::string& reason) {
    PyErr_SetString(PyExc_OSError, reason.c_str());
    throw py::error_already_set();
}

std::string PathText(const py::object& path) {
    return py::str(py::module_::import("os").attr("fspath")(path));
}

py::array ReadImage(const py::object& path) {
    const std::string name = PathText(path);
    BmpBase::CBitmap24 page;
    Cli::ImageFormat format = Cli::ImageFormat::kUnknown;
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        ok = Cli::LoadPage(name, page, format, error);
    }
    if (!ok) {
        RaiseOsError(error);
    }
    return ArrayFromPage(page, PixelKind::kRgb);
}

void WriteImage(const py::object& path, const py::object& image) {
    const std::string name = PathText(path);
    const Cli::ImageFormat format = Cli::FormatFromExtension(name);
    if (format == Cli::ImageFormat::kUnknown) {
        throw py::value_error(name +
                              ": the name must end in .bmp, .jpg, .jpeg, .png, .tif or .tiff");
    }
    BmpBase::CBitmap24 page;
    PageFromArray(image, "image", page);
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        ok = Cli::SavePage(page, name, format, error);
    }
    if (!ok) {
        RaiseOsError(error);
    }
}

}  // namespace

void AddFileFunctions(py::module_& m) {
    m.def("read", &ReadImage, py::arg("path"), R"doc(
Reads the first page of a BMP, JPEG, PNG or TIFF file (the format is
recognised by content) and returns it as an RGB array, H x W x 3 uint8.

Raises OSError with the reason when the file cannot be read or decoded.
)doc");
    m.def("write", &WriteImage, py::arg("path"), py::arg("image"), R"doc(
Writes `image` (H x W x 3 uint8 RGB or H x W uint8 grey) to `path` in the
format its extension names (.bmp, .jpg/.jpeg, .png, .tif/.tiff). The file
appears complete or not at all: it is written beside the destination and
renamed into place.

Raises TypeError or ValueError for an unsuitable image or name, OSError
when the file cannot be written (an existing file is then untouched).
)doc");
}

}  // namespace Levelora
