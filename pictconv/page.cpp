// Allocation, row access and BMP input/output of the picture that travels
// between the decoders and the encoders. The BMP side is the shared reader
// with its standard policy and the shared writer's 24-bit form: a 40-byte
// information header, pixels at offset 54 and true sizes.
#include "pictconv/page.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "bmpbase/bmp_reader.h"
#include "bmpbase/bmp_writer.h"
#include "bmpbase/size_limits.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int32_t PpmFromDpi(double dpi) {
    if (!std::isfinite(dpi) || dpi <= 0.0) {
        return 0;
    }
    const double ppm = dpi / kMetresPerInch + 0.5;
    if (ppm >= 2147483647.0) {
        return 0;
    }
    return static_cast<int32_t>(ppm);
}

double DpiFromPpm(int32_t ppm) {
    return ppm > 0 ? ppm * kMetresPerInch : 0.0;
}

bool NewPage(CBitmap24& page, uint32_t rows, uint32_t cols, int32_t xPpm, int32_t yPpm) {
    if (rows == 0 || cols == 0 || !BmpBase::SizeIsSupported(cols, rows)) {
        return false;
    }
    const uint32_t stride = CBitmap24::StrideFor(cols);
    const uint32_t bytes = stride * rows;  // fits: checked by SizeIsSupported
    // Not zeroed as a whole: the decoder writes every pixel, and a large
    // page whose data turns out to be broken should not cost a full pass.
    uint8_t* buffer = new uint8_t[bytes];
    delete[] page.pixels;
    page.pixels = buffer;
    page.pixelBytes = bytes;
    page.height = rows;
    page.width = cols;
    page.stride = stride;
    page.fileHeader = BmpBase::BitmapFileHeader();
    page.infoHeader = BmpBase::BitmapInfoHeader();
    page.infoHeader.biWidth = static_cast<int32_t>(cols);
    page.infoHeader.biHeight = static_cast<int32_t>(rows);
    page.infoHeader.biXPelsPerMeter = xPpm > 0 ? xPpm : 0;
    page.infoHeader.biYPelsPerMeter = yPpm > 0 ? yPpm : 0;
    const uint32_t padding = stride - 3 * cols;
    if (padding > 0) {
        for (uint32_t r = 0; r < rows; ++r) {
            std::memset(page.pixels + static_cast<uint64_t>(r) * stride + 3ull * cols, 0, padding);
        }
    }
    return true;
}

uint8_t* TopRow(CBitmap24& page, uint32_t i) {
    const uint32_t r = page.infoHeader.biHeight < 0 ? i : page.height - 1 - i;
    return page.PixelAt(r, 0);
}

const uint8_t* TopRow(const CBitmap24& page, uint32_t i) {
    const uint32_t r = page.infoHeader.biHeight < 0 ? i : page.height - 1 - i;
    return page.PixelAt(r, 0);
}

int32_t XPpm(const CBitmap24& page) {
    return page.infoHeader.biXPelsPerMeter > 0 ? page.infoHeader.biXPelsPerMeter : 0;
}

int32_t YPpm(const CBitmap24& page) {
    return page.infoHeader.biYPelsPerMeter > 0 ? page.infoHeader.biYPelsPerMeter : 0;
}

bool LoadBmp(const char* path, CBitmap24& page, BmpBase::BmpSource* source) {
    const std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path, "rb"));
    return in != nullptr &&
           BmpBase::ReadBmp(in.get(), BmpBase::BmpPolicy::kStandard, page, source) &&
           page.height > 0 && page.width > 0;
}

bool SaveBmp(const CBitmap24& page, std::FILE* out) {
    return BmpBase::WriteBmp(out, page);
}

bool IsGreyPage(const CBitmap24& page) {
    for (uint32_t r = 0; r < page.height; ++r) {
        const uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t c = 0; c < page.width; ++c, p += 3) {
            if (p[0] != p[1] || p[1] != p[2]) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace Pictconv
