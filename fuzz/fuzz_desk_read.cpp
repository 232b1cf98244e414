// The shared BMP reader (1, 4, 8, 16, 24 and 32 bits per pixel) on arbitrary
// files, read from memory: through the desktop program's ReadFromFile and
// with the standard policy of the tool and the converters. A refused file
// must leave the bitmap exactly as it was; an accepted one must describe a
// consistent picture.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bmpbase/bitmap24.h"
#include "bmpbase/bmp_reader.h"
#include "bmpbase/size_limits.h"
#include "desktop/bmp_io.h"

namespace {

void Check(const uint8_t* data, size_t size, bool desktop) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr) {
        return;
    }
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(2, 3);
    bmp.PixelAt(1, 2)[0] = 77;
    const BmpBase::CBitmap24 before = bmp;
    bool read = false;
    if (desktop) {
        read = LeveloraDesk::ReadFromFile(bmp, file);
    } else {
        read = BmpBase::ReadBmp(file, BmpBase::BmpPolicy::kStandard, bmp);
        std::fclose(file);
    }
    if (read) {
        if (!BmpBase::SizeIsSupported(bmp.width, bmp.height) ||
            bmp.stride != BmpBase::CBitmap24::StrideFor(bmp.width) ||
            bmp.pixelBytes != static_cast<uint64_t>(bmp.stride) * bmp.height) {
            std::abort();
        }
    } else if (bmp.height != before.height || bmp.width != before.width ||
               bmp.pixelBytes != before.pixelBytes ||
               std::memcmp(bmp.pixels, before.pixels, before.pixelBytes) != 0 ||
               std::memcmp(&bmp.infoHeader, &before.infoHeader, sizeof bmp.infoHeader) != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    Check(data, size, true);
    Check(data, size, false);
    return 0;
}
