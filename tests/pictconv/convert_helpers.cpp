#include "tests/pictconv/convert_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace PictconvTest {

Outcome RunConverter(Converter convert, const std::string& src, const std::string& dst) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.ok = convert(src.c_str(), dst.c_str());
    outcome.printed = testing::internal::GetCapturedStdout();
    outcome.printed += testing::internal::GetCapturedStderr();
    return outcome;
}

const uint8_t* Displayed(const BmpBase::CBitmap24& bmp, uint32_t r, uint32_t c) {
    const uint32_t row = bmp.infoHeader.biHeight < 0 ? r : bmp.height - 1 - r;
    return bmp.PixelAt(row, c);
}

int MaxDifference(const BmpBase::CBitmap24& a, const BmpBase::CBitmap24& b) {
    if (a.width != b.width || a.height != b.height) {
        return -1;
    }
    int worst = 0;
    for (uint32_t r = 0; r < a.height; ++r) {
        for (uint32_t c = 0; c < a.width; ++c) {
            for (int k = 0; k < 3; ++k) {
                worst = std::max(worst, std::abs(Displayed(a, r, c)[k] - Displayed(b, r, c)[k]));
            }
        }
    }
    return worst;
}

BmpBase::CBitmap24 GradientBitmap(uint32_t rows, uint32_t cols) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t* p = bmp.PixelAt(r, c);
            p[0] = static_cast<uint8_t>(40 + r * 2);
            p[1] = static_cast<uint8_t>(60 + c * 2);
            p[2] = static_cast<uint8_t>(200 - r - c);
        }
    }
    return bmp;
}

}  // namespace PictconvTest
