// The manual pair of exports: turn a page by a given angle, bitmap to bitmap
// with the channel rotation, or file to file around it.
//
// Arguments are checked at the boundary (missing bitmaps or paths, the
// source as its own destination, a bitmap whose buffer does not hold what
// its sizes promise, sizes beyond bmpbase/size_limits.h); an allocation
// failure anywhere below ends in false with "Not enough memory for
// _ManualRotate" (or ManualRotate) instead of an exception crossing the
// export.
#include "engine/diagnostics.h"
#include "engine/export_guard.h"
#include "engine/rotator.h"
#include "engine/skewmend.h"

using BmpBase::CBitmap24;
using Skewmend::Log;

extern "C" SKEWMEND_API bool SKEWMEND_CALL _ManualRotate(const CBitmap24* src, CBitmap24* dst,
                                                         double angle, int cornerOption) {
    if (cornerOption != 1 && cornerOption != 2) {
        Log("corner option must be 1 or 2");
        return false;
    }
    if (src == nullptr || dst == nullptr || src == dst) {
        Log("Source and destination must be given, and the destination must differ from the "
            "source");
        return false;
    }
    // An empty page turns into a page of corners only; anything else must
    // hold the pixels its sizes promise.
    const bool empty = src->height == 0 || src->width == 0;
    if (!empty && !Skewmend::UsableSource(*src)) {
        Log("Source bitmap is larger than ", BmpBase::kMaxSide, " x ", BmpBase::kMaxSide, " or ",
            BmpBase::kMaxPixels, " pixels, or has fewer pixels than its size");
        return false;
    }
    return Skewmend::GuardAllocation("_ManualRotate", [&] {
        if (!Skewmend::Rotator::RotateByChannels(*dst, *src, cornerOption, angle)) {
            Log("Failed to rotate bitmap");
            return false;
        }
        return true;
    });
}

extern "C" SKEWMEND_API bool SKEWMEND_CALL ManualRotate(const char* srcPath, const char* dstPath,
                                                        double angle, int cornerOption) {
    if (srcPath == nullptr || dstPath == nullptr) {
        Log("Source and destination paths must be given");
        return false;
    }
    return Skewmend::GuardAllocation("ManualRotate", [&] {
        CBitmap24 src;
        if (!src.Read(srcPath)) {
            Log("File ", srcPath, " does not exist or not a valid 24b bitmap");
            return false;
        }
        CBitmap24 dst;
        if (!_ManualRotate(&src, &dst, angle, cornerOption)) {
            return false;
        }
        if (!dst.Write(dstPath)) {
            Log("Failed to write bitmap to file ", dstPath);
            return false;
        }
        return true;
    });
}
