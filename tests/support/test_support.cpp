#include "tests/support/test_support.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace TestSupport {

#ifndef _WIN32
namespace {

// Test programs run in parallel, and the programs under test keep fixed
// file names in the user's temp folder (the desktop program's temporary
// BMP, for one). Each test process therefore gets a temp folder of its own
// before any test runs; child processes inherit it, and only the process
// that made it removes it.
class PrivateTempFolder {
  public:
    PrivateTempFolder() {
        const char* outer = std::getenv("TMPDIR");
        std::string pattern = std::string(outer != nullptr && *outer != '\0' ? outer : "/tmp") +
                              "/levelora-run-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            owner_ = getpid();
            setenv("TMPDIR", path_.c_str(), 1);
        }
    }
    ~PrivateTempFolder() {
        if (!path_.empty() && getpid() == owner_) {
            std::error_code ec;
            std::filesystem::remove_all(path_, ec);
        }
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  private:
    std::string path_;
    pid_t owner_ = 0;
};

const PrivateTempFolder privateTempFolder;

}  // namespace
#endif

// A folder name nobody else uses: create_directory fails on an existing
// folder, so a clash with another test process just draws a new name.
ScratchDir::ScratchDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("levelora-test-" + std::to_string(names() % 1000000000ull));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create scratch folder");
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
#ifdef _WIN32
    // The build folder's path is a Linux path when the tests were
    // cross-built; the running test program sits in that folder.
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n == MAX_PATH) {
        return ".";
    }
    return std::filesystem::path(path).parent_path().generic_string();
#elif defined(LEVELORA_BINARY_DIR)
    return LEVELORA_BINARY_DIR;
#else
    return ".";
#endif
}

}  // namespace TestSupport
