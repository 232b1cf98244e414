// Shared checks for the converter tests: run a converter while watching both
// output streams, read a BMP back, compare displayed rows.
#pragma once

#include <cstdint>
#include <string>

#include "bmpbase/bitmap24.h"

namespace PictconvTest {

using Converter = bool (*)(const char*, const char*);

// Runs `convert` and records whatever it printed on either stream.
struct Outcome {
    bool ok = false;
    std::string printed;
};
Outcome RunConverter(Converter convert, const std::string& src, const std::string& dst);

// Blue, green, red of the pixel at displayed row r (0 = top), column c.
const uint8_t* Displayed(const BmpBase::CBitmap24& bmp, uint32_t r, uint32_t c);

// Largest channel difference between two pictures of equal size, compared
// as displayed; -1 when the sizes differ.
int MaxDifference(const BmpBase::CBitmap24& a, const BmpBase::CBitmap24& b);

// A smooth colour picture (JPEG reproduces it closely).
BmpBase::CBitmap24 GradientBitmap(uint32_t rows, uint32_t cols);

}  // namespace PictconvTest
