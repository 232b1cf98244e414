// The automatic pipeline on small arbitrary 24-bit pages. Input: height and
// width (1 .. 256 each, two bytes each), corner option, then pixel bytes
// (repeated to fill the page; a page with no bytes stays black). A call that
// succeeds must leave a page in the destination; one that reports a small
// angle must leave an exact copy.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmpbase/bitmap24.h"
#include "engine/skewmend.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr uint16_t kMaxFuzzSide = 256;
constexpr int kMaxUnturnedDeg = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::Cursor in(data, size);
    const uint16_t height = static_cast<uint16_t>(1 + in.U16() % kMaxFuzzSide);
    const uint16_t width = static_cast<uint16_t>(1 + in.U16() % kMaxFuzzSide);
    const int corner = static_cast<int8_t>(in.Byte()) % 4;
    BmpBase::CBitmap24 src;
    src.Allocate(height, width);
    FuzzSupport::FillPage(src, in.Rest(), in.RestSize());
    BmpBase::CBitmap24 dst;
    int angle = 0;
    if (_AutoRotate(&src, &dst, corner, &angle)) {
        if (dst.pixels == nullptr || angle < -89 || angle > 90) {
            std::abort();
        }
        const bool unturned = angle >= -kMaxUnturnedDeg && angle <= kMaxUnturnedDeg;
        if (unturned && (dst.pixelBytes != src.pixelBytes ||
                         std::memcmp(dst.pixels, src.pixels, src.pixelBytes) != 0)) {
            std::abort();
        }
    }
    return 0;
}
