// RegionRect: an inclusive rectangle of rows and columns of a plane, as
// uint16 values in the order first row, last row, first column, last column.
#pragma once

#include <cstdint>

namespace Skewmend {

struct RegionRect {
    uint16_t firstRow = 0;
    uint16_t lastRow = 0;
    uint16_t firstCol = 0;
    uint16_t lastCol = 0;

    // (lastCol - firstCol + 1) x (lastRow - firstRow + 1).
    uint32_t Area() const {
        return static_cast<uint32_t>(lastCol - firstCol + 1) *
               static_cast<uint32_t>(lastRow - firstRow + 1);
    }
};

}  // namespace Skewmend
