// The fingerprint of an input file: its size in bytes and its SHA-256
// digest in lowercase hex, as the reports record them, so that applying a
// report can tell whether a page is still the one that was measured.
//
// The digest comes from the nettle library (Debian's nettle-dev), which only
// the tool links; the engine knows nothing of it.
#pragma once

#include <cstdint>
#include <string>

namespace Cli {

struct Fingerprint {
    uint64_t bytes = 0;
    std::string sha256;  // 64 lowercase hex digits
};

// Reads the file `path` once. False with a one-line reason when it cannot
// be read.
bool FingerprintFile(const std::string& path, Fingerprint& print, std::string& error);

}  // namespace Cli
