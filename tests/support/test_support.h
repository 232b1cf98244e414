// Helpers shared by the test suites: a scratch folder removed at the end of a
// test, raw file access, and small synthetic pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"

namespace TestSupport {

// A fresh folder under the system's temp folder, removed with its contents
// when the object goes away.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// A picture whose pixel (r, c) is (blue, green, red) = f(r, c).
BmpBase::CBitmap24 PatternBitmap(uint32_t rows, uint32_t cols);

// A picture of one colour.
BmpBase::CBitmap24 SolidBitmap(uint32_t rows, uint32_t cols, uint8_t blue, uint8_t green,
                               uint8_t red);

// The bytes of a BMP file with the given header fields and `pixelBytes`
// zero bytes of pixels (or fewer, to make a truncated file).
std::vector<uint8_t> BmpFileBytes(int32_t width, int32_t height, uint16_t bitCount,
                                  uint32_t compression, uint32_t offBits, uint32_t pixelBytes);

// Directory holding the built programs and libraries.
std::string BinaryDir();

}  // namespace TestSupport
