// The temporary file is named after the destination with a hidden prefix and
// a random suffix (".NAME.XXXXXX") in the destination's folder, and created
// with O_EXCL, so it is never a file that already existed; a name that is
// taken is drawn again. It is created with mode 0666, so the kernel applies
// the umask (or the folder's default ACL) exactly as for any new file, and
// changed with fchmod to the mode of a destination it replaces before
// anything is written into it.
//
// This object keeps its own descriptor until Commit; a stream or a released
// descriptor works on a duplicate. So the data can be synced whoever closed
// their copy (libtiff closes the descriptor it was given), and Commit checks
// the close of a stream we own, because buffered write errors surface only
// there.
//
// Commit syncs the file before the rename, so after a crash the destination
// is either the old file or the complete new one. The folder is not synced
// after the rename: that would only make the new name durable sooner, at
// the price of a second flush for every page of a batch.
#include "pictconv/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace Pictconv {

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr int kNameAttempts = 100;
constexpr int kSuffixLength = 6;

// A well-mixed 64-bit value from the clock, the process and a counter, so
// that threads and processes writing beside one destination draw apart.
uint64_t NextRandom() {
    static std::atomic<uint64_t> counter{0};
    uint64_t x =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<uint64_t>(getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr uint64_t kLetterCount = sizeof kLetters - 1;
    uint64_t x = NextRandom();
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i) {
        suffix += kLetters[x % kLetterCount];
        x /= kLetterCount;
    }
    return suffix;
}

int DuplicateFd(int fd) {
    return fcntl(fd, F_DUPFD_CLOEXEC, 0);
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
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        const std::string path = folder + "." + name + "." + RandomSuffix();
        fd_ = open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, kNewFileMode);
        if (fd_ >= 0) {
            tempPath_ = path;
        } else if (errno != EEXIST) {
            return;
        }
    }
    if (fd_ < 0) {
        return;
    }
    struct stat existing;
    if (stat(destPath_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        fchmod(fd_, existing.st_mode & 07777) != 0) {
        const int why = errno;
        close(fd_);
        fd_ = -1;
        unlink(tempPath_.c_str());
        tempPath_.clear();
        errno = why;
    }
}

AtomicOutput::~AtomicOutput() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (fd_ >= 0) {
        close(fd_);
    }
    if (!tempPath_.empty() && !committed_) {
        unlink(tempPath_.c_str());
    }
}

std::FILE* AtomicOutput::Stream() {
    if (stream_ == nullptr && fd_ >= 0 && !released_) {
        const int copy = DuplicateFd(fd_);
        if (copy < 0) {
            return nullptr;
        }
        stream_ = fdopen(copy, "wb");
        if (stream_ == nullptr) {
            close(copy);
        }
    }
    return stream_;
}

int AtomicOutput::ReleaseFd() {
    if (fd_ < 0 || stream_ != nullptr || released_) {
        return -1;
    }
    const int copy = DuplicateFd(fd_);
    released_ = copy >= 0;
    return copy;
}

bool AtomicOutput::Commit() {
    if (fd_ < 0 || committed_) {
        return false;
    }
    if (stream_ != nullptr) {
        const bool closed = std::fclose(stream_) == 0;
        stream_ = nullptr;
        if (!closed) {
            return false;
        }
    }
    const bool synced = fsync(fd_) == 0;
    const int why = errno;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!synced) {
        errno = why;
        return false;
    }
    if (!closed || std::rename(tempPath_.c_str(), destPath_.c_str()) != 0) {
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace Pictconv
