#include "engine/bilevel_page.h"

#include "bmpbase/planes.h"
#include "bmpbase/size_limits.h"

namespace Skewmend {

bool BinarizePage(const BmpBase::CBitmap24& page, BinarizeMethod method, BilevelPage& out,
                  std::string& reason) {
    if (page.pixels == nullptr || page.width == 0 || page.height == 0 ||
        !BmpBase::SizeIsSupported(page.width, page.height)) {
        reason = "the page is empty or too large to make bilevel";
        return false;
    }
    BmpBase::GreyImage grey;
    BmpBase::GetGreyImage(page, grey);
    Binarizer binarizer(grey);
    grey = BmpBase::GreyImage();  // the binarizer holds its own copy
    uint16_t rows = 0;
    uint16_t cols = 0;
    uint8_t paperGrey = 0;
    binarizer.Binarize(method, out.mask, rows, cols, paperGrey);
    out.height = page.height;
    out.width = page.width;
    out.choice = binarizer.bestChoice;
    return true;
}

}  // namespace Skewmend
