// Multi-page TIFF reading and writing on arbitrary files. Either the file is
// refused (a page that cannot be read refuses it), or every page decodes,
// and writing the pages back — the odd pages carried over as stored, the
// even ones written anew in their kind — gives a file that reads again with
// the same page count, sizes and kinds.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "pictconv/tiff_pages.h"

namespace {

// Pages beyond this are not examined: a few pages show every path, and
// files of thousands of tiny pages only slow the search down.
constexpr size_t kMaxPages = 8;

struct Page {
    std::unique_ptr<BmpBase::CBitmap24> picture;
    Pictconv::PageDescription description;
};

// The kind a page is written in: palettes that are empty or hold more than
// 8-bit indexes reach are written as RGB.
Pictconv::PageKind WrittenKind(const Pictconv::PageDescription& d) {
    const bool rgbPalette =
        d.kind == Pictconv::PageKind::kPalette && (d.palette.empty() || d.palette.size() > 256);
    return rgbPalette ? Pictconv::PageKind::kRgb : d.kind;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = FuzzSupport::ScratchFile("in.tif");
    const std::string out = FuzzSupport::ScratchFile("out.tif");
    if (!FuzzSupport::WriteFile(in, data, size)) {
        return 0;
    }
    Pictconv::TiffPages input;
    std::string error;
    if (!input.Open(in.c_str(), error) || input.Count() == 0 || input.Count() > kMaxPages) {
        return 0;
    }
    std::vector<Page> pages(input.Count());
    for (size_t i = 0; i < pages.size(); ++i) {
        pages[i].picture = std::make_unique<BmpBase::CBitmap24>();
        if (!input.Read(i, *pages[i].picture, pages[i].description, error)) {
            return 0;  // refused
        }
    }
    std::vector<Pictconv::TiffPageOut> outs;
    for (size_t i = 0; i < pages.size(); ++i) {
        outs.push_back({i, i % 2 == 0 ? pages[i].picture.get() : nullptr, pages[i].description});
    }
    const int fd = open(out.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || !Pictconv::WriteTiffPages(input, outs, fd, out.c_str())) {
        return 0;  // a page libtiff cannot write back as stored
    }
    Pictconv::TiffPages again;
    if (!again.Open(out.c_str(), error) || again.Count() != pages.size()) {
        std::abort();
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        BmpBase::CBitmap24 picture;
        Pictconv::PageDescription d;
        if (!again.Read(i, picture, d, error)) {
            // A carried page is as readable as it was; a written one must be.
            std::abort();
        }
        const BmpBase::CBitmap24& before = *pages[i].picture;
        if (picture.width != before.width || picture.height != before.height) {
            std::abort();
        }
        const Pictconv::PageKind expected =
            i % 2 == 0 ? WrittenKind(pages[i].description) : pages[i].description.kind;
        if (d.kind != expected) {
            std::abort();
        }
    }
    return 0;
}
