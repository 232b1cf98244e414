// What the tool reads and rewrites besides pixels, on arbitrary bytes. The
// first byte picks the path:
//
//   0  the EXIF block walker: reading the orientation and patching the
//      block as a turned page needs it. A patched block must parse again
//      with Orientation absent or 1 and keep its size; a block refused as
//      damaged must come back unchanged.
//   1  the XMP edit: the packet keeps its length, only orientation digits
//      2..8 become 1, as many as reported, and a second edit finds none.
//   2  a whole JPEG or PNG file (by its signature): read with its metadata
//      (EXIF, XMP, ICC profile, text), put upright and written back as the
//      tool writes a page, then read again. The written file must read, at
//      the written size, with every orientation (EXIF, XMP, the tag) absent
//      or 1, EXIF undamaged, and the profile byte for byte unless it was
//      dropped (with its note) before writing; a PNG keeps its page kind.
//
// Blocks are held in buffers of exactly their size, so AddressSanitizer
// sees anything read or written outside them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/image_format.h"
#include "cli/page_metadata_job.h"
#include "fuzz/fuzz_support.h"
#include "pictconv/codecs.h"
#include "pictconv/exif_block.h"
#include "pictconv/metadata_turn.h"
#include "pictconv/xmp_packet.h"

namespace {

// Pages larger than this are read but not written back: the round trip is
// about metadata, and encoding large pages would only slow the search.
constexpr uint64_t kMaxRoundTripPixels = 1u << 20;

// Ends the run with the line of the property that failed.
void Check(bool condition, int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_metadata: the check on line %d failed\n", line);
        std::abort();
    }
}

void ExifPath(FuzzSupport::Cursor& in) {
    const uint32_t width = 1u + in.U16();
    const uint32_t height = 1u + in.U16() * 2u;
    std::vector<uint8_t> block(in.Rest(), in.Rest() + in.RestSize());
    block.shrink_to_fit();

    int orientation = 0;
    const Pictconv::ExifStatus read =
        Pictconv::ReadExifOrientation(block.data(), block.size(), orientation);
    Check(orientation >= 0 && orientation <= 8);
    const std::vector<uint8_t> before = block;
    const Pictconv::ExifStatus patched = Pictconv::PatchExif(block, width, height);
    // The patcher checks all that the reader checks.
    Check(read != Pictconv::ExifStatus::kDamaged || patched == read);
    if (patched == Pictconv::ExifStatus::kDamaged) {
        Check(block == before);
        return;
    }
    Check(block.size() == before.size() &&
          Pictconv::ReadExifOrientation(block.data(), block.size(), orientation) ==
              Pictconv::ExifStatus::kOk &&
          (orientation == 0 || orientation == Pictconv::kUprightOrientation));
}

void XmpPath(FuzzSupport::Cursor& in) {
    const std::string before(reinterpret_cast<const char*>(in.Rest()), in.RestSize());
    std::string xmp = before;
    const int changed = Pictconv::SetXmpOrientationUpright(xmp);
    Check(xmp.size() == before.size());
    int differences = 0;
    for (size_t i = 0; i < xmp.size(); ++i) {
        if (xmp[i] != before[i]) {
            Check(before[i] >= '2' && before[i] <= '8' && xmp[i] == '1');
            ++differences;
        }
    }
    Check(differences == changed);
    Check(Pictconv::SetXmpOrientationUpright(xmp) == 0);
}

bool Decode(Cli::ImageFormat format, const std::string& path, BmpBase::CBitmap24& page,
            Pictconv::PageDescription& description) {
    return format == Cli::ImageFormat::kJpeg ? Pictconv::DecodeJpeg(path.c_str(), page, description)
                                             : Pictconv::DecodePng(path.c_str(), page, description);
}

bool Encode(Cli::ImageFormat format, const std::string& path, const BmpBase::CBitmap24& page,
            const Pictconv::PageDescription& description) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool ok = format == Cli::ImageFormat::kJpeg ? Pictconv::EncodeJpeg(page, out, description)
                                                      : Pictconv::EncodePng(page, out, description);
    return std::fclose(out) == 0 && ok;
}

void FilePath(FuzzSupport::Cursor& in) {
    const uint8_t* bytes = in.Rest();
    const size_t size = in.RestSize();
    const bool jpeg = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    const bool png = size >= 8 && bytes[0] == 0x89 && bytes[1] == 'P';
    if (!jpeg && !png) {
        return;
    }
    const Cli::ImageFormat format = jpeg ? Cli::ImageFormat::kJpeg : Cli::ImageFormat::kPng;
    static const std::string input = FuzzSupport::ScratchFile("metadata-in");
    static const std::string output = FuzzSupport::ScratchFile("metadata-out");
    BmpBase::CBitmap24 page;
    Pictconv::PageDescription description;
    if (!FuzzSupport::WriteFile(input, bytes, size) || !Decode(format, input, page, description) ||
        static_cast<uint64_t>(page.width) * page.height > kMaxRoundTripPixels) {
        return;
    }
    const bool uprighted = Cli::UprightLoadedPage(page, format, description);
    Cli::WrittenPageNotes(page, uprighted, description, format);
    Check(Encode(format, output, page, description));

    BmpBase::CBitmap24 again;
    Pictconv::PageDescription read;
    Check(Decode(format, output, again, read));
    Check(again.width == page.width && again.height == page.height);
    Check(png ? read.kind == description.kind : true);
    const Pictconv::PageMetadata& m = read.metadata;
    Check(m.orientation == 0 || m.orientation == Pictconv::kUprightOrientation);
    if (!m.exif.empty()) {
        int orientation = 0;
        Check(Pictconv::ReadExifOrientation(m.exif.data(), m.exif.size(), orientation) ==
                  Pictconv::ExifStatus::kOk &&
              (orientation == 0 || orientation == Pictconv::kUprightOrientation));
    }
    std::string xmp = m.xmp;
    Check(Pictconv::SetXmpOrientationUpright(xmp) == 0);
    // The profile comes back as written: where the file could not hold it,
    // it was dropped before writing, with its note.
    Check(m.icc == description.metadata.icc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::Cursor in(data, size);
    switch (in.Byte() % 3) {
        case 0:
            ExifPath(in);
            break;
        case 1:
            XmpPath(in);
            break;
        default:
            FilePath(in);
            break;
    }
    return 0;
}
