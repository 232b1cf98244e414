// Precise mode from a page to an estimate, and from an estimate to the
// turned page.
//
// The working page and grey image are made exactly as the automatic
// pipeline makes them. A grey image whose noise level exceeds 5 grey levels
// is replaced by its 3 x 3 box mean before anything else looks at it. The
// Deskewer then runs its whole-degree estimate (which also crops the mask
// and erases over-large components); a page without any ink has nothing to
// measure and is "not sure", while a failed estimate on a page with ink is
// "failed". The Deskewer's cleaned mask goes to the decision.
//
// Apply copies the page first, so every outcome other than "rotated" leaves
// the exact copy; a sure estimate below the caller's confidence gate counts
// as "not sure", one below the angle gate as "unchanged". The rotation is the
// colour rotation at the fractional angle, with the paper's mean colour for
// corner option 0 as in the automatic pipeline.
#include <cmath>

#include "binarizer/binarizer.h"
#include "bmpbase/planes.h"
#include "bmpbase/size_limits.h"
#include "deskew/deskewer.h"
#include "deskew/precise.h"
#include "diagnostics.h"
#include "rotator.h"
#include "working_page.h"

namespace Skewmend {

namespace {

// Runs the estimate; also leaves the paper colour of the working page.
bool EstimateWithPaper(const BmpBase::CBitmap24& src, PreciseEstimate& estimate, uint8_t paper[3]) {
    estimate = PreciseEstimate();
    paper[0] = paper[1] = paper[2] = 0;
    if (src.height == 0 || src.width == 0 || src.pixels == nullptr ||
        !BmpBase::SizeIsSupported(src.width, src.height)) {
        Log("Source bitmap is empty or larger than ", BmpBase::kMaxSide, " x ", BmpBase::kMaxSide);
        return false;
    }
    const WorkingPage working(src);
    BmpBase::GreyImage grey;
    BmpBase::GetGreyImage(working.Page(), grey);
    estimate.noiseSigma = PreciseDeskew::NoiseSigma(grey);
    if (estimate.noiseSigma > PreciseDeskew::kNoisySigma) {
        grey = PreciseDeskew::BoxMean3x3(grey);
        estimate.denoised = true;
    }
    PixelMask mask;
    uint16_t height = 0;
    uint16_t width = 0;
    uint8_t backgroundGrey = 0;
    {
        Binarizer binarizer(grey);
        binarizer.Binarize("otsu", mask, height, width, backgroundGrey);
    }
    Deskewer::PaperColour(working.Page(), mask, paper);
    if (mask.Count() == 0) {
        estimate.status = PreciseStatus::kNotSure;
        return true;
    }
    Deskewer deskewer(mask, grey, backgroundGrey, height, width);
    int rawAngle = 0;
    int angle = 0;
    if (!deskewer.GetSkewAngles(rawAngle, angle)) {
        estimate.status = PreciseStatus::kFailed;
        return true;
    }
    estimate.wholeAngle = angle > 90 ? angle - 180 : angle;
    PreciseDeskew::Decide(deskewer.mask, deskewer.height, deskewer.width, estimate.wholeAngle,
                          estimate);
    return true;
}

}  // namespace

bool PreciseDeskew::Estimate(const BmpBase::CBitmap24& src, PreciseEstimate& estimate) {
    uint8_t paper[3];
    return EstimateWithPaper(src, estimate, paper);
}

PreciseAction PreciseDeskew::Apply(const BmpBase::CBitmap24& src, BmpBase::CBitmap24& dst,
                                   int cornerOption, double minConfidence, double minAngleDeg,
                                   PreciseEstimate& estimate) {
    estimate = PreciseEstimate();
    if (cornerOption > 2) {
        Log("corner option must <= 2");
        return PreciseAction::kFailed;
    }
    if (&dst == &src) {
        Log("The destination must differ from the source");
        return PreciseAction::kFailed;
    }
    uint8_t paper[3];
    const bool ok = EstimateWithPaper(src, estimate, paper);
    dst = src;
    if (!ok || estimate.status == PreciseStatus::kFailed) {
        return PreciseAction::kFailed;
    }
    if (estimate.status == PreciseStatus::kNotSure || estimate.confidence < minConfidence) {
        return PreciseAction::kNotSure;
    }
    if (std::fabs(estimate.angle) < minAngleDeg) {
        return PreciseAction::kUnchanged;
    }
    const uint8_t black[3] = {0, 0, 0};
    auto rows = static_cast<uint16_t>(src.height);
    auto cols = static_cast<uint16_t>(src.width);
    if (!Rotator::Rotate(dst, src, cornerOption == 0 ? paper : black, rows, cols, cornerOption,
                         estimate.angle)) {
        dst = src;
        return PreciseAction::kFailed;
    }
    return PreciseAction::kRotated;
}

}  // namespace Skewmend
