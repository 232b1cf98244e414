// The EXIF block walker on arbitrary bytes: reading the orientation, and
// patching the block as a turned page needs it. A patched block must parse
// again with Orientation absent or 1 and keep its size; a block refused as
// damaged must come back unchanged. AddressSanitizer watches that nothing
// is read or written outside the block, which is held in a buffer of
// exactly its size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "pictconv/exif_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::Cursor in(data, size);
    const uint32_t width = 1u + in.U16();
    const uint32_t height = 1u + in.U16() * 2u;
    std::vector<uint8_t> block(in.Rest(), in.Rest() + in.RestSize());
    block.shrink_to_fit();

    int orientation = 0;
    const Pictconv::ExifStatus read =
        Pictconv::ReadExifOrientation(block.data(), block.size(), orientation);
    if (orientation < 0 || orientation > 8) {
        std::abort();
    }
    const std::vector<uint8_t> before = block;
    const Pictconv::ExifStatus patched = Pictconv::PatchExif(block, width, height);
    if (read == Pictconv::ExifStatus::kDamaged && patched != read) {
        std::abort();  // the patcher checks all that the reader checks
    }
    if (patched == Pictconv::ExifStatus::kDamaged) {
        if (block != before) {
            std::abort();
        }
        return 0;
    }
    if (block.size() != before.size() ||
        Pictconv::ReadExifOrientation(block.data(), block.size(), orientation) !=
            Pictconv::ExifStatus::kOk ||
        (orientation != 0 && orientation != Pictconv::kUprightOrientation)) {
        std::abort();
    }
    return 0;
}
