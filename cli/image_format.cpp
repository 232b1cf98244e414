// Signatures: BMP "BM"; JPEG FF D8 FF; PNG the eight bytes 89 "PNG" CR LF
// 1A LF; TIFF "II" or "MM" followed by 42 (classic) or 43 (BigTIFF) in the
// byte order the first two bytes announce. Only the first eight bytes are
// read, so detection costs one short read per input.
#include "cli/image_format.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace Cli {

namespace {

constexpr size_t kSignatureBytes = 8;

bool StartsWith(const uint8_t* bytes, size_t n, const uint8_t* sig, size_t sigLen) {
    return n >= sigLen && std::memcmp(bytes, sig, sigLen) == 0;
}

}  // namespace

ImageFormat DetectFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    uint8_t b[kSignatureBytes] = {};
    in.read(reinterpret_cast<char*>(b), kSignatureBytes);
    const size_t n = static_cast<size_t>(in.gcount());
    static const uint8_t kBmp[] = {'B', 'M'};
    static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static const uint8_t kTiffLe[] = {'I', 'I', 42, 0};
    static const uint8_t kBigTiffLe[] = {'I', 'I', 43, 0};
    static const uint8_t kTiffBe[] = {'M', 'M', 0, 42};
    static const uint8_t kBigTiffBe[] = {'M', 'M', 0, 43};
    if (StartsWith(b, n, kPng, sizeof kPng)) {
        return ImageFormat::kPng;
    }
    if (StartsWith(b, n, kJpeg, sizeof kJpeg)) {
        return ImageFormat::kJpeg;
    }
    if (StartsWith(b, n, kTiffLe, 4) || StartsWith(b, n, kTiffBe, 4) ||
        StartsWith(b, n, kBigTiffLe, 4) || StartsWith(b, n, kBigTiffBe, 4)) {
        return ImageFormat::kTiff;
    }
    if (StartsWith(b, n, kBmp, sizeof kBmp)) {
        return ImageFormat::kBmp;
    }
    return ImageFormat::kUnknown;
}

ImageFormat FormatFromExtension(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    const std::string::size_type dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return ImageFormat::kUnknown;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (ext == "bmp") {
        return ImageFormat::kBmp;
    }
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") {
        return ImageFormat::kJpeg;
    }
    if (ext == "png") {
        return ImageFormat::kPng;
    }
    if (ext == "tif" || ext == "tiff") {
        return ImageFormat::kTiff;
    }
    return ImageFormat::kUnknown;
}

const char* FormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::kBmp:
            return "BMP";
        case ImageFormat::kJpeg:
            return "JPEG";
        case ImageFormat::kPng:
            return "PNG";
        case ImageFormat::kTiff:
            return "TIFF";
        case ImageFormat::kUnknown:
            break;
    }
    return "unknown";
}

}  // namespace Cli
