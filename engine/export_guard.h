// What every export does at the library boundary.
//
// UsableSource: a bitmap handed in by address is checked before the engine
// reads it: pixels present, the row stride of its width, a buffer at least
// stride x height bytes long and a size within bmpbase/size_limits.h.
// A bitmap that fails this would make the engine read outside its buffer or
// wrap its 16-bit sizes.
//
// GuardAllocation: runs the body of an export and turns an allocation
// failure (std::bad_alloc from any stage, for a page whose buffers cannot be
// had) into a false result with the log line
//     Not enough memory for <export>
// A C++ exception must not cross a plain-C export: the caller may be written
// in another language, or, on Windows, use another copy of the C++ runtime
// that cannot catch it.
#pragma once

#include <new>

#include "bmpbase/bitmap24.h"
#include "bmpbase/size_limits.h"
#include "engine/diagnostics.h"

namespace Skewmend {

inline bool UsableSource(const BmpBase::CBitmap24& bmp) {
    return bmp.height > 0 && bmp.width > 0 && bmp.pixels != nullptr &&
           BmpBase::SizeIsSupported(bmp.width, bmp.height) &&
           bmp.stride == BmpBase::CBitmap24::StrideFor(bmp.width) &&
           bmp.pixelBytes >= static_cast<uint64_t>(bmp.stride) * bmp.height;
}

template <typename Body>
bool GuardAllocation(const char* exportName, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        Log("Not enough memory for ", exportName);
        return false;
    }
}

}  // namespace Skewmend
