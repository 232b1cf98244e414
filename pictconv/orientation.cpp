#include "pictconv/orientation.h"

#include <cstring>

#include "pictconv/page.h"

namespace Pictconv {

using BmpBase::CBitmap24;

bool TurnsByOrientation(int orientation) {
    return orientation >= 2 && orientation <= 8;
}

bool UprightByOrientation(const CBitmap24& src, int orientation, CBitmap24& dst) {
    if (src.width == 0 || src.height == 0) {
        return false;
    }
    if (!TurnsByOrientation(orientation)) {
        orientation = 1;
    }
    const bool swaps = orientation >= 5;
    const uint32_t w = src.width;
    const uint32_t h = src.height;
    const uint32_t outW = swaps ? h : w;
    const uint32_t outH = swaps ? w : h;
    const int32_t xPpm = swaps ? YPpm(src) : XPpm(src);
    const int32_t yPpm = swaps ? XPpm(src) : YPpm(src);
    if (&src == &dst || !NewPage(dst, outH, outW, xPpm, yPpm)) {
        return false;
    }
    // For each displayed output pixel (x, y), counted from the top left, the
    // stored pixel (column, row) it comes from.
    for (uint32_t y = 0; y < outH; ++y) {
        uint8_t* to = TopRow(dst, y);
        for (uint32_t x = 0; x < outW; ++x) {
            uint32_t col = x;
            uint32_t row = y;
            switch (orientation) {
                case 2:  // mirrored left to right
                    col = w - 1 - x;
                    break;
                case 3:  // upside down
                    col = w - 1 - x;
                    row = h - 1 - y;
                    break;
                case 4:  // mirrored top to bottom
                    row = h - 1 - y;
                    break;
                case 5:  // stored row 0 is the left side, column 0 the top
                    col = y;
                    row = x;
                    break;
                case 6:  // stored row 0 is the right side, column 0 the top
                    col = y;
                    row = h - 1 - x;
                    break;
                case 7:  // stored row 0 is the right side, column 0 the bottom
                    col = w - 1 - y;
                    row = h - 1 - x;
                    break;
                case 8:  // stored row 0 is the left side, column 0 the bottom
                    col = w - 1 - y;
                    row = x;
                    break;
                default:
                    break;
            }
            std::memcpy(to + 3ull * x, TopRow(src, row) + 3ull * col, 3);
        }
    }
    return true;
}

}  // namespace Pictconv
