// Reading, writing, allocation and assignment of 24-bit bitmaps. The on-disk
// form is two packed little-endian headers followed by the padded rows in
// buffer order; see bitmap24.h for the accepted variants.
#include "bmpbase/bitmap24.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

#include "bmpbase/bmp_writer.h"
#include "bmpbase/memory_pages.h"
#include "bmpbase/size_limits.h"

namespace BmpBase {

namespace {

// The buffer size for `rows` rows of `stride` bytes, or throws when it does
// not fit in the 32-bit byte count the class carries.
uint32_t CheckedBufferSize(uint32_t stride, uint32_t rows) {
    const uint64_t size = static_cast<uint64_t>(stride) * rows;
    if (size > UINT32_MAX) {
        throw std::bad_alloc();
    }
    return static_cast<uint32_t>(size);
}

uint32_t Magnitude(int32_t v) {
    return v < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(v)) : static_cast<uint32_t>(v);
}

}  // namespace

uint32_t CBitmap24::StrideFor(uint32_t cols) {
    uint32_t s = 3 * cols;
    if (s % 4 != 0) {
        s = (s / 4) * 4 + 4;
    }
    return s;
}

CBitmap24::CBitmap24(const CBitmap24& other) {
    *this = other;
}

CBitmap24::~CBitmap24() {
    delete[] pixels;
    pixels = nullptr;
    pixelBytes = 0;
}

CBitmap24& CBitmap24::operator=(const CBitmap24& other) {
    if (this == &other) {
        return *this;
    }
    SetBufferSize(other.pixelBytes);
    height = other.height;
    width = other.width;
    stride = other.stride;
    if (pixelBytes > 0) {
        std::memcpy(pixels, other.pixels, pixelBytes);
    }
    fileHeader = other.fileHeader;
    infoHeader = other.infoHeader;
    return *this;
}

// The old buffer goes first, so a page is never held twice. If the new one
// cannot be had, the bitmap is left empty (no buffer, zero sizes) rather
// than with sizes that promise pixels it does not hold, and the allocation
// failure goes on to the caller; callers therefore set their sizes only
// after this.
void CBitmap24::SetBufferSize(uint32_t size) {
    if (size > pixelBytes) {
        delete[] pixels;
        pixels = nullptr;
        pixelBytes = 0;
        try {
            pixels = new uint8_t[size];
        } catch (...) {
            height = 0;
            width = 0;
            stride = 0;
            throw;
        }
        AdviseHugePages(pixels, size);
    }
    pixelBytes = size;
}

void CBitmap24::SetSize(uint32_t rows, uint32_t cols) {
    const uint32_t newStride = StrideFor(cols);
    const uint32_t size = CheckedBufferSize(newStride, rows);
    SetBufferSize(size);
    width = cols;
    infoHeader.biWidth = static_cast<int32_t>(cols);
    height = rows;
    infoHeader.biHeight = static_cast<int32_t>(rows);
    stride = newStride;
}

void CBitmap24::Allocate(uint32_t rows, uint32_t cols) {
    SetSize(rows, cols);
    if (pixelBytes > 0) {
        std::memset(pixels, 0, pixelBytes);
    }
}

void CBitmap24::AllocateForOverwrite(uint32_t rows, uint32_t cols) {
    SetSize(rows, cols);
    TouchPages(pixels, pixelBytes);
    const uint32_t rowBytes = 3 * width;
    if (stride == rowBytes) {
        return;
    }
    for (uint32_t r = 0; r < height; ++r) {
        std::memset(PixelAt(r, 0) + rowBytes, 0, stride - rowBytes);
    }
}

bool CBitmap24::Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return false;
    }
    in.read(reinterpret_cast<char*>(&fileHeader), sizeof fileHeader);
    in.read(reinterpret_cast<char*>(&infoHeader), sizeof infoHeader);
    if (!in || fileHeader.bfType != kBmpMagic || fileHeader.bfOffBits != kBmpHeaderBytes ||
        infoHeader.biSize != 40 || infoHeader.biPlanes != 1 || infoHeader.biBitCount != 24 ||
        infoHeader.biCompression != 0) {
        return false;
    }
    const uint32_t rows = Magnitude(infoHeader.biHeight);
    const uint32_t cols = Magnitude(infoHeader.biWidth);
    if (!SizeIsSupported(cols, rows)) {
        return false;
    }
    const uint32_t newStride = StrideFor(cols);
    const uint32_t size = newStride * rows;  // fits: checked by SizeIsSupported

    // A header may promise far more pixels than the file holds; refuse it
    // before allocating a buffer for pixels that are not there.
    const std::streampos dataStart = in.tellg();
    in.seekg(0, std::ios::end);
    const std::streamoff available = in.tellg() - dataStart;
    in.seekg(dataStart);
    if (!in || available < static_cast<std::streamoff>(size)) {
        return false;
    }

    SetBufferSize(size);
    height = rows;
    width = cols;
    stride = newStride;
    in.read(reinterpret_cast<char*>(pixels), size);
    return static_cast<bool>(in);
}

bool CBitmap24::Write(const char* path) const {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    const bool ok = WriteBmp(out, *this);
    const bool closed = std::fclose(out) == 0;
    return ok && closed;
}

}  // namespace BmpBase
