// Rotation of small arbitrary pages by arbitrary angles: the colour form
// (every corner option) and the channel form of the manual export. Input:
// height and width (1 .. 64 each), corner option, angle (8 bytes, any
// double), then pixel bytes (repeated to fill the page).
#include <cstdint>
#include <cstdlib>

#include "bmpbase/bitmap24.h"
#include "engine/rotator.h"
#include "engine/skewmend.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr uint16_t kMaxFuzzSide = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::Cursor in(data, size);
    const uint16_t height = static_cast<uint16_t>(1 + in.Byte() % kMaxFuzzSide);
    const uint16_t width = static_cast<uint16_t>(1 + in.Byte() % kMaxFuzzSide);
    const int corner = static_cast<int8_t>(in.Byte());
    const double angle = in.Double();
    BmpBase::CBitmap24 src;
    src.Allocate(height, width);
    FuzzSupport::FillPage(src, in.Rest(), in.RestSize());

    BmpBase::CBitmap24 dst;
    const uint8_t fill[3] = {10, 20, 30};
    uint16_t h = height;
    uint16_t w = width;
    if (Skewmend::Rotator::Rotate(dst, src, fill, h, w, corner, angle)) {
        if (dst.height != h || dst.width != w || h < 3 || w < 3) {
            std::abort();
        }
    }
    BmpBase::CBitmap24 manual;
    _ManualRotate(&src, &manual, angle, corner);
    return 0;
}
