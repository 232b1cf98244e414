#include "test_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace TestSupport {

ScratchDir::ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "levelora-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) {
        throw std::runtime_error("cannot create scratch folder");
    }
    path_ = buf.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

BmpBase::CBitmap24 PatternBitmap(uint32_t rows, uint32_t cols) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = static_cast<uint8_t>(r * 7 + c);
            p[1] = static_cast<uint8_t>(r + c * 3);
            p[2] = static_cast<uint8_t>((r * c) ^ 0x5A);
        }
    }
    return bmp;
}

BmpBase::CBitmap24 SolidBitmap(uint32_t rows, uint32_t cols, uint8_t blue, uint8_t green,
                               uint8_t red) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
    return bmp;
}

std::vector<uint8_t> BmpFileBytes(int32_t width, int32_t height, uint16_t bitCount,
                                  uint32_t compression, uint32_t offBits, uint32_t pixelBytes) {
    BmpBase::BitmapFileHeader fh;
    BmpBase::BitmapInfoHeader ih;
    fh.bfOffBits = offBits;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biBitCount = bitCount;
    ih.biCompression = compression;
    std::vector<uint8_t> bytes(sizeof fh + sizeof ih + pixelBytes, 0);
    std::memcpy(bytes.data(), &fh, sizeof fh);
    std::memcpy(bytes.data() + sizeof fh, &ih, sizeof ih);
    return bytes;
}

std::string BinaryDir() {
#ifdef LEVELORA_BINARY_DIR
    return LEVELORA_BINARY_DIR;
#else
    return ".";
#endif
}

}  // namespace TestSupport
