// Picture formats of the command-line tool: recognised by content on input
// (the first bytes of the file, whatever its name says) and by extension on
// output.
#pragma once

#include <string>

namespace Cli {

enum class ImageFormat { kUnknown, kBmp, kJpeg, kPng, kTiff };

// The format whose signature starts the file; kUnknown for a file that
// cannot be read or starts with none of the four signatures.
ImageFormat DetectFormat(const std::string& path);

// The format named by the path's extension, ignoring case: .bmp, .jpg,
// .jpeg, .jpe, .jfif, .png, .tif, .tiff. kUnknown for anything else.
ImageFormat FormatFromExtension(const std::string& path);

// "BMP", "JPEG", "PNG", "TIFF" or "unknown".
const char* FormatName(ImageFormat format);

}  // namespace Cli
