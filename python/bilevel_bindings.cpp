#include "python/bilevel_bindings.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>

#include "cli/bilevel_output.h"
#include "engine/bilevel_page.h"
#include "python/array_page.h"

namespace py = pybind11;

namespace Levelora {

namespace {

std::optional<std::string> ChoiceName(Skewmend::BestChoice choice) {
    switch (choice) {
        case Skewmend::BestChoice::kOtsu:
            return "otsu";
        case Skewmend::BestChoice::kMultiBackground:
            return "multibg";
        case Skewmend::BestChoice::kSauvola:
            return "sauvola";
        case Skewmend::BestChoice::kNone:
            break;
    }
    return std::nullopt;
}

py::tuple Binarize(const py::object& image, const std::string& method) {
    Skewmend::BinarizeMethod chosen = Skewmend::BinarizeMethod::kBest;
    if (!Cli::ParseBilevelMethod(method, chosen)) {
        throw py::value_error("method must be otsu, sauvola, dotsu, multibg or best, not '" +
                              method + "'");
    }
    BmpBase::CBitmap24 page;
    PageFromArray(image, "image", page);
    Skewmend::BilevelPage ink;
    std::string reason;
    bool ok = false;
    {
        py::gil_scoped_release released;
        ok = Skewmend::BinarizePage(page, chosen, ink, reason);
    }
    if (!ok) {
        throw py::value_error("image: " + reason);
    }
    // The mask's rows are the page's buffer rows; a bottom-up page stores
    // the top row last.
    const bool bottomUp = page.infoHeader.biHeight >= 0;
    py::array_t<bool> mask(
        {static_cast<py::ssize_t>(ink.height), static_cast<py::ssize_t>(ink.width)});
    bool* out = mask.mutable_data();
    for (uint32_t y = 0; y < ink.height; ++y) {
        const size_t row = bottomUp ? ink.height - 1 - y : y;
        for (uint32_t x = 0; x < ink.width; ++x) {
            *out++ = ink.mask[row * ink.width + x];
        }
    }
    return py::make_tuple(mask, ChoiceName(ink.choice));
}

}  // namespace

void AddBilevelFunctions(py::module_& m) {
    m.def("binarize", &Binarize, py::arg("image"), py::arg("method") = "best", R"doc(
Makes the page in `image` bilevel: returns (mask, choice).

mask    H x W numpy bool array, True where the page has ink.
choice  The branch "best" took: "otsu" (evenly lit), "multibg" (evenly lit,
        paper beside a picture or dark margin) or "sauvola" (unevenly lit);
        None for the other methods.

method  "best" (default), "otsu", "sauvola", "dotsu" (Otsu by tiles) or
        "multibg" (Otsu over several backgrounds), as skewmend --bilevel
        names them.

Raises TypeError or ValueError as estimate() does, ValueError for an
unknown method or a page the binarizer cannot take.
)doc");
}

}  // namespace Levelora
