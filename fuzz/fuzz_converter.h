// The body of the three decoder fuzz targets (fuzz_jpg2bmp, fuzz_png2bmp,
// fuzz_tif2bmp): the input as a file, converted through the export to a BMP
// file. True must mean a BMP the engine's reader accepts; false must mean
// the destination is untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "bmpbase/bitmap24.h"
#include "fuzz/fuzz_support.h"
#include "pictconv/pictconv.h"

inline int FuzzConverter(FormatConverterFn convert, const uint8_t* data, size_t size) {
    static const std::string src = FuzzSupport::ScratchFile("in.img");
    static const std::string dst = FuzzSupport::ScratchFile("out.bmp");
    static const uint8_t kMarker[4] = {'k', 'e', 'e', 'p'};
    if (!FuzzSupport::WriteFile(src, data, size) ||
        !FuzzSupport::WriteFile(dst, kMarker, sizeof kMarker)) {
        return 0;
    }
    BmpBase::CBitmap24 bmp;
    if (convert(src.c_str(), dst.c_str())) {
        if (!bmp.Read(dst.c_str())) {
            std::abort();
        }
    } else {
        std::ifstream in(dst, std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(in)), {});
        if (kept != std::string(kMarker, kMarker + sizeof kMarker)) {
            std::abort();  // a failed conversion changed the destination
        }
    }
    return 0;
}
