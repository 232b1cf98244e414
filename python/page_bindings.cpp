#include "python/page_bindings.h"

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/bilevel_output.h"
#include "cli/engine_log.h"
#include "cli/page_decision.h"
#include "cli/page_note.h"
#include "cli/page_report.h"
#include "cli/page_result.h"
#include "cli/page_status.h"
#include "python/array_page.h"
#include "python/tool_options.h"

namespace py = pybind11;

namespace Levelora {

namespace {

// How the tool's decisions name the page in their reasons.
const char kImageName[] = "image";

// The converter's kind of an array's page: the corner rule of bilevel
// pages never applies to arrays, which are grey or RGB.
Pictconv::PageKind PageKindOf(PixelKind kind) {
    return kind == PixelKind::kGrey ? Pictconv::PageKind::kGrey : Pictconv::PageKind::kRgb;
}

// What the engine made of a page, in the tool's words.
struct Estimate {
    std::optional<double> angle;
    std::optional<double> confidence;
    std::string status;
    std::string mode;
    std::optional<std::string> note;
    std::optional<std::string> error;
};

std::string Repr(const Estimate& e) {
    std::string text = "Estimate(angle=";
    text += e.angle ? std::string(py::repr(py::float_(*e.angle))) : "None";
    text += ", confidence=";
    text += e.confidence ? std::string(py::repr(py::float_(*e.confidence))) : "None";
    text += ", status='" + e.status + "', mode='" + e.mode + "'";
    if (e.note) {
        text += ", note='" + *e.note + "'";
    }
    if (e.error) {
        text += ", error='" + *e.error + "'";
    }
    return text + ")";
}

// The page's result as the tool's reports give it: `statusOptions` decides
// the status word (estimate's or auto's).
Estimate Describe(const Cli::Options& statusOptions, const Cli::PageResult& r) {
    Estimate e;
    if (r.hasAngle) {
        e.angle = r.precise ? r.preciseAngle : static_cast<double>(r.angle);
    }
    if (r.precise && r.ok) {
        e.confidence = r.confidence;
    }
    e.status = Cli::StatusName(Cli::StatusOf(statusOptions, r));
    e.mode = Cli::ModeName(statusOptions);
    if (r.note != Cli::PageNote::kNone) {
        e.note = Cli::NoteText(r.note);
    }
    if (!r.ok) {
        e.error = r.error;
    }
    return e;
}

// The mode options shared by estimate and deskew.
void AddMode(std::vector<std::string>& args, bool wholeDegrees, double minConfidence) {
    if (wholeDegrees) {
        args.push_back("--whole-degrees");
    } else {
        args.push_back("--min-confidence=" + NumberArgument(minConfidence));
    }
}

Estimate EstimateImage(const py::object& image, bool wholeDegrees, double minConfidence) {
    std::vector<std::string> args{"estimate"};
    AddMode(args, wholeDegrees, minConfidence);
    args.push_back("-");
    const Cli::Options options = ToolOptions(args);
    BmpBase::CBitmap24 page;
    PageFromArray(image, "image", page);
    Cli::PageResult r;
    {
        py::gil_scoped_release released;
        r.ok = Cli::DecideEstimate(kImageName, options, page, r);
    }
    return Describe(options, r);
}

py::tuple DeskewImage(const py::object& image, bool wholeDegrees, const std::string& corner,
                      const std::string& canvas, double minConfidence, double minAngle,
                      const std::optional<std::string>& bilevel) {
    std::vector<std::string> args{"auto", "--corner=" + corner, "--canvas=" + canvas};
    AddMode(args, wholeDegrees, minConfidence);
    if (!wholeDegrees) {
        args.push_back("--min-angle=" + NumberArgument(minAngle));
    }
    if (bilevel) {
        args.push_back("--bilevel=" + *bilevel);
    }
    args.insert(args.end(), {"-", "-o", "-"});
    const Cli::Options options = ToolOptions(args);
    BmpBase::CBitmap24 src;
    const PixelKind kind = PageFromArray(image, "image", src);
    BmpBase::CBitmap24 dst;
    BmpBase::CBitmap24 made;
    Cli::PageResult r;
    r.input = kImageName;
    {
        py::gil_scoped_release released;
        r.ok = Cli::DecideAuto(kImageName, Cli::DecisionOptions(options), src, PageKindOf(kind),
                               dst, r);
        if (r.ok && options.bilevel) {
            Pictconv::PageDescription bilevelKind;
            r.ok = Cli::MakeBilevel(src, dst, options, Pictconv::PageDescription(), made,
                                    bilevelKind, r);
        }
    }
    if (!r.ok) {
        throw py::value_error(r.error);
    }
    if (options.bilevel) {
        return py::make_tuple(ArrayFromPage(made, PixelKind::kGrey), Describe(options, r));
    }
    return py::make_tuple(ArrayFromPage(r.turned ? dst : src, kind), Describe(options, r));
}

py::array RotateImage(const py::object& image, double angle, const std::string& corner,
                      const std::string& canvas) {
    const Cli::Options options =
        ToolOptions({"rotate", "--angle=" + NumberArgument(angle), "--corner=" + corner,
                     "--canvas=" + canvas, "-", "-o", "-"});
    BmpBase::CBitmap24 src;
    const PixelKind kind = PageFromArray(image, "image", src);
    if (angle == 0.0) {
        return ArrayFromPage(src, kind);
    }
    BmpBase::CBitmap24 dst;
    bool turned = false;
    {
        py::gil_scoped_release released;
        turned = Cli::TurnOnCanvas(src, angle, options, options.corner, nullptr, dst);
    }
    if (!turned) {
        throw py::value_error("the page could not be rotated by " + NumberArgument(angle) +
                              " degrees (the result would be too large)");
    }
    return ArrayFromPage(dst, kind);
}

}  // namespace

void AddPageFunctions(py::module_& m) {
    Cli::RouteEngineLog(false);

    py::class_<Estimate>(m, "Estimate", R"doc(
What Levelora made of a page, in the words of the skewmend tool's reports.

angle       The correction in degrees (float), or None when there is none
            to trust. Positive turns the page clockwise as displayed: a
            page scanned 9 degrees clockwise has the angle -9.0, and
            deskew() turns it by that angle. Whole degrees in
            "whole-degrees" mode.
confidence  Precise mode's confidence, 0 to 1; None in "whole-degrees"
            mode and for a failed page.
status      estimate(): "estimated", "not sure" or "failed".
            deskew(): "rotated", "unchanged" or "not sure".
mode        "precise" or "whole-degrees".
note        Why a page was left as it was, in the tool's words
            ("below --min-angle", "no clear direction of text",
            "3 degrees or less", ...), or None.
error       Why no angle could be found (status "failed"), or None.
)doc")
        .def_readonly("angle", &Estimate::angle)
        .def_readonly("confidence", &Estimate::confidence)
        .def_readonly("status", &Estimate::status)
        .def_readonly("mode", &Estimate::mode)
        .def_readonly("note", &Estimate::note)
        .def_readonly("error", &Estimate::error)
        .def("__repr__", &Repr);

    m.def("estimate", &EstimateImage, py::arg("image"), py::kw_only(),
          py::arg("whole_degrees") = false, py::arg("min_confidence") = 0.5, R"doc(
Estimates how far the page in `image` is tilted, without changing it.

image           numpy array, H x W x 3 uint8 (RGB) or H x W uint8 (grey),
                any strides.
whole_degrees   False (default): precise mode, a fractional angle with a
                confidence. True: the whole-degree estimate.
min_confidence  Precise mode: below this confidence (0 to 1) the status is
                "not sure" and the angle None.

Returns an Estimate. The angle is the correction: positive turns clockwise
as displayed. Raises TypeError for an image that is not a uint8 numpy
array, ValueError for another shape, an empty image, one beyond the size
limits (65534 pixels on a side, 2**28 pixels) or a bad option.
)doc");

    m.def("deskew", &DeskewImage, py::arg("image"), py::kw_only(), py::arg("whole_degrees") = false,
          py::arg("corner") = "white", py::arg("canvas") = "expand",
          py::arg("min_confidence") = 0.5, py::arg("min_angle") = 0.05,
          py::arg("bilevel") = py::none(), R"doc(
Straightens the page in `image`: returns (new_image, Estimate).

The page is turned by the estimated correction when the estimate is trusted
(status "rotated"); otherwise the new image is an unchanged copy (status
"unchanged" or "not sure", the note says why). The result has the kind of
the input (RGB or grey).

whole_degrees   True: the whole-degree estimate and the small-tilt rule
                (pages tilted by less than 3 degrees are left as they are).
corner          What fills the corners the turned page no longer covers:
                "white" (default), "black" or "paper" (the paper's colour).
canvas          "expand" (default): large enough for every pixel;
                "keep": the input's size, centred.
min_confidence  Precise mode: below it the page is "not sure" and kept.
min_angle       Precise mode: smaller corrections (degrees) leave the page
                unchanged.
bilevel         None (default), or a method of binarize() ("best",
                "otsu", "sauvola", "dotsu", "multibg"): the straightened
                page is made bilevel as skewmend --bilevel makes it and
                returned as a grey array of 0 (ink) and 255; the corners
                the turn uncovered are white, black with corner="black".

Raises TypeError or ValueError as estimate() does.
)doc");

    m.def("rotate", &RotateImage, py::arg("image"), py::arg("angle"), py::kw_only(),
          py::arg("corner") = "white", py::arg("canvas") = "expand", R"doc(
Turns the page in `image` by `angle` degrees (positive: clockwise as
displayed) and returns the new image, of the kind of the input.

corner  "white" (default) or "black".
canvas  "expand" (default) or "keep" (the input's size, centred).

Raises TypeError or ValueError as estimate() does, and ValueError for an
angle that is not finite or whose result would be too large.
)doc");

    m.def("set_verbose", &Cli::RouteEngineLog, py::arg("verbose"), R"doc(
Sends the engine's log lines to standard error (True) or discards them
(False, the default).
)doc");
}

}  // namespace Levelora
