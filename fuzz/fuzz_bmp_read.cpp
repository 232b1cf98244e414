// The engine's BMP reader on arbitrary files. A file that is accepted must
// describe a consistent picture, and a second read into the same object (a
// reused, possibly larger buffer) must give the same result.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmpbase/bitmap24.h"
#include "bmpbase/size_limits.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzSupport::ScratchFile("in.bmp");
    if (!FuzzSupport::WriteFile(path, data, size)) {
        return 0;
    }
    BmpBase::CBitmap24 bmp;
    if (!bmp.Read(path.c_str())) {
        return 0;
    }
    if (!BmpBase::SizeIsSupported(bmp.width, bmp.height) ||
        bmp.stride != BmpBase::CBitmap24::StrideFor(bmp.width) ||
        bmp.pixelBytes != static_cast<uint64_t>(bmp.stride) * bmp.height ||
        size < BmpBase::kBmpHeaderBytes + bmp.pixelBytes) {
        std::abort();
    }
    BmpBase::CBitmap24 again = bmp;
    if (!again.Read(path.c_str()) || again.pixelBytes != bmp.pixelBytes ||
        (bmp.pixelBytes > 0 && std::memcmp(again.pixels, bmp.pixels, bmp.pixelBytes) != 0)) {
        std::abort();
    }
    return 0;
}
