// Builds the working page. The height x width product is formed in 32 bits
// as the pipeline always has; pages within the size limits (65534 on a
// side) cannot wrap it.
#include "working_page.h"

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
        for (uint32_t c = 0; c < reduced_->width; ++c) {
            to[3 * c] = from[6 * c];
            to[3 * c + 1] = from[6 * c + 1];
            to[3 * c + 2] = from[6 * c + 2];
        }
    }
    page_ = reduced_.get();
}

}  // namespace Skewmend
