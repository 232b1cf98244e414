// The automatic pair of exports: straighten a page, bitmap to bitmap or file
// to file.
//
// _AutoRotate runs the automatic pipeline of engine/pipeline.h (DeskewPage):
// the analysis of the working page and, for a tilt of more than 3 degrees,
// the rotation of the full-size source, which writes every byte of the
// destination. Whenever no rotation replaces the destination (a small tilt,
// a failed estimate, a refused rotation, or memory running out) the
// destination receives an exact copy of the source instead, so it holds the
// unturned page; the page is thus copied only when the copy is the result,
// not on every call.
//
// Arguments the pipeline cannot work with are refused before anything is
// touched: a corner option above 2, a missing bitmap or angle, the source
// passed as its own destination, an empty source, or one beyond the
// size limits (65534 x 65534, which the 16-bit sizes of the analysis impose,
// and the pixel count of bmpbase/size_limits.h) or whose buffer is shorter
// than its sizes say; AutoRotate likewise refuses missing paths. A page
// whose buffers cannot be allocated ends in false with "Not enough memory
// for _AutoRotate" (or AutoRotate); no exception leaves the exports.
#include <new>

#include "bmpbase/size_limits.h"
#include "engine/diagnostics.h"
#include "engine/export_guard.h"
#include "engine/pipeline.h"
#include "engine/skewmend.h"

using BmpBase::CBitmap24;
using Skewmend::Log;

extern "C" SKEWMEND_API bool SKEWMEND_CALL _AutoRotate(const CBitmap24* src, CBitmap24* dst,
                                                       int cornerOption, int* angleOut) {
    SKEWMEND_TIMED("_AutoRotate");
    if (cornerOption > 2) {
        Log("corner option must <= 2");
        return false;
    }
    if (src == nullptr || dst == nullptr || angleOut == nullptr || src == dst) {
        Log("Source, destination and angle must be given, and the destination must differ from "
            "the source");
        return false;
    }
    if (!Skewmend::UsableSource(*src)) {
        Log("Source bitmap is empty or larger than ", BmpBase::kMaxSide, " x ", BmpBase::kMaxSide,
            " or ", BmpBase::kMaxPixels, " pixels");
        return false;
    }
    return Skewmend::GuardAllocation("_AutoRotate", [&] {
        bool turned = false;
        bool ok = false;
        try {
            ok = Skewmend::DeskewPage(*src, *dst, cornerOption, *angleOut, turned);
        } catch (const std::bad_alloc&) {
            // The analysis' memory is released by now; the destination gets
            // the unturned page if there is room for it.
            *dst = *src;
            throw;
        }
        if (!turned) {
            *dst = *src;
        }
        return ok;
    });
}

extern "C" SKEWMEND_API bool SKEWMEND_CALL AutoRotate(const char* srcPath, const char* dstPath,
                                                      int cornerOption) {
    SKEWMEND_TIMED("AutoRotate");
    if (srcPath == nullptr || dstPath == nullptr) {
        Log("Source and destination paths must be given");
        return false;
    }
    return Skewmend::GuardAllocation("AutoRotate", [&] {
        CBitmap24 src;
        if (!src.Read(srcPath)) {
            Log("File ", srcPath, " does not exist or not a valid 24b bitmap");
            return false;
        }
        CBitmap24 dst;
        int angle = 0;
        if (!_AutoRotate(&src, &dst, cornerOption, &angle)) {
            return false;
        }
        if (!dst.Write(dstPath)) {
            Log("Failed to write bitmap to file ", dstPath);
            return false;
        }
        return true;
    });
}
