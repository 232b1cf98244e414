// The manual pair of exports: turn a page by a given angle, bitmap to bitmap
// with the channel rotation, or file to file around it.
#include "diagnostics.h"
#include "rotator.h"
#include "skewmend.h"

using BmpBase::CBitmap24;
using Skewmend::Log;

extern "C" SKEWMEND_API bool SKEWMEND_CALL _ManualRotate(const CBitmap24* src, CBitmap24* dst,
                                                         double angle, int cornerOption) {
    if (cornerOption != 1 && cornerOption != 2) {
        Log("corner option must be 1 or 2");
        return false;
    }
    if (!Skewmend::Rotator::RotateByChannels(*dst, *src, cornerOption, angle)) {
        Log("Failed to rotate bitmap");
        return false;
    }
    return true;
}

extern "C" SKEWMEND_API bool SKEWMEND_CALL ManualRotate(const char* srcPath, const char* dstPath,
                                                        double angle, int cornerOption) {
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
}
