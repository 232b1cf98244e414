// The temporary file is named after the destination with a hidden prefix and
// a random suffix (mkstemp), in the destination's folder. Its mode follows
// the destination it replaces, or 0666 less the process umask for a new
// file, since mkstemp itself creates files readable by the owner only.
// The descriptor is either wrapped in a stdio stream owned here or released
// to a library (libtiff) that closes it; Commit checks the close of a stream
// we own, because buffered write errors surface only there.
#include "atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace Pictconv {

namespace {

constexpr mode_t kNewFileMode = 0666;

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

AtomicOutput::AtomicOutput(const char* destPath) : destPath_(destPath) {
    const std::string::size_type slash = destPath_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : destPath_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? destPath_ : destPath_.substr(slash + 1);
    if (name.empty()) {
        return;
    }
    std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ < 0) {
        return;
    }
    tempPath_ = buf.data();
    struct stat existing;
    if (stat(destPath_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode_ = existing.st_mode & 07777;
    } else {
        mode_ = kNewFileMode & ~CurrentUmask();
    }
}

AtomicOutput::~AtomicOutput() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    } else if (fd_ >= 0) {
        close(fd_);
    }
    if (!tempPath_.empty() && !committed_) {
        unlink(tempPath_.c_str());
    }
}

std::FILE* AtomicOutput::Stream() {
    if (stream_ == nullptr && fd_ >= 0) {
        stream_ = fdopen(fd_, "wb");
        if (stream_ != nullptr) {
            fd_ = -1;
        }
    }
    return stream_;
}

int AtomicOutput::ReleaseFd() {
    const int fd = fd_;
    if (fd >= 0) {
        fd_ = -1;
        released_ = true;
    }
    return fd;
}

bool AtomicOutput::Commit() {
    if (tempPath_.empty() || committed_) {
        return false;
    }
    if (stream_ != nullptr) {
        const bool closed = std::fclose(stream_) == 0;
        stream_ = nullptr;
        if (!closed) {
            return false;
        }
    } else if (fd_ >= 0) {
        const bool closed = close(fd_) == 0;
        fd_ = -1;
        if (!closed) {
            return false;
        }
    }
    if (chmod(tempPath_.c_str(), static_cast<mode_t>(mode_)) != 0) {
        return false;
    }
    if (std::rename(tempPath_.c_str(), destPath_.c_str()) != 0) {
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace Pictconv
