// The automatic pair of exports: straighten a page, bitmap to bitmap or file
// to file.
//
// _AutoRotate puts the pipeline together. A page of more than 1048576 pixels
// is analysed on a copy of half its height and width made by plain
// subsampling (every second row and column from the first, no averaging);
// the analysis builds the grey image of the working page, binarizes it with
// the global Otsu threshold and hands mask and grey image to a Deskewer. A
// rotation always works on the full-size source and writes every byte of
// the destination. Whenever no rotation replaces the destination (a small
// tilt, a failed estimate, a refused rotation, or memory running out before
// the rotation began) the destination receives an exact copy of the source
// instead, so it holds the unturned page; the page is thus copied only when
// the copy is the result, not on every call.
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

#include "binarizer/binarizer.h"
#include "bmpbase/planes.h"
#include "bmpbase/size_limits.h"
#include "deskew/deskewer.h"
#include "diagnostics.h"
#include "export_guard.h"
#include "skewmend.h"
#include "working_page.h"

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
        const Skewmend::WorkingPage working(*src);
        const CBitmap24* work = &working.Page();

        BmpBase::GreyImage grey;
        BmpBase::GetGreyImage(*work, grey);
        Skewmend::PixelMask mask;
        uint16_t height = 0;
        uint16_t width = 0;
        uint8_t backgroundGrey = 0;
        {
            Skewmend::Binarizer binarizer(grey);
            binarizer.Binarize("otsu", mask, height, width, backgroundGrey);
        }

        bool turning = false;
        bool ok = false;
        try {
            Skewmend::Deskewer deskewer(mask, grey, backgroundGrey, height, width);
            ok = deskewer.Deskew(*src, *work, mask, height, width, *dst, *angleOut, cornerOption,
                                 turning);
        } catch (const std::bad_alloc&) {
            // The estimate's memory is released by now; the destination
            // still gets the unturned page unless the rotation had begun.
            if (!turning) {
                *dst = *src;
            }
            throw;
        }
        if (!ok || !turning) {
            *dst = *src;
        }
        if (!ok) {
            Log("Failed to call Deskewer");
            return false;
        }
        return true;
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
