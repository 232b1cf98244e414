// Mirrors the analysis half of _AutoRotate step by step (the working page,
// grey, "otsu" binarization, Deskewer) and stops after GetSkewAngles,
// printing the same "Raw angle = " and "Angle = " log lines as the full
// pipeline. Pages the pipeline refuses (empty, beyond the size limits) are
// refused here too.
#include "skew_estimate.h"

#include <cstdint>

#include "binarizer/binarizer.h"
#include "bmpbase/planes.h"
#include "bmpbase/size_limits.h"
#include "deskew/deskewer.h"
#include "diagnostics.h"
#include "working_page.h"

namespace Cli {

namespace {

constexpr int kQuarterTurnDeg = 90;
constexpr int kHalfTurnDeg = 180;

}  // namespace

bool EstimateSkew(const BmpBase::CBitmap24& page, int& angle) {
    if (page.height == 0 || page.width == 0 || page.pixels == nullptr ||
        !BmpBase::SizeIsSupported(page.width, page.height)) {
        return false;
    }
    const Skewmend::WorkingPage working(page);
    BmpBase::GreyImage grey;
    BmpBase::GetGreyImage(working.Page(), grey);
    Skewmend::PixelMask mask;
    uint16_t rows = 0, cols = 0;
    uint8_t background = 0;
    {
        Skewmend::Binarizer binarizer(grey);
        binarizer.Binarize("otsu", mask, rows, cols, background);
    }
    Skewmend::Deskewer deskewer(mask, grey, background, rows, cols);
    int rawAngle = 0, found = 0;
    if (!deskewer.GetSkewAngles(rawAngle, found)) {
        Skewmend::Log("Failed to call Deskewer");
        return false;
    }
    Skewmend::Log("Raw angle = ", rawAngle);
    Skewmend::Log("Angle = ", found);
    angle = found > kQuarterTurnDeg ? found - kHalfTurnDeg : found;
    return true;
}

}  // namespace Cli
