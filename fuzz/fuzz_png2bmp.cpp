// Png2Bmp on arbitrary files; see fuzz_converter.h.
#include "fuzz/fuzz_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzConverter(Png2Bmp, data, size);
}
