// Opening files by a UTF-8 path for the BMP import and export: binary mode,
// reading only a file that exists, or writing a file that is created or
// replaced. Null when the file cannot be opened. Paths with characters
// outside ASCII work on every platform.
#pragma once

#include <cstdio>
#include <string>

namespace LeveloraDesk {

std::FILE* OpenForReading(const std::string& path);
std::FILE* OpenForWriting(const std::string& path);

// The path as the converter library takes it: a narrow string in the
// system's code page (on POSIX systems the UTF-8 path itself). False when
// the conversion yields nothing or the result does not fit in the
// converter's 260-byte path buffer with its terminator.
bool ToConverterPath(const std::string& path, std::string& narrow);

// Longest narrow path, terminator included, that the converter accepts.
constexpr size_t kMaxConverterPathBytes = 260;

}  // namespace LeveloraDesk
