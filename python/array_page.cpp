#include "python/array_page.h"

#include <cstdint>
#include <string>

#include "bmpbase/size_limits.h"
#include "pictconv/page.h"

namespace py = pybind11;

namespace Levelora {

namespace {

std::string ShapeText(const py::array& a) {
    std::string text = "(";
    for (py::ssize_t i = 0; i < a.ndim(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(a.shape(i));
    }
    return text + (a.ndim() == 1 ? ",)" : ")");
}

// Copies the pixels of a checked array, any strides, into `page`, whose
// size is already the array's.
void CopyIn(const py::array& a, PixelKind kind, BmpBase::CBitmap24& page) {
    const auto* base = static_cast<const uint8_t*>(a.data());
    const py::ssize_t rowStep = a.strides(0);
    const py::ssize_t colStep = a.strides(1);
    const py::ssize_t channelStep = kind == PixelKind::kRgb ? a.strides(2) : 0;
    for (uint32_t y = 0; y < page.height; ++y) {
        const uint8_t* in = base + static_cast<py::ssize_t>(y) * rowStep;
        uint8_t* out = Pictconv::TopRow(page, y);
        for (uint32_t x = 0; x < page.width; ++x, in += colStep, out += 3) {
            out[0] = in[2 * channelStep];  // blue
            out[1] = in[channelStep];      // green
            out[2] = in[0];                // red
        }
    }
}

}  // namespace

PixelKind PageFromArray(const py::object& image, const char* what, BmpBase::CBitmap24& page) {
    if (!py::isinstance<py::array>(image)) {
        throw py::type_error(std::string(what) + " must be a numpy array, not " +
                             std::string(py::str(image.get_type().attr("__name__"))));
    }
    const auto a = py::reinterpret_borrow<py::array>(image);
    if (!a.dtype().is(py::dtype::of<uint8_t>())) {
        throw py::type_error(std::string(what) + " must have dtype uint8, not " +
                             std::string(py::str(a.dtype())));
    }
    const bool grey = a.ndim() == 2;
    if (!grey && !(a.ndim() == 3 && a.shape(2) == 3)) {
        throw py::value_error(std::string(what) +
                              " must be H x W (grey) or H x W x 3 (RGB), not shape " +
                              ShapeText(a));
    }
    if (a.shape(0) == 0 || a.shape(1) == 0) {
        throw py::value_error(std::string(what) + " is empty (shape " + ShapeText(a) + ")");
    }
    const auto rows = static_cast<uint64_t>(a.shape(0));
    const auto cols = static_cast<uint64_t>(a.shape(1));
    if (!BmpBase::SizeIsSupported(cols, rows)) {
        throw py::value_error(std::string(what) + " of " + std::to_string(rows) + " x " +
                              std::to_string(cols) + " pixels is beyond the size limits (at most " +
                              std::to_string(BmpBase::kMaxSide) + " on a side and " +
                              std::to_string(BmpBase::kMaxPixels) + " pixels)");
    }
    const PixelKind kind = grey ? PixelKind::kGrey : PixelKind::kRgb;
    page.AllocateForOverwrite(static_cast<uint32_t>(rows), static_cast<uint32_t>(cols));
    CopyIn(a, kind, page);
    return kind;
}

py::array ArrayFromPage(const BmpBase::CBitmap24& page, PixelKind kind) {
    const auto rows = static_cast<py::ssize_t>(page.height);
    const auto cols = static_cast<py::ssize_t>(page.width);
    if (kind == PixelKind::kGrey) {
        py::array_t<uint8_t> out({rows, cols});
        uint8_t* o = out.mutable_data();
        for (uint32_t y = 0; y < page.height; ++y) {
            const uint8_t* in = Pictconv::TopRow(page, y);
            for (uint32_t x = 0; x < page.width; ++x) {
                *o++ = in[3 * x];
            }
        }
        return std::move(out);
    }
    py::array_t<uint8_t> out({rows, cols, py::ssize_t{3}});
    uint8_t* o = out.mutable_data();
    for (uint32_t y = 0; y < page.height; ++y) {
        const uint8_t* in = Pictconv::TopRow(page, y);
        for (uint32_t x = 0; x < page.width; ++x, in += 3, o += 3) {
            o[0] = in[2];
            o[1] = in[1];
            o[2] = in[0];
        }
    }
    return std::move(out);
}

}  // namespace Levelora
