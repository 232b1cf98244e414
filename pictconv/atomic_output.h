// AtomicOutput: a destination file that appears only when it is complete.
//
// The constructor creates a uniquely named temporary file in the folder of
// the destination (so that the final rename stays on one file system),
// with the permissions the destination has, or, for a new destination,
// those the process's umask gives a new file (0666 less the umask). The
// process's umask itself is never read or changed. The encoder writes into
// the file through Stream() or through a descriptor from ReleaseFd();
// Commit() flushes the data to the disk and renames the file over the
// destination. An object destroyed without a successful Commit removes its
// temporary file, so a failed conversion leaves the destination as it was
// and nothing beside it. POSIX only.
#pragma once

#include <cstdio>
#include <string>

namespace Pictconv {

class AtomicOutput {
  public:
    explicit AtomicOutput(const char* destPath);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // False when the temporary file could not be created (missing folder,
    // no permission); nothing else works then.
    bool IsOpen() const { return fd_ >= 0; }

    // A buffered stream on the temporary file, owned by this object. Null
    // when the file is not open or a descriptor was released.
    std::FILE* Stream();

    // A descriptor on the temporary file for a library that closes it
    // itself, open for reading too (libtiff reads back the directories it
    // wrote when it links the next page to them); -1 when the file is not open, a stream was
    // already made or a descriptor was already released.
    int ReleaseFd();

    // Path of the temporary file.
    const std::string& TempPath() const { return tempPath_; }

    // Completes the file (closes the stream, writes the data to the disk)
    // and renames it over the destination. False when any of that fails;
    // the temporary file is then removed and errno tells why.
    bool Commit();

  private:
    std::string destPath_;
    std::string tempPath_;
    int fd_ = -1;  // kept until Commit, whoever writes through a copy of it
    std::FILE* stream_ = nullptr;
    bool released_ = false;
    bool committed_ = false;
};

}  // namespace Pictconv
