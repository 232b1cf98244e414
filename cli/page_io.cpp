// The codecs are the converter library's own (pictconv_core): the same code
// the desktop program reaches through the six exports, called here without
// the round trip through a temporary BMP file. Failures are reported as one
// line naming the file and the reason; the codecs print nothing themselves.
#include "cli/page_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <vector>

#include "cli/options.h"
#include "cli/std_streams.h"
#include "pictconv/atomic_output.h"
#include "pictconv/codecs.h"
#include "pictconv/page.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

constexpr size_t kCopyChunkBytes = 1 << 16;

bool Decode(const std::string& path, ImageFormat format, CBitmap24& page,
            Pictconv::PageDescription& description) {
    switch (format) {
        case ImageFormat::kBmp:
            return Pictconv::DecodeBmp(path.c_str(), page, description);
        case ImageFormat::kJpeg:
            return Pictconv::DecodeJpeg(path.c_str(), page, description);
        case ImageFormat::kPng:
            return Pictconv::DecodePng(path.c_str(), page, description);
        case ImageFormat::kTiff: {
            // The first page: a file of more is read page by page
            // (tiff_jobs.h) and reaches here only to be refused.
            Pictconv::TiffPages pages;
            std::string reason;
            return pages.Open(path.c_str(), reason) && pages.Read(0, page, description, reason);
        }
        case ImageFormat::kUnknown:
            break;
    }
    return false;
}

// Encodes `page` into `stream` in `format` (BMP, JPEG or PNG), in `kind`
// when given.
bool Encode(const CBitmap24& page, std::FILE* stream, ImageFormat format,
            const Pictconv::PageDescription* kind, int quality) {
    switch (format) {
        case ImageFormat::kBmp:
            return kind != nullptr ? Pictconv::EncodeBmp(page, stream, *kind)
                                   : Pictconv::SaveBmp(page, stream);
        case ImageFormat::kJpeg:
            return kind != nullptr ? Pictconv::EncodeJpeg(page, stream, *kind, quality)
                                   : Pictconv::EncodeJpeg(page, stream);
        case ImageFormat::kPng:
            return kind != nullptr ? Pictconv::EncodePng(page, stream, *kind)
                                   : Pictconv::EncodePng(page, stream);
        default:
            return false;
    }
}

std::string WriteError(const std::string& path) {
    return "cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
}

}  // namespace

bool LoadPage(const std::string& path, CBitmap24& page, ImageFormat& format, std::string& error,
              Pictconv::PageDescription* description) {
    {
        std::ifstream probe(path, std::ios::binary);
        if (!probe.is_open()) {
            error = "cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    format = DetectFormat(path);
    if (format == ImageFormat::kUnknown) {
        error = path + " is not a BMP, JPEG, PNG or TIFF picture";
        return false;
    }
    try {
        Pictconv::PageDescription unused;
        if (!Decode(path, format, page, description != nullptr ? *description : unused)) {
            error = path + ": damaged, truncated or unsupported " + FormatName(format) +
                    " picture (" +
                    (format == ImageFormat::kBmp
                         ? "BMP pictures must have 1, 4, 8, 16, 24 or 32 bits per "
                           "pixel and no run-length or other compression; "
                         : "") +
                    "pictures must be smaller than 65535 pixels on a side)";
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = path + ": not enough memory for the picture";
        return false;
    }
    return true;
}

namespace {

// Writes `path` atomically with `write`, which fills the open output ("-":
// standard output, through a temporary file, since TIFF needs a file it can
// seek in). False with a reason; an existing file is then untouched.
bool WriteAtomically(const std::string& path, std::string& error,
                     const std::function<bool(Pictconv::AtomicOutput&)>& write) {
    if (path == kStdStream) {
        const TempFile encoded;
        if (encoded.Path().empty() || !WriteAtomically(encoded.Path(), error, write)) {
            error = "cannot write the picture to standard output";
            return false;
        }
        return CopyToStandardOutput(encoded.Path(), error);
    }
    errno = 0;
    Pictconv::AtomicOutput out(path.c_str());
    if (!out.IsOpen()) {
        error = WriteError(path);
        return false;
    }
    // Opening may leave errno set (the destination looked for and not yet
    // there); an encoder that refuses a page sets none, and must not be
    // reported with that stale reason.
    errno = 0;
    if (!write(out) || !out.Commit()) {
        error = WriteError(path);
        return false;
    }
    return true;
}

}  // namespace

bool SavePage(const CBitmap24& page, const std::string& path, ImageFormat format,
              std::string& error, const Pictconv::PageDescription* kind, int quality) {
    return WriteAtomically(path, error, [&](Pictconv::AtomicOutput& out) {
        if (format == ImageFormat::kTiff) {
            const int fd = out.ReleaseFd();
            return kind != nullptr
                       ? Pictconv::EncodeTiffPage(page, *kind, fd, out.TempPath().c_str())
                       : Pictconv::EncodeTiff(page, fd, out.TempPath().c_str());
        }
        std::FILE* stream = out.Stream();
        return stream != nullptr && Encode(page, stream, format, kind, quality);
    });
}

bool SaveTiffPages(Pictconv::TiffPages& input, const std::vector<Pictconv::TiffPageOut>& pages,
                   const std::string& path, std::string& error) {
    return WriteAtomically(path, error, [&](Pictconv::AtomicOutput& out) {
        const int fd = out.ReleaseFd();
        return Pictconv::WriteTiffPages(input, pages, fd, out.TempPath().c_str());
    });
}

bool CopyFileAtomically(const std::string& from, const std::string& to, std::string& error) {
    if (to == kStdStream) {
        return CopyToStandardOutput(from, error);
    }
    errno = 0;
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot open " + from + ": " + std::strerror(errno);
        return false;
    }
    Pictconv::AtomicOutput out(to.c_str());
    std::FILE* stream = out.Stream();
    bool ok = stream != nullptr;
    std::vector<char> chunk(kCopyChunkBytes);
    while (ok) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
        if (n > 0 && std::fwrite(chunk.data(), 1, n, stream) != n) {
            ok = false;
        }
        if (n < chunk.size()) {
            ok = ok && !std::ferror(in);
            break;
        }
    }
    std::fclose(in);
    if (!ok || !out.Commit()) {
        error = WriteError(to);
        return false;
    }
    return true;
}

}  // namespace Cli
