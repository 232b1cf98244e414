// AtomicOutput: a destination file that appears only when it is complete.
//
// The constructor creates a uniquely named temporary file in the folder of
// the destination (so that the final rename stays on one file system). The
// encoder writes into it through Stream() or takes its descriptor with
// ReleaseFd(); Commit() closes the stream, gives the file the permissions
// the destination had (or the usual ones for a new file) and renames it over
// the destination. An object destroyed without a successful Commit removes
// its temporary file, so a failed conversion leaves the destination as it
// was and nothing beside it.
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
    bool IsOpen() const { return fd_ >= 0 || stream_ != nullptr || released_; }

    // A buffered stream on the temporary file, owned by this object. Null
    // when the file is not open or its descriptor was released.
    std::FILE* Stream();

    // Hands the descriptor to a library that closes it itself; -1 when the
    // file is not open or a stream was already made.
    int ReleaseFd();

    // Path of the temporary file.
    const std::string& TempPath() const { return tempPath_; }

    // Completes the file and renames it over the destination. False when the
    // stream cannot be flushed and closed or the rename fails; the temporary
    // file is then removed.
    bool Commit();

  private:
    std::string destPath_;
    std::string tempPath_;
    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    bool released_ = false;
    bool committed_ = false;
    unsigned mode_ = 0;
};

}  // namespace Pictconv
