// Helpers shared by the fuzz targets: a private scratch folder for the
// readers that take file paths, and a little-endian cursor over the fuzzer's
// bytes for the targets that build a page from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bmpbase/bitmap24.h"

namespace FuzzSupport {

// A file path in a folder of this process, created on first use (under
// /dev/shm when it exists, so that the many writes stay in memory).
std::string ScratchFile(const char* name);

// Writes `size` bytes to `path`, replacing the file; false on failure.
bool WriteFile(const std::string& path, const uint8_t* data, size_t size);

// Fills every pixel byte of `page` with `bytes`, repeated; a page stays as
// it is when there are none.
void FillPage(BmpBase::CBitmap24& page, const uint8_t* bytes, size_t count);

// Reads fixed-size values off the front of the input; past the end it
// yields zeros.
class Cursor {
  public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte();
    uint16_t U16();
    double Double();
    const uint8_t* Rest() const { return data_ + pos_; }
    size_t RestSize() const { return size_ - pos_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace FuzzSupport
