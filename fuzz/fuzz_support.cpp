// Scratch files and the input cursor of the fuzz targets; see fuzz_support.h.
#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace FuzzSupport {

namespace {

std::filesystem::path& ScratchFolder() {
    static std::filesystem::path folder;
    return folder;
}

void RemoveScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(ScratchFolder(), ec);
}

}  // namespace

std::string ScratchFile(const char* name) {
    static const std::string folder = [] {
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base)) {
            base = std::filesystem::temp_directory_path();
        }
        const std::filesystem::path dir = base / ("levelora-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        ScratchFolder() = dir;
        std::atexit(RemoveScratchFolder);
        return dir.string();
    }();
    return folder + "/" + name;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

uint8_t Cursor::Byte() {
    return pos_ < size_ ? data_[pos_++] : 0;
}

uint16_t Cursor::U16() {
    const uint16_t lo = Byte();
    const uint16_t hi = Byte();
    return static_cast<uint16_t>(lo | (hi << 8));
}

double Cursor::Double() {
    uint8_t bytes[8] = {};
    for (uint8_t& b : bytes) {
        b = Byte();
    }
    double v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

void FillPage(BmpBase::CBitmap24& page, const uint8_t* bytes, size_t count) {
    if (count == 0) {
        return;
    }
    size_t k = 0;
    for (uint32_t r = 0; r < page.height; ++r) {
        uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t c = 0; c < 3 * page.width; ++c) {
            p[c] = bytes[k];
            k = (k + 1) % count;
        }
    }
}

}  // namespace FuzzSupport
