// Precise mode from a page to an estimate, and from an estimate to the
// turned page, on the engine's shared analysis (engine/pipeline.h).
//
// Apply copies the page unless it turns it, so every outcome other than
// "rotated" leaves the exact copy; a sure estimate below the caller's
// confidence gate counts as "not sure", one below the angle gate as
// "unchanged". The rotation is the colour rotation at the fractional angle,
// with the paper's mean colour for corner option 0 as in the automatic
// pipeline.
#include <cmath>

#include "bmpbase/size_limits.h"
#include "engine/deskew/precise.h"
#include "engine/diagnostics.h"
#include "engine/pipeline.h"

namespace Skewmend {

namespace {

PageAnalysis AnalysePrecisely(const BmpBase::CBitmap24& src) {
    AnalysisOptions options;
    options.precise = true;
    PageAnalysis analysis = AnalysePage(src, options);
    if (!analysis.usable) {
        Log("Source bitmap is empty or larger than ", BmpBase::kMaxSide, " x ", BmpBase::kMaxSide);
    }
    return analysis;
}

}  // namespace

bool PreciseDeskew::Estimate(const BmpBase::CBitmap24& src, PreciseEstimate& estimate) {
    const PageAnalysis analysis = AnalysePrecisely(src);
    estimate = analysis.precise;
    return analysis.usable;
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
    const PageAnalysis analysis = AnalysePrecisely(src);
    estimate = analysis.precise;
    const PreciseAction action = Gate(analysis.usable, estimate, minConfidence, minAngleDeg);
    if (action == PreciseAction::kRotated &&
        TurnPage(src, estimate.angle, CornerFillOf(cornerOption), analysis.paper, dst)) {
        return action;
    }
    dst = src;
    return action == PreciseAction::kRotated ? PreciseAction::kFailed : action;
}

PreciseAction PreciseDeskew::Gate(bool usable, const PreciseEstimate& estimate,
                                  double minConfidence, double minAngleDeg) {
    if (!usable || estimate.status == PreciseStatus::kFailed) {
        return PreciseAction::kFailed;
    }
    if (estimate.status == PreciseStatus::kNotSure || estimate.confidence < minConfidence) {
        return PreciseAction::kNotSure;
    }
    if (std::fabs(estimate.angle) < minAngleDeg) {
        return PreciseAction::kUnchanged;
    }
    return PreciseAction::kRotated;
}

}  // namespace Skewmend
