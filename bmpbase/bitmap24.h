// BmpBase::CBitmap24: an uncompressed 24-bit picture held exactly as a BMP
// file holds it.
//
// The object carries the 14-byte file header, the 40-byte information header
// and an owned pixel buffer of `height` rows of `stride` bytes (blue, green,
// red per pixel, rows padded to a multiple of 4 bytes). Row 0 is the first
// row stored in the file, which is the bottom row of a bottom-up picture.
//
// This class crosses the boundary between the desktop program and the engine
// library by address, so its layout is fixed: members in this order, a
// virtual destructor as the only virtual operation, and pixel buffers that
// both sides allocate with array new and free with array delete.
//
// Read() accepts only 24-bit uncompressed files with a 40-byte information
// header and pixel data at offset 54, and refuses pictures beyond the size
// limits of size_limits.h without allocating. Write() stores the picture with
// the true file and image sizes in the written headers. Large new buffers
// are offered to the system's huge pages (memory_pages.h).
#pragma once

#include <cstdint>

namespace BmpBase {

// The file header has no padding after bfType, so bfSize and bfOffBits sit
// at 2-byte boundaries; read them by value (not by reference).
#pragma pack(push, 2)
struct BitmapFileHeader {
    uint16_t bfType = 0x4D42;  // "BM"
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 54;
};
#pragma pack(pop)

struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

static_assert(sizeof(BitmapFileHeader) == 14, "file header is 14 bytes on disk");
static_assert(sizeof(BitmapInfoHeader) == 40, "information header is 40 bytes on disk");

constexpr uint16_t kBmpMagic = 0x4D42;
constexpr uint32_t kBmpHeaderBytes = 54;

class CBitmap24 {
  public:
    BitmapFileHeader fileHeader;
    BitmapInfoHeader infoHeader;
    uint8_t* pixels = nullptr;  // owned; array new / array delete
    uint32_t pixelBytes = 0;    // meaningful bytes in `pixels` (stride x height)
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t stride = 0;

    CBitmap24() = default;
    CBitmap24(const CBitmap24& other);
    CBitmap24& operator=(const CBitmap24& other);
    virtual ~CBitmap24();

    // Gives the bitmap `rows` x `cols` pixels, all bytes zero. Updates
    // biWidth and biHeight (always positive); other header fields stay. The
    // buffer is replaced only when a larger one is needed. Throws
    // std::bad_alloc when the buffer cannot be had, including sizes whose
    // byte count does not fit in 32 bits; a bitmap whose new buffer could
    // not be had is left empty (no buffer, zero sizes). Assignment and Read
    // behave the same way.
    void Allocate(uint32_t rows, uint32_t cols);

    // As Allocate, for a caller that writes every pixel byte itself: only
    // the padding bytes at the end of each row are set to zero (so a written
    // file never carries stale bytes); the pixel bytes are unspecified.
    // Saves clearing a page that is overwritten anyway. The buffer's memory
    // pages are touched here, so the caller's writes take no page faults.
    void AllocateForOverwrite(uint32_t rows, uint32_t cols);

    // Loads a 24-bit BMP file. False for a missing or unreadable file,
    // headers outside the accepted values, a picture beyond the size limits
    // or a file too short for its pixels. Nothing is printed.
    bool Read(const char* path);

    // Stores the bitmap as a BMP file: the headers as held, except that
    // bfSize and biSizeImage carry the true sizes, then `pixelBytes` bytes.
    // False when the file cannot be created or written. Nothing is printed.
    bool Write(const char* path) const;

    // Address of the pixel in buffer row r, column c.
    uint8_t* PixelAt(uint32_t r, uint32_t c) {
        return pixels + static_cast<uint64_t>(r) * stride + 3ull * c;
    }
    const uint8_t* PixelAt(uint32_t r, uint32_t c) const {
        return pixels + static_cast<uint64_t>(r) * stride + 3ull * c;
    }

    // 3 x width rounded up to a multiple of 4.
    static uint32_t StrideFor(uint32_t width);

  private:
    // The buffer and sizes of Allocate, contents left as they are.
    void SetSize(uint32_t rows, uint32_t cols);

    // Makes `size` bytes meaningful, replacing the buffer only when it is too
    // small (its contents are then lost); sets pixelBytes.
    void SetBufferSize(uint32_t size);
};

}  // namespace BmpBase
