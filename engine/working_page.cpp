// Builds the working page. The height x width product is formed in 32 bits
// as the pipeline always has; pages within the size limits (65534 on a
// side) cannot wrap it.
#include "working_page.h"

#include <cstring>

namespace Skewmend {

WorkingPage::WorkingPage(const BmpBase::CBitmap24& src) : page_(&src) {
    if (src.height * src.width <= kMaxFullSizeAnalysisPixels) {
        return;
    }
    reduced_ = std::make_unique<BmpBase::CBitmap24>();
    reduced_->Allocate(src.height / 2, src.width / 2);
    for (uint32_t r = 0; r < reduced_->height; ++r) {
        const uint8_t* from = src.PixelAt(2 * r, 0);
        uint8_t* to = reduced_->PixelAt(r, 0);
        // Four bytes at a time: the fourth lands where the next pixel's first
        // byte goes and is overwritten by it; the row's last pixel moves its
        // three bytes alone, so nothing is read or written past the row.
        const uint32_t w = reduced_->width;
        for (uint32_t c = 0; c + 1 < w; ++c) {
            std::memcpy(to + 3 * c, from + 6 * c, 4);
        }
        if (w > 0) {
            std::memcpy(to + 3 * (w - 1), from + 6 * (w - 1), 3);
        }
    }
    page_ = reduced_.get();
}

}  // namespace Skewmend
