// auto and estimate decide a page in precise mode by default (a fractional
// angle with a confidence; pages it is not sure about kept as they were);
// with --whole-degrees, auto analyses the page and, when the small-tilt rule
// says so, turns it by the whole-degree angle, as _AutoRotate does.
#include "cli/page_work.h"

#include "cli/page_canvas.h"
#include "engine/deskew/precise.h"
#include "engine/pipeline.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

const char kNoSkew[] = "no skew could be estimated (too little text on the page?)";
const char kNotTurned[] = "the page could not be rotated";

// Why precise mode is not sure: a direction it does not trust enough, or
// none at all.
PageNote NotSureNote(const Skewmend::PreciseEstimate& e) {
    return e.status == Skewmend::PreciseStatus::kSure ? PageNote::kBelowMinConfidence
                                                      : PageNote::kNoClearDirection;
}

// A page the engine cannot analyse at all (empty or beyond the size
// limits) fails with the engine's reason.
bool Analysable(const Skewmend::PageAnalysis& analysis, PageResult& r) {
    if (!analysis.usable) {
        r.error = analysis.reason;
    }
    return analysis.usable;
}

// Precise mode for `auto`: the sub-degree estimate, its gates and, when it
// is trusted and large enough, the turn at the fractional angle. A page the
// mode is not sure about, or whose skew cannot be estimated at all, is kept
// as it was, never turned.
bool PreciseAuto(const CBitmap24& src, const Options& options, CBitmap24& dst, PageResult& r) {
    Skewmend::AnalysisOptions asked;
    asked.precise = true;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
    const Skewmend::PreciseEstimate& e = analysis.precise;
    const Skewmend::PreciseAction action =
        Skewmend::PreciseDeskew::Gate(analysis.usable, e, options.minConfidence, options.minAngle);
    r.turned = action == Skewmend::PreciseAction::kRotated &&
               TurnOnCanvas(src, e.angle, options, analysis.paper, dst);
    r.precise = true;
    r.confidence = e.confidence;
    if (!Analysable(analysis, r)) {
        return false;
    }
    if (action == Skewmend::PreciseAction::kRotated && !r.turned) {
        r.error = kNotTurned;
        return false;
    }
    const bool noSkew = action == Skewmend::PreciseAction::kFailed;
    r.notSure = noSkew || action == Skewmend::PreciseAction::kNotSure;
    r.hasAngle = !r.notSure;
    r.preciseAngle = e.angle;
    r.note = noSkew                                          ? PageNote::kNoSkewFound
             : r.notSure                                     ? NotSureNote(e)
             : action == Skewmend::PreciseAction::kUnchanged ? PageNote::kBelowMinAngle
                                                             : PageNote::kNone;
    return true;
}

// Whole-degree mode for `auto`: the analysis and the small-tilt rule.
bool WholeDegreesAuto(const CBitmap24& src, const Options& options, CBitmap24& dst, PageResult& r) {
    Skewmend::AnalysisOptions asked;
    asked.paperColour = options.corner == Corner::kPaper;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
    r.turned = analysis.turns && TurnOnCanvas(src, analysis.angle, options, analysis.paper, dst);
    if (!Analysable(analysis, r)) {
        return false;
    }
    if (analysis.turns && !r.turned) {
        r.error = kNotTurned;
        return false;
    }
    r.hasAngle = analysis.found;
    r.angle = analysis.angle;
    r.note = r.turned         ? PageNote::kNone
             : analysis.found ? PageNote::kSmallTilt
                              : PageNote::kNoSkewFound;
    return true;
}

}  // namespace

bool EstimateOnPage(const CBitmap24& page, const Options& options, PageResult& r) {
    if (!options.precise) {
        const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(page, {});
        if (!analysis.found) {
            r.error = kNoSkew;
            return false;
        }
        r.hasAngle = true;
        r.angle = analysis.angle;
        return true;
    }
    Skewmend::PreciseEstimate e;
    const bool ok = Skewmend::PreciseDeskew::Estimate(page, e);
    r.precise = true;
    r.confidence = e.confidence;
    if (!ok || e.status == Skewmend::PreciseStatus::kFailed) {
        r.error = kNoSkew;
        return false;
    }
    r.notSure = e.status != Skewmend::PreciseStatus::kSure || e.confidence < options.minConfidence;
    r.hasAngle = !r.notSure;
    r.note = r.notSure ? NotSureNote(e) : PageNote::kNone;
    r.preciseAngle = e.angle;
    return true;
}

bool StraightenPage(const CBitmap24& src, const Options& options, CBitmap24& dst, PageResult& r) {
    return options.precise ? PreciseAuto(src, options, dst, r)
                           : WholeDegreesAuto(src, options, dst, r);
}

bool TurnOnCanvas(const CBitmap24& src, double angle, const Options& options,
                  const uint8_t paper[3], CBitmap24& dst) {
    if (options.canvas == Canvas::kExpand) {
        return Skewmend::TurnPage(src, angle, options.corner, paper, dst);
    }
    CBitmap24 turned;
    if (!Skewmend::TurnPage(src, angle, options.corner, paper, turned)) {
        return false;
    }
    uint8_t fill[3];
    CornerColour(options.corner, paper, fill);
    CentreOnCanvas(turned, src.height, src.width, fill, dst);
    return true;
}

}  // namespace Cli
