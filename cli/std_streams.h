// Standard input and output as picture files: "-" as an input is one
// picture read from standard input, "-o -" writes the picture to standard
// output. The codecs work on files (TIFF needs to seek), so the bytes pass
// through a private temporary file: standard input is copied into one
// before the batch starts, and a picture for standard output is encoded
// into one and then copied out.
#pragma once

#include <string>

namespace Cli {

// A new empty file, readable and writable by the user only, in $TMPDIR (or
// /tmp); removed when the object goes. Path() is empty when it could not
// be made.
class TempFile {
  public:
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Copies all of standard input into `file`. False with a reason when it
// cannot be read or written, or holds nothing.
bool SpoolStandardInput(const TempFile& file, std::string& error);

// Copies the file `path` to standard output. False with a reason.
bool CopyToStandardOutput(const std::string& path, std::string& error);

}  // namespace Cli
