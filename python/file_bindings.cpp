#include "python/file_bindings.h"

#include <pybind11/stl.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cli/image_format.h"
#include "cli/page_io.h"
#include "cli/page_metadata_job.h"
#include "pictconv/page_description.h"
#include "pictconv/tiff_pages.h"
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

// "bmp", "jpeg", "png" or "tiff".
std::string FormatText(Cli::ImageFormat format) {
    std::string name = Cli::FormatName(format);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

const char* KindText(Pictconv::PageKind kind) {
    switch (kind) {
        case Pictconv::PageKind::kBilevel:
            return "bilevel";
        case Pictconv::PageKind::kGrey:
            return "grey";
        case Pictconv::PageKind::kPalette:
            return "palette";
        case Pictconv::PageKind::kRgb:
            break;
    }
    return "rgb";
}

// Bilevel and grey pages are handed out as grey arrays, the others as RGB.
PixelKind ArrayKind(const Pictconv::PageDescription& description) {
    const Pictconv::PageKind kind = description.kind;
    return kind == Pictconv::PageKind::kBilevel || kind == Pictconv::PageKind::kGrey
               ? PixelKind::kGrey
               : PixelKind::kRgb;
}

// The format a name's extension asks for, or `fallback` when it names none.
Cli::ImageFormat WriteFormat(const std::string& name, Cli::ImageFormat fallback) {
    const Cli::ImageFormat format = Cli::FormatFromExtension(name);
    if (format != Cli::ImageFormat::kUnknown) {
        return format;
    }
    if (fallback != Cli::ImageFormat::kUnknown) {
        return fallback;
    }
    throw py::value_error(name + ": the name must end in .bmp, .jpg, .jpeg, .png, .tif or .tiff");
}

// A picture file's pages as read, with what the file stores of each.
struct Document {
    std::string path;
    Cli::ImageFormat format = Cli::ImageFormat::kUnknown;
    std::vector<Pictconv::PageDescription> descriptions;
    std::vector<std::pair<int32_t, int32_t>> resolutions;  // pixels per metre, x and y
    py::list pages;
};

// Reads every page of `name`: each page of a TIFF file, the one picture of
// the other formats.
Document OpenDocument(const py::object& path) {
    Document d;
    d.path = PathText(path);
    std::vector<BmpBase::CBitmap24> pictures(1);
    d.descriptions.resize(1);
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        ok = Cli::LoadPage(d.path, pictures[0], d.format, error, &d.descriptions[0]);
        if (ok && d.format == Cli::ImageFormat::kTiff) {
            Pictconv::TiffPages tiff;
            ok = tiff.Open(d.path.c_str(), error);
            const size_t count = ok ? tiff.Count() : 1;
            pictures.resize(count);
            d.descriptions.resize(count);
            for (size_t i = 1; ok && i < count; ++i) {
                ok = tiff.Read(i, pictures[i], d.descriptions[i], error);
            }
            if (!ok) {
                error = d.path + ": " + error;
            }
        }
        // Pages stored sideways or mirrored are held upright, as the tool
        // treats them.
        for (size_t i = 0; ok && i < pictures.size(); ++i) {
            Cli::UprightLoadedPage(pictures[i], d.format, d.descriptions[i]);
        }
    }
    if (!ok) {
        RaiseOsError(error);
    }
    for (size_t i = 0; i < pictures.size(); ++i) {
        const auto& header = pictures[i].infoHeader;
        d.resolutions.emplace_back(header.biXPelsPerMeter, header.biYPelsPerMeter);
        d.pages.append(ArrayFromPage(pictures[i], ArrayKind(d.descriptions[i])));
    }
    return d;
}

// Writes the document's pages to `path`, each in its kind and compression.
void SaveDocument(const Document& d, const py::object& path) {
    const std::string name = PathText(path);
    const Cli::ImageFormat format = WriteFormat(name, Cli::ImageFormat::kUnknown);
    const size_t count = d.descriptions.size();
    if (py::len(d.pages) != count) {
        throw py::value_error("a document is saved with its " + std::to_string(count) +
                              " pages, not " + std::to_string(py::len(d.pages)));
    }
    if (count > 1 && format != Cli::ImageFormat::kTiff) {
        throw py::value_error(name + ": only TIFF holds several pages; use .tif or .tiff");
    }
    std::vector<BmpBase::CBitmap24> pictures(count);
    for (size_t i = 0; i < count; ++i) {
        const std::string what = "pages[" + std::to_string(i) + "]";
        PageFromArray(d.pages[i], what.c_str(), pictures[i]);
        pictures[i].infoHeader.biXPelsPerMeter = d.resolutions[i].first;
        pictures[i].infoHeader.biYPelsPerMeter = d.resolutions[i].second;
    }
    // The metadata follows the pages as written: orientation upright, pixel
    // sizes those of the pages held.
    std::vector<Pictconv::PageDescription> descriptions = d.descriptions;
    for (size_t i = 0; i < count; ++i) {
        Cli::WrittenPageNotes(pictures[i], false, descriptions[i], format);
    }
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        if (format == Cli::ImageFormat::kTiff && d.format == Cli::ImageFormat::kTiff) {
            // The source file gives each page's descriptive tags.
            Pictconv::TiffPages source;
            ok = source.Open(d.path.c_str(), error);
            if (ok && source.Count() != count) {
                error = d.path + ": the file changed since it was read";
                ok = false;
            }
            std::vector<Pictconv::TiffPageOut> out(ok ? count : 0);
            for (size_t i = 0; i < out.size(); ++i) {
                out[i].source = i;
                out[i].picture = &pictures[i];
                out[i].description = descriptions[i];
            }
            ok = ok && Cli::SaveTiffPages(source, out, name, error);
        } else {
            Pictconv::ReduceToKind(pictures[0], descriptions[0]);
            ok = Cli::SavePage(pictures[0], name, format, error, &descriptions[0]);
        }
    }
    if (!ok) {
        RaiseOsError(error);
    }
}

py::array ReadImage(const py::object& path) {
    const std::string name = PathText(path);
    BmpBase::CBitmap24 page;
    Cli::ImageFormat format = Cli::ImageFormat::kUnknown;
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        Pictconv::PageDescription description;
        ok = Cli::LoadPage(name, page, format, error, &description);
        if (ok) {
            Cli::UprightLoadedPage(page, format, description);
        }
    }
    if (!ok) {
        RaiseOsError(error);
    }
    return ArrayFromPage(page, PixelKind::kRgb);
}

void WriteImage(const py::object& path, const py::object& image, const Document* like) {
    const std::string name = PathText(path);
    const Cli::ImageFormat format =
        WriteFormat(name, like != nullptr ? like->format : Cli::ImageFormat::kUnknown);
    BmpBase::CBitmap24 page;
    PageFromArray(image, "image", page);
    Pictconv::PageDescription kind;
    if (like != nullptr) {
        kind = like->descriptions.front();
        page.infoHeader.biXPelsPerMeter = like->resolutions.front().first;
        page.infoHeader.biYPelsPerMeter = like->resolutions.front().second;
    }
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release released;
        if (like != nullptr) {
            Pictconv::ReduceToKind(page, kind);
        }
        ok = Cli::SavePage(page, name, format, error, like != nullptr ? &kind : nullptr);
    }
    if (!ok) {
        RaiseOsError(error);
    }
}

std::string DocumentRepr(const Document& d) {
    return "Document('" + d.path + "', format='" + FormatText(d.format) +
           "', pages=" + std::to_string(d.descriptions.size()) + ")";
}

}  // namespace

void AddFileFunctions(py::module_& m) {
    py::class_<Document>(m, "Document", R"doc(
Every page of a picture file, with what the file stores of each.

Document(path) reads a BMP, JPEG, PNG or TIFF file (recognised by content):
every page of a TIFF file, the one picture of the others.

path          The file read.
format        "bmp", "jpeg", "png" or "tiff".
pages         A list of arrays, one per page: H x W uint8 for bilevel and
              grey pages, H x W x 3 uint8 (RGB) for palette and RGB ones.
              Replace its items (deskewed pages, say) before save().
kinds         Each page's kind as stored: "bilevel", "grey", "palette" or
              "rgb".
compressions  Each TIFF page's compression as TIFF numbers it (1 none,
              4 Group 4, 5 LZW, 7 JPEG, 8 Deflate, ...); 0 for the other
              formats.

Raises OSError with the reason when the file, or any of its pages, cannot
be read.
)doc")
        .def(py::init(&OpenDocument), py::arg("path"))
        .def_readonly("path", &Document::path)
        .def_property_readonly("format", [](const Document& d) { return FormatText(d.format); })
        .def_readwrite("pages", &Document::pages)
        .def_property_readonly("kinds",
                               [](const Document& d) {
                                   std::vector<std::string> kinds;
                                   for (const auto& description : d.descriptions) {
                                       kinds.emplace_back(KindText(description.kind));
                                   }
                                   return kinds;
                               })
        .def_property_readonly("compressions",
                               [](const Document& d) {
                                   std::vector<int> compressions;
                                   for (const auto& description : d.descriptions) {
                                       compressions.push_back(description.compression);
                                   }
                                   return compressions;
                               })
        .def("__len__", [](const Document& d) { return d.descriptions.size(); })
        .def("__repr__", &DocumentRepr)
        .def("save", &SaveDocument, py::arg("path"), R"doc(
Writes the document's pages to `path`, in the format its extension names,
each page in its kind (bilevel, grey, palette, RGB) and, for TIFF, its
compression when the kind allows it, with its resolution. A TIFF read from
a TIFF file keeps each page's descriptive tags. The file appears complete
or not at all.

Raises ValueError when the pages are not as many as were read, when
several pages are to be saved in a format other than TIFF or for a name
without a picture extension, TypeError or ValueError for an unsuitable
page, OSError when the file cannot be written.
)doc");

    m.def("read", &ReadImage, py::arg("path"), R"doc(
Reads the first page of a BMP, JPEG, PNG or TIFF file (the format is
recognised by content) and returns it as an RGB array, H x W x 3 uint8,
upright: a page stored sideways or mirrored (EXIF or TIFF orientation 2..8)
is turned and mirrored as its tag says.

Raises OSError with the reason when the file cannot be read or decoded.
)doc");
    m.def("write", &WriteImage, py::arg("path"), py::arg("image"), py::arg("like") = nullptr,
          R"doc(
Writes `image` (H x W x 3 uint8 RGB or H x W uint8 grey) to `path` in the
format its extension names (.bmp, .jpg/.jpeg, .png, .tif/.tiff). The file
appears complete or not at all: it is written beside the destination and
renamed into place.

like  A Document whose first page gives the kind (bilevel, grey, palette
      with its colour map, RGB), the compression and the resolution the
      image is written in; its format is used when the name has no
      picture extension. None (default): RGB pages as RGB, grey as grey.

Raises TypeError or ValueError for an unsuitable image or name, OSError
when the file cannot be written (an existing file is then untouched).
)doc");
}

}  // namespace Levelora
