#include "cli/fingerprint.h"

#include <nettle/sha2.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Cli {

namespace {

constexpr size_t kChunkBytes = 1 << 16;

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

}  // namespace

bool FingerprintFile(const std::string& path, Fingerprint& print, std::string& error) {
    errno = 0;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    sha256_ctx ctx;
    sha256_init(&ctx);
    std::vector<uint8_t> chunk(kChunkBytes);
    uint64_t total = 0;
    size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
        sha256_update(&ctx, n, chunk.data());
        total += n;
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, sizeof digest, digest);
    print.bytes = total;
    print.sha256 = Hex(digest, sizeof digest);
    return true;
}

}  // namespace Cli
