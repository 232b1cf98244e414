// How the area a turned page no longer covers is filled. The values are the
// engine exports' corner options.
#pragma once

namespace Skewmend {

enum class CornerFill { kPaper = 0, kBlack = 1, kWhite = 2 };

// The fill of an export's corner option: 0 paper, 2 white, anything else
// black.
constexpr CornerFill CornerFillOf(int cornerOption) {
    return cornerOption == 0   ? CornerFill::kPaper
           : cornerOption == 2 ? CornerFill::kWhite
                               : CornerFill::kBlack;
}

}  // namespace Skewmend
