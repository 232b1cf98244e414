// auto and estimate decide a page in precise mode by default (a fractional
// angle with a confidence; pages it is not sure about kept as they were);
// with --whole-degrees, auto analyses the page and, when the small-tilt rule
// says so, turns it by the whole-degree angle, as _AutoRotate does. rotate
// turns the page by its angle with white or black corners; estimate stops
// after the analysis.
#include "cli/page_decision.h"

#include "cli/elapsed.h"
#include "cli/page_canvas.h"
#include "engine/deskew/precise.h"
#include "engine/pipeline.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

const char kNoSkew[] = ": no skew could be estimated (too little text on the page?)";
const char kNotTurned[] = ": the page could not be rotated";

// Why precise mode is not sure: a direction it does not trust enough, or
// none at all.
PageNote NotSureNote(const Skewmend::PreciseEstimate& e) {
    return e.status == Skewmend::PreciseStatus::kSure ? PageNote::kBelowMinConfidence
                                                      : PageNote::kNoClearDirection;
}

// A page the engine cannot analyse at all (empty or beyond the size
// limits) fails with the engine's reason.
bool Analysable(const std::string& input, const Skewmend::PageAnalysis& analysis, PageResult& r) {
    if (!analysis.usable) {
        r.error = input + ": " + analysis.reason;
    }
    return analysis.usable;
}

// Precise mode for `auto`: the sub-degree estimate, its gates and, when it
// is trusted and large enough, the turn at the fractional angle. A page the
// mode is not sure about, or whose skew cannot be estimated at all, is kept
// as it was, never turned.
bool PreciseAuto(const std::string& input, const Options& options, const CBitmap24& src,
                 Corner corner, CBitmap24& dst, PageResult& r) {
    const auto start = Clock::now();
    Skewmend::AnalysisOptions asked;
    asked.precise = true;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
    const Skewmend::PreciseEstimate& e = analysis.precise;
    const Skewmend::PreciseAction action =
        Skewmend::PreciseDeskew::Gate(analysis.usable, e, options.minConfidence, options.minAngle);
    r.turned = action == Skewmend::PreciseAction::kRotated &&
               TurnOnCanvas(src, e.angle, options, corner, analysis.paper, dst);
    r.processMs = MsSince(start);
    r.precise = true;
    r.confidence = e.confidence;
    if (!Analysable(input, analysis, r)) {
        return false;
    }
    if (action == Skewmend::PreciseAction::kRotated && !r.turned) {
        r.error = input + kNotTurned;
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

}  // namespace

bool TurnOnCanvas(const CBitmap24& src, double angle, const Options& options, Corner corner,
                  const uint8_t paper[3], CBitmap24& dst) {
    if (options.canvas == Canvas::kExpand) {
        return Skewmend::TurnPage(src, angle, corner, paper, dst);
    }
    CBitmap24 turned;
    if (!Skewmend::TurnPage(src, angle, corner, paper, turned)) {
        return false;
    }
    uint8_t fill[3];
    CornerColour(corner, paper, fill);
    CentreOnCanvas(turned, src.height, src.width, fill, dst);
    return true;
}

bool DecideAuto(const std::string& input, const Options& options, const CBitmap24& src,
                Pictconv::PageKind kind, CBitmap24& dst, PageResult& r) {
    const Corner corner = CornerForKind(options.corner, kind);
    if (options.precise) {
        return PreciseAuto(input, options, src, corner, dst, r);
    }
    const auto start = Clock::now();
    Skewmend::AnalysisOptions asked;
    asked.paperColour = corner == Corner::kPaper;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
    r.turned =
        analysis.turns && TurnOnCanvas(src, analysis.angle, options, corner, analysis.paper, dst);
    r.processMs = MsSince(start);
    if (!Analysable(input, analysis, r)) {
        return false;
    }
    if (analysis.turns && !r.turned) {
        r.error = input + kNotTurned;
        return false;
    }
    r.hasAngle = analysis.found;
    r.angle = analysis.angle;
    r.note = r.turned         ? PageNote::kNone
             : analysis.found ? PageNote::kSmallTilt
                              : PageNote::kNoSkewFound;
    return true;
}

bool DecideRotate(const std::string& input, double angle, const Options& options,
                  const CBitmap24& src, Pictconv::PageKind kind, CBitmap24& dst, PageResult& r) {
    // A turn by 0 degrees leaves the page as it is.
    const bool turns = angle != 0.0;
    const auto start = Clock::now();
    r.turned = turns &&
               TurnOnCanvas(src, angle, options, CornerForKind(options.corner, kind), nullptr, dst);
    r.processMs = MsSince(start);
    if (turns && !r.turned) {
        r.error = input + kNotTurned;
        return false;
    }
    r.turnAngle = angle;
    return true;
}

bool DecideEstimate(const std::string& input, const Options& options, const CBitmap24& page,
                    PageResult& r) {
    const auto start = Clock::now();
    if (options.precise) {
        Skewmend::PreciseEstimate e;
        const bool ok = Skewmend::PreciseDeskew::Estimate(page, e);
        r.processMs = MsSince(start);
        r.precise = true;
        r.confidence = e.confidence;
        if (!ok || e.status == Skewmend::PreciseStatus::kFailed) {
            r.error = input + kNoSkew;
            return false;
        }
        r.notSure =
            e.status != Skewmend::PreciseStatus::kSure || e.confidence < options.minConfidence;
        r.hasAngle = !r.notSure;
        r.note = r.notSure ? NotSureNote(e) : PageNote::kNone;
        r.preciseAngle = e.angle;
        return true;
    }
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(page, {});
    r.processMs = MsSince(start);
    if (!analysis.found) {
        r.error = input + kNoSkew;
        return false;
    }
    r.hasAngle = true;
    r.angle = analysis.angle;
    return true;
}

}  // namespace Cli
