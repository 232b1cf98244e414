// A whole page made bilevel with one of the binarizer's methods, for
// callers that write 1-bit pages: the grey image of the page (blue + green
// + red) / 3 goes through the method chosen, at full resolution, and the
// ink mask comes back with the branch "best" took.
//
// Input: any page within the size limits whose sides the binarizer takes
// (engine/binarizer/binarizer.h). Output: `mask` holds height x width flags,
// row r of the mask being buffer row r of the page (bottom-up as stored),
// true for ink. False with a reason, and nothing else changed, for an empty
// page or one the binarizer cannot take. The methods log as they always do.
#pragma once

#include <string>

#include "bmpbase/bitmap24.h"
#include "engine/binarizer/binarizer.h"
#include "engine/binarizer/pixel_mask.h"

namespace Skewmend {

struct BilevelPage {
    PixelMask mask;
    uint32_t height = 0;
    uint32_t width = 0;
    BestChoice choice = BestChoice::kNone;  // kBest only: the branch taken
};

bool BinarizePage(const BmpBase::CBitmap24& page, BinarizeMethod method, BilevelPage& out,
                  std::string& reason);

}  // namespace Skewmend
