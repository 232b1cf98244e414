// Rows are stored bottom-up, so the centring is worked out from the top as a
// user sees the page and turned into an offset between stored rows.
#include "cli/page_canvas.h"

#include <algorithm>
#include <cstring>

namespace Cli {

using BmpBase::CBitmap24;

namespace {

void FillPixels(uint8_t* row, int64_t from, int64_t to, const uint8_t fill[3]) {
    for (int64_t c = from; c < to; ++c) {
        std::memcpy(row + 3 * c, fill, 3);
    }
}

}  // namespace

Skewmend::CornerFill CornerForKind(Skewmend::CornerFill asked, Pictconv::PageKind kind) {
    if (kind != Pictconv::PageKind::kBilevel || asked == Skewmend::CornerFill::kBlack) {
        return asked;
    }
    return Skewmend::CornerFill::kWhite;
}

void CornerColour(Skewmend::CornerFill corner, const uint8_t paper[3], uint8_t colour[3]) {
    for (int i = 0; i < 3; ++i) {
        colour[i] = corner == Skewmend::CornerFill::kWhite                       ? 255
                    : corner == Skewmend::CornerFill::kPaper && paper != nullptr ? paper[i]
                                                                                 : 0;
    }
}

void CentreOnCanvas(const CBitmap24& turned, uint32_t rows, uint32_t cols, const uint8_t fill[3],
                    CBitmap24& kept) {
    kept.fileHeader = turned.fileHeader;
    kept.infoHeader = turned.infoHeader;
    kept.AllocateForOverwrite(rows, cols);
    const int64_t turnedRows = turned.height;
    const int64_t turnedCols = turned.width;
    // Kept column c shows turned column c + colShift; kept row t from the top
    // shows turned row t + topShift from the top.
    const int64_t colShift = turnedCols / 2 - int64_t{cols} / 2;
    const int64_t topShift = turnedRows / 2 - int64_t{rows} / 2;
    // The same in stored rows, counted from the bottom.
    const int64_t rowShift = (turnedRows - int64_t{rows}) - topShift;
    const int64_t firstCol = std::clamp<int64_t>(-colShift, 0, cols);
    const int64_t endCol = std::clamp<int64_t>(turnedCols - colShift, firstCol, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        uint8_t* row = kept.PixelAt(r, 0);
        const int64_t source = int64_t{r} + rowShift;
        const bool covered = source >= 0 && source < turnedRows;
        const int64_t from = covered ? firstCol : 0;
        const int64_t to = covered ? endCol : 0;
        FillPixels(row, 0, from, fill);
        if (to > from) {
            std::memcpy(row + 3 * from,
                        turned.PixelAt(static_cast<uint32_t>(source),
                                       static_cast<uint32_t>(from + colShift)),
                        static_cast<size_t>(3 * (to - from)));
        }
        FillPixels(row, to, cols, fill);
    }
}

}  // namespace Cli
