// The Deskewer object and the paper colour used to fill uncovered corners.
//
// The constructor takes deep copies of the page mask and grey image, so the
// estimators may crop and erase freely while the pipeline keeps its own
// mask for the colour average.
//
// The paper colour is the per-channel mean of every pixel the mask calls
// paper. The sums are 64-bit: a working page may hold up to about 2^30
// pixels, whose byte sums would wrap a 32-bit counter; for every page whose
// sums fit in 32 bits the result is the same.
#include "engine/deskew/deskewer.h"

namespace Skewmend {

Deskewer::Deskewer(const PixelMask& pageMask, const BmpBase::GreyImage& greyImage,
                   uint8_t backgroundGreyLevel, uint16_t rows, uint16_t cols)
    : grey(greyImage),
      mask(pageMask),
      height(rows),
      width(cols),
      backgroundGrey(backgroundGreyLevel) {}

void Deskewer::PaperColour(const BmpBase::CBitmap24& work, const PixelMask& workMask,
                           uint8_t fill[3]) {
    uint64_t sums[3] = {0, 0, 0};
    uint64_t pixels = 0;
    for (uint32_t r = 0; r < work.height; ++r) {
        const uint8_t* p = work.PixelAt(r, 0);
        const size_t rowStart = static_cast<size_t>(r) * work.width;
        for (uint32_t c = 0; c < work.width; ++c, p += 3) {
            if (!workMask[rowStart + c]) {
                sums[0] += p[0];
                sums[1] += p[1];
                sums[2] += p[2];
                ++pixels;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        fill[i] = static_cast<uint8_t>(pixels == 0 ? 0 : sums[i] / pixels);
    }
}

}  // namespace Skewmend
