// The hostile pages of hostile_pages.h, drawn directly into bitmaps.
#include "tests/engine/robustness/hostile_pages.h"

#include <cmath>

namespace HostilePages {

namespace {

constexpr uint32_t kRows = 300;
constexpr uint32_t kCols = 400;

BmpBase::CBitmap24 Solid(uint32_t rows, uint32_t cols, uint8_t v) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = p[1] = p[2] = v;
        }
    }
    return bmp;
}

void Ink(BmpBase::CBitmap24& bmp, uint32_t r, uint32_t c) {
    uint8_t* p = bmp.PixelAt(r, c);
    p[0] = p[1] = p[2] = 0;
}

BmpBase::CBitmap24 Noise() {
    BmpBase::CBitmap24 bmp = Solid(kRows, kCols, 0);
    uint32_t s = 2463534242u;
    for (uint32_t r = 0; r < kRows; ++r) {
        for (uint32_t c = 0; c < kCols; ++c) {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = static_cast<uint8_t>(s);
            p[1] = static_cast<uint8_t>(s >> 8);
            p[2] = static_cast<uint8_t>(s >> 16);
        }
    }
    return bmp;
}

BmpBase::CBitmap24 Checkerboard(uint32_t cell) {
    BmpBase::CBitmap24 bmp = Solid(kRows, kCols, 255);
    for (uint32_t r = 0; r < kRows; ++r) {
        for (uint32_t c = 0; c < kCols; ++c) {
            if ((r / cell + c / cell) % 2 == 0) {
                Ink(bmp, r, c);
            }
        }
    }
    return bmp;
}

BmpBase::CBitmap24 GiantComponent() {
    BmpBase::CBitmap24 bmp = Solid(kRows, kCols, 255);
    for (uint32_t r = 5; r < kRows - 5; ++r) {
        for (uint32_t c = 5; c < kCols - 5; ++c) {
            Ink(bmp, r, c);
        }
    }
    return bmp;
}

// Dashes along the strip, so that it holds ink of its own.
BmpBase::CBitmap24 Strip(uint32_t rows, uint32_t cols) {
    BmpBase::CBitmap24 bmp = Solid(rows, cols, 255);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            if (((r + c) / 7) % 3 == 0) {
                Ink(bmp, r, c);
            }
        }
    }
    return bmp;
}

// Smooth shading and soft blobs, no edges or text: a photo of a wall.
BmpBase::CBitmap24 Photo() {
    BmpBase::CBitmap24 bmp = Solid(kRows, kCols, 0);
    for (uint32_t r = 0; r < kRows; ++r) {
        for (uint32_t c = 0; c < kCols; ++c) {
            const double v = 128.0 + 60.0 * std::sin(r / 37.0) * std::cos(c / 53.0) +
                             40.0 * (static_cast<double>(c) / kCols - 0.5);
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = static_cast<uint8_t>(v * 0.8);
            p[1] = static_cast<uint8_t>(v);
            p[2] = static_cast<uint8_t>(v * 0.9 + 20.0);
        }
    }
    return bmp;
}

BmpBase::CBitmap24 BigAndSmall() {
    BmpBase::CBitmap24 bmp = Solid(kRows, kCols, 255);
    for (uint32_t r = 0; r < kRows; ++r) {
        for (uint32_t c = 0; c < kCols; ++c) {
            const double dr = static_cast<double>(r) - 150.0;
            const double dc = static_cast<double>(c) - 120.0;
            if (dr * dr + dc * dc < 80.0 * 80.0) {
                Ink(bmp, r, c);
            }
        }
    }
    for (uint32_t r = 100; r < 103; ++r) {
        for (uint32_t c = 330; c < 333; ++c) {
            Ink(bmp, r, c);
        }
    }
    return bmp;
}

}  // namespace

std::vector<Page> All() {
    std::vector<Page> pages;
    pages.push_back({"AllWhite", Solid(kRows, kCols, 255)});
    pages.push_back({"AllBlack", Solid(kRows, kCols, 0)});
    pages.push_back({"Noise", Noise()});
    BmpBase::CBitmap24 dot = Solid(kRows, kCols, 255);
    Ink(dot, 140, 210);
    pages.push_back({"SinglePixel", dot});
    pages.push_back({"CheckerboardOfPixels", Checkerboard(1)});
    pages.push_back({"CheckerboardOf8PixelCells", Checkerboard(8)});
    pages.push_back({"GiantComponent", GiantComponent()});
    pages.push_back({"OneRowStrip", Strip(1, 2000)});
    pages.push_back({"OneColumnStrip", Strip(2000, 1)});
    pages.push_back({"OneByOne", Solid(1, 1, 0)});
    // Above 1048576 pixels: analysed at half size.
    pages.push_back({"LargeBlankPage", Solid(1025, 1025, 255)});
    pages.push_back({"PhotoWithoutText", Photo()});
    pages.push_back({"BigAndSmallComponent", BigAndSmall()});
    return pages;
}

}  // namespace HostilePages
