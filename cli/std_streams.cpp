#include "cli/std_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Cli {

namespace {

constexpr size_t kChunkBytes = 1 << 16;

// Copies everything from `in` to `out`; the bytes copied in `total`.
bool Pump(int in, int out, size_t& total) {
    std::vector<char> chunk(kChunkBytes);
    total = 0;
    for (;;) {
        const ssize_t n = read(in, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(out, chunk.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                return false;
            }
            done += w;
        }
        total += static_cast<size_t>(n);
    }
}

}  // namespace

TempFile::TempFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/skewmend-XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd >= 0) {
        close(fd);
        path_ = pattern;
    }
}

TempFile::~TempFile() {
    if (!path_.empty()) {
        unlink(path_.c_str());
    }
}

bool SpoolStandardInput(const TempFile& file, std::string& error) {
    errno = 0;
    const int out = file.Path().empty() ? -1 : open(file.Path().c_str(), O_WRONLY | O_TRUNC);
    if (out < 0) {
        error =
            std::string("cannot keep standard input in a temporary file: ") + std::strerror(errno);
        return false;
    }
    size_t total = 0;
    const bool ok = Pump(STDIN_FILENO, out, total);
    const bool closed = close(out) == 0;
    if (!ok || !closed) {
        error = std::string("cannot read standard input: ") + std::strerror(errno);
        return false;
    }
    if (total == 0) {
        error = "standard input holds no picture";
        return false;
    }
    return true;
}

bool CopyToStandardOutput(const std::string& path, std::string& error) {
    errno = 0;
    const int in = open(path.c_str(), O_RDONLY);
    size_t total = 0;
    const bool ok = in >= 0 && Pump(in, STDOUT_FILENO, total);
    if (in >= 0) {
        close(in);
    }
    if (!ok) {
        error = std::string("cannot write to standard output: ") + std::strerror(errno);
    }
    return ok;
}

}  // namespace Cli
